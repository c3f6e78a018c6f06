#pragma once
// The two ends a test puts around a filter: a source that plays samples held
// in memory and a renderer that keeps every byte it receives.

#include "platform/media/PushSource.h"
#include "platform/media/SinkFilter.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace testsupport {

// {8F0E5C31-2B4D-4E6A-9C7B-3D1A0F6E2B51}
constexpr CLSID CLSID_TestSource = {0x8F0E5C31, 0x2B4D, 0x4E6A, {0x9C, 0x7B, 0x3D, 0x1A, 0x0F, 0x6E, 0x2B, 0x51}};
// {8F0E5C32-2B4D-4E6A-9C7B-3D1A0F6E2B51}
constexpr CLSID CLSID_TestSink = {0x8F0E5C32, 0x2B4D, 0x4E6A, {0x9C, 0x7B, 0x3D, 0x1A, 0x0F, 0x6E, 0x2B, 0x51}};

class CMemorySource : public CPushSource
{
public:
    // Mono samples, 16-bit or float; media samples hold the frame counts of
    // the pattern in turn.
    template <class Sample>
    CMemorySource(DWORD rate, const std::vector<Sample>& samples, std::vector<LONG> pattern = {1024})
        : CPushSource("Test source", nullptr, CLSID_TestSource), m_Pattern(std::move(pattern)),
          m_Data(samples.size() * sizeof(Sample))
    {
        static_assert(sizeof(Sample) == 2 || sizeof(Sample) == 4);
        if (!m_Data.empty())
            std::memcpy(m_Data.data(), samples.data(), m_Data.size());
        SetWaveFormat(sizeof(Sample) == 2 ? MakeWaveFormat(WAVE_FORMAT_PCM, 1, rate, 16)
                                          : MakeWaveFormat(WAVE_FORMAT_IEEE_FLOAT, 1, rate, 32));
    }

protected:
    HRESULT FillBuffer(BYTE* pData, LONG cbMax, LONG* pcbFilled) override
    {
        const size_t n = std::min(m_Data.size() - m_nPosition, static_cast<size_t>(std::max<LONG>(cbMax, 0)));
        std::memcpy(pData, m_Data.data() + m_nPosition, n);
        m_nPosition += n;
        *pcbFilled = static_cast<LONG>(n);
        return S_OK;
    }
    LONG NextSampleFrames() override { return m_Pattern[m_nNext++ % m_Pattern.size()]; }
    LONG MaxSampleFrames() const override { return *std::max_element(m_Pattern.begin(), m_Pattern.end()); }
    HRESULT Rewind() override
    {
        m_nPosition = 0;
        m_nNext = 0;
        return S_OK;
    }

private:
    std::vector<LONG> m_Pattern;
    std::vector<BYTE> m_Data;
    size_t m_nPosition = 0;
    size_t m_nNext = 0;
};

class CMemorySink : public CSinkFilter
{
public:
    CMemorySink() : CSinkFilter("Test sink", nullptr, CLSID_TestSink) {}

    std::vector<BYTE> Data() const
    {
        std::lock_guard lock(m_Mutex);
        return m_Data;
    }
    template <class Sample>
    std::vector<Sample> Samples() const
    {
        const std::vector<BYTE> bytes = Data();
        std::vector<Sample> out(bytes.size() / sizeof(Sample));
        std::memcpy(out.data(), bytes.data(), out.size() * sizeof(Sample));
        return out;
    }

protected:
    HRESULT OnReceive(IMediaSample* pSample) override
    {
        BYTE* p = nullptr;
        pSample->GetPointer(&p);
        std::lock_guard lock(m_Mutex);
        m_Data.insert(m_Data.end(), p, p + pSample->GetActualDataLength());
        return S_OK;
    }

private:
    mutable std::mutex m_Mutex;
    std::vector<BYTE> m_Data;
};

} // namespace testsupport

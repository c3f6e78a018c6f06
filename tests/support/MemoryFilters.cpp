#include "support/MemoryFilters.h"

#include <algorithm>
#include <cstring>
#include <thread>

CMemorySource::CMemorySource(const WAVEFORMATEX& wfx, std::vector<BYTE> data)
    : CPushSource("Memory source", nullptr, CLSID_MemorySource), m_data(std::move(data))
{
    SetWaveFormat(wfx);
}

CMemorySource* CMemorySource::CreatePcm16(DWORD nSamplesPerSec, const std::vector<std::int16_t>& samples)
{
    std::vector<BYTE> bytes(samples.size() * sizeof(std::int16_t));
    if (!bytes.empty()) {
        std::memcpy(bytes.data(), samples.data(), bytes.size());
    }
    return new CMemorySource(MakeWaveFormat(WAVE_FORMAT_PCM, 1, nSamplesPerSec, 16), std::move(bytes));
}

CMemorySource* CMemorySource::CreateFloat(DWORD nSamplesPerSec, const std::vector<float>& samples)
{
    std::vector<BYTE> bytes(samples.size() * sizeof(float));
    if (!bytes.empty()) {
        std::memcpy(bytes.data(), samples.data(), bytes.size());
    }
    return new CMemorySource(MakeWaveFormat(WAVE_FORMAT_IEEE_FLOAT, 1, nSamplesPerSec, 32), std::move(bytes));
}

void CMemorySource::SetFramesPerSample(std::vector<LONG> pattern)
{
    pattern.erase(std::remove_if(pattern.begin(), pattern.end(), [](LONG n) { return n <= 0; }), pattern.end());
    if (pattern.empty()) {
        pattern.push_back(1024);
    }
    CAutoLock lock(&m_csFilter);
    m_pattern = std::move(pattern);
    m_nPatternIndex = 0;
}

HRESULT CMemorySource::FillBuffer(BYTE* pData, LONG cbMax, LONG* pcbFilled)
{
    const std::size_t left = m_data.size() - m_nPosition;
    const std::size_t count = std::min(left, static_cast<std::size_t>(cbMax > 0 ? cbMax : 0));
    if (count > 0) {
        std::memcpy(pData, m_data.data() + m_nPosition, count);
    }
    m_nPosition += count;
    *pcbFilled = static_cast<LONG>(count);
    return S_OK;
}

LONG CMemorySource::NextSampleFrames()
{
    const LONG frames = m_pattern[m_nPatternIndex];
    m_nPatternIndex = (m_nPatternIndex + 1) % m_pattern.size();
    return frames;
}

LONG CMemorySource::MaxSampleFrames() const
{
    return *std::max_element(m_pattern.begin(), m_pattern.end());
}

HRESULT CMemorySource::Rewind()
{
    m_nPosition = 0;
    m_nPatternIndex = 0;
    return S_OK;
}

// ---------------------------------------------------------------------------

CMemorySink::CMemorySink() : CSinkFilter("Memory sink", nullptr, CLSID_MemorySink) {}

void CMemorySink::SetAcceptFunction(std::function<HRESULT(const CMediaType&)> accept)
{
    std::lock_guard lock(m_mutex);
    m_accept = std::move(accept);
}

void CMemorySink::FailReceiveFrom(int nSample, HRESULT hr)
{
    std::lock_guard lock(m_mutex);
    m_nFailFrom = nSample;
    m_hrFail = hr;
}

void CMemorySink::SlowDownFrom(int nSample, std::chrono::microseconds delay)
{
    std::lock_guard lock(m_mutex);
    m_nSlowFrom = nSample;
    m_slowDelay = delay;
}

HRESULT CMemorySink::CheckMediaType(const CMediaType* pmt)
{
    std::function<HRESULT(const CMediaType&)> accept;
    {
        std::lock_guard lock(m_mutex);
        accept = m_accept;
    }
    return accept ? accept(*pmt) : CSinkFilter::CheckMediaType(pmt);
}

HRESULT CMemorySink::OnStartStreaming()
{
    std::lock_guard lock(m_mutex);
    m_nSinceStart = 0;
    return S_OK;
}

HRESULT CMemorySink::OnReceive(IMediaSample* pSample)
{
    std::chrono::microseconds delay{0};
    {
        std::lock_guard lock(m_mutex);
        if (m_nSlowFrom >= 0 && m_nSinceStart >= m_nSlowFrom)
            delay = m_slowDelay;
    }
    if (delay.count() > 0)
        std::this_thread::sleep_for(delay);
    std::lock_guard lock(m_mutex);
    if (m_nFailFrom >= 0 && m_nSinceStart >= m_nFailFrom) {
        return m_hrFail;
    }
    ++m_nSinceStart;
    CReceivedSample info{};
    info.m_lLength = pSample->GetActualDataLength();
    info.m_bTimeValid = pSample->GetTime(&info.m_tStart, &info.m_tStop) == S_OK;
    info.m_bSyncPoint = pSample->IsSyncPoint() == S_OK;
    info.m_bDiscontinuity = pSample->IsDiscontinuity() == S_OK;
    info.m_bPreroll = pSample->IsPreroll() == S_OK;
    info.m_state = State();
    m_samples.push_back(info);
    BYTE* pData = nullptr;
    pSample->GetPointer(&pData);
    m_data.insert(m_data.end(), pData, pData + info.m_lLength);
    return S_OK;
}

HRESULT CMemorySink::OnEndOfStream()
{
    std::lock_guard lock(m_mutex);
    ++m_nEndOfStream;
    return S_OK;
}

std::vector<BYTE> CMemorySink::Data() const
{
    std::lock_guard lock(m_mutex);
    return m_data;
}

std::vector<std::int16_t> CMemorySink::DataAsInt16() const
{
    std::lock_guard lock(m_mutex);
    std::vector<std::int16_t> samples(m_data.size() / sizeof(std::int16_t));
    if (!samples.empty()) {
        std::memcpy(samples.data(), m_data.data(), samples.size() * sizeof(std::int16_t));
    }
    return samples;
}

std::vector<float> CMemorySink::DataAsFloat() const
{
    std::lock_guard lock(m_mutex);
    std::vector<float> samples(m_data.size() / sizeof(float));
    if (!samples.empty()) {
        std::memcpy(samples.data(), m_data.data(), samples.size() * sizeof(float));
    }
    return samples;
}

std::vector<CReceivedSample> CMemorySink::Samples() const
{
    std::lock_guard lock(m_mutex);
    return m_samples;
}

int CMemorySink::EndOfStreamCount() const
{
    std::lock_guard lock(m_mutex);
    return m_nEndOfStream;
}

void CMemorySink::Clear()
{
    std::lock_guard lock(m_mutex);
    m_data.clear();
    m_samples.clear();
    m_nEndOfStream = 0;
}

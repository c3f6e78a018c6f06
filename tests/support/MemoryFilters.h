#pragma once

// A source that plays given samples and a renderer that keeps what it
// receives, for streaming through filters without files.

#include "platform/media/PushSource.h"
#include "platform/media/SinkFilter.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

// {8F0E5C31-2B4D-4E6A-9C7B-3D1A0F6E2B51}
constexpr CLSID CLSID_MemorySource = {
    0x8F0E5C31, 0x2B4D, 0x4E6A, {0x9C, 0x7B, 0x3D, 0x1A, 0x0F, 0x6E, 0x2B, 0x51}};
// {8F0E5C32-2B4D-4E6A-9C7B-3D1A0F6E2B51}
constexpr CLSID CLSID_MemorySink = {
    0x8F0E5C32, 0x2B4D, 0x4E6A, {0x9C, 0x7B, 0x3D, 0x1A, 0x0F, 0x6E, 0x2B, 0x51}};

class CMemorySource : public CPushSource {
public:
    // The data is raw bytes in the given format, whole frames.
    CMemorySource(const WAVEFORMATEX& wfx, std::vector<BYTE> data);

    // Mono sources of 16-bit PCM or 32-bit float samples.
    static CMemorySource* CreatePcm16(DWORD nSamplesPerSec, const std::vector<std::int16_t>& samples);
    static CMemorySource* CreateFloat(DWORD nSamplesPerSec, const std::vector<float>& samples);

    // Frames per media sample, used in turn and repeated (1024 by default).
    // Set before streaming.
    void SetFramesPerSample(std::vector<LONG> pattern);

protected:
    HRESULT FillBuffer(BYTE* pData, LONG cbMax, LONG* pcbFilled) override;
    LONG NextSampleFrames() override;
    LONG MaxSampleFrames() const override;
    HRESULT Rewind() override;

private:
    std::vector<BYTE> m_data;
    std::size_t m_nPosition = 0;
    std::vector<LONG> m_pattern{1024};
    std::size_t m_nPatternIndex = 0;
};

// One received media sample as the sink saw it.
struct CReceivedSample {
    LONG m_lLength;
    bool m_bTimeValid;
    REFERENCE_TIME m_tStart;
    REFERENCE_TIME m_tStop;
    bool m_bSyncPoint;
    bool m_bDiscontinuity;
    bool m_bPreroll;
    FILTER_STATE m_state;
};

class CMemorySink : public CSinkFilter {
public:
    CMemorySink();

    // Replaces the type check (the default takes audio with a wave format).
    void SetAcceptFunction(std::function<HRESULT(const CMediaType&)> accept);
    // Answers the nth and every later sample (counted from 0 since the last
    // start) with hr instead of keeping it.
    void FailReceiveFrom(int nSample, HRESULT hr);
    // Takes at least `delay` over the nth and every later sample, so a test
    // acting on a running stream from another thread is not outrun by it
    // however the machine schedules that thread.
    void SlowDownFrom(int nSample, std::chrono::microseconds delay);

    std::vector<BYTE> Data() const;
    std::vector<std::int16_t> DataAsInt16() const;
    std::vector<float> DataAsFloat() const;
    std::vector<CReceivedSample> Samples() const;
    int EndOfStreamCount() const;
    // Forgets what was received.
    void Clear();

protected:
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT OnReceive(IMediaSample* pSample) override;
    HRESULT OnEndOfStream() override;
    HRESULT OnStartStreaming() override;

private:
    mutable std::mutex m_mutex;
    std::function<HRESULT(const CMediaType&)> m_accept;
    std::vector<BYTE> m_data;
    std::vector<CReceivedSample> m_samples;
    int m_nEndOfStream = 0;
    int m_nSinceStart = 0;
    int m_nFailFrom = -1;
    HRESULT m_hrFail = S_OK;
    int m_nSlowFrom = -1;
    std::chrono::microseconds m_slowDelay{0};
};

#pragma once

// The base of the audio sources: one output pin offering exactly one wave
// format, samples filled by the derived class and delivered on the caller's
// thread (IPushSource), with times computed from the frames delivered.

#include "platform/media/BaseFilter.h"

#include <atomic>

class CPushSource : public CBaseFilter, public IPushSource {
public:
    CPushSource(const char* pName, LPUNKNOWN pUnk, REFCLSID clsid);
    ~CPushSource() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override;

    // Pause from stopped starts the data again from the beginning. Stop
    // returns once no sample is being delivered.
    HRESULT Pause() override;
    HRESULT Stop() override;

    // The first sample after a start is a discontinuity; every sample is a
    // sync point; times are frames / rate in 100 ns units and media times
    // are frame numbers.
    HRESULT DeliverNext() override;

    // The offered format; set before connecting.
    void SetWaveFormat(const WAVEFORMATEX& wfx);
    const WAVEFORMATEX& WaveFormat() const { return m_wfx; }
    // Without times the samples carry no start and stop times.
    void SetTimestamps(bool bOn) { m_bTimestamps.store(bOn, std::memory_order_relaxed); }
    // The buffer size the source asks of the allocator; 0 (the default)
    // asks for the largest sample, and at least 8192 bytes, since filters
    // downstream may refuse tiny buffers.
    void SetBufferBytes(LONG cb) { m_cbBufferRequest = cb; }
    LONGLONG FramesDelivered() const { return m_llFrames.load(std::memory_order_relaxed); }
    int SamplesDelivered() const { return m_nSamples.load(std::memory_order_relaxed); }

protected:
    // Writes whole frames of the next data, at most cbMax bytes, and reports
    // how many bytes it wrote; 0 means the data has ended.
    virtual HRESULT FillBuffer(BYTE* pData, LONG cbMax, LONG* pcbFilled) = 0;
    // The frames the next sample should hold at most.
    virtual LONG NextSampleFrames() = 0;
    // The most frames any sample will hold, for the buffer size.
    virtual LONG MaxSampleFrames() const = 0;
    // Back to the start of the data.
    virtual HRESULT Rewind() = 0;

    CCritSec m_csFilter;

private:
    class COutputPin;
    friend class COutputPin;

    // Held while a sample is filled and delivered.
    CCritSec m_csStream;
    COutputPin* m_pPin = nullptr;
    WAVEFORMATEX m_wfx{};
    LONG m_cbBufferRequest = 0;
    std::atomic<bool> m_bTimestamps{true};
    std::atomic<bool> m_bEndDelivered{false};
    bool m_bFirst = true;
    std::atomic<LONGLONG> m_llFrames{0};
    std::atomic<int> m_nSamples{0};
};

#pragma once

// The base of the audio renderers: one input pin, samples handed to the
// derived class, EC_COMPLETE to the graph when the end of the stream has
// been handled (EC_ERRORABORT when handling it failed).

#include "platform/media/BaseFilter.h"

#include <atomic>

class CSinkFilter : public CBaseFilter {
public:
    CSinkFilter(const char* pName, LPUNKNOWN pUnk, REFCLSID clsid);
    ~CSinkFilter() override;

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override;

    // Pause from stopped calls OnStartStreaming first; Stop calls
    // OnStopStreaming once no sample is being received.
    HRESULT Pause() override;
    HRESULT Stop() override;

    // The largest buffer the pin's allocator grants, 0 for no limit; set
    // before connecting.
    void SetMaxBufferBytes(LONG cb) { m_cbMaxBuffer = cb; }
    bool EndOfStreamReceived() const { return m_bEndOfStream.load(std::memory_order_relaxed); }
    // The type of the input connection.
    CMediaType ConnectionType();

protected:
    // S_OK accepts. The default takes audio with a wave format block of at
    // least 16 bytes.
    virtual HRESULT CheckMediaType(const CMediaType* pmt);
    virtual HRESULT OnStartStreaming() { return S_OK; }
    virtual HRESULT OnReceive(IMediaSample* pSample) = 0;
    virtual HRESULT OnEndOfStream() { return S_OK; }
    virtual void OnStopStreaming() {}
    // What the pin asks of the upstream allocator; E_NOTIMPL for nothing.
    virtual HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* /*pProps*/) { return E_NOTIMPL; }

    CCritSec m_csFilter;
    CCritSec m_csReceive;

private:
    class CInputPin;
    friend class CInputPin;

    CInputPin* m_pPin = nullptr;
    LONG m_cbMaxBuffer = 0;
    std::atomic<bool> m_bEndOfStream{false};
};

#include "platform/media/SinkFilter.h"

#include <new>

class CSinkFilter::CInputPin final : public CBaseInputPin {
public:
    CInputPin(CSinkFilter* pSink, HRESULT* phr)
        : CBaseInputPin("Sink input pin", pSink, &pSink->m_csFilter, phr, "Input"), m_pSink(pSink)
    {
    }

    HRESULT CheckMediaType(const CMediaType* pmt) override { return m_pSink->CheckMediaType(pmt); }

    HRESULT GetAllocator(IMemAllocator** ppAllocator) override
    {
        if (ppAllocator == nullptr) {
            return E_POINTER;
        }
        CAutoLock lock(m_pLock);
        if (m_pAllocator == nullptr) {
            auto* pAllocator = new (std::nothrow) CMemAllocator("Sink allocator", nullptr);
            if (pAllocator == nullptr) {
                *ppAllocator = nullptr;
                return E_OUTOFMEMORY;
            }
            pAllocator->SetMaxBufferSize(m_pSink->m_cbMaxBuffer);
            m_pAllocator = pAllocator;
            m_pAllocator->AddRef();
        }
        return GetInterface(m_pAllocator, reinterpret_cast<void**>(ppAllocator));
    }

    HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* pProps) override
    {
        return m_pSink->GetAllocatorRequirements(pProps);
    }

    HRESULT Receive(IMediaSample* pSample) override
    {
        CAutoLock lock(&m_pSink->m_csReceive);
        const HRESULT hr = CBaseInputPin::Receive(pSample);
        if (hr != S_OK) {
            return hr;
        }
        return m_pSink->OnReceive(pSample);
    }

    HRESULT EndOfStream() override
    {
        CAutoLock lock(&m_pSink->m_csReceive);
        const HRESULT hrState = CheckStreaming();
        if (hrState != S_OK) {
            return hrState;
        }
        const HRESULT hr = m_pSink->OnEndOfStream();
        m_pSink->m_bEndOfStream.store(true, std::memory_order_relaxed);
        if (SUCCEEDED(hr)) {
            m_pSink->NotifyEvent(EC_COMPLETE, S_OK, 0);
        } else {
            m_pSink->NotifyEvent(EC_ERRORABORT, hr, 0);
        }
        return hr;
    }

private:
    CSinkFilter* m_pSink;
};

CSinkFilter::CSinkFilter(const char* pName, LPUNKNOWN pUnk, REFCLSID clsid)
    : CBaseFilter(pName, pUnk, &m_csFilter, clsid)
{
}

CSinkFilter::~CSinkFilter()
{
    delete m_pPin;
}

CBasePin* CSinkFilter::GetPin(int n)
{
    if (m_pPin == nullptr) {
        HRESULT hr = S_OK;
        m_pPin = new (std::nothrow) CInputPin(this, &hr);
        if (m_pPin != nullptr && FAILED(hr)) {
            delete m_pPin;
            m_pPin = nullptr;
        }
    }
    return n == 0 ? m_pPin : nullptr;
}

CMediaType CSinkFilter::ConnectionType()
{
    CAutoLock lock(&m_csFilter);
    GetPin(0);
    return m_pPin != nullptr ? m_pPin->CurrentMediaType() : CMediaType();
}

HRESULT CSinkFilter::CheckMediaType(const CMediaType* pmt)
{
    WAVEFORMATEX wfx{};
    if (*pmt->Type() != MEDIATYPE_Audio || *pmt->FormatType() != FORMAT_WaveFormatEx || !GetWaveFormat(*pmt, &wfx)) {
        return S_FALSE;
    }
    return S_OK;
}

HRESULT CSinkFilter::Pause()
{
    CAutoLock lock(&m_csFilter);
    if (IsStopped()) {
        CAutoLock receive(&m_csReceive);
        const HRESULT hr = OnStartStreaming();
        if (FAILED(hr)) {
            return hr;
        }
        m_bEndOfStream.store(false, std::memory_order_relaxed);
    }
    return CBaseFilter::Pause();
}

HRESULT CSinkFilter::Stop()
{
    CAutoLock lock(&m_csFilter);
    if (IsStopped()) {
        return S_OK;
    }
    const HRESULT hr = CBaseFilter::Stop();
    CAutoLock receive(&m_csReceive);
    OnStopStreaming();
    return hr;
}

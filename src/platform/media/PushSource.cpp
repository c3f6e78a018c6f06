#include "platform/media/PushSource.h"

#include <new>

class CPushSource::COutputPin final : public CBaseOutputPin {
public:
    COutputPin(CPushSource* pSource, HRESULT* phr)
        : CBaseOutputPin("Source output pin", pSource, &pSource->m_csFilter, phr, "Output"), m_pSource(pSource)
    {
    }

    HRESULT CheckMediaType(const CMediaType* pmt) override
    {
        CMediaType mine;
        if (FAILED(GetMediaType(0, &mine))) {
            return E_OUTOFMEMORY;
        }
        return *pmt == mine ? S_OK : S_FALSE;
    }

    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override
    {
        if (iPosition < 0) {
            return E_INVALIDARG;
        }
        if (iPosition > 0) {
            return VFW_S_NO_MORE_ITEMS;
        }
        pMediaType->InitMediaType();
        return CreateAudioMediaType(&m_pSource->m_wfx, pMediaType, TRUE);
    }

    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProps) override
    {
        const LONG cbFrame = m_pSource->m_wfx.nBlockAlign > 0 ? m_pSource->m_wfx.nBlockAlign : 1;
        LONG cbWanted = m_pSource->m_cbBufferRequest;
        if (cbWanted <= 0) {
            cbWanted = m_pSource->MaxSampleFrames() * cbFrame;
            cbWanted = cbWanted < 8192 ? 8192 : cbWanted;
        }
        ALLOCATOR_PROPERTIES request = *pProps;
        request.cBuffers = request.cBuffers < 2 ? 2 : request.cBuffers;
        request.cbBuffer = request.cbBuffer < cbWanted ? cbWanted : request.cbBuffer;
        request.cbAlign = request.cbAlign < 1 ? 1 : request.cbAlign;
        ALLOCATOR_PROPERTIES actual{};
        const HRESULT hr = pAlloc->SetProperties(&request, &actual);
        if (FAILED(hr)) {
            return hr;
        }
        // A buffer must hold at least one frame for the source to make progress.
        return actual.cbBuffer >= cbFrame && actual.cBuffers >= 1 ? S_OK : E_FAIL;
    }

private:
    CPushSource* m_pSource;
};

CPushSource::CPushSource(const char* pName, LPUNKNOWN pUnk, REFCLSID clsid)
    : CBaseFilter(pName, pUnk, &m_csFilter, clsid)
{
}

CPushSource::~CPushSource()
{
    delete m_pPin;
}

HRESULT CPushSource::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IPushSource) {
        return GetInterface(static_cast<IPushSource*>(this), ppv);
    }
    return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
}

CBasePin* CPushSource::GetPin(int n)
{
    if (m_pPin == nullptr) {
        HRESULT hr = S_OK;
        m_pPin = new (std::nothrow) COutputPin(this, &hr);
        if (m_pPin != nullptr && FAILED(hr)) {
            delete m_pPin;
            m_pPin = nullptr;
        }
    }
    return n == 0 ? m_pPin : nullptr;
}

void CPushSource::SetWaveFormat(const WAVEFORMATEX& wfx)
{
    CAutoLock lock(&m_csFilter);
    m_wfx = wfx;
}

HRESULT CPushSource::Pause()
{
    CAutoLock lock(&m_csFilter);
    if (IsStopped()) {
        CAutoLock stream(&m_csStream);
        const HRESULT hr = Rewind();
        if (FAILED(hr)) {
            return hr;
        }
        m_bEndDelivered.store(false, std::memory_order_relaxed);
        m_bFirst = true;
        m_llFrames.store(0, std::memory_order_relaxed);
        m_nSamples.store(0, std::memory_order_relaxed);
    }
    return CBaseFilter::Pause();
}

HRESULT CPushSource::Stop()
{
    CAutoLock lock(&m_csFilter);
    // Decommitting first makes a delivery that waits for a buffer return.
    const HRESULT hr = CBaseFilter::Stop();
    CAutoLock stream(&m_csStream);
    return hr;
}

HRESULT CPushSource::DeliverNext()
{
    CAutoLock stream(&m_csStream);
    if (IsStopped()) {
        return VFW_E_WRONG_STATE;
    }
    if (m_bEndDelivered.load(std::memory_order_relaxed)) {
        return S_FALSE;
    }
    if (m_pPin == nullptr || !m_pPin->IsConnected()) {
        return VFW_E_NOT_CONNECTED;
    }
    const LONG cbFrame = m_wfx.nBlockAlign > 0 ? m_wfx.nBlockAlign : 1;

    IMediaSample* pSample = nullptr;
    HRESULT hr = m_pPin->GetDeliveryBuffer(&pSample, nullptr, nullptr, 0);
    if (FAILED(hr)) {
        return hr;
    }
    BYTE* pData = nullptr;
    pSample->GetPointer(&pData);
    LONG cbMax = NextSampleFrames() * cbFrame;
    const LONG cbRoom = pSample->GetSize() / cbFrame * cbFrame;
    cbMax = cbMax < cbRoom ? cbMax : cbRoom;
    LONG cbFilled = 0;
    hr = FillBuffer(pData, cbMax, &cbFilled);
    if (FAILED(hr)) {
        pSample->Release();
        NotifyEvent(EC_ERRORABORT, hr, 0);
        return hr;
    }
    if (cbFilled <= 0) {
        pSample->Release();
        m_bEndDelivered.store(true, std::memory_order_relaxed);
        m_pPin->DeliverEndOfStream();
        return S_FALSE;
    }

    const LONGLONG llFirst = m_llFrames.load(std::memory_order_relaxed);
    LONGLONG llNext = llFirst + cbFilled / cbFrame;
    pSample->SetActualDataLength(cbFilled);
    if (m_bTimestamps.load(std::memory_order_relaxed) && m_wfx.nSamplesPerSec > 0) {
        REFERENCE_TIME tStart = llFirst * UNITS / m_wfx.nSamplesPerSec;
        REFERENCE_TIME tStop = llNext * UNITS / m_wfx.nSamplesPerSec;
        pSample->SetTime(&tStart, &tStop);
        LONGLONG llMediaStart = llFirst;
        pSample->SetMediaTime(&llMediaStart, &llNext);
    }
    pSample->SetSyncPoint(TRUE);
    pSample->SetDiscontinuity(m_bFirst ? TRUE : FALSE);
    m_bFirst = false;

    hr = m_pPin->Deliver(pSample);
    pSample->Release();
    m_llFrames.store(llNext, std::memory_order_relaxed);
    m_nSamples.fetch_add(1, std::memory_order_relaxed);
    if (FAILED(hr)) {
        // These two only mean that the graph is stopping under us.
        if (hr != VFW_E_WRONG_STATE && hr != VFW_E_NOT_COMMITTED) {
            NotifyEvent(EC_ERRORABORT, hr, 0);
        }
        return hr;
    }
    if (hr == S_FALSE) {
        // Downstream wants nothing more from this stream.
        m_bEndDelivered.store(true, std::memory_order_relaxed);
        return S_FALSE;
    }
    return S_OK;
}

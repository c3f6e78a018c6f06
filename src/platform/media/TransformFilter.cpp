#include "platform/media/TransformFilter.h"

#include <new>

CTransformFilter::CTransformFilter(const char* pName, LPUNKNOWN pUnk, REFCLSID clsid)
    : CBaseFilter(pName, pUnk, &m_csFilter, clsid)
{
}

CTransformFilter::~CTransformFilter()
{
    delete m_pInput;
    delete m_pOutput;
}

int CTransformFilter::GetPinCount()
{
    return 2;
}

CBasePin* CTransformFilter::GetPin(int n)
{
    if (m_pInput == nullptr) {
        HRESULT hr = S_OK;
        m_pInput = new (std::nothrow) CTransformInputPin("Transform input pin", this, &hr, "Input");
        if (m_pInput == nullptr) {
            return nullptr;
        }
        if (FAILED(hr)) {
            delete m_pInput;
            m_pInput = nullptr;
            return nullptr;
        }
        m_pOutput = new (std::nothrow) CTransformOutputPin("Transform output pin", this, &hr, "Output");
        if (m_pOutput == nullptr || FAILED(hr)) {
            delete m_pOutput;
            m_pOutput = nullptr;
            delete m_pInput;
            m_pInput = nullptr;
            return nullptr;
        }
    }
    if (n == 0) {
        return m_pInput;
    }
    if (n == 1) {
        return m_pOutput;
    }
    return nullptr;
}

HRESULT CTransformFilter::Stop()
{
    CAutoLock lockFilter(&m_csFilter);
    if (IsStopped()) {
        return S_OK;
    }
    // Without both connections nothing was streaming.
    if (m_pInput == nullptr || !m_pInput->IsConnected() || m_pOutput == nullptr || !m_pOutput->IsConnected()) {
        SetState(State_Stopped);
        m_bEOSDelivered.store(false, std::memory_order_relaxed);
        return S_OK;
    }
    // Releasing the upstream allocator first makes a streaming thread that
    // waits for a buffer give up rather than hold the receive lock forever.
    m_pInput->Inactive();
    CAutoLock lockReceive(&m_csReceive);
    m_pOutput->Inactive();
    const HRESULT hr = StopStreaming();
    if (SUCCEEDED(hr)) {
        SetState(State_Stopped);
        m_bEOSDelivered.store(false, std::memory_order_relaxed);
    }
    return hr;
}

HRESULT CTransformFilter::Pause()
{
    CAutoLock lockFilter(&m_csFilter);
    HRESULT hr = S_OK;
    if (State() == State_Paused) {
        // Already there.
    } else if (m_pInput == nullptr || !m_pInput->IsConnected()) {
        // No data can ever arrive, so downstream learns at once that the
        // stream is empty.
        if (m_pOutput != nullptr && m_pOutput->IsConnected() &&
            !m_bEOSDelivered.exchange(true, std::memory_order_relaxed)) {
            m_pOutput->DeliverEndOfStream();
        }
        SetState(State_Paused);
    } else if (m_pOutput == nullptr || !m_pOutput->IsConnected()) {
        SetState(State_Paused);
    } else {
        if (IsStopped()) {
            CAutoLock lockReceive(&m_csReceive);
            hr = StartStreaming();
        }
        if (SUCCEEDED(hr)) {
            hr = CBaseFilter::Pause();
        }
    }
    m_bSampleSkipped.store(false, std::memory_order_relaxed);
    return hr;
}

HRESULT CTransformFilter::Transform(IMediaSample* /*pIn*/, IMediaSample* /*pOut*/)
{
    return E_UNEXPECTED;
}

HRESULT CTransformFilter::StartStreaming()
{
    return S_OK;
}

HRESULT CTransformFilter::StopStreaming()
{
    return S_OK;
}

HRESULT CTransformFilter::SetMediaType(PIN_DIRECTION /*direction*/, const CMediaType* /*pmt*/)
{
    return S_OK;
}

HRESULT CTransformFilter::CheckConnect(PIN_DIRECTION /*dir*/, IPin* /*pPin*/)
{
    return S_OK;
}

HRESULT CTransformFilter::BreakConnect(PIN_DIRECTION /*dir*/)
{
    return S_OK;
}

HRESULT CTransformFilter::CompleteConnect(PIN_DIRECTION /*direction*/, IPin* /*pReceivePin*/)
{
    return S_OK;
}

HRESULT CTransformFilter::InitializeOutputSample(IMediaSample* pSample, IMediaSample** ppOutSample)
{
    REFERENCE_TIME tStart = 0;
    REFERENCE_TIME tStop = 0;
    const HRESULT hrTime = pSample->GetTime(&tStart, &tStop);
    const bool bTimes = hrTime == S_OK || hrTime == VFW_S_NO_STOP_TIME;
    const bool bSkipped = m_bSampleSkipped.load(std::memory_order_relaxed);

    DWORD dwFlags = 0;
    if (bSkipped) {
        dwFlags |= AM_GBF_PREVFRAMESKIPPED;
    }
    if (pSample->IsSyncPoint() != S_OK) {
        dwFlags |= AM_GBF_NOTASYNCPOINT;
    }
    IMediaSample* pOut = nullptr;
    const HRESULT hr = m_pOutput->GetDeliveryBuffer(&pOut, bTimes ? &tStart : nullptr,
                                                    (bTimes && hrTime == S_OK) ? &tStop : nullptr, dwFlags);
    if (FAILED(hr)) {
        *ppOutSample = nullptr;
        return hr;
    }
    if (bTimes) {
        pOut->SetTime(&tStart, hrTime == S_OK ? &tStop : nullptr);
    } else {
        pOut->SetTime(nullptr, nullptr);
    }
    pOut->SetSyncPoint(pSample->IsSyncPoint() == S_OK);
    pOut->SetDiscontinuity(pSample->IsDiscontinuity() == S_OK || bSkipped);
    pOut->SetPreroll(pSample->IsPreroll() == S_OK);
    LONGLONG llMediaStart = 0;
    LONGLONG llMediaStop = 0;
    if (pSample->GetMediaTime(&llMediaStart, &llMediaStop) == S_OK) {
        pOut->SetMediaTime(&llMediaStart, &llMediaStop);
    } else {
        pOut->SetMediaTime(nullptr, nullptr);
    }
    *ppOutSample = pOut;
    return S_OK;
}

HRESULT CTransformFilter::Receive(IMediaSample* pSample)
{
    IMediaSample* pOut = nullptr;
    HRESULT hr = InitializeOutputSample(pSample, &pOut);
    if (FAILED(hr)) {
        return hr;
    }
    hr = Transform(pSample, pOut);
    if (hr == S_OK) {
        hr = m_pOutput->Deliver(pOut);
        m_bSampleSkipped.store(false, std::memory_order_relaxed);
    } else if (hr == S_FALSE) {
        // A dropped sample is not an error upstream needs to hear about.
        m_bSampleSkipped.store(true, std::memory_order_relaxed);
        hr = S_OK;
    }
    pOut->Release();
    return hr;
}

HRESULT CTransformFilter::EndOfStream()
{
    return m_pOutput != nullptr ? m_pOutput->DeliverEndOfStream() : S_OK;
}

HRESULT CTransformFilter::BeginFlush()
{
    return m_pOutput != nullptr ? m_pOutput->DeliverBeginFlush() : S_OK;
}

HRESULT CTransformFilter::EndFlush()
{
    return m_pOutput != nullptr ? m_pOutput->DeliverEndFlush() : S_OK;
}

HRESULT CTransformFilter::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    return m_pOutput != nullptr ? m_pOutput->DeliverNewSegment(tStart, tStop, dRate) : S_OK;
}

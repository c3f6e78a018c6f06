#include "platform/media/TransformFilter.h"

#include <cstring>

namespace {

HRESULT CopyId(const char* pId, char** Id)
{
    if (Id == nullptr) {
        return E_POINTER;
    }
    const std::size_t cb = std::strlen(pId) + 1;
    *Id = static_cast<char*>(CoTaskMemAlloc(cb));
    if (*Id == nullptr) {
        return E_OUTOFMEMORY;
    }
    std::memcpy(*Id, pId, cb);
    return S_OK;
}

} // namespace

CTransformInputPin::CTransformInputPin(const char* pObjectName, CTransformFilter* pTransformFilter, HRESULT* phr,
                                       const char* pName)
    : CBaseInputPin(pObjectName, pTransformFilter, &pTransformFilter->m_csFilter, phr, pName),
      m_pTransformFilter(pTransformFilter)
{
}

CTransformInputPin::~CTransformInputPin() = default;

HRESULT CTransformInputPin::QueryId(char** Id)
{
    return CopyId("In", Id);
}

HRESULT CTransformInputPin::CheckConnect(IPin* pPin)
{
    const HRESULT hr = m_pTransformFilter->CheckConnect(PINDIR_INPUT, pPin);
    if (FAILED(hr)) {
        return hr;
    }
    return CBaseInputPin::CheckConnect(pPin);
}

HRESULT CTransformInputPin::BreakConnect()
{
    m_pTransformFilter->BreakConnect(PINDIR_INPUT);
    return CBaseInputPin::BreakConnect();
}

HRESULT CTransformInputPin::CompleteConnect(IPin* pReceivePin)
{
    const HRESULT hr = m_pTransformFilter->CompleteConnect(PINDIR_INPUT, pReceivePin);
    if (FAILED(hr)) {
        return hr;
    }
    return CBaseInputPin::CompleteConnect(pReceivePin);
}

HRESULT CTransformInputPin::CheckMediaType(const CMediaType* pmt)
{
    HRESULT hr = m_pTransformFilter->CheckInputType(pmt);
    if (hr != S_OK) {
        return hr;
    }
    CTransformOutputPin* pOutput = m_pTransformFilter->m_pOutput;
    if (pOutput != nullptr && pOutput->IsConnected()) {
        hr = m_pTransformFilter->CheckTransform(pmt, &pOutput->CurrentMediaType());
    }
    return hr;
}

HRESULT CTransformInputPin::SetMediaType(const CMediaType* pmt)
{
    const HRESULT hr = CBaseInputPin::SetMediaType(pmt);
    if (FAILED(hr)) {
        return hr;
    }
    return m_pTransformFilter->SetMediaType(PINDIR_INPUT, pmt);
}

HRESULT CTransformInputPin::Receive(IMediaSample* pSample)
{
    CAutoLock lock(&m_pTransformFilter->m_csReceive);
    const HRESULT hr = CBaseInputPin::Receive(pSample);
    if (hr != S_OK) {
        return hr;
    }
    return m_pTransformFilter->Receive(pSample);
}

HRESULT CTransformInputPin::EndOfStream()
{
    CAutoLock lock(&m_pTransformFilter->m_csReceive);
    const HRESULT hr = CheckStreaming();
    if (hr != S_OK) {
        return hr;
    }
    return m_pTransformFilter->EndOfStream();
}

HRESULT CTransformInputPin::BeginFlush()
{
    CAutoLock lock(&m_pTransformFilter->m_csFilter);
    if (!IsConnected() || m_pTransformFilter->m_pOutput == nullptr ||
        !m_pTransformFilter->m_pOutput->IsConnected()) {
        return VFW_E_NOT_CONNECTED;
    }
    const HRESULT hr = CBaseInputPin::BeginFlush();
    if (FAILED(hr)) {
        return hr;
    }
    return m_pTransformFilter->BeginFlush();
}

HRESULT CTransformInputPin::EndFlush()
{
    CAutoLock lock(&m_pTransformFilter->m_csFilter);
    if (!IsConnected() || m_pTransformFilter->m_pOutput == nullptr ||
        !m_pTransformFilter->m_pOutput->IsConnected()) {
        return VFW_E_NOT_CONNECTED;
    }
    const HRESULT hr = m_pTransformFilter->EndFlush();
    if (FAILED(hr)) {
        return hr;
    }
    return CBaseInputPin::EndFlush();
}

HRESULT CTransformInputPin::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    CBaseInputPin::NewSegment(tStart, tStop, dRate);
    return m_pTransformFilter->NewSegment(tStart, tStop, dRate);
}

// ---------------------------------------------------------------------------

CTransformOutputPin::CTransformOutputPin(const char* pObjectName, CTransformFilter* pTransformFilter, HRESULT* phr,
                                         const char* pName)
    : CBaseOutputPin(pObjectName, pTransformFilter, &pTransformFilter->m_csFilter, phr, pName),
      m_pTransformFilter(pTransformFilter)
{
}

CTransformOutputPin::~CTransformOutputPin() = default;

HRESULT CTransformOutputPin::QueryId(char** Id)
{
    return CopyId("Out", Id);
}

HRESULT CTransformOutputPin::CheckConnect(IPin* pPin)
{
    CTransformInputPin* pInput = m_pTransformFilter->m_pInput;
    if (pInput == nullptr || !pInput->IsConnected()) {
        return E_UNEXPECTED;
    }
    const HRESULT hr = m_pTransformFilter->CheckConnect(PINDIR_OUTPUT, pPin);
    if (FAILED(hr)) {
        return hr;
    }
    return CBaseOutputPin::CheckConnect(pPin);
}

HRESULT CTransformOutputPin::BreakConnect()
{
    m_pTransformFilter->BreakConnect(PINDIR_OUTPUT);
    return CBaseOutputPin::BreakConnect();
}

HRESULT CTransformOutputPin::CompleteConnect(IPin* pReceivePin)
{
    // The filter hears of the connection before the allocator is agreed.
    const HRESULT hr = m_pTransformFilter->CompleteConnect(PINDIR_OUTPUT, pReceivePin);
    if (FAILED(hr)) {
        return hr;
    }
    return CBaseOutputPin::CompleteConnect(pReceivePin);
}

HRESULT CTransformOutputPin::DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProps)
{
    return m_pTransformFilter->DecideBufferSize(pAlloc, pProps);
}

HRESULT CTransformOutputPin::CheckMediaType(const CMediaType* pmt)
{
    CTransformInputPin* pInput = m_pTransformFilter->m_pInput;
    if (pInput == nullptr || !pInput->IsConnected()) {
        return E_INVALIDARG;
    }
    return m_pTransformFilter->CheckTransform(&pInput->CurrentMediaType(), pmt);
}

HRESULT CTransformOutputPin::SetMediaType(const CMediaType* pmt)
{
    const HRESULT hr = CBaseOutputPin::SetMediaType(pmt);
    if (FAILED(hr)) {
        return hr;
    }
    return m_pTransformFilter->SetMediaType(PINDIR_OUTPUT, pmt);
}

HRESULT CTransformOutputPin::GetMediaType(int iPosition, CMediaType* pMediaType)
{
    CTransformInputPin* pInput = m_pTransformFilter->m_pInput;
    if (pInput == nullptr || !pInput->IsConnected()) {
        return VFW_S_NO_MORE_ITEMS;
    }
    return m_pTransformFilter->GetMediaType(iPosition, pMediaType);
}

// The filter's life cycle, its identity and its conversion buffers. The
// format negotiation, the block path and the state changes have files of
// their own.

#include "host/ActvPlug.h"

#include "host/Registration.h"

#include <cstring>
#include <new>

CUnknown* CIntonaraPlugIn::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr)
{
    CIntonaraPlugIn* pFilter = nullptr;
    try {
        pFilter = new CIntonaraPlugIn(pUnk, phr);
    } catch (...) {
        pFilter = nullptr;
    }
    if (pFilter == nullptr && phr != nullptr) {
        *phr = E_OUTOFMEMORY;
    }
    return pFilter;
}

CIntonaraPlugIn::CIntonaraPlugIn(LPUNKNOWN pUnk, HRESULT* /*phr*/)
    : CTransformFilter(nullptr, pUnk, CLSID_IntonaraPlugIn)
{
    // The processor starts from what a host would pick from the preset list.
    ApplyPreset(0);
    m_cbBuffers = 0;
    m_pInBuffer = nullptr;
    m_pOutBuffer = nullptr;
    m_Paused.store(FALSE, std::memory_order_relaxed);
    m_nPrerollFrames.store(0, std::memory_order_relaxed);
    ResizeBuffers(kInitialConversionBytes);
    if (m_pInBuffer != nullptr) {
        std::memset(m_pInBuffer, 0, m_cbBuffers);
    }
    if (m_pOutBuffer != nullptr) {
        std::memset(m_pOutBuffer, 0, m_cbBuffers);
    }
}

CIntonaraPlugIn::~CIntonaraPlugIn()
{
    FreeBuffers();
}

HRESULT CIntonaraPlugIn::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr) {
        return E_POINTER;
    }
    if (riid == IID_IIntonaraControl) {
        return GetInterface(static_cast<IIntonaraControl*>(this), ppv);
    }
    if (riid == IID_ISpecifyPropertyPages) {
        return GetInterface(static_cast<ISpecifyPropertyPages*>(this), ppv);
    }
    if (riid == IID_IPersistStream) {
        return GetInterface(static_cast<IPersistStream*>(this), ppv);
    }
    if (riid == IID_IHostPresets) {
        return GetInterface(static_cast<IHostPresets*>(this), ppv);
    }
    return CTransformFilter::NonDelegatingQueryInterface(riid, ppv);
}

CBasePin* CIntonaraPlugIn::GetPin(int n)
{
    HRESULT hr = S_OK;
    if (m_pInput == nullptr) {
        m_pInput = new (std::nothrow) CIntonaraInputPin(this, &hr, "Input");
        if (m_pInput != nullptr && FAILED(hr)) {
            delete m_pInput;
            m_pInput = nullptr;
        }
    }
    if (m_pOutput == nullptr) {
        hr = S_OK;
        m_pOutput = new (std::nothrow) CTransformOutputPin("Intonara output pin", this, &hr, "Output");
        if (m_pOutput != nullptr && FAILED(hr)) {
            delete m_pOutput;
            m_pOutput = nullptr;
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

const AMOVIESETUP_FILTER* CIntonaraPlugIn::GetSetupData()
{
    return &IntonaraFilterSetup();
}

HRESULT CIntonaraPlugIn::GetClassID(CLSID* pClsID)
{
    if (pClsID == nullptr) {
        return E_POINTER;
    }
    *pClsID = CLSID_IntonaraPlugIn;
    return S_OK;
}

HRESULT CIntonaraPlugIn::Transform(IMediaSample* /*pIn*/, IMediaSample* /*pOut*/)
{
    return E_INVALIDARG;
}

HRESULT CIntonaraPlugIn::StartStreaming()
{
    if (m_pInBuffer != nullptr) {
        std::memset(m_pInBuffer, 0, m_cbBuffers);
    }
    if (m_pOutBuffer != nullptr) {
        std::memset(m_pOutBuffer, 0, m_cbBuffers);
    }
    StartControl(&m_InFormat, &m_OutFormat);
    return S_OK;
}

HRESULT CIntonaraPlugIn::StopStreaming()
{
    return S_OK;
}

BOOL CIntonaraPlugIn::ResizeBuffers(DWORD cbBytes)
{
    if (cbBytes == m_cbBuffers) {
        return TRUE;
    }
    FreeBuffers();
    m_cbBuffers = cbBytes;
    m_pInBuffer = static_cast<float*>(HeapAlloc(GetProcessHeap(), 0, cbBytes));
    m_pOutBuffer = static_cast<float*>(HeapAlloc(GetProcessHeap(), 0, cbBytes));
    return m_pInBuffer != nullptr && m_pOutBuffer != nullptr;
}

void CIntonaraPlugIn::FreeBuffers()
{
    if (m_pInBuffer != nullptr) {
        HeapFree(GetProcessHeap(), 0, m_pInBuffer);
        m_pInBuffer = nullptr;
    }
    if (m_pOutBuffer != nullptr) {
        HeapFree(GetProcessHeap(), 0, m_pOutBuffer);
        m_pOutBuffer = nullptr;
    }
}

BOOL CIntonaraPlugIn::ValidateSettings()
{
    return TRUE;
}

bool CIntonaraPlugIn::InGraphicalMode() const
{
    return m_DspObject != nullptr && m_DspObject->ActiveMode() == 1;
}

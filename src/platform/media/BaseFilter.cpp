#include "platform/media/BaseFilter.h"

#include <cstring>
#include <new>

namespace {

class CEnumPins final : public CUnknown, public IEnumPins {
public:
    CEnumPins(CBaseFilter* pFilter, int nPosition) : CUnknown("Pin enumerator", nullptr), m_pFilter(pFilter)
    {
        m_pFilter->AddRef();
        m_nPosition = nPosition;
    }
    ~CEnumPins() override { m_pFilter->Release(); }

    DECLARE_IUNKNOWN

    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IEnumPins) {
            return GetInterface(static_cast<IEnumPins*>(this), ppv);
        }
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }

    HRESULT Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) override
    {
        if (ppPins == nullptr || (cPins > 1 && pcFetched == nullptr)) {
            return E_POINTER;
        }
        ULONG fetched = 0;
        while (fetched < cPins && m_nPosition < m_pFilter->GetPinCount()) {
            CBasePin* pPin = m_pFilter->GetPin(m_nPosition++);
            if (pPin == nullptr) {
                continue;
            }
            pPin->AddRef();
            ppPins[fetched++] = pPin;
        }
        if (pcFetched != nullptr) {
            *pcFetched = fetched;
        }
        return fetched == cPins ? S_OK : S_FALSE;
    }

    HRESULT Skip(ULONG cPins) override
    {
        m_nPosition += static_cast<int>(cPins);
        return m_nPosition <= m_pFilter->GetPinCount() ? S_OK : S_FALSE;
    }

    HRESULT Reset() override
    {
        m_nPosition = 0;
        return S_OK;
    }

    HRESULT Clone(IEnumPins** ppEnum) override
    {
        if (ppEnum == nullptr) {
            return E_POINTER;
        }
        auto* pClone = new (std::nothrow) CEnumPins(m_pFilter, m_nPosition);
        if (pClone == nullptr) {
            *ppEnum = nullptr;
            return E_OUTOFMEMORY;
        }
        return GetInterface(static_cast<IEnumPins*>(pClone), reinterpret_cast<void**>(ppEnum));
    }

private:
    CBaseFilter* m_pFilter;
    int m_nPosition = 0;
};

// Keeps COM initialised for the calling thread while registration runs.
class CComScope {
public:
    CComScope() { CoInitialize(nullptr); }
    ~CComScope()
    {
        CoFreeUnusedLibraries();
        CoUninitialize();
    }
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;
};

} // namespace

CBaseFilter::CBaseFilter(const char* pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid, HRESULT* phr)
    : CUnknown(pName, pUnk, phr), m_pLock(pLock), m_clsid(clsid)
{
}

CBaseFilter::~CBaseFilter() = default;

HRESULT CBaseFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IBaseFilter) {
        return GetInterface(static_cast<IBaseFilter*>(this), ppv);
    }
    if (riid == IID_IMediaFilter) {
        return GetInterface(static_cast<IMediaFilter*>(this), ppv);
    }
    if (riid == IID_IPersist) {
        return GetInterface(static_cast<IPersist*>(this), ppv);
    }
    if (riid == IID_IAMovieSetup) {
        return GetInterface(static_cast<IAMovieSetup*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CBaseFilter::GetClassID(CLSID* pClsID)
{
    if (pClsID == nullptr) {
        return E_POINTER;
    }
    *pClsID = m_clsid;
    return S_OK;
}

HRESULT CBaseFilter::Stop()
{
    CAutoLock lock(m_pLock);
    HRESULT hr = S_OK;
    if (!IsStopped()) {
        const int count = GetPinCount();
        for (int i = 0; i < count; ++i) {
            CBasePin* pPin = GetPin(i);
            if (pPin != nullptr && pPin->IsConnected()) {
                const HRESULT hrPin = pPin->Inactive();
                if (FAILED(hrPin) && SUCCEEDED(hr)) {
                    hr = hrPin;
                }
            }
        }
    }
    SetState(State_Stopped);
    return hr;
}

HRESULT CBaseFilter::Pause()
{
    CAutoLock lock(m_pLock);
    if (IsStopped()) {
        const int count = GetPinCount();
        for (int i = 0; i < count; ++i) {
            CBasePin* pPin = GetPin(i);
            if (pPin != nullptr && pPin->IsConnected()) {
                const HRESULT hr = pPin->Active();
                if (FAILED(hr)) {
                    return hr;
                }
            }
        }
    }
    SetState(State_Paused);
    return S_OK;
}

HRESULT CBaseFilter::Run(REFERENCE_TIME tStart)
{
    CAutoLock lock(m_pLock);
    m_tStart.store(tStart, std::memory_order_relaxed);
    if (IsStopped()) {
        // Through the most derived Pause, so that its own work happens too.
        const HRESULT hr = Pause();
        if (FAILED(hr)) {
            return hr;
        }
    }
    if (State() != State_Running) {
        const int count = GetPinCount();
        for (int i = 0; i < count; ++i) {
            CBasePin* pPin = GetPin(i);
            if (pPin != nullptr && pPin->IsConnected()) {
                const HRESULT hr = pPin->Run(tStart);
                if (FAILED(hr)) {
                    return hr;
                }
            }
        }
    }
    SetState(State_Running);
    return S_OK;
}

HRESULT CBaseFilter::GetState(DWORD /*dwMilliSecsTimeout*/, FILTER_STATE* pState)
{
    if (pState == nullptr) {
        return E_POINTER;
    }
    *pState = State();
    return S_OK;
}

HRESULT CBaseFilter::EnumPins(IEnumPins** ppEnum)
{
    if (ppEnum == nullptr) {
        return E_POINTER;
    }
    auto* pEnum = new (std::nothrow) CEnumPins(this, 0);
    if (pEnum == nullptr) {
        *ppEnum = nullptr;
        return E_OUTOFMEMORY;
    }
    return GetInterface(static_cast<IEnumPins*>(pEnum), reinterpret_cast<void**>(ppEnum));
}

HRESULT CBaseFilter::FindPin(const char* Id, IPin** ppPin)
{
    if (Id == nullptr || ppPin == nullptr) {
        return E_POINTER;
    }
    *ppPin = nullptr;
    CAutoLock lock(m_pLock);
    const int count = GetPinCount();
    for (int i = 0; i < count; ++i) {
        CBasePin* pPin = GetPin(i);
        if (pPin == nullptr) {
            continue;
        }
        char* pId = nullptr;
        if (SUCCEEDED(pPin->QueryId(&pId))) {
            const bool bMatch = std::strcmp(pId, Id) == 0;
            CoTaskMemFree(pId);
            if (bMatch) {
                return GetInterface(static_cast<IPin*>(pPin), reinterpret_cast<void**>(ppPin));
            }
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT CBaseFilter::QueryFilterInfo(FILTER_INFO* pInfo)
{
    if (pInfo == nullptr) {
        return E_POINTER;
    }
    std::memset(pInfo->achName, 0, sizeof pInfo->achName);
    m_strName.copy(pInfo->achName, sizeof pInfo->achName - 1);
    pInfo->pGraph = m_pGraph;
    if (m_pGraph != nullptr) {
        m_pGraph->AddRef();
    }
    return S_OK;
}

HRESULT CBaseFilter::JoinFilterGraph(IFilterGraph* pGraph, const char* pName)
{
    CAutoLock lock(m_pLock);
    m_pGraph = pGraph;
    m_pSink = nullptr;
    if (pGraph != nullptr) {
        // Held without a reference: the graph owns this filter and outlives
        // its membership.
        if (SUCCEEDED(pGraph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&m_pSink)))) {
            m_pSink->Release();
        } else {
            m_pSink = nullptr;
        }
        m_strName = pName != nullptr ? pName : "";
    } else {
        m_strName.clear();
    }
    return S_OK;
}

HRESULT CBaseFilter::NotifyEvent(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2)
{
    IMediaEventSink* pSink = m_pSink;
    if (pSink == nullptr) {
        return E_NOTIMPL;
    }
    if (EventCode == EC_COMPLETE && EventParam2 == 0) {
        EventParam2 = reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this));
    }
    return pSink->Notify(EventCode, EventParam1, EventParam2);
}

HRESULT CBaseFilter::ReconnectPin(IPin* pPin, const AM_MEDIA_TYPE* /*pmt*/)
{
    if (m_pGraph == nullptr) {
        return VFW_E_NOT_IN_GRAPH;
    }
    return m_pGraph->Reconnect(pPin);
}

HRESULT CBaseFilter::Register()
{
    const AMOVIESETUP_FILTER* pSetup = GetSetupData();
    if (pSetup == nullptr) {
        return S_FALSE;
    }
    CComScope com;
    CComPtr<IFilterMapper> pMapper;
    HRESULT hr = CoCreateInstance(CLSID_FilterMapper, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper,
                                  pMapper.ReceiveVoid());
    if (FAILED(hr)) {
        return hr;
    }
    hr = pMapper->RegisterFilter(*pSetup->clsID, pSetup->strName, pSetup->dwMerit);
    for (UINT p = 0; SUCCEEDED(hr) && p < pSetup->nPins; ++p) {
        const AMOVIESETUP_PIN& pin = pSetup->lpPin[p];
        hr = pMapper->RegisterPin(*pSetup->clsID, pin.strName, pin.bRendered, pin.bOutput, pin.bZero, pin.bMany,
                                  pin.clsConnectsToFilter != nullptr ? *pin.clsConnectsToFilter : CLSID_NULL,
                                  pin.strConnectsToPin);
        for (UINT t = 0; SUCCEEDED(hr) && t < pin.nMediaTypes; ++t) {
            const REGPINTYPES& type = pin.lpMediaType[t];
            hr = pMapper->RegisterPinType(*pSetup->clsID, pin.strName,
                                          type.clsMajorType != nullptr ? *type.clsMajorType : GUID_NULL,
                                          type.clsMinorType != nullptr ? *type.clsMinorType : GUID_NULL);
        }
    }
    return FAILED(hr) ? hr : S_OK;
}

HRESULT CBaseFilter::Unregister()
{
    CComScope com;
    CComPtr<IFilterMapper> pMapper;
    HRESULT hr = CoCreateInstance(CLSID_FilterMapper, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper,
                                  pMapper.ReceiveVoid());
    if (FAILED(hr)) {
        return hr;
    }
    const AMOVIESETUP_FILTER* pSetup = GetSetupData();
    hr = pMapper->UnregisterFilter(pSetup != nullptr ? *pSetup->clsID : m_clsid);
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ? S_OK : hr;
}

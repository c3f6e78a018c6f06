#include "platform/media/FilterGraph.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

namespace {

std::vector<CComPtr<IPin>> PinsOf(IBaseFilter* pFilter)
{
    std::vector<CComPtr<IPin>> pins;
    CComPtr<IEnumPins> pEnum;
    if (FAILED(pFilter->EnumPins(pEnum.GetAddressOf()))) {
        return pins;
    }
    IPin* pPin = nullptr;
    ULONG fetched = 0;
    while (pEnum->Next(1, &pPin, &fetched) == S_OK && fetched == 1) {
        CComPtr<IPin> held;
        held.Attach(pPin);
        pins.push_back(held);
    }
    return pins;
}

PIN_DIRECTION DirectionOf(IPin* pPin)
{
    PIN_DIRECTION dir = PINDIR_INPUT;
    pPin->QueryDirection(&dir);
    return dir;
}

bool IsPinConnected(IPin* pPin)
{
    CComPtr<IPin> pPeer;
    return SUCCEEDED(pPin->ConnectedTo(pPeer.GetAddressOf())) && pPeer;
}

// The filter a pin belongs to; not referenced (the graph holds it).
IBaseFilter* OwnerOf(IPin* pPin)
{
    PIN_INFO info{};
    if (FAILED(pPin->QueryPinInfo(&info)) || info.pFilter == nullptr) {
        return nullptr;
    }
    info.pFilter->Release();
    return info.pFilter;
}

IPin* FirstFreePin(IBaseFilter* pFilter, PIN_DIRECTION dir, std::vector<CComPtr<IPin>>& keep)
{
    keep = PinsOf(pFilter);
    for (const CComPtr<IPin>& pPin : keep) {
        if (DirectionOf(pPin) == dir && !IsPinConnected(pPin)) {
            return pPin.Get();
        }
    }
    return nullptr;
}

REFERENCE_TIME ReferenceNow()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() / 100;
}

} // namespace

CFilterGraph::CFilterGraph() : CUnknown("Filter graph", nullptr) {}

CFilterGraph::~CFilterGraph()
{
    Stop();
    DisconnectAll();
    for (IBaseFilter* pFilter : m_filters) {
        pFilter->JoinFilterGraph(nullptr, nullptr);
        pFilter->Release();
    }
    for (IPin* pPin : m_pendingReconnects) {
        pPin->Release();
    }
}

HRESULT CFilterGraph::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IFilterGraph) {
        return GetInterface(static_cast<IFilterGraph*>(this), ppv);
    }
    if (riid == IID_IMediaEventSink) {
        return GetInterface(static_cast<IMediaEventSink*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

ULONG CFilterGraph::NonDelegatingRelease()
{
    const LONG remaining = m_cRef.fetch_sub(1, std::memory_order_acq_rel) - 1;
    return static_cast<ULONG>(remaining > 0 ? remaining : 0);
}

// ---------------------------------------------------------------------------
// Membership and connections

HRESULT CFilterGraph::AddFilter(IBaseFilter* pFilter, const char* pName)
{
    if (pFilter == nullptr) {
        return E_POINTER;
    }
    CAutoLock lock(&m_csGraph);
    if (std::find(m_filters.begin(), m_filters.end(), pFilter) != m_filters.end()) {
        return S_FALSE;
    }
    // Names identify filters, so a clash gets a number added.
    std::string name = pName != nullptr && *pName != '\0' ? pName : "Filter";
    const std::string base = name;
    for (int n = 1;; ++n) {
        CComPtr<IBaseFilter> pClash;
        if (FAILED(FindFilterByName(name.c_str(), pClash.GetAddressOf()))) {
            break;
        }
        char number[16];
        std::snprintf(number, sizeof number, " %d", n);
        name = base + number;
    }
    const HRESULT hr = pFilter->JoinFilterGraph(this, name.c_str());
    if (FAILED(hr)) {
        return hr;
    }
    pFilter->AddRef();
    m_filters.push_back(pFilter);
    return S_OK;
}

HRESULT CFilterGraph::RemoveFilter(IBaseFilter* pFilter)
{
    CAutoLock lock(&m_csGraph);
    auto it = std::find(m_filters.begin(), m_filters.end(), pFilter);
    if (it == m_filters.end()) {
        return VFW_E_NOT_FOUND;
    }
    if (GetState() != State_Stopped) {
        return VFW_E_NOT_STOPPED;
    }
    for (const CComPtr<IPin>& pPin : PinsOf(pFilter)) {
        CComPtr<IPin> pPeer;
        if (SUCCEEDED(pPin->ConnectedTo(pPeer.GetAddressOf())) && pPeer) {
            pPeer->Disconnect();
            pPin->Disconnect();
        }
    }
    m_filters.erase(it);
    pFilter->JoinFilterGraph(nullptr, nullptr);
    pFilter->Release();
    return S_OK;
}

HRESULT CFilterGraph::FindFilterByName(const char* pName, IBaseFilter** ppFilter)
{
    if (pName == nullptr || ppFilter == nullptr) {
        return E_POINTER;
    }
    *ppFilter = nullptr;
    CAutoLock lock(&m_csGraph);
    for (IBaseFilter* pFilter : m_filters) {
        FILTER_INFO info{};
        if (FAILED(pFilter->QueryFilterInfo(&info))) {
            continue;
        }
        if (info.pGraph != nullptr) {
            info.pGraph->Release();
        }
        if (std::strcmp(info.achName, pName) == 0) {
            return GetInterface(pFilter, reinterpret_cast<void**>(ppFilter));
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT CFilterGraph::ConnectDirect(IPin* ppinOut, IPin* ppinIn, const AM_MEDIA_TYPE* pmt)
{
    if (ppinOut == nullptr || ppinIn == nullptr) {
        return E_POINTER;
    }
    CAutoLock lock(&m_csGraph);
    if (GetState() != State_Stopped) {
        return VFW_E_NOT_STOPPED;
    }
    ++m_nConnecting;
    const HRESULT hr = ppinOut->Connect(ppinIn, pmt);
    --m_nConnecting;
    if (m_nConnecting == 0) {
        RunPendingReconnects();
    }
    return hr;
}

HRESULT CFilterGraph::Reconnect(IPin* ppin)
{
    if (ppin == nullptr) {
        return E_POINTER;
    }
    CAutoLock lock(&m_csGraph);
    if (GetState() != State_Stopped) {
        return VFW_E_NOT_STOPPED;
    }
    if (m_nConnecting > 0) {
        // A filter asks for this from inside a connection that is still
        // being made; doing it now would pull the ground from under it.
        ppin->AddRef();
        m_pendingReconnects.push_back(ppin);
        return S_OK;
    }
    return ReconnectNow(ppin);
}

HRESULT CFilterGraph::ReconnectNow(IPin* pPin)
{
    CComPtr<IPin> pPeer;
    if (FAILED(pPin->ConnectedTo(pPeer.GetAddressOf())) || !pPeer) {
        m_hrLastReconnect = VFW_E_NOT_CONNECTED;
        return m_hrLastReconnect;
    }
    IPin* pOut = DirectionOf(pPin) == PINDIR_OUTPUT ? pPin : pPeer.Get();
    IPin* pIn = pOut == pPin ? pPeer.Get() : pPin;
    pOut->Disconnect();
    pIn->Disconnect();
    ++m_nConnecting;
    m_hrLastReconnect = pOut->Connect(pIn, nullptr);
    --m_nConnecting;
    return m_hrLastReconnect;
}

void CFilterGraph::RunPendingReconnects()
{
    // A reconnection may ask for another; a few rounds settle any sane
    // chain, and the cap keeps two filters that disagree from looping.
    for (int round = 0; round < 8 && !m_pendingReconnects.empty(); ++round) {
        std::vector<IPin*> pending;
        pending.swap(m_pendingReconnects);
        for (IPin* pPin : pending) {
            ReconnectNow(pPin);
            pPin->Release();
        }
    }
}

HRESULT CFilterGraph::Disconnect(IPin* ppin)
{
    if (ppin == nullptr) {
        return E_POINTER;
    }
    CAutoLock lock(&m_csGraph);
    if (GetState() != State_Stopped) {
        return VFW_E_NOT_STOPPED;
    }
    return ppin->Disconnect();
}

HRESULT CFilterGraph::ConnectChain(std::initializer_list<IBaseFilter*> filters)
{
    CAutoLock lock(&m_csGraph);
    for (IBaseFilter* pFilter : filters) {
        const HRESULT hr = AddFilter(pFilter, nullptr);
        if (FAILED(hr)) {
            return hr;
        }
    }
    IBaseFilter* const* pFilters = filters.begin();
    for (std::size_t i = 0; i + 1 < filters.size(); ++i) {
        std::vector<CComPtr<IPin>> outPins;
        std::vector<CComPtr<IPin>> inPins;
        IPin* pOut = FirstFreePin(pFilters[i], PINDIR_OUTPUT, outPins);
        IPin* pIn = FirstFreePin(pFilters[i + 1], PINDIR_INPUT, inPins);
        if (pOut == nullptr || pIn == nullptr) {
            return VFW_E_NOT_FOUND;
        }
        const HRESULT hr = ConnectDirect(pOut, pIn, nullptr);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

void CFilterGraph::DisconnectAll()
{
    for (IBaseFilter* pFilter : m_filters) {
        for (const CComPtr<IPin>& pPin : PinsOf(pFilter)) {
            pPin->Disconnect();
        }
    }
}

std::vector<IBaseFilter*> CFilterGraph::FiltersDownstreamFirst()
{
    CAutoLock lock(&m_csGraph);
    std::vector<IBaseFilter*> order;
    std::set<IBaseFilter*> visited;
    // Depth first along output connections, adding a filter after
    // everything downstream of it.
    auto visit = [&](auto&& self, IBaseFilter* pFilter) -> void {
        if (!visited.insert(pFilter).second) {
            return;
        }
        for (const CComPtr<IPin>& pPin : PinsOf(pFilter)) {
            if (DirectionOf(pPin) != PINDIR_OUTPUT) {
                continue;
            }
            CComPtr<IPin> pPeer;
            if (FAILED(pPin->ConnectedTo(pPeer.GetAddressOf())) || !pPeer) {
                continue;
            }
            IBaseFilter* pNext = OwnerOf(pPeer);
            if (pNext != nullptr && std::find(m_filters.begin(), m_filters.end(), pNext) != m_filters.end()) {
                self(self, pNext);
            }
        }
        order.push_back(pFilter);
    };
    for (IBaseFilter* pFilter : m_filters) {
        visit(visit, pFilter);
    }
    return order;
}

// ---------------------------------------------------------------------------
// State

HRESULT CFilterGraph::Pause()
{
    CAutoLock lock(&m_csGraph);
    return PauseLocked();
}

HRESULT CFilterGraph::PauseLocked()
{
    if (GetState() == State_Paused) {
        return S_OK;
    }
    if (GetState() == State_Stopped) {
        ResetStreamEvents();
    }
    HRESULT hr = S_OK;
    for (IBaseFilter* pFilter : FiltersDownstreamFirst()) {
        const HRESULT hrFilter = pFilter->Pause();
        if (FAILED(hrFilter) && SUCCEEDED(hr)) {
            hr = hrFilter;
        }
    }
    m_State.store(State_Paused, std::memory_order_relaxed);
    return hr;
}

HRESULT CFilterGraph::Run()
{
    CAutoLock lock(&m_csGraph);
    if (GetState() == State_Running) {
        return S_OK;
    }
    if (GetState() == State_Stopped) {
        const HRESULT hr = PauseLocked();
        if (FAILED(hr)) {
            return hr;
        }
    }
    REFERENCE_TIME tStart = ReferenceNow();
    if (IReferenceClock* pClock = GetSyncSource(); pClock != nullptr) {
        pClock->GetTime(&tStart);
    }
    HRESULT hr = S_OK;
    for (IBaseFilter* pFilter : FiltersDownstreamFirst()) {
        const HRESULT hrFilter = pFilter->Run(tStart);
        if (FAILED(hrFilter) && SUCCEEDED(hr)) {
            hr = hrFilter;
        }
    }
    m_State.store(State_Running, std::memory_order_relaxed);
    return hr;
}

HRESULT CFilterGraph::Stop()
{
    m_nStopCount.fetch_add(1, std::memory_order_relaxed);
    CAutoLock lock(&m_csGraph);
    if (GetState() == State_Stopped) {
        return S_OK;
    }
    HRESULT hr = S_OK;
    if (GetState() == State_Running) {
        hr = PauseLocked();
    }
    for (IBaseFilter* pFilter : FiltersDownstreamFirst()) {
        const HRESULT hrFilter = pFilter->Stop();
        if (FAILED(hrFilter) && SUCCEEDED(hr)) {
            hr = hrFilter;
        }
    }
    m_State.store(State_Stopped, std::memory_order_relaxed);
    return hr;
}

// ---------------------------------------------------------------------------
// Streaming

int CFilterGraph::CountRenderers()
{
    int count = 0;
    for (IBaseFilter* pFilter : m_filters) {
        bool bInput = false;
        bool bOutput = false;
        for (const CComPtr<IPin>& pPin : PinsOf(pFilter)) {
            if (IsPinConnected(pPin)) {
                (DirectionOf(pPin) == PINDIR_INPUT ? bInput : bOutput) = true;
            }
        }
        if (bInput && !bOutput) {
            ++count;
        }
    }
    return count;
}

void CFilterGraph::ResetStreamEvents()
{
    const int renderers = CountRenderers();
    std::lock_guard lock(m_eventMutex);
    m_completed.clear();
    m_hrAbort = S_OK;
    m_nRenderers = renderers;
}

HRESULT CFilterGraph::PushSources(int nLimit, int* pnDelivered)
{
    const unsigned stopCount = m_nStopCount.load(std::memory_order_relaxed);
    std::vector<CComPtr<IPushSource>> sources;
    {
        CAutoLock lock(&m_csGraph);
        for (IBaseFilter* pFilter : m_filters) {
            CComPtr<IPushSource> pSource;
            if (SUCCEEDED(pFilter->QueryInterface(IID_IPushSource, pSource.ReceiveVoid()))) {
                sources.push_back(pSource);
            }
        }
    }
    if (sources.empty()) {
        return E_UNEXPECTED;
    }
    const auto stopped = [&] { return m_nStopCount.load(std::memory_order_relaxed) != stopCount; };
    std::vector<bool> done(sources.size(), false);
    int delivered = 0;
    HRESULT hr = S_OK;
    for (int round = 0; nLimit < 0 || round < nLimit; ++round) {
        if (stopped()) {
            hr = S_FALSE;
            break;
        }
        if (FAILED(AbortResult())) {
            hr = AbortResult();
            break;
        }
        bool bAllDone = true;
        for (std::size_t i = 0; i < sources.size(); ++i) {
            if (done[i]) {
                continue;
            }
            const HRESULT hrSource = sources[i]->DeliverNext();
            if (hrSource == S_OK) {
                ++delivered;
                bAllDone = false;
            } else if (hrSource == S_FALSE) {
                done[i] = true;
            } else {
                hr = stopped() ? S_FALSE : hrSource;
                break;
            }
        }
        if (hr != S_OK || bAllDone) {
            break;
        }
    }
    if (pnDelivered != nullptr) {
        *pnDelivered = delivered;
    }
    return hr;
}

HRESULT CFilterGraph::RunToCompletion()
{
    const unsigned stopCount = m_nStopCount.load(std::memory_order_relaxed);
    if (GetState() != State_Running) {
        const HRESULT hr = Run();
        if (FAILED(hr)) {
            return hr;
        }
    }
    const HRESULT hr = PushSources(-1, nullptr);
    if (FAILED(hr)) {
        return hr;
    }
    if (m_nStopCount.load(std::memory_order_relaxed) != stopCount) {
        return S_FALSE;
    }
    if (FAILED(AbortResult())) {
        return AbortResult();
    }
    return IsComplete() ? S_OK : S_FALSE;
}

HRESULT CFilterGraph::Step(int nSamples, int* pnDelivered)
{
    if (pnDelivered != nullptr) {
        *pnDelivered = 0;
    }
    if (GetState() == State_Stopped) {
        return VFW_E_WRONG_STATE;
    }
    return PushSources(nSamples, pnDelivered);
}

// ---------------------------------------------------------------------------
// Events

HRESULT CFilterGraph::Notify(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2)
{
    std::lock_guard lock(m_eventMutex);
    m_events.push_back(CEvent{EventCode, EventParam1, EventParam2});
    if (EventCode == EC_COMPLETE) {
        if (std::find(m_completed.begin(), m_completed.end(), EventParam2) == m_completed.end()) {
            m_completed.push_back(EventParam2);
        }
    } else if (EventCode == EC_ERRORABORT || EventCode == EC_STREAM_ERROR_STOPPED) {
        if (m_hrAbort == S_OK) {
            const auto hr = static_cast<HRESULT>(EventParam1);
            m_hrAbort = FAILED(hr) ? hr : E_FAIL;
        }
    }
    return S_OK;
}

std::vector<CFilterGraph::CEvent> CFilterGraph::Events() const
{
    std::lock_guard lock(m_eventMutex);
    return m_events;
}

bool CFilterGraph::IsComplete() const
{
    std::lock_guard lock(m_eventMutex);
    return m_nRenderers > 0 && static_cast<int>(m_completed.size()) >= m_nRenderers;
}

HRESULT CFilterGraph::AbortResult() const
{
    std::lock_guard lock(m_eventMutex);
    return m_hrAbort;
}

#pragma once

// The filter base: state (stopped, paused, running), pins by index,
// membership of a graph, events, and self-registration with the filter
// mapper.

#include "platform/media/FilterTypes.h"
#include "platform/kernel/Kernel.h"
#include "platform/media/Pins.h"

#include <atomic>
#include <string>

class CBaseFilter : public CUnknown, public IBaseFilter, public IAMovieSetup {
public:
    // pLock guards the filter's state; it is usually a member of the derived
    // class and only its address is taken here.
    CBaseFilter(const char* pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid, HRESULT* phr = nullptr);
    ~CBaseFilter() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IPersist
    HRESULT GetClassID(CLSID* pClsID) override;

    // IMediaFilter. Pause from stopped activates the connected pins; Run
    // from stopped goes through Pause first; Stop deactivates them.
    HRESULT Stop() override;
    HRESULT Pause() override;
    HRESULT Run(REFERENCE_TIME tStart) override;
    HRESULT GetState(DWORD dwMilliSecsTimeout, FILTER_STATE* pState) override;

    // IBaseFilter
    HRESULT EnumPins(IEnumPins** ppEnum) override;
    // Matches the pins' QueryId.
    HRESULT FindPin(const char* Id, IPin** ppPin) override;
    HRESULT QueryFilterInfo(FILTER_INFO* pInfo) override;
    HRESULT JoinFilterGraph(IFilterGraph* pGraph, const char* pName) override;

    // IAMovieSetup: registers GetSetupData's record with the filter mapper,
    // or removes it. Register without a record gives S_FALSE; Unregister of a
    // filter that is not registered gives S_OK.
    HRESULT Register() override;
    HRESULT Unregister() override;

    virtual int GetPinCount() = 0;
    // Not referenced; null past the last pin.
    virtual CBasePin* GetPin(int n) = 0;
    virtual LONG GetPinVersion() { return m_nPinVersion; }
    virtual const AMOVIESETUP_FILTER* GetSetupData() { return nullptr; }

    FILTER_STATE State() const { return m_State.load(std::memory_order_relaxed); }
    bool IsStopped() const { return State() == State_Stopped; }
    bool IsActive() const { return State() != State_Stopped; }
    REFERENCE_TIME StartTime() const { return m_tStart.load(std::memory_order_relaxed); }
    IFilterGraph* GetFilterGraph() const { return m_pGraph; }
    const std::string& FilterName() const { return m_strName; }

    // Reports an event to the graph; EC_COMPLETE names this filter when
    // lParam2 is 0. E_NOTIMPL outside a graph.
    HRESULT NotifyEvent(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2);
    // Asks the graph to make the pin's connection again. VFW_E_NOT_IN_GRAPH
    // outside a graph.
    HRESULT ReconnectPin(IPin* pPin, const AM_MEDIA_TYPE* pmt);

protected:
    void SetState(FILTER_STATE state) { m_State.store(state, std::memory_order_relaxed); }
    void IncrementPinVersion() { ++m_nPinVersion; }

    CCritSec* const m_pLock;
    const CLSID m_clsid;

private:
    std::atomic<FILTER_STATE> m_State{State_Stopped};
    std::atomic<REFERENCE_TIME> m_tStart{0};
    IFilterGraph* m_pGraph = nullptr;
    IMediaEventSink* m_pSink = nullptr;
    std::string m_strName;
    LONG m_nPinVersion = 1;
};

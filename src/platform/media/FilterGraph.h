#pragma once

// A small in-process filter graph: holds filters, connects their pins,
// moves them all through Stop, Pause and Run, collects their events, and
// pushes the sources' samples through the chain on the caller's thread.
//
// State changes go from the most downstream filter up to the sources, so
// that every filter is ready before anything upstream can send it data. A
// Run from stopped pauses every filter first; a Stop from running pauses
// every filter first.
//
// Stop may be called from another thread while RunToCompletion or Step is
// pushing; the push then ends without completing.
//
// The graph is an ordinary object (on the stack or owned by its creator):
// its interfaces are reference counted for the filters' sake, but the count
// does not decide its lifetime.

#include "platform/media/BaseFilter.h"

#include <atomic>
#include <initializer_list>
#include <mutex>
#include <vector>

class CFilterGraph : public CUnknown, public IFilterGraph, public IMediaEventSink {
public:
    CFilterGraph();
    ~CFilterGraph() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    ULONG NonDelegatingRelease() override;

    // IFilterGraph. Connections can change only while stopped
    // (VFW_E_NOT_STOPPED).
    HRESULT AddFilter(IBaseFilter* pFilter, const char* pName) override;
    HRESULT RemoveFilter(IBaseFilter* pFilter) override;
    HRESULT FindFilterByName(const char* pName, IBaseFilter** ppFilter) override;
    HRESULT ConnectDirect(IPin* ppinOut, IPin* ppinIn, const AM_MEDIA_TYPE* pmt) override;
    HRESULT Reconnect(IPin* ppin) override;
    HRESULT Disconnect(IPin* ppin) override;

    // IMediaEventSink
    HRESULT Notify(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2) override;

    HRESULT Connect(IPin* ppinOut, IPin* ppinIn) { return ConnectDirect(ppinOut, ppinIn, nullptr); }
    // Adds the filters not yet in the graph and connects each one's first
    // unconnected output pin to the next one's first unconnected input pin.
    HRESULT ConnectChain(std::initializer_list<IBaseFilter*> filters);
    // The result of the last reconnection the graph carried out.
    HRESULT LastReconnectResult() const { return m_hrLastReconnect; }

    HRESULT Run();
    HRESULT Pause();
    HRESULT Stop();
    FILTER_STATE GetState() const { return m_State.load(std::memory_order_relaxed); }

    // The clock the start times of Run are read from (the machine's steady
    // clock when none is set). Not referenced: it must outlive its use here.
    void SetSyncSource(IReferenceClock* pClock) { m_pClock.store(pClock, std::memory_order_relaxed); }
    IReferenceClock* GetSyncSource() const { return m_pClock.load(std::memory_order_relaxed); }

    // Runs the graph if it is not running and pushes every source's samples
    // until each has delivered its end of stream. S_OK when every renderer
    // (a filter with a connected input and no connected output) reported
    // EC_COMPLETE; the failure when a filter aborted the stream or a
    // delivery failed; S_FALSE when the push ended early for another reason
    // (Stop from another thread, a renderer that refused more data). The
    // graph is left running.
    HRESULT RunToCompletion();
    // Delivers up to nSamples samples from each source in the present state,
    // which must be paused or running (VFW_E_WRONG_STATE otherwise).
    // *pnDelivered counts the samples delivered.
    HRESULT Step(int nSamples, int* pnDelivered = nullptr);

    struct CEvent {
        LONG m_nCode;
        LONG_PTR m_nParam1;
        LONG_PTR m_nParam2;
    };
    std::vector<CEvent> Events() const;
    // Every renderer has reported EC_COMPLETE since the last start.
    bool IsComplete() const;
    // The failure carried by the first EC_ERRORABORT since the last start,
    // S_OK when there was none.
    HRESULT AbortResult() const;

    // The filters in the order state changes visit them.
    std::vector<IBaseFilter*> FiltersDownstreamFirst();

private:
    HRESULT ReconnectNow(IPin* pPin);
    void RunPendingReconnects();
    HRESULT PauseLocked();
    HRESULT PushSources(int nLimit, int* pnDelivered);
    int CountRenderers();
    void ResetStreamEvents();
    void DisconnectAll();

    CCritSec m_csGraph;
    std::vector<IBaseFilter*> m_filters;
    std::atomic<FILTER_STATE> m_State{State_Stopped};
    std::atomic<IReferenceClock*> m_pClock{nullptr};
    // Bumped by every Stop, so a push on another thread notices it.
    std::atomic<unsigned> m_nStopCount{0};
    int m_nConnecting = 0;
    std::vector<IPin*> m_pendingReconnects;
    HRESULT m_hrLastReconnect = S_OK;

    mutable std::mutex m_eventMutex;
    std::vector<CEvent> m_events;
    std::vector<LONG_PTR> m_completed;
    int m_nRenderers = 0;
    HRESULT m_hrAbort = S_OK;
};

#pragma once

// Pins: the connection points of filters. A connection is made by the
// output pin, which agrees a media type with the input pin and then an
// allocator through which samples travel.

#include "platform/media/Allocator.h"
#include "platform/media/FilterTypes.h"
#include "platform/kernel/Kernel.h"

#include <atomic>
#include <string>

class CBaseFilter;

class CBasePin : public CUnknown, public IPin {
public:
    CBasePin(const char* pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr, const char* pName,
             PIN_DIRECTION dir);
    ~CBasePin() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    // A pin lives exactly as long as its filter, so it counts on the filter.
    ULONG NonDelegatingAddRef() override;
    ULONG NonDelegatingRelease() override;

    // IPin. Connect, ReceiveConnection and Disconnect need the filter to be
    // stopped (VFW_E_NOT_STOPPED).
    HRESULT Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) override;
    HRESULT ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) override;
    HRESULT Disconnect() override;
    HRESULT ConnectedTo(IPin** ppPin) override;
    HRESULT ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;
    HRESULT QueryPinInfo(PIN_INFO* pInfo) override;
    HRESULT QueryDirection(PIN_DIRECTION* pPinDir) override;
    HRESULT QueryId(char** Id) override;
    HRESULT QueryAccept(const AM_MEDIA_TYPE* pmt) override;
    HRESULT EnumMediaTypes(IEnumMediaTypes** ppEnum) override;
    HRESULT EndOfStream() override;
    HRESULT NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

    // Steps of a connection, in the order they run: CheckConnect, then
    // CheckMediaType and SetMediaType for the proposed type, then (once the
    // other pin has agreed) CompleteConnect. A failure after CheckConnect
    // succeeded is undone with BreakConnect, as is a later Disconnect.
    virtual HRESULT CheckConnect(IPin* pPin);
    virtual HRESULT BreakConnect();
    virtual HRESULT CompleteConnect(IPin* pReceivePin);
    // S_OK accepts the type; anything else refuses it.
    virtual HRESULT CheckMediaType(const CMediaType* pmt) = 0;
    virtual HRESULT SetMediaType(const CMediaType* pmt);
    // The pin's preferred types by position: S_OK, or VFW_S_NO_MORE_ITEMS
    // past the last one.
    virtual HRESULT GetMediaType(int iPosition, CMediaType* pMediaType);

    // State changes of the filter, for connected pins only.
    virtual HRESULT Active();
    virtual HRESULT Inactive();
    virtual HRESULT Run(REFERENCE_TIME tStart);

    bool IsConnected() const { return m_Connected != nullptr; }
    IPin* GetConnected() const { return m_Connected; }
    bool IsStopped() const;
    PIN_DIRECTION Direction() const { return m_dir; }
    const char* Name() const { return m_strName.c_str(); }
    const CMediaType& CurrentMediaType() const { return m_mt; }
    CBaseFilter* Filter() const { return m_pFilter; }

protected:
    // Drops the connection without the state check. S_FALSE when there
    // was none.
    HRESULT DisconnectInternal();

    std::string m_strName;
    CBaseFilter* const m_pFilter;
    CCritSec* const m_pLock;
    IPin* m_Connected = nullptr;
    const PIN_DIRECTION m_dir;
    CMediaType m_mt;
    REFERENCE_TIME m_tStart = 0;
    REFERENCE_TIME m_tStop = 0x7FFFFFFFFFFFFFFF;
    double m_dRate = 1.0;
    // Offer this pin's own types before the other pin's.
    bool m_bTryMyTypesFirst = false;

private:
    HRESULT AgreeMediaType(IPin* pReceivePin, const CMediaType* pmt);
    HRESULT TryMediaTypes(IPin* pReceivePin, const CMediaType* pmtPartial, IEnumMediaTypes* pEnum);
    HRESULT AttemptConnection(IPin* pReceivePin, const CMediaType* pmt);
    void UndoConnection();
};

// An input pin that takes samples through IMemInputPin.
class CBaseInputPin : public CBasePin, public IMemInputPin {
public:
    CBaseInputPin(const char* pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr, const char* pName);
    ~CBaseInputPin() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IMemInputPin. GetAllocator offers the allocator chosen last (or a new
    // memory allocator); NotifyAllocator records the one upstream uses.
    HRESULT GetAllocator(IMemAllocator** ppAllocator) override;
    HRESULT NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly) override;
    HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* pProps) override;
    // Checks that the pin may stream now and applies a type change carried
    // by the sample; derived pins call it first and go on only on S_OK.
    HRESULT Receive(IMediaSample* pSample) override;
    HRESULT ReceiveMultiple(IMediaSample** pSamples, LONG nSamples, LONG* nSamplesProcessed) override;
    HRESULT ReceiveCanBlock() override;

    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;

    HRESULT BreakConnect() override;
    HRESULT Inactive() override;

    // S_OK when a sample may be taken now; VFW_E_NOT_CONNECTED,
    // VFW_E_WRONG_STATE (stopped), S_FALSE (flushing) or
    // VFW_E_RUNTIME_ERROR otherwise.
    HRESULT CheckStreaming();
    bool IsFlushing() const { return m_bFlushing.load(std::memory_order_relaxed); }
    bool IsReadOnly() const { return m_bReadOnly; }

protected:
    IMemAllocator* m_pAllocator = nullptr;
    bool m_bReadOnly = false;
    std::atomic<bool> m_bFlushing{false};
    std::atomic<bool> m_bRunTimeError{false};
};

// An output pin that delivers samples into the connected pin's
// IMemInputPin, from an allocator agreed at connection time.
class CBaseOutputPin : public CBasePin {
public:
    CBaseOutputPin(const char* pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr, const char* pName);
    ~CBaseOutputPin() override;

    HRESULT CheckConnect(IPin* pPin) override;
    HRESULT BreakConnect() override;
    // Agrees the allocator.
    HRESULT CompleteConnect(IPin* pReceivePin) override;

    // Asks the input pin for its requirements and its allocator and sizes it
    // with DecideBufferSize; when that fails, tries an allocator of this
    // pin's own. Either way the input pin is told which one won.
    virtual HRESULT DecideAllocator(IMemInputPin* pPin, IMemAllocator** ppAlloc);
    virtual HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProps) = 0;
    virtual HRESULT InitAllocator(IMemAllocator** ppAlloc);

    virtual HRESULT GetDeliveryBuffer(IMediaSample** ppSample, REFERENCE_TIME* pStartTime,
                                      REFERENCE_TIME* pEndTime, DWORD dwFlags);
    virtual HRESULT Deliver(IMediaSample* pSample);
    virtual HRESULT DeliverEndOfStream();
    virtual HRESULT DeliverBeginFlush();
    virtual HRESULT DeliverEndFlush();
    virtual HRESULT DeliverNewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate);

    // Commits and decommits the allocator.
    HRESULT Active() override;
    HRESULT Inactive() override;

    // Only input pins take these.
    HRESULT EndOfStream() override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;

    IMemInputPin* ConnectedInputPin() const { return m_pInputPin; }
    IMemAllocator* Allocator() const { return m_pAllocator; }

protected:
    IMemAllocator* m_pAllocator = nullptr;
    IMemInputPin* m_pInputPin = nullptr;
};

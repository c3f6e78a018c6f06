#pragma once

// Interfaces and records of the filter graph: samples, allocators, pins,
// filters, the graph, events, filter registration.

#include "platform/media/MediaType.h"

#include <string>
#include <vector>

// Time in units of 100 ns.
using REFERENCE_TIME = LONGLONG;
inline constexpr REFERENCE_TIME UNITS = 10000000;

// ---------------------------------------------------------------------------
// Result codes of the filter graph

inline constexpr HRESULT VFW_S_NO_MORE_ITEMS = MakeHResult(0x00040103u);
inline constexpr HRESULT VFW_S_NO_STOP_TIME = MakeHResult(0x00040270u);

inline constexpr HRESULT VFW_E_INVALIDMEDIATYPE = MakeHResult(0x80040200u);
inline constexpr HRESULT VFW_E_NEED_OWNER = MakeHResult(0x80040202u);
inline constexpr HRESULT VFW_E_ALREADY_CONNECTED = MakeHResult(0x80040204u);
inline constexpr HRESULT VFW_E_NO_ACCEPTABLE_TYPES = MakeHResult(0x80040207u);
inline constexpr HRESULT VFW_E_INVALID_DIRECTION = MakeHResult(0x80040208u);
inline constexpr HRESULT VFW_E_NOT_CONNECTED = MakeHResult(0x80040209u);
inline constexpr HRESULT VFW_E_NO_ALLOCATOR = MakeHResult(0x8004020Au);
inline constexpr HRESULT VFW_E_RUNTIME_ERROR = MakeHResult(0x8004020Bu);
inline constexpr HRESULT VFW_E_BUFFER_NOTSET = MakeHResult(0x8004020Cu);
inline constexpr HRESULT VFW_E_BUFFER_OVERFLOW = MakeHResult(0x8004020Du);
inline constexpr HRESULT VFW_E_BADALIGN = MakeHResult(0x8004020Eu);
inline constexpr HRESULT VFW_E_ALREADY_COMMITTED = MakeHResult(0x8004020Fu);
inline constexpr HRESULT VFW_E_BUFFERS_OUTSTANDING = MakeHResult(0x80040210u);
inline constexpr HRESULT VFW_E_NOT_COMMITTED = MakeHResult(0x80040211u);
inline constexpr HRESULT VFW_E_SIZENOTSET = MakeHResult(0x80040212u);
inline constexpr HRESULT VFW_E_NOT_FOUND = MakeHResult(0x80040216u);
inline constexpr HRESULT VFW_E_CANNOT_CONNECT = MakeHResult(0x80040217u);
inline constexpr HRESULT VFW_E_NOT_STOPPED = MakeHResult(0x80040224u);
inline constexpr HRESULT VFW_E_WRONG_STATE = MakeHResult(0x80040227u);
inline constexpr HRESULT VFW_E_TYPE_NOT_ACCEPTED = MakeHResult(0x8004022Au);
inline constexpr HRESULT VFW_E_TIMEOUT = MakeHResult(0x8004022Eu);
inline constexpr HRESULT VFW_E_SAMPLE_TIME_NOT_SET = MakeHResult(0x80040249u);
inline constexpr HRESULT VFW_E_MEDIA_TIME_NOT_SET = MakeHResult(0x80040251u);
inline constexpr HRESULT VFW_E_NOT_IN_GRAPH = MakeHResult(0x8004025Fu);

// ---------------------------------------------------------------------------
// Interface identifiers

constexpr IID IID_IMediaSample = {0x56A8689A, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr IID IID_IMemAllocator = {0x56A8689C, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr IID IID_IMemInputPin = {0x56A8689D, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr IID IID_IPin = {0x56A86891, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr IID IID_IEnumPins = {0x56A86892, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr IID IID_IEnumMediaTypes = {
    0x89C31040, 0x846B, 0x11CE, {0x97, 0xD3, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
constexpr IID IID_IFilterGraph = {0x56A8689F, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr IID IID_IMediaFilter = {0x56A86899, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr IID IID_IBaseFilter = {0x56A86895, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr IID IID_IMediaEventSink = {
    0x56A868A2, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr IID IID_IAMovieSetup = {0xA3D8CEC0, 0x7E5A, 0x11CF, {0xBB, 0xC5, 0x00, 0x80, 0x5F, 0x6C, 0xEF, 0x20}};
constexpr IID IID_IFilterMapper = {0x56A868A3, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr CLSID CLSID_FilterMapper = {
    0xCDA42200, 0xBD88, 0x11D0, {0xBD, 0x4E, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
// Our own: a source whose samples are pushed on the caller's thread.
constexpr IID IID_IPushSource = {0x6F1C2A40, 0x5B7E, 0x4C1D, {0x9A, 0x3E, 0x21, 0x7B, 0x64, 0x0D, 0xC5, 0x18}};

// ---------------------------------------------------------------------------
// Samples and allocators

struct IMediaSample : IUnknown {
    virtual HRESULT GetPointer(BYTE** ppBuffer) = 0;
    virtual LONG GetSize() = 0;
    // S_OK with both times; VFW_S_NO_STOP_TIME with only a start (the stop
    // reads as start + 1); VFW_E_SAMPLE_TIME_NOT_SET without times.
    virtual HRESULT GetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd) = 0;
    // A null start clears both times; a null end sets the start alone.
    virtual HRESULT SetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd) = 0;
    virtual HRESULT IsSyncPoint() = 0; // S_OK or S_FALSE, as the other Is... below
    virtual HRESULT SetSyncPoint(BOOL bIsSyncPoint) = 0;
    virtual HRESULT IsPreroll() = 0;
    virtual HRESULT SetPreroll(BOOL bIsPreroll) = 0;
    virtual LONG GetActualDataLength() = 0;
    // VFW_E_BUFFER_OVERFLOW beyond GetSize.
    virtual HRESULT SetActualDataLength(LONG lLen) = 0;
    // S_FALSE and null when the type has not changed; otherwise a copy that
    // the caller frees with DeleteMediaType.
    virtual HRESULT GetMediaType(AM_MEDIA_TYPE** ppMediaType) = 0;
    virtual HRESULT SetMediaType(AM_MEDIA_TYPE* pMediaType) = 0;
    virtual HRESULT IsDiscontinuity() = 0;
    virtual HRESULT SetDiscontinuity(BOOL bDiscontinuity) = 0;
    virtual HRESULT GetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) = 0;
    virtual HRESULT SetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) = 0;

protected:
    ~IMediaSample() = default;
};

struct ALLOCATOR_PROPERTIES {
    LONG cBuffers;
    LONG cbBuffer;
    LONG cbAlign;
    LONG cbPrefix;
};

// GetBuffer flags.
inline constexpr DWORD AM_GBF_PREVFRAMESKIPPED = 1;
inline constexpr DWORD AM_GBF_NOTASYNCPOINT = 2;
inline constexpr DWORD AM_GBF_NOWAIT = 4;

struct IMemAllocator : IUnknown {
    virtual HRESULT SetProperties(ALLOCATOR_PROPERTIES* pRequest, ALLOCATOR_PROPERTIES* pActual) = 0;
    virtual HRESULT GetProperties(ALLOCATOR_PROPERTIES* pProps) = 0;
    virtual HRESULT Commit() = 0;
    virtual HRESULT Decommit() = 0;
    virtual HRESULT GetBuffer(IMediaSample** ppBuffer, REFERENCE_TIME* pStartTime, REFERENCE_TIME* pEndTime,
                              DWORD dwFlags) = 0;
    virtual HRESULT ReleaseBuffer(IMediaSample* pBuffer) = 0;

protected:
    ~IMemAllocator() = default;
};

// ---------------------------------------------------------------------------
// Pins and filters

enum PIN_DIRECTION { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };

enum FILTER_STATE { State_Stopped = 0, State_Paused = 1, State_Running = 2 };

inline constexpr int MAX_PIN_NAME = 128;
inline constexpr int MAX_FILTER_NAME = 128;

struct IBaseFilter;
struct IFilterGraph;
struct IEnumMediaTypes;

struct PIN_INFO {
    IBaseFilter* pFilter; // referenced; the receiver releases it
    PIN_DIRECTION dir;
    char achName[MAX_PIN_NAME];
};

struct FILTER_INFO {
    char achName[MAX_FILTER_NAME];
    IFilterGraph* pGraph; // referenced when not null
};

struct IPin : IUnknown {
    virtual HRESULT Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) = 0;
    virtual HRESULT ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) = 0;
    virtual HRESULT Disconnect() = 0;
    virtual HRESULT ConnectedTo(IPin** ppPin) = 0;
    virtual HRESULT ConnectionMediaType(AM_MEDIA_TYPE* pmt) = 0;
    virtual HRESULT QueryPinInfo(PIN_INFO* pInfo) = 0;
    virtual HRESULT QueryDirection(PIN_DIRECTION* pPinDir) = 0;
    // *Id comes from CoTaskMemAlloc.
    virtual HRESULT QueryId(char** Id) = 0;
    // S_OK when the pin would take the type, S_FALSE when not.
    virtual HRESULT QueryAccept(const AM_MEDIA_TYPE* pmt) = 0;
    virtual HRESULT EnumMediaTypes(IEnumMediaTypes** ppEnum) = 0;
    virtual HRESULT EndOfStream() = 0;
    virtual HRESULT BeginFlush() = 0;
    virtual HRESULT EndFlush() = 0;
    virtual HRESULT NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) = 0;

protected:
    ~IPin() = default;
};

struct IEnumPins : IUnknown {
    virtual HRESULT Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) = 0;
    virtual HRESULT Skip(ULONG cPins) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumPins** ppEnum) = 0;

protected:
    ~IEnumPins() = default;
};

struct IEnumMediaTypes : IUnknown {
    // Each type comes from CreateMediaType; free with DeleteMediaType.
    virtual HRESULT Next(ULONG cMediaTypes, AM_MEDIA_TYPE** ppMediaTypes, ULONG* pcFetched) = 0;
    virtual HRESULT Skip(ULONG cMediaTypes) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumMediaTypes** ppEnum) = 0;

protected:
    ~IEnumMediaTypes() = default;
};

struct IMemInputPin : IUnknown {
    virtual HRESULT GetAllocator(IMemAllocator** ppAllocator) = 0;
    virtual HRESULT NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly) = 0;
    virtual HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* pProps) = 0;
    virtual HRESULT Receive(IMediaSample* pSample) = 0;
    virtual HRESULT ReceiveMultiple(IMediaSample** pSamples, LONG nSamples, LONG* nSamplesProcessed) = 0;
    virtual HRESULT ReceiveCanBlock() = 0;

protected:
    ~IMemInputPin() = default;
};

struct IMediaFilter : IPersist {
    virtual HRESULT Stop() = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Run(REFERENCE_TIME tStart) = 0;
    virtual HRESULT GetState(DWORD dwMilliSecsTimeout, FILTER_STATE* pState) = 0;

protected:
    ~IMediaFilter() = default;
};

struct IBaseFilter : IMediaFilter {
    virtual HRESULT EnumPins(IEnumPins** ppEnum) = 0;
    virtual HRESULT FindPin(const char* Id, IPin** ppPin) = 0;
    virtual HRESULT QueryFilterInfo(FILTER_INFO* pInfo) = 0;
    // The graph is not referenced: it owns the filter.
    virtual HRESULT JoinFilterGraph(IFilterGraph* pGraph, const char* pName) = 0;

protected:
    ~IBaseFilter() = default;
};

struct IFilterGraph : IUnknown {
    virtual HRESULT AddFilter(IBaseFilter* pFilter, const char* pName) = 0;
    virtual HRESULT RemoveFilter(IBaseFilter* pFilter) = 0;
    virtual HRESULT FindFilterByName(const char* pName, IBaseFilter** ppFilter) = 0;
    virtual HRESULT ConnectDirect(IPin* ppinOut, IPin* ppinIn, const AM_MEDIA_TYPE* pmt) = 0;
    // Breaks the pin's connection and makes it again, negotiating the type
    // anew. Asked for while a connection is being made, it happens as soon as
    // that connection is complete.
    virtual HRESULT Reconnect(IPin* ppin) = 0;
    virtual HRESULT Disconnect(IPin* ppin) = 0;

protected:
    ~IFilterGraph() = default;
};

// Event codes a filter reports to its graph.
inline constexpr LONG EC_COMPLETE = 0x01;     // p1: result, p2: the renderer's IBaseFilter*
inline constexpr LONG EC_USERABORT = 0x02;
inline constexpr LONG EC_ERRORABORT = 0x03;   // p1: the failure
inline constexpr LONG EC_STREAM_ERROR_STOPPED = 0x06;

struct IMediaEventSink : IUnknown {
    virtual HRESULT Notify(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2) = 0;

protected:
    ~IMediaEventSink() = default;
};

// A source without a thread of its own: each call delivers its next sample
// downstream on the caller's thread. S_OK when a sample went out; S_FALSE
// once the end of the stream has been delivered or downstream has said it
// wants no more (and on every later call until the next start); a failure
// when delivery failed.
struct IPushSource : IUnknown {
    virtual HRESULT DeliverNext() = 0;

protected:
    ~IPushSource() = default;
};

// A clock the graph can take its time from. The audio renderer is one:
// its time is the sound the device has played, so everything that follows
// it stays in step with what is heard.
constexpr IID IID_IReferenceClock = {0x56A86897, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
struct IReferenceClock : IUnknown {
    virtual HRESULT GetTime(REFERENCE_TIME* pTime) = 0;

protected:
    ~IReferenceClock() = default;
};

// ---------------------------------------------------------------------------
// Filter registration

inline constexpr DWORD MERIT_PREFERRED = 0x800000;
inline constexpr DWORD MERIT_NORMAL = 0x600000;
inline constexpr DWORD MERIT_UNLIKELY = 0x400000;
inline constexpr DWORD MERIT_DO_NOT_USE = 0x200000;

struct REGPINTYPES {
    const CLSID* clsMajorType;
    const CLSID* clsMinorType;
};
using AMOVIESETUP_MEDIATYPE = REGPINTYPES;

struct REGFILTERPINS {
    const char* strName;
    BOOL bRendered;
    BOOL bOutput;
    BOOL bZero;
    BOOL bMany;
    const CLSID* clsConnectsToFilter;
    const char* strConnectsToPin;
    UINT nMediaTypes;
    const REGPINTYPES* lpMediaType;
};
using AMOVIESETUP_PIN = REGFILTERPINS;

struct AMOVIESETUP_FILTER {
    const CLSID* clsID;
    const char* strName;
    DWORD dwMerit;
    UINT nPins;
    const AMOVIESETUP_PIN* lpPin;
};

struct IAMovieSetup : IUnknown {
    virtual HRESULT Register() = 0;
    virtual HRESULT Unregister() = 0;

protected:
    ~IAMovieSetup() = default;
};

// What the filter mapper holds about one registered filter.
struct CRegisteredPinType {
    CLSID clsMajorType;
    CLSID clsSubType;
};
struct CRegisteredPin {
    std::string strName;
    BOOL bRendered;
    BOOL bOutput;
    BOOL bZero;
    BOOL bMany;
    CLSID clsConnectsToFilter;
    std::string strConnectsToPin;
    std::vector<CRegisteredPinType> types;
};
struct CRegisteredFilter {
    CLSID clsid;
    std::string strName;
    DWORD dwMerit;
    std::vector<CRegisteredPin> pins;
};

struct IFilterMapper : IUnknown {
    virtual HRESULT RegisterFilter(CLSID clsid, const char* Name, DWORD dwMerit) = 0;
    // The filter must have been registered.
    virtual HRESULT RegisterPin(CLSID Filter, const char* Name, BOOL bRendered, BOOL bOutput, BOOL bZero, BOOL bMany,
                                CLSID ConnectsToFilter, const char* ConnectsToPin) = 0;
    // The pin must have been registered.
    virtual HRESULT RegisterPinType(CLSID clsFilter, const char* strName, CLSID clsMajorType, CLSID clsSubType) = 0;
    // HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) when the filter is not
    // registered.
    virtual HRESULT UnregisterFilter(CLSID Filter) = 0;
    virtual HRESULT UnregisterPin(CLSID Filter, const char* Name) = 0;
    // Every registered filter, in class identifier order.
    virtual HRESULT EnumRegisteredFilters(std::vector<CRegisteredFilter>* pFilters) = 0;

protected:
    ~IFilterMapper() = default;
};

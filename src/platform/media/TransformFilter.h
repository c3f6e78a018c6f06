#pragma once

// The base of a filter with one input and one output pin that turns each
// input sample into output. A derived filter decides which types it takes
// and offers, how big the output buffers are, and what a sample becomes;
// the base runs connection, allocation, state changes and delivery.
//
// Two locks: the filter lock (m_csFilter) serialises state changes and
// connections; the receive lock (m_csReceive) is held while a sample or the
// end of the stream is handled on the streaming thread. Stop takes the
// filter lock, releases the upstream allocator and then waits for the
// receive lock, so Stop on one thread and streaming on another meet safely.

#include "platform/media/BaseFilter.h"

#include <atomic>

class CTransformFilter;

class CTransformInputPin : public CBaseInputPin {
public:
    CTransformInputPin(const char* pObjectName, CTransformFilter* pTransformFilter, HRESULT* phr,
                       const char* pName);
    ~CTransformInputPin() override;

    // Reported as "In".
    HRESULT QueryId(char** Id) override;

    HRESULT CheckConnect(IPin* pPin) override;
    HRESULT BreakConnect() override;
    HRESULT CompleteConnect(IPin* pReceivePin) override;
    // The filter's CheckInputType, and with the output connected also its
    // CheckTransform against the output's type.
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT SetMediaType(const CMediaType* pmt) override;

    HRESULT Receive(IMediaSample* pSample) override;
    HRESULT EndOfStream() override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;
    HRESULT NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

protected:
    CTransformFilter* const m_pTransformFilter;
};

class CTransformOutputPin : public CBaseOutputPin {
public:
    CTransformOutputPin(const char* pObjectName, CTransformFilter* pTransformFilter, HRESULT* phr,
                        const char* pName);
    ~CTransformOutputPin() override;

    // Reported as "Out".
    HRESULT QueryId(char** Id) override;

    // The input must be connected first (E_UNEXPECTED).
    HRESULT CheckConnect(IPin* pPin) override;
    HRESULT BreakConnect() override;
    HRESULT CompleteConnect(IPin* pReceivePin) override;
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pProps) override;
    // The filter's CheckTransform from the input's type.
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT SetMediaType(const CMediaType* pmt) override;
    // The filter's GetMediaType; nothing while the input is unconnected.
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override;

protected:
    CTransformFilter* const m_pTransformFilter;
};

class CTransformFilter : public CBaseFilter {
public:
    CTransformFilter(const char* pName, LPUNKNOWN pUnk, REFCLSID clsid);
    ~CTransformFilter() override;

    // Creates both pins on first use.
    int GetPinCount() override;
    CBasePin* GetPin(int n) override;

    // Pause from stopped calls StartStreaming (under the receive lock) before
    // the pins become active; an unconnected input delivers the end of the
    // stream downstream at once. Stop calls StopStreaming once the pins are
    // inactive and no sample is being received.
    HRESULT Stop() override;
    HRESULT Pause() override;

    // What a sample becomes. S_OK delivers the output sample, S_FALSE drops
    // it (the next output is marked as a discontinuity). The default fails.
    virtual HRESULT Transform(IMediaSample* pIn, IMediaSample* pOut);

    virtual HRESULT CheckInputType(const CMediaType* mtIn) = 0;
    virtual HRESULT CheckTransform(const CMediaType* mtIn, const CMediaType* mtOut) = 0;
    virtual HRESULT DecideBufferSize(IMemAllocator* pAllocator, ALLOCATOR_PROPERTIES* pProp) = 0;
    virtual HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) = 0;

    virtual HRESULT StartStreaming();
    virtual HRESULT StopStreaming();

    // Connection hooks, called by the pins with their direction.
    virtual HRESULT SetMediaType(PIN_DIRECTION direction, const CMediaType* pmt);
    virtual HRESULT CheckConnect(PIN_DIRECTION dir, IPin* pPin);
    virtual HRESULT BreakConnect(PIN_DIRECTION dir);
    virtual HRESULT CompleteConnect(PIN_DIRECTION direction, IPin* pReceivePin);

    // Called under the receive lock. The default gets an output sample
    // (InitializeOutputSample), calls Transform and delivers the result.
    virtual HRESULT Receive(IMediaSample* pSample);
    virtual HRESULT EndOfStream();
    virtual HRESULT BeginFlush();
    virtual HRESULT EndFlush();
    virtual HRESULT NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate);

    // An output sample with the input's times (when it has them), sync point,
    // discontinuity, preroll flag and media times.
    virtual HRESULT InitializeOutputSample(IMediaSample* pSample, IMediaSample** ppOutSample);

    CCritSec* pStateLock() { return &m_csFilter; }

protected:
    friend class CTransformInputPin;
    friend class CTransformOutputPin;

    CCritSec m_csFilter;
    CCritSec m_csReceive;
    CTransformInputPin* m_pInput = nullptr;
    CTransformOutputPin* m_pOutput = nullptr;
    std::atomic<bool> m_bEOSDelivered{false};
    std::atomic<bool> m_bSampleSkipped{false};
};

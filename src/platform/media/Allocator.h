#pragma once

// Media samples and the memory allocator that owns them.

#include "platform/media/FilterTypes.h"
#include "platform/kernel/Kernel.h"

#include <condition_variable>
#include <mutex>
#include <vector>

class CMemAllocator;

// A buffer on loan from its allocator: the last Release hands it back.
class CMediaSample final : public IMediaSample {
public:
    CMediaSample(CMemAllocator* pAllocator, BYTE* pBuffer, LONG cbBuffer);
    ~CMediaSample();
    CMediaSample(const CMediaSample&) = delete;
    CMediaSample& operator=(const CMediaSample&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetPointer(BYTE** ppBuffer) override;
    LONG GetSize() override;
    HRESULT GetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd) override;
    HRESULT SetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd) override;
    HRESULT IsSyncPoint() override;
    HRESULT SetSyncPoint(BOOL bIsSyncPoint) override;
    HRESULT IsPreroll() override;
    HRESULT SetPreroll(BOOL bIsPreroll) override;
    LONG GetActualDataLength() override;
    HRESULT SetActualDataLength(LONG lLen) override;
    HRESULT GetMediaType(AM_MEDIA_TYPE** ppMediaType) override;
    HRESULT SetMediaType(AM_MEDIA_TYPE* pMediaType) override;
    HRESULT IsDiscontinuity() override;
    HRESULT SetDiscontinuity(BOOL bDiscontinuity) override;
    HRESULT GetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) override;
    HRESULT SetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) override;

private:
    friend class CMemAllocator;
    // Called by the allocator when it lends the sample out again.
    void Recycle();

    CMemAllocator* const m_pAllocator;
    std::atomic<LONG> m_cRef{0};
    BYTE* const m_pBuffer;
    const LONG m_cbBuffer;
    LONG m_lActual;
    bool m_bSyncPoint = false;
    bool m_bPreroll = false;
    bool m_bDiscontinuity = false;
    bool m_bStartValid = false;
    bool m_bStopValid = false;
    bool m_bMediaTimeValid = false;
    REFERENCE_TIME m_tStart = 0;
    REFERENCE_TIME m_tStop = 0;
    LONGLONG m_llMediaStart = 0;
    LONGLONG m_llMediaStop = 0;
    AM_MEDIA_TYPE* m_pMediaType = nullptr;
};

// Lends out a fixed set of equally sized buffers. Properties can change only
// while decommitted and with every sample returned; Commit allocates the
// memory, Decommit frees it once the last sample is back. A sample on loan
// keeps its allocator alive.
class CMemAllocator : public CUnknown, public IMemAllocator {
public:
    CMemAllocator(const char* pName, LPUNKNOWN pUnk, HRESULT* phr = nullptr);
    ~CMemAllocator() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // cbAlign must be a power of two (VFW_E_BADALIGN otherwise). The buffer
    // size granted is rounded up so that prefix plus buffer fills whole
    // alignment units, then cut to the limit set by SetMaxBufferSize.
    HRESULT SetProperties(ALLOCATOR_PROPERTIES* pRequest, ALLOCATOR_PROPERTIES* pActual) override;
    HRESULT GetProperties(ALLOCATOR_PROPERTIES* pProps) override;
    HRESULT Commit() override;
    HRESULT Decommit() override;
    // Waits for a free buffer unless AM_GBF_NOWAIT (then VFW_E_TIMEOUT);
    // VFW_E_NOT_COMMITTED when decommitted, also for a caller that was
    // waiting. The times, when given, are set on the sample.
    HRESULT GetBuffer(IMediaSample** ppBuffer, REFERENCE_TIME* pStartTime, REFERENCE_TIME* pEndTime,
                      DWORD dwFlags) override;
    HRESULT ReleaseBuffer(IMediaSample* pBuffer) override;

    // The largest buffer this allocator grants, 0 for no limit. Stands in for
    // a downstream filter that insists on small buffers.
    void SetMaxBufferSize(LONG cbMax);
    bool IsCommitted() const;
    // Samples currently on loan.
    LONG SamplesOutstanding() const;

private:
    void FreeMemory();

    mutable std::mutex m_mutex;
    std::condition_variable m_freed;
    ALLOCATOR_PROPERTIES m_props{0, 0, 1, 0};
    LONG m_cbMaxBuffer = 0;
    bool m_bCommitted = false;
    bool m_bMemoryStale = false;
    BYTE* m_pMemory = nullptr;
    std::size_t m_nMemoryAlign = 1;
    std::vector<CMediaSample*> m_samples;
    std::vector<CMediaSample*> m_free;
};

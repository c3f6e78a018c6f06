#include "platform/media/Allocator.h"

CMediaSample::CMediaSample(CMemAllocator* pAllocator, BYTE* pBuffer, LONG cbBuffer)
    : m_pAllocator(pAllocator), m_pBuffer(pBuffer), m_cbBuffer(cbBuffer), m_lActual(cbBuffer)
{
}

CMediaSample::~CMediaSample()
{
    DeleteMediaType(m_pMediaType);
}

void CMediaSample::Recycle()
{
    m_lActual = m_cbBuffer;
    m_bSyncPoint = false;
    m_bPreroll = false;
    m_bDiscontinuity = false;
    m_bStartValid = false;
    m_bStopValid = false;
    m_bMediaTimeValid = false;
    DeleteMediaType(m_pMediaType);
    m_pMediaType = nullptr;
    m_cRef.store(1, std::memory_order_relaxed);
}

HRESULT CMediaSample::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr) {
        return E_POINTER;
    }
    if (riid == IID_IUnknown || riid == IID_IMediaSample) {
        return GetInterface(static_cast<IMediaSample*>(this), ppv);
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG CMediaSample::AddRef()
{
    return static_cast<ULONG>(m_cRef.fetch_add(1, std::memory_order_relaxed) + 1);
}

ULONG CMediaSample::Release()
{
    const LONG remaining = m_cRef.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (remaining == 0) {
        m_pAllocator->ReleaseBuffer(this);
    }
    return static_cast<ULONG>(remaining);
}

HRESULT CMediaSample::GetPointer(BYTE** ppBuffer)
{
    if (ppBuffer == nullptr) {
        return E_POINTER;
    }
    *ppBuffer = m_pBuffer;
    return S_OK;
}

LONG CMediaSample::GetSize()
{
    return m_cbBuffer;
}

HRESULT CMediaSample::GetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd)
{
    if (!m_bStartValid) {
        return VFW_E_SAMPLE_TIME_NOT_SET;
    }
    if (pTimeStart == nullptr || pTimeEnd == nullptr) {
        return E_POINTER;
    }
    *pTimeStart = m_tStart;
    if (!m_bStopValid) {
        *pTimeEnd = m_tStart + 1;
        return VFW_S_NO_STOP_TIME;
    }
    *pTimeEnd = m_tStop;
    return S_OK;
}

HRESULT CMediaSample::SetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd)
{
    if (pTimeStart == nullptr) {
        m_bStartValid = false;
        m_bStopValid = false;
        return S_OK;
    }
    m_tStart = *pTimeStart;
    m_bStartValid = true;
    m_bStopValid = pTimeEnd != nullptr;
    if (pTimeEnd != nullptr) {
        m_tStop = *pTimeEnd;
    }
    return S_OK;
}

HRESULT CMediaSample::IsSyncPoint()
{
    return m_bSyncPoint ? S_OK : S_FALSE;
}

HRESULT CMediaSample::SetSyncPoint(BOOL bIsSyncPoint)
{
    m_bSyncPoint = bIsSyncPoint != FALSE;
    return S_OK;
}

HRESULT CMediaSample::IsPreroll()
{
    return m_bPreroll ? S_OK : S_FALSE;
}

HRESULT CMediaSample::SetPreroll(BOOL bIsPreroll)
{
    m_bPreroll = bIsPreroll != FALSE;
    return S_OK;
}

LONG CMediaSample::GetActualDataLength()
{
    return m_lActual;
}

HRESULT CMediaSample::SetActualDataLength(LONG lLen)
{
    if (lLen < 0 || lLen > m_cbBuffer) {
        return VFW_E_BUFFER_OVERFLOW;
    }
    m_lActual = lLen;
    return S_OK;
}

HRESULT CMediaSample::GetMediaType(AM_MEDIA_TYPE** ppMediaType)
{
    if (ppMediaType == nullptr) {
        return E_POINTER;
    }
    if (m_pMediaType == nullptr) {
        *ppMediaType = nullptr;
        return S_FALSE;
    }
    *ppMediaType = CreateMediaType(m_pMediaType);
    return *ppMediaType != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT CMediaSample::SetMediaType(AM_MEDIA_TYPE* pMediaType)
{
    DeleteMediaType(m_pMediaType);
    m_pMediaType = nullptr;
    if (pMediaType == nullptr) {
        return S_OK;
    }
    m_pMediaType = CreateMediaType(pMediaType);
    return m_pMediaType != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT CMediaSample::IsDiscontinuity()
{
    return m_bDiscontinuity ? S_OK : S_FALSE;
}

HRESULT CMediaSample::SetDiscontinuity(BOOL bDiscontinuity)
{
    m_bDiscontinuity = bDiscontinuity != FALSE;
    return S_OK;
}

HRESULT CMediaSample::GetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd)
{
    if (!m_bMediaTimeValid) {
        return VFW_E_MEDIA_TIME_NOT_SET;
    }
    if (pTimeStart == nullptr || pTimeEnd == nullptr) {
        return E_POINTER;
    }
    *pTimeStart = m_llMediaStart;
    *pTimeEnd = m_llMediaStop;
    return S_OK;
}

HRESULT CMediaSample::SetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd)
{
    if (pTimeStart == nullptr) {
        m_bMediaTimeValid = false;
        return S_OK;
    }
    if (pTimeEnd == nullptr) {
        return E_POINTER;
    }
    m_llMediaStart = *pTimeStart;
    m_llMediaStop = *pTimeEnd;
    m_bMediaTimeValid = true;
    return S_OK;
}

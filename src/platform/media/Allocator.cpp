#include "platform/media/Allocator.h"

#include <cstring>
#include <new>

namespace {

bool IsPowerOfTwo(LONG value)
{
    return value > 0 && (value & (value - 1)) == 0;
}

std::size_t RoundUp(std::size_t value, std::size_t unit)
{
    return (value + unit - 1) / unit * unit;
}

} // namespace

CMemAllocator::CMemAllocator(const char* pName, LPUNKNOWN pUnk, HRESULT* phr) : CUnknown(pName, pUnk, phr) {}

CMemAllocator::~CMemAllocator()
{
    FreeMemory();
}

HRESULT CMemAllocator::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IMemAllocator) {
        return GetInterface(static_cast<IMemAllocator*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CMemAllocator::SetProperties(ALLOCATOR_PROPERTIES* pRequest, ALLOCATOR_PROPERTIES* pActual)
{
    if (pRequest == nullptr || pActual == nullptr) {
        return E_POINTER;
    }
    std::lock_guard lock(m_mutex);
    if (m_bCommitted) {
        return VFW_E_ALREADY_COMMITTED;
    }
    if (m_free.size() != m_samples.size()) {
        return VFW_E_BUFFERS_OUTSTANDING;
    }
    if (!IsPowerOfTwo(pRequest->cbAlign)) {
        return VFW_E_BADALIGN;
    }
    if (pRequest->cBuffers < 0 || pRequest->cbBuffer < 0 || pRequest->cbPrefix < 0) {
        return E_INVALIDARG;
    }
    ALLOCATOR_PROPERTIES granted = *pRequest;
    const std::size_t whole = RoundUp(static_cast<std::size_t>(pRequest->cbBuffer) + pRequest->cbPrefix,
                                      static_cast<std::size_t>(pRequest->cbAlign));
    if (whole - static_cast<std::size_t>(pRequest->cbPrefix) > 0x7FFFFFFF) {
        return E_INVALIDARG;
    }
    granted.cbBuffer = static_cast<LONG>(whole - static_cast<std::size_t>(pRequest->cbPrefix));
    if (m_cbMaxBuffer > 0 && granted.cbBuffer > m_cbMaxBuffer) {
        granted.cbBuffer = m_cbMaxBuffer;
    }
    m_props = granted;
    m_bMemoryStale = true;
    *pActual = granted;
    return S_OK;
}

HRESULT CMemAllocator::GetProperties(ALLOCATOR_PROPERTIES* pProps)
{
    if (pProps == nullptr) {
        return E_POINTER;
    }
    std::lock_guard lock(m_mutex);
    *pProps = m_props;
    return S_OK;
}

HRESULT CMemAllocator::Commit()
{
    std::lock_guard lock(m_mutex);
    if (m_bCommitted) {
        return S_OK;
    }
    if (m_props.cBuffers <= 0 || m_props.cbBuffer <= 0) {
        return VFW_E_SIZENOTSET;
    }
    // Samples still out from the last commit keep their memory; they come
    // back to the same free list.
    if (m_pMemory != nullptr && !m_bMemoryStale) {
        m_bCommitted = true;
        return S_OK;
    }
    if (m_free.size() != m_samples.size()) {
        return VFW_E_BUFFERS_OUTSTANDING;
    }
    FreeMemory();

    const std::size_t align = static_cast<std::size_t>(m_props.cbAlign);
    const std::size_t prefix = RoundUp(static_cast<std::size_t>(m_props.cbPrefix), align);
    const std::size_t stride = RoundUp(prefix + static_cast<std::size_t>(m_props.cbBuffer), align);
    const std::size_t total = stride * static_cast<std::size_t>(m_props.cBuffers);
    m_pMemory = static_cast<BYTE*>(::operator new[](total, std::align_val_t(align), std::nothrow));
    if (m_pMemory == nullptr) {
        return E_OUTOFMEMORY;
    }
    m_nMemoryAlign = align;
    // Zeroed so that a filter reading past the data it was given sees
    // silence rather than whatever the heap held.
    std::memset(m_pMemory, 0, total);
    try {
        m_samples.reserve(static_cast<std::size_t>(m_props.cBuffers));
        m_free.reserve(static_cast<std::size_t>(m_props.cBuffers));
        for (LONG i = 0; i < m_props.cBuffers; ++i) {
            auto* pSample = new CMediaSample(this, m_pMemory + stride * static_cast<std::size_t>(i) + prefix,
                                             m_props.cbBuffer);
            m_samples.push_back(pSample);
            m_free.push_back(pSample);
        }
    } catch (const std::bad_alloc&) {
        FreeMemory();
        return E_OUTOFMEMORY;
    }
    m_bMemoryStale = false;
    m_bCommitted = true;
    return S_OK;
}

HRESULT CMemAllocator::Decommit()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_bCommitted) {
            return S_OK;
        }
        m_bCommitted = false;
        if (m_free.size() == m_samples.size()) {
            FreeMemory();
        }
    }
    m_freed.notify_all();
    return S_OK;
}

HRESULT CMemAllocator::GetBuffer(IMediaSample** ppBuffer, REFERENCE_TIME* pStartTime, REFERENCE_TIME* pEndTime,
                                 DWORD dwFlags)
{
    if (ppBuffer == nullptr) {
        return E_POINTER;
    }
    *ppBuffer = nullptr;
    CMediaSample* pSample = nullptr;
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            if (!m_bCommitted) {
                return VFW_E_NOT_COMMITTED;
            }
            if (!m_free.empty()) {
                break;
            }
            if ((dwFlags & AM_GBF_NOWAIT) != 0) {
                return VFW_E_TIMEOUT;
            }
            m_freed.wait(lock);
        }
        pSample = m_free.back();
        m_free.pop_back();
        pSample->Recycle();
    }
    // The loan keeps the allocator alive until the sample comes back.
    NonDelegatingAddRef();
    if (pStartTime != nullptr) {
        pSample->SetTime(pStartTime, pEndTime);
    }
    *ppBuffer = pSample;
    return S_OK;
}

HRESULT CMemAllocator::ReleaseBuffer(IMediaSample* pBuffer)
{
    if (pBuffer == nullptr) {
        return E_POINTER;
    }
    {
        std::lock_guard lock(m_mutex);
        m_free.push_back(static_cast<CMediaSample*>(pBuffer));
        if (!m_bCommitted && m_free.size() == m_samples.size()) {
            FreeMemory();
        }
    }
    m_freed.notify_all();
    NonDelegatingRelease();
    return S_OK;
}

void CMemAllocator::SetMaxBufferSize(LONG cbMax)
{
    std::lock_guard lock(m_mutex);
    m_cbMaxBuffer = cbMax > 0 ? cbMax : 0;
}

bool CMemAllocator::IsCommitted() const
{
    std::lock_guard lock(m_mutex);
    return m_bCommitted;
}

LONG CMemAllocator::SamplesOutstanding() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<LONG>(m_samples.size() - m_free.size());
}

void CMemAllocator::FreeMemory()
{
    for (CMediaSample* pSample : m_samples) {
        delete pSample;
    }
    m_samples.clear();
    m_free.clear();
    if (m_pMemory != nullptr) {
        ::operator delete[](m_pMemory, std::align_val_t(m_nMemoryAlign), std::nothrow);
        m_pMemory = nullptr;
    }
}

#include "platform/com/Com.h"

#include <cstdlib>

namespace {

std::atomic<LONG> g_cActiveObjects{0};

thread_local DWORD t_dwLastError = 0;
thread_local int t_nComInits = 0;

} // namespace

DWORD GetLastError()
{
    return t_dwLastError;
}

void SetLastError(DWORD error)
{
    t_dwLastError = error;
}

// ---------------------------------------------------------------------------

CBaseObject::CBaseObject(const char* pName) : m_pName(pName)
{
    g_cActiveObjects.fetch_add(1, std::memory_order_relaxed);
}

CBaseObject::~CBaseObject()
{
    g_cActiveObjects.fetch_sub(1, std::memory_order_relaxed);
}

LONG CBaseObject::ObjectsActive()
{
    return g_cActiveObjects.load(std::memory_order_relaxed);
}

// ---------------------------------------------------------------------------

CUnknown::CUnknown(const char* pName, LPUNKNOWN pUnk, HRESULT* /*phr*/)
    : CBaseObject(pName), m_inner(this), m_pOwner(pUnk != nullptr ? pUnk : &m_inner)
{
}

CUnknown::~CUnknown() = default;

HRESULT CUnknown::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr) {
        return E_POINTER;
    }
    if (riid == IID_IUnknown) {
        return GetInterface(&m_inner, ppv);
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG CUnknown::NonDelegatingAddRef()
{
    return static_cast<ULONG>(m_cRef.fetch_add(1, std::memory_order_relaxed) + 1);
}

ULONG CUnknown::NonDelegatingRelease()
{
    const LONG remaining = m_cRef.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (remaining == 0) {
        // A destructor that hands out and drops a reference to itself must
        // not bring the count back to zero and delete the object twice.
        m_cRef.store(1, std::memory_order_relaxed);
        delete this;
        return 0;
    }
    return static_cast<ULONG>(remaining > 0 ? remaining : 0);
}

HRESULT CUnknown::CInnerUnknown::QueryInterface(REFIID riid, void** ppv)
{
    return m_pObject->NonDelegatingQueryInterface(riid, ppv);
}

ULONG CUnknown::CInnerUnknown::AddRef()
{
    return m_pObject->NonDelegatingAddRef();
}

ULONG CUnknown::CInnerUnknown::Release()
{
    return m_pObject->NonDelegatingRelease();
}

HRESULT GetInterface(LPUNKNOWN pUnk, void** ppv)
{
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = pUnk;
    pUnk->AddRef();
    return S_OK;
}

// ---------------------------------------------------------------------------

void* CoTaskMemAlloc(std::size_t cb)
{
    // A zero-byte request still yields a distinct block the caller can free.
    return std::malloc(cb == 0 ? 1 : cb);
}

void* CoTaskMemRealloc(void* pv, std::size_t cb)
{
    return std::realloc(pv, cb == 0 ? 1 : cb);
}

void CoTaskMemFree(void* pv)
{
    std::free(pv);
}

HRESULT CoInitialize(void* /*pReserved*/)
{
    return t_nComInits++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize()
{
    if (t_nComInits > 0) {
        --t_nComInits;
    }
}

// The class factory: one factory object per request, each serving one entry
// of the class table, and the counts that decide whether the module may be
// unloaded.

#include "host/ModuleExports.h"
#include "host/Registration.h"

#include <atomic>
#include <new>

namespace {

std::atomic<LONG> g_cServerLocks{0};

class CClassFactory final : public CBaseObject, public IClassFactory
{
public:
    explicit CClassFactory(const CFactoryTemplate* pTemplate)
        : CBaseObject("Intonara class factory"), m_pTemplate(pTemplate)
    {
    }

    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == nullptr) {
            return E_POINTER;
        }
        if (riid == IID_IClassFactory || riid == IID_IUnknown) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }

    ULONG AddRef() override { return static_cast<ULONG>(m_cRef.fetch_add(1, std::memory_order_relaxed) + 1); }

    ULONG Release() override
    {
        const LONG remaining = m_cRef.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (remaining == 0) {
            delete this;
        }
        return static_cast<ULONG>(remaining > 0 ? remaining : 0);
    }

    HRESULT CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid, void** ppv) override
    {
        return CreateFromTemplate(*m_pTemplate, pUnkOuter, riid, ppv);
    }

    HRESULT LockServer(BOOL bLock) override
    {
        if (bLock) {
            g_cServerLocks.fetch_add(1, std::memory_order_relaxed);
        } else {
            g_cServerLocks.fetch_sub(1, std::memory_order_relaxed);
        }
        return S_OK;
    }

private:
    std::atomic<LONG> m_cRef{0};
    const CFactoryTemplate* const m_pTemplate;
};

} // namespace

HRESULT CreateFromTemplate(const CFactoryTemplate& entry, LPUNKNOWN pUnkOuter, REFIID riid, void** ppv)
{
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    // An aggregated object can only hand its inner unknown to the outer one.
    if (pUnkOuter != nullptr && riid != IID_IUnknown) {
        return E_NOINTERFACE;
    }
    if (entry.m_lpfnNew == nullptr) {
        return E_NOTIMPL;
    }
    HRESULT hr = S_OK;
    CUnknown* pObject = entry.m_lpfnNew(pUnkOuter, &hr);
    if (pObject == nullptr) {
        return FAILED(hr) ? hr : E_OUTOFMEMORY;
    }
    if (FAILED(hr)) {
        delete pObject;
        return hr;
    }
    pObject->NonDelegatingAddRef();
    hr = pObject->NonDelegatingQueryInterface(riid, ppv);
    pObject->NonDelegatingRelease();
    return hr;
}

LONG ServerLockCount()
{
    return g_cServerLocks.load(std::memory_order_relaxed);
}

HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (riid != IID_IClassFactory && riid != IID_IUnknown) {
        return E_NOINTERFACE;
    }
    for (int i = 0; i < g_cTemplates; ++i) {
        if (*g_Templates[i].m_ClsID != rclsid) {
            continue;
        }
        auto* pFactory = new (std::nothrow) CClassFactory(&g_Templates[i]);
        if (pFactory == nullptr) {
            return E_OUTOFMEMORY;
        }
        pFactory->AddRef();
        *ppv = static_cast<IClassFactory*>(pFactory);
        return S_OK;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT DllCanUnloadNow()
{
    return ServerLockCount() > 0 || CBaseObject::ObjectsActive() > 0 ? S_FALSE : S_OK;
}

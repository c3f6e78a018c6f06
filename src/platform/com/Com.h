#pragma once

// The component object model as plug-in code sees it: result codes,
// identifiers, reference-counted interfaces, objects that can be aggregated
// inside an outer object, task memory, and object creation by class
// identifier. Strings are plain char strings throughout.

#include "platform/Types.h"

#include <atomic>
#include <compare>
#include <cstddef>
#include <functional>
#include <string>

// ---------------------------------------------------------------------------
// Result codes

using HRESULT = std::int32_t;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

constexpr HRESULT MakeHResult(std::uint32_t bits) { return static_cast<HRESULT>(bits); }

// System error numbers travel as HRESULTs in their own facility (7).
constexpr HRESULT HRESULT_FROM_WIN32(LONG error)
{
    return error <= 0 ? static_cast<HRESULT>(error)
                      : MakeHResult((static_cast<std::uint32_t>(error) & 0xFFFFu) | 0x80070000u);
}

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT NOERROR = 0;
inline constexpr HRESULT S_FALSE = 1;

inline constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002u);
inline constexpr HRESULT E_POINTER = MakeHResult(0x80004003u);
inline constexpr HRESULT E_FAIL = MakeHResult(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = MakeHResult(0x8000FFFFu);
inline constexpr HRESULT E_ACCESSDENIED = MakeHResult(0x80070005u);
inline constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057u);

inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHResult(0x80040111u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(0x80040154u);
inline constexpr HRESULT CO_E_DLLNOTFOUND = MakeHResult(0x8004015Fu);
inline constexpr HRESULT CO_E_NOTINITIALIZED = MakeHResult(0x800401F0u);
inline constexpr HRESULT CO_E_CLASSSTRING = MakeHResult(0x800401F3u);
inline constexpr HRESULT CO_E_ERRORINDLL = MakeHResult(0x800401F9u);
inline constexpr HRESULT SELFREG_E_CLASS = MakeHResult(0x80040201u);

inline constexpr HRESULT STG_E_INVALIDFUNCTION = MakeHResult(0x80030001u);
inline constexpr HRESULT STG_E_FILENOTFOUND = MakeHResult(0x80030002u);
inline constexpr HRESULT STG_E_ACCESSDENIED = MakeHResult(0x80030005u);
inline constexpr HRESULT STG_E_INVALIDPOINTER = MakeHResult(0x80030009u);
inline constexpr HRESULT STG_E_SEEKERROR = MakeHResult(0x80030019u);
inline constexpr HRESULT STG_E_WRITEFAULT = MakeHResult(0x8003001Du);
inline constexpr HRESULT STG_E_READFAULT = MakeHResult(0x8003001Eu);
inline constexpr HRESULT STG_E_INVALIDPARAMETER = MakeHResult(0x80030057u);
inline constexpr HRESULT STG_E_MEDIUMFULL = MakeHResult(0x80030070u);
inline constexpr HRESULT STG_E_INVALIDFLAG = MakeHResult(0x800300FFu);

// ---------------------------------------------------------------------------
// Identifiers

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];

    friend constexpr bool operator==(const GUID&, const GUID&) = default;
    friend constexpr std::strong_ordering operator<=>(const GUID&, const GUID&) = default;
};
static_assert(sizeof(GUID) == 16);

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
inline bool IsEqualIID(REFIID a, REFIID b) { return a == b; }
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return a == b; }

// Characters in the registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
// not counting the terminator.
inline constexpr int kGuidStringLength = 38;

// Writes the registry form with upper-case digits. Returns the characters
// written including the terminator (39), or 0 when cchMax is too small.
int StringFromGUID2(REFGUID guid, char* psz, int cchMax);
std::string GuidToString(REFGUID guid);
// Accepts the registry form only (braces required, either letter case).
bool GuidFromString(const char* psz, GUID* pGuid);
// CO_E_CLASSSTRING when the text is not a registry-form identifier.
HRESULT CLSIDFromString(const char* psz, CLSID* pClsid);

// Identifiers are constants of each translation unit rather than inline
// variables: an inline variable whose address is taken becomes a unique
// symbol, and a plug-in module holding one can never be unloaded. They are
// compared by value, so the copies do not matter.
constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr CLSID CLSID_NULL = GUID_NULL;

constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_IStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_IPersist = {0x0000010C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_IPersistStream = {0x00000109, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_ISpecifyPropertyPages = {
    0xB196B28B, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

template <>
struct std::hash<GUID> {
    std::size_t operator()(const GUID& guid) const noexcept;
};

// ---------------------------------------------------------------------------
// Interfaces

// Interfaces are abstract classes without data. Objects are destroyed by
// their last Release, never through an interface pointer, hence the
// protected destructors.
struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

// The unknown of an object that may live inside an outer object: these
// calls reach the object itself, while its IUnknown methods reach the outer.
struct INonDelegatingUnknown {
    virtual HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG NonDelegatingAddRef() = 0;
    virtual ULONG NonDelegatingRelease() = 0;

protected:
    ~INonDelegatingUnknown() = default;
};

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid, void** ppv) = 0;
    virtual HRESULT LockServer(BOOL bLock) = 0;

protected:
    ~IClassFactory() = default;
};

struct IStream;

struct IPersist : IUnknown {
    virtual HRESULT GetClassID(CLSID* pClassID) = 0;

protected:
    ~IPersist() = default;
};

struct IPersistStream : IPersist {
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT Load(IStream* pStm) = 0;
    virtual HRESULT Save(IStream* pStm, BOOL fClearDirty) = 0;
    virtual HRESULT GetSizeMax(ULARGE_INTEGER* pcbSize) = 0;

protected:
    ~IPersistStream() = default;
};

// A counted array of identifiers; pElems comes from CoTaskMemAlloc and the
// receiver frees it with CoTaskMemFree.
struct CAUUID {
    ULONG cElems;
    GUID* pElems;
};

struct ISpecifyPropertyPages : IUnknown {
    virtual HRESULT GetPages(CAUUID* pPages) = 0;

protected:
    ~ISpecifyPropertyPages() = default;
};

// ---------------------------------------------------------------------------
// Object base classes

// Counts the live objects of this module, which decides whether the module
// may be unloaded.
class CBaseObject {
public:
    explicit CBaseObject(const char* pName);
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;
    virtual ~CBaseObject();

    static LONG ObjectsActive();
    const char* ObjectName() const { return m_pName; }

private:
    const char* m_pName;
};

// Reference counting and interface lookup for an object that may be
// aggregated. Without an outer object the owner is the object's own inner
// unknown, so every interface's IUnknown calls come back here.
class CUnknown : public INonDelegatingUnknown, public CBaseObject {
public:
    CUnknown(const char* pName, LPUNKNOWN pUnk, HRESULT* phr = nullptr);
    ~CUnknown() override;

    LPUNKNOWN GetOwner() const { return m_pOwner; }
    // What an aggregating outer object keeps: an IUnknown whose calls are
    // this object's non-delegating ones.
    LPUNKNOWN GetInnerUnknown() { return &m_inner; }

    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    ULONG NonDelegatingAddRef() override;
    ULONG NonDelegatingRelease() override;

protected:
    std::atomic<LONG> m_cRef{0};

private:
    class CInnerUnknown final : public IUnknown {
    public:
        explicit CInnerUnknown(CUnknown* pObject) : m_pObject(pObject) {}
        HRESULT QueryInterface(REFIID riid, void** ppv) override;
        ULONG AddRef() override;
        ULONG Release() override;

    private:
        CUnknown* m_pObject;
    };

    CInnerUnknown m_inner;
    LPUNKNOWN m_pOwner;
};

// Forwards a class's IUnknown methods to its owner.
#define DECLARE_IUNKNOWN                                                      \
    HRESULT QueryInterface(REFIID riid, void** ppv) override                  \
    {                                                                         \
        return GetOwner()->QueryInterface(riid, ppv);                         \
    }                                                                         \
    ULONG AddRef() override { return GetOwner()->AddRef(); }                  \
    ULONG Release() override { return GetOwner()->Release(); }

// Hands out an interface pointer with a reference taken.
HRESULT GetInterface(LPUNKNOWN pUnk, void** ppv);

// Holds one reference to an interface.
template <class T>
class CComPtr {
public:
    CComPtr() = default;
    CComPtr(T* p) : m_p(p)
    {
        if (m_p) {
            m_p->AddRef();
        }
    }
    CComPtr(const CComPtr& other) : CComPtr(other.m_p) {}
    CComPtr(CComPtr&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    ~CComPtr() { Release(); }

    CComPtr& operator=(const CComPtr& other)
    {
        if (other.m_p) {
            other.m_p->AddRef();
        }
        Release();
        m_p = other.m_p;
        return *this;
    }
    CComPtr& operator=(CComPtr&& other) noexcept
    {
        if (this != &other) {
            Release();
            m_p = other.m_p;
            other.m_p = nullptr;
        }
        return *this;
    }

    void Release()
    {
        if (T* p = m_p) {
            m_p = nullptr;
            p->Release();
        }
    }
    // Takes over a reference the caller already owns.
    void Attach(T* p)
    {
        Release();
        m_p = p;
    }
    T* Detach()
    {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }
    // For out-parameters: drops what is held and exposes the slot.
    T** GetAddressOf()
    {
        Release();
        return &m_p;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(GetAddressOf()); }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    operator T*() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

// ---------------------------------------------------------------------------
// Library functions

// Task memory: blocks handed across interfaces and freed by the receiver.
void* CoTaskMemAlloc(std::size_t cb);
void* CoTaskMemRealloc(void* pv, std::size_t cb);
void CoTaskMemFree(void* pv);

// Counted per thread; S_FALSE when the thread had already initialised.
HRESULT CoInitialize(void* pReserved);
void CoUninitialize();

inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;

// Object creation by class identifier. Classes registered in this process
// (CoRegisterClassObject, and the platform's own filter mapper) come first;
// otherwise the module named by the class's "InprocServer32" registry value
// is loaded and asked for its class factory.
HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, void* pReserved, REFIID riid, void** ppv);
HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, void** ppv);
// Makes a factory of this process answer for rclsid until revoked.
HRESULT CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pFactory, DWORD* pdwRegister);
HRESULT CoRevokeClassObject(DWORD dwRegister);
// Unloads every module loaded for object creation that says it can go.
void CoFreeUnusedLibraries();

// Reference counting, interface lookup, aggregation, identifiers, task
// memory and the kernel stand-ins.

#include "platform/com/Com.h"
#include "platform/kernel/Kernel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace {

// {1B5A3C77-8E21-4D0F-9A6B-2C4E6F8A0B13}
constexpr CLSID CLSID_Widget = {0x1B5A3C77, 0x8E21, 0x4D0F, {0x9A, 0x6B, 0x2C, 0x4E, 0x6F, 0x8A, 0x0B, 0x13}};

std::atomic<int> g_nWidgetsDestroyed{0};

class CWidget : public CUnknown, public IPersist {
public:
    explicit CWidget(LPUNKNOWN pUnk) : CUnknown("Widget", pUnk) {}
    ~CWidget() override { ++g_nWidgetsDestroyed; }

    DECLARE_IUNKNOWN

    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IPersist) {
            return GetInterface(static_cast<IPersist*>(this), ppv);
        }
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }

    HRESULT GetClassID(CLSID* pClassID) override
    {
        *pClassID = CLSID_Widget;
        return S_OK;
    }

    LONG RefCount() const { return m_cRef.load(); }
};

// Aggregates a widget and exposes its IPersist as its own.
class COuter : public CUnknown {
public:
    COuter() : CUnknown("Outer", nullptr)
    {
        auto* pInner = new CWidget(GetOwner());
        m_pInnerWidget = pInner;
        m_pInner = pInner->GetInnerUnknown();
        m_pInner->AddRef();
    }
    ~COuter() override { m_pInner->Release(); }

    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IPersist) {
            return m_pInner->QueryInterface(riid, ppv);
        }
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }

    LONG RefCount() const { return m_cRef.load(); }
    CWidget* m_pInnerWidget = nullptr;

private:
    IUnknown* m_pInner = nullptr;
};

IUnknown* Identity(IUnknown* pUnk)
{
    IUnknown* pIdentity = nullptr;
    EXPECT_EQ(pUnk->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pIdentity)), S_OK);
    pIdentity->Release();
    return pIdentity;
}

} // namespace

TEST(ComObjects, LastReleaseDestroysTheObjectAndCountsBack)
{
    const LONG liveBefore = CBaseObject::ObjectsActive();
    const int destroyedBefore = g_nWidgetsDestroyed;
    auto* pWidget = new CWidget(nullptr);
    EXPECT_EQ(CBaseObject::ObjectsActive(), liveBefore + 1);

    IPersist* pPersist = pWidget;
    EXPECT_EQ(pPersist->AddRef(), 1u);
    EXPECT_EQ(pPersist->AddRef(), 2u);
    EXPECT_EQ(pPersist->Release(), 1u);
    EXPECT_EQ(g_nWidgetsDestroyed, destroyedBefore);
    EXPECT_EQ(pPersist->Release(), 0u);
    EXPECT_EQ(g_nWidgetsDestroyed, destroyedBefore + 1);
    EXPECT_EQ(CBaseObject::ObjectsActive(), liveBefore);
}

TEST(ComObjects, QueryInterfaceKeepsIdentityAndRefusesUnknownInterfaces)
{
    CComPtr<CWidget> pWidget(new CWidget(nullptr));
    CComPtr<IPersist> pPersist;
    ASSERT_EQ(pWidget->QueryInterface(IID_IPersist, pPersist.ReceiveVoid()), S_OK);
    EXPECT_EQ(pWidget->RefCount(), 2);

    // Whichever interface is asked, IUnknown is the same pointer.
    EXPECT_EQ(Identity(pPersist), Identity(static_cast<IPersist*>(pWidget.Get())));

    void* pv = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(pWidget->QueryInterface(IID_IStream, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    EXPECT_EQ(pWidget->QueryInterface(IID_IPersist, nullptr), E_POINTER);
    EXPECT_EQ(pWidget->RefCount(), 2);
}

TEST(ComObjects, AggregatedObjectSharesTheOutersIdentityAndCount)
{
    const int destroyedBefore = g_nWidgetsDestroyed;
    auto* pOuter = new COuter;
    IUnknown* pOuterUnknown = pOuter->GetOwner();
    pOuterUnknown->AddRef();
    const LONG innerCount = pOuter->m_pInnerWidget->RefCount();

    CComPtr<IPersist> pPersist;
    ASSERT_EQ(pOuterUnknown->QueryInterface(IID_IPersist, pPersist.ReceiveVoid()), S_OK);
    CLSID clsid{};
    pPersist->GetClassID(&clsid);
    EXPECT_EQ(clsid, CLSID_Widget);

    // The inner's interface counts on the outer and answers IUnknown with
    // the outer's identity.
    EXPECT_EQ(pOuter->RefCount(), 2);
    EXPECT_EQ(pOuter->m_pInnerWidget->RefCount(), innerCount);
    EXPECT_EQ(Identity(pPersist), Identity(pOuterUnknown));

    pPersist.Release();
    EXPECT_EQ(g_nWidgetsDestroyed, destroyedBefore);
    pOuterUnknown->Release();
    EXPECT_EQ(g_nWidgetsDestroyed, destroyedBefore + 1);
}

TEST(ComIdentifiers, RegistryFormRoundTripAndOrder)
{
    // The base interface's identifier has a well-known registry form.
    EXPECT_EQ(GuidToString(IID_IUnknown), "{00000000-0000-0000-C000-000000000046}");

    const GUID guid = {0x89ABCDEF, 0x0123, 0x4567, {0x89, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67}};
    char text[39];
    EXPECT_EQ(StringFromGUID2(guid, text, sizeof text), 39);
    EXPECT_STREQ(text, "{89ABCDEF-0123-4567-89AB-CDEF01234567}");
    EXPECT_EQ(StringFromGUID2(guid, text, 38), 0);

    GUID parsed{};
    ASSERT_TRUE(GuidFromString(text, &parsed));
    EXPECT_EQ(parsed, guid);
    ASSERT_TRUE(GuidFromString("{89abcdef-0123-4567-89ab-cdef01234567}", &parsed));
    EXPECT_EQ(parsed, guid);

    for (const char* bad : {"89ABCDEF-0123-4567-89AB-CDEF01234567", "{89ABCDEF-0123-4567-89AB-CDEF0123456}",
                            "{89ABCDEF+0123-4567-89AB-CDEF01234567}", "{89ABCDEG-0123-4567-89AB-CDEF01234567}",
                            "{89ABCDEF-0123-4567-89AB-CDEF01234567}x", ""}) {
        EXPECT_FALSE(GuidFromString(bad, &parsed)) << bad;
    }
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromString("nonsense", &clsid), CO_E_CLASSSTRING);

    // Identifiers sort as their registry forms do.
    const GUID a = {0x00000001, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
    const GUID b = {0x00000002, 0x0000, 0x0000, {0, 0, 0, 0, 0, 0, 0, 0}};
    const GUID c = {0x00000002, 0x0000, 0x0000, {0, 0, 0, 0, 0, 0, 0, 1}};
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    EXPECT_LT(GuidToString(a), GuidToString(b));
    EXPECT_LT(GuidToString(b), GuidToString(c));
}

TEST(ComResults, CodesAndFacilities)
{
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
    EXPECT_TRUE(FAILED(E_FAIL));
    // A system error number lands in facility 7: 0x8007xxxx.
    EXPECT_EQ(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)), 0x80070002u);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_OUTOFMEMORY), E_OUTOFMEMORY);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER), E_INVALIDARG);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_SUCCESS), S_OK);
}

TEST(ComMemory, TaskMemoryAndProcessHeap)
{
    auto* p = static_cast<char*>(CoTaskMemAlloc(16));
    ASSERT_NE(p, nullptr);
    std::memcpy(p, "0123456789abcde", 16);
    p = static_cast<char*>(CoTaskMemRealloc(p, 4096));
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p, "0123456789abcde");
    CoTaskMemFree(p);
    CoTaskMemFree(nullptr);

    auto* pZeroed = static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 192000));
    ASSERT_NE(pZeroed, nullptr);
    EXPECT_EQ(pZeroed[0], 0);
    EXPECT_EQ(pZeroed[191999], 0);
    EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, pZeroed));
}

TEST(KernelEvents, NamedEventIsSharedManualResetStaysSignalledAutoResetDoesNot)
{
    HANDLE hFirst = CreateEventA(nullptr, TRUE, FALSE, "Test/Event/Shared");
    ASSERT_NE(hFirst, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE hSecond = CreateEventA(nullptr, TRUE, FALSE, "Test/Event/Shared");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));

    EXPECT_EQ(WaitForSingleObject(hSecond, 0), WAIT_TIMEOUT);
    std::thread signaller([hFirst] {
        Sleep(20);
        SetEvent(hFirst);
    });
    EXPECT_EQ(WaitForSingleObject(hSecond, INFINITE), WAIT_OBJECT_0);
    signaller.join();
    // Manual reset: it stays set for every later wait until reset.
    EXPECT_EQ(WaitForSingleObject(hFirst, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(hSecond, 0), WAIT_OBJECT_0);
    ResetEvent(hSecond);
    EXPECT_EQ(WaitForSingleObject(hFirst, 0), WAIT_TIMEOUT);

    EXPECT_TRUE(CloseHandle(hFirst));
    EXPECT_TRUE(CloseHandle(hSecond));
    // With both handles closed the name is free: a new event starts afresh.
    HANDLE hThird = CreateEventA(nullptr, TRUE, FALSE, "Test/Event/Shared");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(hThird);

    // An auto-reset event lets one wait through.
    HANDLE hEvent = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(hEvent, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(hEvent, 10), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
    CloseHandle(hEvent);
}

TEST(KernelTime, TickCountFollowsTheClock)
{
    const DWORD before = GetTickCount();
    Sleep(50);
    const DWORD elapsed = GetTickCount() - before;
    EXPECT_GE(elapsed, 49u);
    EXPECT_LT(elapsed, 5000u);

    SYSTEMTIME now{};
    GetSystemTime(&now);
    EXPECT_GE(now.wYear, 2024);
    EXPECT_LE(now.wMilliseconds, 999);
}

TEST(KernelLocks, CriticalSectionsAreRecursive)
{
    CCritSec lock;
    {
        CAutoLock outer(&lock);
        CAutoLock inner(&lock);
    }
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);
    std::atomic<bool> bEntered{false};
    std::thread other([&] {
        EnterCriticalSection(&section);
        bEntered = true;
        LeaveCriticalSection(&section);
    });
    Sleep(20);
    EXPECT_FALSE(bEntered);
    LeaveCriticalSection(&section);
    LeaveCriticalSection(&section);
    other.join();
    EXPECT_TRUE(bEntered);
    DeleteCriticalSection(&section);
}

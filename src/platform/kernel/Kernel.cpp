#include "platform/kernel/Kernel.h"

#include "platform/Clock.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <thread>

namespace {

// A handle is a pointer to one of these, shared by every handle opened on
// the same named event.
struct CEventObject {
    static constexpr std::uint32_t kMagic = 0x45564E54;

    std::uint32_t m_nMagic = kMagic;
    std::mutex m_mutex;
    std::condition_variable m_signalled;
    bool m_bManualReset = true;
    bool m_bSignalled = false;
    int m_nHandles = 1;
    std::string m_strName;
};

struct CEventTable {
    std::mutex m_mutex;
    std::map<std::string, CEventObject*> m_named;
};

CEventTable& Events()
{
    static CEventTable table;
    return table;
}

CEventObject* AsEvent(HANDLE h)
{
    auto* pEvent = static_cast<CEventObject*>(h);
    return (pEvent != nullptr && pEvent->m_nMagic == CEventObject::kMagic) ? pEvent : nullptr;
}

// Any non-null value does; there is one heap.
int g_processHeap;

} // namespace

// ---------------------------------------------------------------------------

void InitializeCriticalSection(CRITICAL_SECTION* pSection)
{
    pSection->m_pMutex = new std::recursive_mutex;
}

void DeleteCriticalSection(CRITICAL_SECTION* pSection)
{
    delete pSection->m_pMutex;
    pSection->m_pMutex = nullptr;
}

void EnterCriticalSection(CRITICAL_SECTION* pSection)
{
    pSection->m_pMutex->lock();
}

void LeaveCriticalSection(CRITICAL_SECTION* pSection)
{
    pSection->m_pMutex->unlock();
}

// ---------------------------------------------------------------------------

HANDLE CreateEventA(void* /*pSecurity*/, BOOL bManualReset, BOOL bInitialState, const char* pszName)
{
    SetLastError(ERROR_SUCCESS);
    if (pszName == nullptr || *pszName == '\0') {
        auto* pEvent = new CEventObject;
        pEvent->m_bManualReset = bManualReset != FALSE;
        pEvent->m_bSignalled = bInitialState != FALSE;
        return pEvent;
    }
    CEventTable& table = Events();
    std::lock_guard lock(table.m_mutex);
    if (auto it = table.m_named.find(pszName); it != table.m_named.end()) {
        std::lock_guard eventLock(it->second->m_mutex);
        ++it->second->m_nHandles;
        SetLastError(ERROR_ALREADY_EXISTS);
        return it->second;
    }
    auto* pEvent = new CEventObject;
    pEvent->m_bManualReset = bManualReset != FALSE;
    pEvent->m_bSignalled = bInitialState != FALSE;
    pEvent->m_strName = pszName;
    table.m_named.emplace(pEvent->m_strName, pEvent);
    return pEvent;
}

BOOL SetEvent(HANDLE hEvent)
{
    CEventObject* pEvent = AsEvent(hEvent);
    if (pEvent == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    {
        std::lock_guard lock(pEvent->m_mutex);
        pEvent->m_bSignalled = true;
    }
    // An auto-reset event lets one waiter through; waking them all is
    // harmless because each re-checks the flag under the lock.
    pEvent->m_signalled.notify_all();
    return TRUE;
}

BOOL ResetEvent(HANDLE hEvent)
{
    CEventObject* pEvent = AsEvent(hEvent);
    if (pEvent == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard lock(pEvent->m_mutex);
    pEvent->m_bSignalled = false;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds)
{
    CEventObject* pEvent = AsEvent(hHandle);
    if (pEvent == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    std::unique_lock lock(pEvent->m_mutex);
    const auto isSet = [pEvent] { return pEvent->m_bSignalled; };
    if (dwMilliseconds == INFINITE) {
        pEvent->m_signalled.wait(lock, isSet);
    } else if (!pEvent->m_signalled.wait_for(lock, std::chrono::milliseconds(dwMilliseconds), isSet)) {
        return WAIT_TIMEOUT;
    }
    if (!pEvent->m_bManualReset) {
        pEvent->m_bSignalled = false;
    }
    return WAIT_OBJECT_0;
}

BOOL CloseHandle(HANDLE hObject)
{
    CEventObject* pEvent = AsEvent(hObject);
    if (pEvent == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    CEventTable& table = Events();
    std::lock_guard tableLock(table.m_mutex);
    bool bLast = false;
    {
        std::lock_guard lock(pEvent->m_mutex);
        bLast = --pEvent->m_nHandles == 0;
    }
    if (bLast) {
        if (!pEvent->m_strName.empty()) {
            table.m_named.erase(pEvent->m_strName);
        }
        pEvent->m_nMagic = 0;
        delete pEvent;
    }
    return TRUE;
}

// ---------------------------------------------------------------------------

HANDLE GetProcessHeap()
{
    return &g_processHeap;
}

void* HeapAlloc(HANDLE /*hHeap*/, DWORD dwFlags, std::size_t cb)
{
    const std::size_t size = cb == 0 ? 1 : cb;
    return (dwFlags & HEAP_ZERO_MEMORY) != 0 ? std::calloc(1, size) : std::malloc(size);
}

BOOL HeapFree(HANDLE /*hHeap*/, DWORD /*dwFlags*/, void* pMem)
{
    std::free(pMem);
    return TRUE;
}

// ---------------------------------------------------------------------------

DWORD GetTickCount()
{
    return static_cast<DWORD>(platform::ClockMilliseconds());
}

DWORD timeGetTime()
{
    return static_cast<DWORD>(platform::ClockMilliseconds());
}

void Sleep(DWORD dwMilliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

void GetSystemTime(SYSTEMTIME* pTime)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm utc{};
    gmtime_r(&now.tv_sec, &utc);
    pTime->wYear = static_cast<WORD>(utc.tm_year + 1900);
    pTime->wMonth = static_cast<WORD>(utc.tm_mon + 1);
    pTime->wDayOfWeek = static_cast<WORD>(utc.tm_wday);
    pTime->wDay = static_cast<WORD>(utc.tm_mday);
    pTime->wHour = static_cast<WORD>(utc.tm_hour);
    pTime->wMinute = static_cast<WORD>(utc.tm_min);
    pTime->wSecond = static_cast<WORD>(utc.tm_sec);
    pTime->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}

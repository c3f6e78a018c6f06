#pragma once

// Stand-ins for the kernel objects plug-in code relies on: critical sections,
// manual- and auto-reset events (optionally named, so two parts of the
// process can meet on the same event), the process heap and the clocks.

#include "platform/Types.h"

#include <mutex>

// ---------------------------------------------------------------------------
// Critical sections

// Recursive: the thread that holds it may take it again.
class CCritSec {
public:
    CCritSec() = default;
    CCritSec(const CCritSec&) = delete;
    CCritSec& operator=(const CCritSec&) = delete;

    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};

// Holds a critical section for the life of the scope.
class CAutoLock {
public:
    explicit CAutoLock(CCritSec* pLock) : m_pLock(pLock) { m_pLock->Lock(); }
    ~CAutoLock() { m_pLock->Unlock(); }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

private:
    CCritSec* m_pLock;
};

// The C-style critical section some classes keep as a member: valid between
// InitializeCriticalSection and DeleteCriticalSection.
struct CRITICAL_SECTION {
    std::recursive_mutex* m_pMutex = nullptr;
};
void InitializeCriticalSection(CRITICAL_SECTION* pSection);
void DeleteCriticalSection(CRITICAL_SECTION* pSection);
void EnterCriticalSection(CRITICAL_SECTION* pSection);
void LeaveCriticalSection(CRITICAL_SECTION* pSection);

// ---------------------------------------------------------------------------
// Events

inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
inline constexpr LONG ERROR_ALREADY_EXISTS = 183;

// Creates an event, or with a name that is already in use in this process
// opens that event (its reset mode and state stay as they are, and
// GetLastError reports ERROR_ALREADY_EXISTS). The security argument is
// accepted and ignored. Every handle is closed with CloseHandle.
HANDLE CreateEventA(void* pSecurity, BOOL bManualReset, BOOL bInitialState, const char* pszName);
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);
// WAIT_OBJECT_0 once the event is signalled (an auto-reset event is reset
// again by the wait that sees it), WAIT_TIMEOUT when the time runs out,
// WAIT_FAILED for a handle that is not an event.
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
BOOL CloseHandle(HANDLE hObject);

// ---------------------------------------------------------------------------
// Process heap

inline constexpr DWORD HEAP_ZERO_MEMORY = 0x00000008;

HANDLE GetProcessHeap();
// Null when the memory cannot be had.
void* HeapAlloc(HANDLE hHeap, DWORD dwFlags, std::size_t cb);
BOOL HeapFree(HANDLE hHeap, DWORD dwFlags, void* pMem);

// ---------------------------------------------------------------------------
// Time

// Milliseconds of the platform clock (platform/Clock.h: monotonic, or a
// test's virtual clock), wrapping every 2^32 ms as the 32-bit tick count
// always has. timeGetTime reads the same clock.
DWORD GetTickCount();
DWORD timeGetTime();
void Sleep(DWORD dwMilliseconds);

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
// The current UTC time.
void GetSystemTime(SYSTEMTIME* pTime);

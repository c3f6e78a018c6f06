#pragma once

// The error and trace log: free functions that format a message, append it
// with a time stamp to "inlog.dat" in the current directory (rotating it to
// "inlog.old" once it passes 1 MiB), optionally announce it to listeners
// through the registered message "ZEL_ERROR_LOG_WRITTEN_EVENT", and report
// their own failures in message boxes. The entry points never throw.
//
// Error entries work from the start of the process; trace entries are written
// only between InitErrorLog and CloseErrorLog.

#include <atomic>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "log/Exceptions.h"
#include "platform/Messages.h"

#if defined(__GNUC__)
#define INTONARA_PRINTF(fmt, first) __attribute__((format(printf, fmt, first)))
#else
#define INTONARA_PRINTF(fmt, first)
#endif

inline constexpr char g_szLogFile[] = "inlog.dat";
inline constexpr char g_szOldLogFile[] = "inlog.old";
inline constexpr char kLogWrittenMessageName[] = "ZEL_ERROR_LOG_WRITTEN_EVENT";

// A file larger than this is rotated before the next entry is written.
inline constexpr long long kMaxLogFileSize = 0x100000;
// Room for one formatted message, terminator included; longer ones are cut.
inline constexpr std::size_t kLogBufferSize = 20480;
// The longest format string taken from a string resource.
inline constexpr int kMaxResourceFormatLength = 512;
// Categorised trace entries are announced only for these categories; the
// others are too frequent to wake every listener.
inline constexpr std::uint32_t kBroadcastTraceCategories = 0x2 | 0x4;

// Where the resource-based entry points without a module argument look up
// their strings. The module sets it at start-up.
extern std::atomic<HMODULE> g_hLogModule;
extern std::atomic<bool> g_bLogInitialised;
extern std::atomic<UINT> g_uLogWrittenMessage;
extern std::atomic<std::uint32_t> g_dwErrorFilter;
extern std::atomic<std::uint32_t> g_dwTraceFilter;

// ---------------------------------------------------------------------------
// Lifecycle and settings

// Registers the log's window message, enables trace entries and clears both
// filters. Returns the message identifier. Calling it again is harmless.
UINT InitErrorLog();
void CloseErrorLog();
bool IsErrorLogInitialised();

std::uint32_t GetErrorFilter();
std::uint32_t SetErrorFilter(std::uint32_t filter);
std::uint32_t GetTraceFilter();
std::uint32_t SetTraceFilter(std::uint32_t filter);

// ---------------------------------------------------------------------------
// Building blocks. `args` is left untouched, so the caller may use it again.

// The characters after the last '/' or '\\' of `path`; all of it when it has
// neither.
const char* LogBaseName(const char* path);

// With a file, "FILE <base name> LINE <line>\n" and then `format` filled
// from `args`; cut to kLogBufferSize - 1 characters.
std::string BuildLogText(const char* file, int line, const char* format, va_list args);

// The format is string `stringId` of `module`, or, when that is missing,
// "FILE <file> LINE <line>: LoadString failure". With a file the message
// starts with "<base name>(<line>)\n". Cut like BuildLogText.
std::string BuildLogResource(const char* file, int line, HMODULE module, UINT stringId, va_list args);

// Appends one entry to the log file, rotating it first when it has grown
// past kMaxLogFileSize. Returns false when the entry could not be written
// completely, after reporting why in a message box. Entries written from
// several threads of this process never interleave.
bool WriteLogEntry(std::string_view text, bool isTrace);

// Sends the log's message to every message window, with the text in a
// global atom (wParam; 0 when the text does not fit in an atom) that lives
// until every window has handled the message. Does nothing before the
// message is registered.
void BroadcastLogWritten(const char* text);

// "<text>\nFILE <file> LINE <line>" in an exclamation box with the default
// caption.
void ShowLogFailure(const char* file, int line, const char* text) noexcept;
// "FILE <file> LINE <line> instance <module in hex> stringID <id>".
void ShowResourceFailure(const char* file, int line, HMODULE module, UINT stringId) noexcept;

// ---------------------------------------------------------------------------
// Entry points. "With prefix" ones start the message with the source file's
// base name and the line. A box, unless `quiet`, shows the message again
// without that prefix.

// Error entries from string resources.
void ErrorId(const char* file, int line, std::uint32_t category, UINT stringId, ...);
void ErrorIdBox(bool quiet, const char* file, int line, HMODULE module, UINT stringId, ...);
void ErrorIdBoxOwned(HWND owner, bool quiet, const char* file, int line, HMODULE module, UINT stringId, ...);
void LogId(HMODULE module, UINT stringId, ...);
void NoteIdBox(bool quiet, HMODULE module, UINT stringId, ...);

// Error entries from format strings.
void ErrorText(const char* file, int line, std::uint32_t category, const char* format, ...)
    INTONARA_PRINTF(4, 5);
void ErrorTextBox(bool quiet, const char* file, int line, const char* format, ...) INTONARA_PRINTF(4, 5);
void LogText(const char* format, ...) INTONARA_PRINTF(1, 2);

// Trace entries; silent until InitErrorLog.
void Trace(const char* format, ...) INTONARA_PRINTF(1, 2);
void TraceCategory(std::uint32_t category, const char* format, ...) INTONARA_PRINTF(2, 3);
void TraceAt(const char* file, int line, const char* format, ...) INTONARA_PRINTF(3, 4);
// Takes a file and line like TraceAt, so a call can switch between the two
// without changing its arguments, but prints neither.
void TraceSource(const char* file, int line, const char* format, ...) INTONARA_PRINTF(3, 4);
void TraceCategoryAt(const char* file, int line, std::uint32_t category, const char* format, ...)
    INTONARA_PRINTF(4, 5);

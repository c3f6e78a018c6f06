// The log's state, its gates, and the entry points built on the pieces in
// LogFormat.cpp and LogFile.cpp.

#include "log/Elog.h"

#include "log/LogInternal.h"

std::atomic<HMODULE> g_hLogModule{nullptr};
std::atomic<bool> g_bLogInitialised{false};
std::atomic<UINT> g_uLogWrittenMessage{0};
std::atomic<std::uint32_t> g_dwErrorFilter{0};
std::atomic<std::uint32_t> g_dwTraceFilter{0};

namespace {

using namespace elog_detail;

constexpr auto kRelaxed = std::memory_order_relaxed;

// How one entry point treats its message once it is built.
struct CEntryStyle {
    bool m_bPrefix;      // start with the source file and line
    bool m_bBroadcast;   // announce through the registered message
    bool m_bTrace;       // " TRACE" entry rather than an error entry
    bool m_bBox;         // show the message in a box afterwards
    HWND m_hBoxOwner;
    UINT m_uBoxType;
};

// Where a failure of the entry point itself is reported from.
struct CFailureSource {
    const char* m_pszFile;
    int m_nLine;
};

constexpr CEntryStyle kPlainError{false, false, false, false, nullptr, MB_OK};
constexpr CEntryStyle kPrefixedError{true, true, false, false, nullptr, MB_OK};

CEntryStyle WithBox(CEntryStyle style, bool quiet, HWND owner, UINT icon)
{
    style.m_bBox = !quiet;
    style.m_hBoxOwner = owner;
    style.m_uBoxType = MB_OK | icon;
    return style;
}

CEntryStyle TraceStyle(bool prefix, bool broadcast)
{
    return CEntryStyle{prefix, broadcast, true, false, nullptr, MB_OK};
}

void Finish(const std::string& text, const CEntryStyle& style)
{
    WriteLogEntry(text, style.m_bTrace);
    if (style.m_bBroadcast) {
        BroadcastLogWritten(text.c_str());
    }
}

void TextEntry(const char* file, int line, const CEntryStyle& style, CFailureSource failure, const char* format,
               va_list args) noexcept
{
    try {
        Finish(BuildLogText(style.m_bPrefix ? file : nullptr, line, format, args), style);
        if (style.m_bBox) {
            const std::string boxText = BuildLogText(nullptr, 0, format, args);
            MessageBoxA(style.m_hBoxOwner, boxText.c_str(), nullptr, style.m_uBoxType);
        }
    } catch (...) {
        ShowLogFailure(failure.m_pszFile, failure.m_nLine, format);
    }
}

void ResourceEntry(const char* file, int line, HMODULE module, UINT stringId, const CEntryStyle& style,
                   CFailureSource failure, va_list args) noexcept
{
    try {
        Finish(BuildResourceMessage(style.m_bPrefix ? file : nullptr, file, line, module, stringId, args), style);
        if (style.m_bBox) {
            // The box leaves out the prefix line but keeps the file and line
            // in the text that stands in for a missing string.
            const std::string boxText = BuildResourceMessage(nullptr, file, line, module, stringId, args);
            MessageBoxA(style.m_hBoxOwner, boxText.c_str(), nullptr, style.m_uBoxType);
        }
    } catch (...) {
        ShowResourceFailure(failure.m_pszFile, failure.m_nLine, module, stringId);
    }
}

bool ErrorCategoryEnabled(std::uint32_t category)
{
    return (category & g_dwErrorFilter.load(kRelaxed)) != 0;
}

bool TraceCategoryEnabled(std::uint32_t category)
{
    return IsErrorLogInitialised() && (category & g_dwTraceFilter.load(kRelaxed)) != 0;
}

bool IsBroadcastCategory(std::uint32_t category)
{
    return (category & kBroadcastTraceCategories) != 0;
}

// Deletes the broadcast's atom however the sending ends.
class CAtomHolder {
public:
    explicit CAtomHolder(ATOM atom) : m_atom(atom) {}
    ~CAtomHolder()
    {
        if (m_atom != 0) {
            GlobalDeleteAtom(m_atom);
        }
    }
    CAtomHolder(const CAtomHolder&) = delete;
    CAtomHolder& operator=(const CAtomHolder&) = delete;
    ATOM Get() const { return m_atom; }

private:
    ATOM m_atom;
};

}  // namespace

// ---------------------------------------------------------------------------

UINT InitErrorLog()
{
    const UINT message = RegisterWindowMessageA(kLogWrittenMessageName);
    g_uLogWrittenMessage.store(message, kRelaxed);
    g_dwErrorFilter.store(0, kRelaxed);
    g_dwTraceFilter.store(0, kRelaxed);
    g_bLogInitialised.store(true, kRelaxed);
    return message;
}

void CloseErrorLog()
{
    g_bLogInitialised.store(false, kRelaxed);
}

bool IsErrorLogInitialised()
{
    return g_bLogInitialised.load(kRelaxed);
}

std::uint32_t GetErrorFilter()
{
    return g_dwErrorFilter.load(kRelaxed);
}

std::uint32_t SetErrorFilter(std::uint32_t filter)
{
    g_dwErrorFilter.store(filter, kRelaxed);
    return filter;
}

std::uint32_t GetTraceFilter()
{
    return g_dwTraceFilter.load(kRelaxed);
}

std::uint32_t SetTraceFilter(std::uint32_t filter)
{
    g_dwTraceFilter.store(filter, kRelaxed);
    return filter;
}

void BroadcastLogWritten(const char* text)
{
    const UINT message = g_uLogWrittenMessage.load(kRelaxed);
    if (message == 0) {
        return;
    }
    // Receivers read the text through the atom while they handle the
    // message; SendMessageA returns only after all of them have.
    const CAtomHolder atom(GlobalAddAtomA(text));
    SendMessageA(HWND_BROADCAST, message, atom.Get(), 0);
}

// ---------------------------------------------------------------------------
// Entry points

void ErrorId(const char* file, int line, std::uint32_t category, UINT stringId, ...)
{
    if (!ErrorCategoryEnabled(category)) {
        return;
    }
    va_list args;
    va_start(args, stringId);
    ResourceEntry(file, line, g_hLogModule.load(kRelaxed), stringId, kPrefixedError, {file, line}, args);
    va_end(args);
}

void ErrorIdBox(bool quiet, const char* file, int line, HMODULE module, UINT stringId, ...)
{
    va_list args;
    va_start(args, stringId);
    ResourceEntry(file, line, module, stringId, WithBox(kPrefixedError, quiet, nullptr, MB_ICONEXCLAMATION),
                  {file, line}, args);
    va_end(args);
}

void ErrorIdBoxOwned(HWND owner, bool quiet, const char* file, int line, HMODULE module, UINT stringId, ...)
{
    va_list args;
    va_start(args, stringId);
    ResourceEntry(file, line, module, stringId, WithBox(kPrefixedError, quiet, owner, MB_ICONEXCLAMATION),
                  {file, line}, args);
    va_end(args);
}

void LogId(HMODULE module, UINT stringId, ...)
{
    va_list args;
    va_start(args, stringId);
    ResourceEntry(nullptr, 0, module, stringId, kPlainError, {kLogSource, kLineLogId}, args);
    va_end(args);
}

void NoteIdBox(bool quiet, HMODULE module, UINT stringId, ...)
{
    va_list args;
    va_start(args, stringId);
    ResourceEntry(nullptr, 0, module, stringId, WithBox(kPlainError, quiet, nullptr, MB_ICONINFORMATION),
                  {kLogSource, kLineNoteIdBox}, args);
    va_end(args);
}

void ErrorText(const char* file, int line, std::uint32_t category, const char* format, ...)
{
    if (!ErrorCategoryEnabled(category)) {
        return;
    }
    va_list args;
    va_start(args, format);
    TextEntry(file, line, kPrefixedError, {file, line}, format, args);
    va_end(args);
}

void ErrorTextBox(bool quiet, const char* file, int line, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    TextEntry(file, line, WithBox(kPrefixedError, quiet, nullptr, MB_ICONEXCLAMATION), {file, line}, format, args);
    va_end(args);
}

void LogText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    TextEntry(nullptr, 0, kPlainError, {kLogSource, kLineLogText}, format, args);
    va_end(args);
}

void Trace(const char* format, ...)
{
    if (!IsErrorLogInitialised()) {
        return;
    }
    va_list args;
    va_start(args, format);
    TextEntry(nullptr, 0, TraceStyle(false, true), {kLogSource, kLineTrace}, format, args);
    va_end(args);
}

void TraceCategory(std::uint32_t category, const char* format, ...)
{
    if (!TraceCategoryEnabled(category)) {
        return;
    }
    va_list args;
    va_start(args, format);
    TextEntry(nullptr, 0, TraceStyle(false, IsBroadcastCategory(category)), {kLogSource, kLineTrace}, format,
              args);
    va_end(args);
}

void TraceAt(const char* file, int line, const char* format, ...)
{
    if (!IsErrorLogInitialised()) {
        return;
    }
    va_list args;
    va_start(args, format);
    TextEntry(file, line, TraceStyle(true, true), {kLogSource, kLineTraceAt}, format, args);
    va_end(args);
}

void TraceSource(const char* /*file*/, int /*line*/, const char* format, ...)
{
    if (!IsErrorLogInitialised()) {
        return;
    }
    va_list args;
    va_start(args, format);
    TextEntry(nullptr, 0, TraceStyle(false, false), {kLogSource, kLineTraceSource}, format, args);
    va_end(args);
}

void TraceCategoryAt(const char* file, int line, std::uint32_t category, const char* format, ...)
{
    if (!TraceCategoryEnabled(category)) {
        return;
    }
    va_list args;
    va_start(args, format);
    TextEntry(file, line, TraceStyle(true, IsBroadcastCategory(category)), {kLogSource, kLineTraceAt}, format,
              args);
    va_end(args);
}

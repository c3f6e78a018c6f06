// Turning entry-point arguments into message text, and the boxes the log
// shows when it cannot do its job.

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "log/Elog.h"
#include "log/LogInternal.h"
#include "platform/resources/Resources.h"

namespace {

const char* OrNull(const char* text)
{
    // What the C runtime prints for a null %s argument; spelled out here
    // because passing null to %s is undefined.
    return text != nullptr ? text : "(null)";
}

// Formats into buffer[used..] and returns the new length, never letting the
// text reach the last byte, which is kept for the terminator.
std::size_t AppendFormattedV(std::string& buffer, std::size_t used, const char* format, va_list args)
{
    if (format == nullptr || used + 1 >= buffer.size()) {
        return used;
    }
    va_list copy;
    va_copy(copy, args);
    const int written = std::vsnprintf(buffer.data() + used, buffer.size() - used, format, copy);
    va_end(copy);
    if (written < 0) {
        return used;
    }
    return std::min(used + static_cast<std::size_t>(written), buffer.size() - 1);
}

std::size_t AppendFormatted(std::string& buffer, std::size_t used, const char* format, ...) INTONARA_PRINTF(3, 4);

std::size_t AppendFormatted(std::string& buffer, std::size_t used, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    used = AppendFormattedV(buffer, used, format, args);
    va_end(args);
    return used;
}

std::string FormatShort(const char* format, ...) INTONARA_PRINTF(1, 2);

std::string FormatShort(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<std::size_t>(length));
    }
    va_end(args);
    return text;
}

// The fallback text is used as a format afterwards; a '%' in a file name
// must come out as itself rather than consume an argument.
std::string EscapePercent(const std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        escaped += c;
        if (c == '%') {
            escaped += '%';
        }
    }
    return escaped;
}

}  // namespace

const char* LogBaseName(const char* path)
{
    if (path == nullptr) {
        return nullptr;
    }
    const char* base = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '/' || *p == '\\') {
            base = p + 1;
        }
    }
    return base;
}

std::string BuildLogText(const char* file, int line, const char* format, va_list args)
{
    std::string buffer(kLogBufferSize, '\0');
    std::size_t used = 0;
    if (file != nullptr) {
        used = AppendFormatted(buffer, used, "FILE %s LINE %d\n", LogBaseName(file), line);
    }
    used = AppendFormattedV(buffer, used, format, args);
    buffer.resize(used);
    return buffer;
}

std::string BuildLogResource(const char* file, int line, HMODULE module, UINT stringId, va_list args)
{
    return elog_detail::BuildResourceMessage(file, file, line, module, stringId, args);
}

std::string elog_detail::BuildResourceMessage(const char* prefixFile, const char* fallbackFile, int line,
                                              HMODULE module, UINT stringId, va_list args)
{
    char loaded[kMaxResourceFormatLength + 1];
    std::string format;
    if (LoadStringA(module, stringId, loaded, sizeof loaded) > 0) {
        format = loaded;
    } else {
        format = EscapePercent(FormatShort("FILE %s LINE %d: LoadString failure", OrNull(fallbackFile), line));
    }

    std::string buffer(kLogBufferSize, '\0');
    std::size_t used = 0;
    if (prefixFile != nullptr) {
        used = AppendFormatted(buffer, used, "%s(%d)\n", LogBaseName(prefixFile), line);
    }
    used = AppendFormattedV(buffer, used, format.c_str(), args);
    buffer.resize(used);
    return buffer;
}

void ShowLogFailure(const char* file, int line, const char* text) noexcept
{
    try {
        const std::string message = FormatShort("%s\nFILE %s LINE %d", OrNull(text), OrNull(file), line);
        MessageBoxA(nullptr, message.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
    } catch (...) {
        // The report of a failure has nowhere left to go.
    }
}

void ShowResourceFailure(const char* file, int line, HMODULE module, UINT stringId) noexcept
{
    try {
        const std::string message =
            FormatShort("FILE %s LINE %d instance %" PRIxPTR " stringID %u", OrNull(file), line,
                        reinterpret_cast<std::uintptr_t>(module), stringId);
        MessageBoxA(nullptr, message.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
    } catch (...) {
        // As above.
    }
}

#pragma once

// Shared between the log's source files only.

#include <cstdarg>
#include <string>

#include "platform/Messages.h"

namespace elog_detail {

// The log names itself this way in the failure boxes it raises, with the
// line numbers below, so a report from the field points at one step.
inline constexpr char kLogSource[] = "Elog";

inline constexpr int kLineLogId = 366;
inline constexpr int kLineNoteIdBox = 394;
inline constexpr int kLineLogText = 419;
inline constexpr int kLineTrace = 518;
inline constexpr int kLineTraceAt = 594;
inline constexpr int kLineTraceSource = 622;

inline constexpr int kLineStatFailed = 729;
inline constexpr int kLineRenameFailed = 741;
inline constexpr int kLineCreateFailed = 749;
inline constexpr int kLineOpenFailed = 760;
inline constexpr int kLineHeaderWriteFailed = 777;
inline constexpr int kLineTextWriteFailed = 783;
inline constexpr int kLineNewlineWriteFailed = 790;
inline constexpr int kLineBlankLineWriteFailed = 793;

// BuildLogResource with the two uses of the file name apart: the prefix line
// (omitted when null) and the fallback text for a missing string.
std::string BuildResourceMessage(const char* prefixFile, const char* fallbackFile, int line, HMODULE module,
                                 UINT stringId, va_list args);

}  // namespace elog_detail

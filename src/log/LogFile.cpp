// The log file itself: one entry appended per call, the file opened and
// closed around it so nothing is held between entries, and rotated to the
// old-file name once it has grown past its limit.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <optional>

#include "log/Elog.h"
#include "log/LogInternal.h"

namespace {

using namespace elog_detail;

// Serialises this process's writers. Without it the header and text writes
// of two threads could interleave and two rotations could race. Writers in
// other processes still can, but append mode keeps each of their writes
// whole.
std::mutex g_logFileMutex;

struct CWriteFailure {
    const char* m_pszText;
    int m_nLine;
};

constexpr char kWriteFailed[] = "write of log file failed";

// The file's lines end in CR LF whatever system wrote it, so logs gathered
// from different machines read the same.
std::string WithCrLf(std::string_view text)
{
    std::string translated;
    translated.reserve(text.size() + text.size() / 16 + 2);
    for (char c : text) {
        if (c == '\n') {
            translated += '\r';
        }
        translated += c;
    }
    return translated;
}

std::string Header(bool isTrace)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char header[64];
    std::snprintf(header, sizeof header, "%04d/%02d/%02d %02d:%02d:%02d%s\n", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  isTrace ? " TRACE" : "");
    return WithCrLf(header);
}

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Caller holds g_logFileMutex.
std::optional<CWriteFailure> AppendEntry(std::string_view text, bool isTrace)
{
    // Everything that allocates happens before the file is opened, so an
    // allocation failure cannot leave the descriptor open.
    const std::string header = Header(isTrace);
    const std::string body = WithCrLf(text);
    const bool needsBlankLine = text.empty() || text.back() != '\n';

    long long size = 0;
    struct stat info {};
    if (::stat(g_szLogFile, &info) == 0) {
        size = info.st_size;
    } else if (errno != ENOENT) {
        return CWriteFailure{"unable to obtain log file size", kLineStatFailed};
    }

    // Append mode on the fresh file too, so a writer in another process that
    // opened it in between is not overwritten.
    constexpr int kCommonFlags = O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC;
    constexpr mode_t kMode = 0666;
    int fd = -1;
    if (size > kMaxLogFileSize) {
        // Usually there is no old file yet; any real problem shows up in the
        // rename.
        ::unlink(g_szOldLogFile);
        if (::rename(g_szLogFile, g_szOldLogFile) != 0) {
            return CWriteFailure{"rename of log file failed", kLineRenameFailed};
        }
        fd = ::open(g_szLogFile, kCommonFlags | O_TRUNC, kMode);
        if (fd < 0) {
            return CWriteFailure{"create of log file failed", kLineCreateFailed};
        }
    } else {
        fd = ::open(g_szLogFile, kCommonFlags, kMode);
        if (fd < 0) {
            return CWriteFailure{"open of log file failed", kLineOpenFailed};
        }
    }

    // A failed write leaves what was already written; the entry stays short.
    std::optional<CWriteFailure> failure;
    if (!WriteAll(fd, header)) {
        failure = CWriteFailure{kWriteFailed, kLineHeaderWriteFailed};
    } else if (!WriteAll(fd, body)) {
        failure = CWriteFailure{kWriteFailed, kLineTextWriteFailed};
    } else if (!WriteAll(fd, "\r\n")) {
        failure = CWriteFailure{kWriteFailed, kLineNewlineWriteFailed};
    } else if (needsBlankLine && !WriteAll(fd, "\r\n")) {
        failure = CWriteFailure{kWriteFailed, kLineBlankLineWriteFailed};
    }
    ::close(fd);
    return failure;
}

}  // namespace

bool WriteLogEntry(std::string_view text, bool isTrace)
{
    std::optional<CWriteFailure> failure;
    {
        std::lock_guard lock(g_logFileMutex);
        failure = AppendEntry(text, isTrace);
    }
    // Reported after unlocking: whoever shows the box may want to log.
    if (failure) {
        ShowLogFailure(kLogSource, failure->m_nLine, failure->m_pszText);
        return false;
    }
    return true;
}

#include "job/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "job/JobError.h"

namespace job {

namespace {

std::string SystemError(int error)
{
    return std::strerror(error);
}

// A new file gets what the umask allows; umask can only be read by setting
// it, so set it straight back.
mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Everything from one descriptor's position to its end, onto another;
// throws a failure saying which side failed.
void CopyAll(int from, int to, const std::string& readFailure, const std::string& writeFailure)
{
    std::vector<char> block(1 << 16);
    for (;;) {
        const ssize_t n = ::read(from, block.data(), block.size());
        if (n == 0)
            return;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ThrowFailure(readFailure + ": " + SystemError(errno));
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(to, block.data() + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                ThrowFailure(writeFailure + ": " + SystemError(errno));
            done += w;
        }
    }
}

} // namespace

void CheckInputAndOutput(const std::string& inPath, const std::string& outPath)
{
    struct stat in{};
    if (::stat(inPath.c_str(), &in) != 0)
        ThrowFailure("cannot open " + inPath + ": " + SystemError(errno));
    if (S_ISDIR(in.st_mode))
        ThrowFailure(inPath + " is a directory, not a sound file");
    if (!S_ISREG(in.st_mode))
        ThrowFailure(inPath + " is not a regular file");

    // stat follows links, so a symbolic link to the input shows the input's
    // device and inode; so does a hard link.
    struct stat out{};
    if (::stat(outPath.c_str(), &out) == 0) {
        if (out.st_dev == in.st_dev && out.st_ino == in.st_ino)
            ThrowUsage("the output " + outPath + " is the input file; the input is never overwritten, "
                       "so name a different output");
        if (S_ISDIR(out.st_mode))
            ThrowUsage("the output " + outPath + " is a directory; give a file name");
        // The final rename would put a plain file in place of a device or a
        // pipe, which is never what was meant.
        if (!S_ISREG(out.st_mode))
            ThrowUsage("the output " + outPath + " is not a regular file; give a file name");
    }
    // The same path that does not exist yet cannot be the input (which does).
}

CPendingOutput::CPendingOutput(const std::string& finalPath) : m_sFinalPath(finalPath)
{
    namespace fs = std::filesystem;
    const fs::path final(finalPath);
    fs::path directory = final.parent_path();
    if (directory.empty())
        directory = ".";
    // Hidden, and short enough that a long output name cannot push it past
    // the file-name limit.
    std::string stem = final.filename().string().substr(0, 128);
    std::string pattern = (directory / ("." + stem + ".intonara-XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    m_nFd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (m_nFd < 0)
        ThrowFailure("cannot create a file in " + directory.string() + " for " + finalPath + ": " +
                     SystemError(errno));
    m_sTempPath.assign(buffer.data());
}

CPendingOutput::~CPendingOutput()
{
    if (m_nFd >= 0)
        ::close(m_nFd);
    if (!m_bCommitted && !m_sTempPath.empty())
        ::unlink(m_sTempPath.c_str());
}

void CPendingOutput::Commit()
{
    // Keep the permissions of a file being replaced; a new file gets the
    // usual ones instead of mkstemp's owner-only mode.
    struct stat existing{};
    const mode_t mode = ::stat(m_sFinalPath.c_str(), &existing) == 0 ? (existing.st_mode & 07777)
                                                                      : NewFileMode();
    if (::fchmod(m_nFd, mode) != 0 || ::fsync(m_nFd) != 0)
        ThrowFailure("cannot write " + m_sFinalPath + ": " + SystemError(errno));
    const int fd = m_nFd;
    m_nFd = -1;
    if (::close(fd) != 0)
        ThrowFailure("cannot write " + m_sFinalPath + ": " + SystemError(errno));
    if (::rename(m_sTempPath.c_str(), m_sFinalPath.c_str()) != 0)
        ThrowFailure("cannot replace " + m_sFinalPath + ": " + SystemError(errno));
    m_bCommitted = true;

    // Make the rename itself durable. The file is in place whatever this
    // says, so a failure here is not reported.
    const std::filesystem::path parent = std::filesystem::path(m_sFinalPath).parent_path();
    const std::string directory = parent.empty() ? std::string(".") : parent.string();
    const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

int MakeScratchFile(const std::string& purpose)
{
    const char* tmp = std::getenv("TMPDIR");
    const std::string directory = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    std::string pattern = directory + "/intonara-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0)
        ThrowFailure("cannot make a scratch file in " + directory + " for " + purpose + ": " + SystemError(errno));
    ::unlink(buffer.data());
    return fd;
}

int SpoolStandardInput()
{
    if (::isatty(STDIN_FILENO) == 1)
        ThrowUsage("the input is \"-\", standard input, but that is a terminal; pipe a sound file in");
    const int fd = MakeScratchFile("standard input");
    try {
        CopyAll(STDIN_FILENO, fd, "cannot read standard input", "cannot keep standard input");
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::lseek(fd, 0, SEEK_SET);
    return fd;
}

COutputTarget::COutputTarget(const std::string& path)
{
    if (path == kStandardStream)
        m_nScratch = MakeScratchFile("standard output");
    else
        m_File.emplace(path);
}

COutputTarget::~COutputTarget()
{
    if (m_nScratch >= 0)
        ::close(m_nScratch);
}

int COutputTarget::Descriptor() const
{
    return m_File ? m_File->Descriptor() : m_nScratch;
}

void COutputTarget::Commit()
{
    if (m_File) {
        m_File->Commit();
        return;
    }
    ::lseek(m_nScratch, 0, SEEK_SET);
    CopyAll(m_nScratch, STDOUT_FILENO, "cannot read back the output", "cannot write to standard output");
}

} // namespace job

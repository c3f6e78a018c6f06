#pragma once
// The output appears complete or not at all: it is written to a temporary
// file in the destination's own directory (so the final rename cannot cross
// file systems) and renamed over the destination only once it is flushed.

#include <optional>
#include <string>

namespace job {

// Refuses (usage error) an output that is the input under another name: the
// same path, a symbolic or hard link to it. Also refuses an existing output
// that is not a regular file (a directory, a device, a pipe), and fails when
// the input is missing or is not a regular file.
void CheckInputAndOutput(const std::string& inPath, const std::string& outPath);

class CPendingOutput
{
public:
    // Creates the temporary file; a failure to do so throws.
    explicit CPendingOutput(const std::string& finalPath);
    // Removes the temporary file unless Commit succeeded.
    ~CPendingOutput();
    CPendingOutput(const CPendingOutput&) = delete;
    CPendingOutput& operator=(const CPendingOutput&) = delete;

    int Descriptor() const { return m_nFd; }
    const std::string& TemporaryPath() const { return m_sTempPath; }
    const std::string& FinalPath() const { return m_sFinalPath; }

    // Flushes the data to disk, gives the file the permissions a new file
    // (or the file it replaces) would have, and renames it into place.
    void Commit();

private:
    std::string m_sFinalPath;
    std::string m_sTempPath;
    int m_nFd = -1;
    bool m_bCommitted = false;
};

// The name that stands for standard input or standard output.
inline constexpr char kStandardStream[] = "-";

// An unlinked scratch file in $TMPDIR (else /tmp), open for reading and
// writing, gone once closed. Throws a failure saying what could not be made.
int MakeScratchFile(const std::string& purpose);

// All of standard input, copied into a scratch file (rewound), so that
// sound formats that must seek can be read from a pipe. Refuses a terminal.
// The caller closes the descriptor.
int SpoolStandardInput();

// Where a run's sound goes: a file (see CPendingOutput), or standard output
// ("-"), which receives the whole file only once it is complete, so a
// failed run writes nothing there either.
class COutputTarget
{
public:
    explicit COutputTarget(const std::string& path);
    ~COutputTarget();
    COutputTarget(const COutputTarget&) = delete;
    COutputTarget& operator=(const COutputTarget&) = delete;

    int Descriptor() const;
    void Commit();

private:
    std::optional<CPendingOutput> m_File;
    int m_nScratch = -1;
};

} // namespace job

#pragma once
// The output appears complete or not at all: it is written to a temporary
// file in the destination's own directory (so the final rename cannot cross
// file systems) and renamed over the destination only once it is flushed.

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

} // namespace job

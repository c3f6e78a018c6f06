#pragma once
// A graphical-mode session on disk: which sound file was tracked, the
// settings, the track records as raw 32-bit words (integer cents and every
// other bit pattern kept exactly), and the main graph view's state (curves,
// undo copy, clipboard, zooms, time selection).
//
// The file is versioned and checksummed and written complete or not at
// all; reading refuses a foreign, truncated or damaged file with one line
// naming it. A session read and written again gives the same bytes.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace job {

inline constexpr uint32_t kSessionFormat = 1;
inline constexpr int kSessionParameters = 34;

struct GraphSession
{
    // The tracked file as it was then.
    std::string sSourcePath;
    int64_t nSourceFrames = 0;
    int32_t nSampleRate = 0;
    int64_t nSourceBytes = 0;
    // Parameter values by ID (index ID - 1), in the form SetParameter takes
    // them; only the settings of the passes and of "make auto" are applied
    // when a session is opened, the rest are kept as they were.
    std::array<int32_t, kSessionParameters> parameters{};
    int32_t nTrackedFrames = 0;
    // The leading track records, five words each; the buffer's later
    // records are all unvoiced and empty.
    std::vector<uint32_t> records;
    // The main graph view's state (CMainGraphView::SaveState).
    std::vector<uint8_t> viewState;

    int32_t& Parameter(int id) { return parameters[static_cast<size_t>(id - 1)]; }
    int32_t Parameter(int id) const { return parameters[static_cast<size_t>(id - 1)]; }
    int RecordCount() const { return static_cast<int>(records.size() / 5); }
};

std::vector<uint8_t> EncodeSession(const GraphSession& session);
// `name` is how messages call the file. Throws a failure (CJobError).
GraphSession DecodeSession(const std::vector<uint8_t>& bytes, const std::string& name);

GraphSession ReadSession(const std::string& path);
// Beside the final file first, renamed over it once complete.
void WriteSession(const GraphSession& session, const std::string& path);

// The checksum the file ends with: CRC-32 (the reflected 0xEDB88320 one).
uint32_t SessionChecksum(const uint8_t* data, size_t size);

} // namespace job

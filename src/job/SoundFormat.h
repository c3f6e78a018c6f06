#pragma once
// What a sound file holds, in words a user recognises, which of the
// filter's two formats it is corrected in, and what the output is written
// as.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/SampleRates.h"

namespace job {

struct SoundFormat
{
    int nChannels = 0;
    int nFormat = 0;      // libsndfile's container | encoding word
    int nSampleRate = 0;
    int64_t nFrames = 0;  // as the header claims
};

// The format each channel reaches the filter in.
enum class ProcessingPath
{
    Pcm16,   // 16-bit PCM, through the filter's 16-bit conversions
    Float32, // everything else, read as floats at full scale +-1.0
};

// "16-bit PCM", "24-bit PCM", "32-bit float", "u-law", ...
std::string DescribeEncoding(int format);
// "WAV", "AIFF", "FLAC", ...
std::string DescribeContainer(int format);
// "mono 16-bit PCM WAV", "stereo 24-bit PCM FLAC", "5-channel 32-bit float
// WAV", "mono Ogg Vorbis"
std::string DescribeFormat(const SoundFormat& format);

// Throws a failure naming the file's rate and the range above, or saying
// that the file holds no sample frames: correcting nothing is a mistake
// worth a message, not an empty file.
void CheckCorrectable(const SoundFormat& format, const std::string& displayPath);

// The output's format as the command line asks for it, known before the
// input is opened.
struct OutputRequest
{
    int nContainer = 0; // libsndfile's major format, with the codec of the
                        // containers that have only one; 0: the input's
    int nEncoding = 0;  // from --bits; 0: keep the input's
    std::string sBits;  // --bits as given, for messages
};

// The containers the tool writes, by --format name and extension: WAV,
// AIFF, FLAC, Ogg Vorbis, Opus, MP3, CAF, W64, RF64 and AU. "-" (standard
// output) is WAV.
std::vector<std::string> OutputFormatNames();
// ".flac" for "flac": the extension a file of that --format gets.
std::string OutputExtension(const std::string& formatName);

// From --format (which wins), else OUT's extension; with neither, the
// input's container. --bits is 8, 16, 24, 32, float or double. Throws a
// usage error for an extension or name it does not know (".raw" and ".xyz"
// alike), and for --bits on a container that has no bit depth.
OutputRequest ParseOutputRequest(const std::string& outPath, const std::optional<std::string>& format,
                                 const std::optional<std::string>& bits);

// The libsndfile format word the output of this input gets: the container
// asked for, holding the encoding asked for, else the input's, else the
// nearest the container can hold (24-bit, float or 16-bit PCM, in that
// order for deep input, 16-bit first for the rest). Throws a usage error
// naming OUT when the container cannot take the audio at all (an encoding
// --bits asks for, the rate for Opus and MP3, too many channels).
int ResolveOutputFormat(const OutputRequest& request, const SoundFormat& input, int channels,
                        const std::string& outPath);

} // namespace job

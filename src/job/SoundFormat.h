#pragma once
// What a sound file holds, in words a user recognises, and which of the
// job's three ways through the engine it takes.

#include <cstdint>
#include <string>

#include "engine/SampleRates.h"

namespace job {

struct SoundFormat
{
    int nChannels = 0;
    int nFormat = 0;      // libsndfile's container | encoding word
    int nSampleRate = 0;
    int64_t nFrames = 0;  // as the header claims
};

enum class ProcessingPath
{
    Pcm16,   // mono 16-bit PCM: converted to floats and back, written as 16-bit
    Float32, // mono 32-bit float: processed as it is, written as float
    Mixdown, // anything libsndfile reads, averaged to mono float, written as float
};

// "16-bit PCM", "24-bit PCM", "32-bit float", "u-law", ...
std::string DescribeEncoding(int format);
// "WAV", "AIFF", "FLAC", ...
std::string DescribeContainer(int format);
// "mono 16-bit PCM WAV", "stereo 24-bit PCM FLAC", "5-channel 32-bit float WAV"
std::string DescribeFormat(const SoundFormat& format);
const char* DescribePath(ProcessingPath path);

// Throws a failure naming the file's rate and the range above, or saying
// that the file holds no sample frames: correcting nothing is a mistake
// worth a message, not an empty file.
void CheckCorrectable(const SoundFormat& format, const std::string& displayPath);

// Throws a failure naming the format and --mixdown for anything the engine
// cannot take directly when mixdown is off.
ProcessingPath ChoosePath(const SoundFormat& format, bool bMixdown, const std::string& displayPath);

// The libsndfile format word for the output: the container named by the
// output's extension (or the input's container when the extension names
// none), holding 16-bit PCM or 32-bit float as the path requires. Throws a
// usage error when that container cannot hold it.
int ChooseOutputFormat(const std::string& outPath, int inputFormat, int sampleRate, ProcessingPath path);

} // namespace job

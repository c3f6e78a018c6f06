#pragma once

// Reading and writing sound files for the tools and tests. Failures throw
// std::runtime_error with a one-line message that names the file.

#include <string>
#include <vector>

namespace analysis {

struct MonoSound {
    std::vector<float> samples;
    double sampleRate = 0.0;
};

// Any format libsndfile reads; several channels are averaged into one.
MonoSound ReadMonoSound(const std::string& path);

// Mono 16-bit PCM WAV. The file appears complete or not at all.
void WriteMonoPcm16Wav(const std::string& path, const std::vector<float>& samples, int sampleRate);

}  // namespace analysis

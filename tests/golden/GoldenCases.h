#pragma once
// The fixed inputs and settings whose processed samples are pinned by
// checksum. The checksums were taken from the tree as it stood when the
// test was written: any change that alters a single output bit of the
// filter or the plug-in turns the test red, which is the point. A change
// that is meant to alter the sound updates the table and says why.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "voice/DemoPhrase.h"
#include "voice/VoiceSynth.h"

namespace golden {

// FNV-1a over the bytes: no library, and one flipped bit changes it.
inline uint64_t Checksum(const void* p, size_t n)
{
    uint64_t h = 0xcbf29ce484222325ull;
    const auto* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i) {
        h ^= b[i];
        h *= 0x100000001b3ull;
    }
    return h;
}

// The demo phrase, sung out of tune, cut to its first seconds.
inline std::vector<float> DemoPhrase(double rate, double seconds)
{
    std::vector<float> v = voice::SynthesizeDemoPhrase(rate);
    v.resize(static_cast<size_t>(seconds * rate));
    return v;
}

// A passage with a wide natural vibrato and a slide between notes, for the
// synthetic vibrato and slow retune settings to work on.
inline std::vector<float> VibratoPassage(double rate)
{
    voice::VoiceOptions options;
    options.sampleRate = rate;
    options.vibratoCents = 45.0;
    options.vibratoHz = 6.0;
    options.portamentoMs = 150.0;
    options.leadIn = 0.05;
    options.seed = 7;
    return voice::SynthesizePhrase({{65, -40, 0.8, 0.0}, {69, +35, 0.7, 0.1}, {72, -15, 0.6, 0.0}}, options);
}

inline std::vector<int16_t> Quantise(const std::vector<float>& v)
{
    std::vector<int16_t> out(v.size());
    for (size_t i = 0; i < v.size(); ++i) {
        const double s = v[i] * 32768.0;
        out[i] = static_cast<int16_t>(s > 32767.0 ? 32767.0 : (s < -32768.0 ? -32768.0 : s));
    }
    return out;
}

// A case that differs fails and prints the line to put in its table.
inline bool Matches(const std::string& name, uint64_t actual, uint64_t expected)
{
    if (actual == expected)
        return true;
    ADD_FAILURE() << name << ": the output samples differ from the recorded ones";
    std::printf("    {\"%s\", 0x%016llxull},\n", name.c_str(), static_cast<unsigned long long>(actual));
    return false;
}

} // namespace golden

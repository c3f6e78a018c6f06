// The warning for voices below the lowest corrected pitch of their rate:
// it fires for a low voice at a high rate and stays quiet for a voice the
// filter corrects.

#include <gtest/gtest.h>

#include <cmath>

#include "job/PitchRange.h"
#include "voice/VoiceSynth.h"

namespace {

// In blocks, as the file source reads.
std::string WarningFor(const std::vector<float>& samples, int rate, size_t block = 4096)
{
    job::CLowPitchCheck check(rate);
    for (size_t done = 0; done < samples.size(); done += block)
        check.Add(samples.data() + done, static_cast<int>(std::min(block, samples.size() - done)));
    return check.Warning();
}

std::string WarningFor(double hz, int rate)
{
    return WarningFor(voice::SynthesizeSteadyVowel(hz, 2.0, rate), rate);
}

// A fundamental and its upper octave, b times as strong.
std::vector<float> WithOctave(double hz, double b, int rate)
{
    std::vector<float> v(static_cast<size_t>(2 * rate));
    for (size_t i = 0; i < v.size(); ++i) {
        const double phase = 6.283185307179586 * hz * static_cast<double>(i) / rate;
        v[i] = static_cast<float>(0.1 * (std::sin(phase) + b * std::sin(2.0 * phase)));
    }
    return v;
}

TEST(PitchRange, LowVoicesAtHighRatesAreWarnedAboutVoicesInRangeAreNot)
{
    for (const auto& [hz, rate, warned] : {std::tuple{110.0, 96000, true}, {200.0, 192000, true}, {41.0, 44100, true},
                                           {220.0, 44100, false}, {130.0, 96000, false}, {440.0, 192000, false}})
        EXPECT_EQ(WarningFor(hz, rate) != "", warned) << hz << " Hz at " << rate;
    // Silence has no voice to warn about.
    job::CLowPitchCheck quiet(48000);
    const std::vector<float> silence(96000, 0.0f);
    quiet.Add(silence.data(), static_cast<int>(silence.size()));
    EXPECT_EQ(quiet.Warning(), "");
}

// The lag taken is the shortest one within a tenth of the best. One lag of
// the upper octave correlates the octave fully and the fundamental
// negatively, so it reaches 0.9 of the fundamental's lag (about 1) only
// once the octave is more than sqrt(19) times as strong: at 3 times it
// stays at 0.8 and the 45 Hz voice is heard as such, at 5 times (0.92) it
// is taken for a 90 Hz voice, which is corrected.
TEST(PitchRange, TheUpperOctaveCountsOnlyWhenItNearlyRepeatsAsWell)
{
    EXPECT_NE(WarningFor(WithOctave(45.0, 3.0, 44100), 44100), "");
    EXPECT_EQ(WarningFor(WithOctave(45.0, 5.0, 44100), 44100), "");
}

// A correlation does not depend on the level, nor the verdict on how the
// file is cut into blocks: a low voice far louder than any recording, read
// a few samples at a time, is still warned about, and a voice in range is
// not.
TEST(PitchRange, NeitherLevelNorBlockSizeChangesTheVerdict)
{
    for (const double hz : {41.0, 220.0}) {
        std::vector<float> loud = voice::SynthesizeSteadyVowel(hz, 2.0, 44100);
        const std::string expected = WarningFor(loud, 44100);
        EXPECT_EQ(WarningFor(loud, 44100, 7), expected) << hz;
        for (float& x : loud)
            x *= 1e20f;
        EXPECT_EQ(WarningFor(loud, 44100), expected) << hz;
    }
}

} // namespace

// The warning for voices below the lowest corrected pitch of their rate:
// it fires for a low voice at a high rate and stays quiet for a voice the
// filter corrects.

#include <gtest/gtest.h>

#include "job/PitchRange.h"
#include "voice/VoiceSynth.h"

namespace {

std::string WarningFor(double hz, int rate)
{
    const std::vector<float> voice = voice::SynthesizeSteadyVowel(hz, 2.0, rate);
    job::CLowPitchCheck check(rate);
    // In blocks, as the file source reads.
    for (size_t done = 0; done < voice.size(); done += 4096)
        check.Add(voice.data() + done, static_cast<int>(std::min<size_t>(4096, voice.size() - done)));
    return check.Warning();
}

TEST(PitchRange, LowVoicesAtHighRatesAreWarnedAbout)
{
    EXPECT_NE(WarningFor(110.0, 96000), "");
    EXPECT_NE(WarningFor(200.0, 192000), "");
    EXPECT_NE(WarningFor(41.0, 44100), "");
}

TEST(PitchRange, VoicesInRangeAreNot)
{
    EXPECT_EQ(WarningFor(220.0, 44100), "");
    EXPECT_EQ(WarningFor(130.0, 96000), "");
    EXPECT_EQ(WarningFor(440.0, 192000), "");
    // Silence has no voice to warn about.
    job::CLowPitchCheck quiet(48000);
    const std::vector<float> silence(96000, 0.0f);
    quiet.Add(silence.data(), static_cast<int>(silence.size()));
    EXPECT_EQ(quiet.Warning(), "");
}

} // namespace

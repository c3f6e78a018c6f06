#include "analysis/PitchAnalysis.h"
#include "voice/VoiceSynth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <tuple>

namespace {

using analysis::AnalysePitch;
using analysis::DeviationFromTarget;
using voice::NoteEvent;
using voice::VoiceOptions;

double Peak(const std::vector<float>& x, size_t from = 0, size_t to = SIZE_MAX)
{
    double peak = 0.0;
    for (size_t i = from; i < std::min(to, x.size()); ++i)
        peak = std::max(peak, static_cast<double>(std::fabs(x[i])));
    return peak;
}

VoiceOptions Quiet(double sampleRate)
{
    VoiceOptions o;
    o.sampleRate = sampleRate;
    o.jitter = 0.0;
    o.shimmer = 0.0;
    o.breath = 0.0;
    o.vibratoCents = 0.0;
    return o;
}

TEST(VoiceSynth, SameSeedSameSamplesOtherSeedOtherSamples)
{
    const std::vector<NoteEvent> notes = {{57, 12, 0.4, 0.1}, {61, -20, 0.5, 0.0}, {64, 5, 0.4, 0.0}};
    VoiceOptions options;
    const auto first = voice::SynthesizePhrase(notes, options);
    const auto second = voice::SynthesizePhrase(notes, options);
    ASSERT_EQ(first.size(), second.size());
    EXPECT_TRUE(first == second);   // bit for bit, not merely close

    options.seed = 2;
    const auto reseeded = voice::SynthesizePhrase(notes, options);
    ASSERT_EQ(first.size(), reseeded.size());
    size_t differing = 0;
    for (size_t i = 0; i < first.size(); ++i)
        differing += first[i] != reseeded[i];
    EXPECT_GT(differing, first.size() / 2);

    EXPECT_TRUE(voice::SynthesizeSteadyVowel(300.0, 0.3, 48000.0, 7) ==
                voice::SynthesizeSteadyVowel(300.0, 0.3, 48000.0, 7));
}

// Sung pitch measured by the outside analyser, for low and high voices, given
// as Hz or as a MIDI note with detune, at both common sample rates.
class VoicePitch : public ::testing::TestWithParam<std::tuple<double, double, double>> {};

TEST_P(VoicePitch, ComesOutAtTheIntendedPitch)
{
    const auto [midi, detune, fs] = GetParam();
    const double intended = 440.0 * std::pow(2.0, (midi - 69.0) / 12.0 + detune / 1200.0);

    VoiceOptions options;
    options.sampleRate = fs;
    options.vibratoCents = 0.0;
    options.formantScale = intended > 300.0 ? 1.15 : 1.0;
    const auto fromMidi = voice::SynthesizePhrase({{midi, detune, 1.2, 0.0}}, options);
    const auto fromHz = voice::SynthesizeSteadyVowel(intended, 1.2, fs);

    for (const auto* signal : {&fromMidi, &fromHz}) {
        const auto frames = AnalysePitch(*signal, fs);
        const auto deviation = DeviationFromTarget(frames, intended, 0.15, 1.05);
        EXPECT_GT(deviation.frames, 100u);
        EXPECT_NEAR(deviation.medianCents, 0.0, 3.0) << "intended " << intended << " Hz";
        EXPECT_LT(deviation.p90AbsCents, 6.0);
    }
}

INSTANTIATE_TEST_SUITE_P(LowAndHighVoices, VoicePitch,
                         ::testing::Combine(::testing::Values(45.0, 72.0),   // A2 = 110 Hz, C5 = 523 Hz
                                            ::testing::Values(0.0, 23.0, -31.0),
                                            ::testing::Values(44100.0, 48000.0)));

TEST(VoiceSynth, PeakIsTheRequestedLevelAndNeverBeyondFullScale)
{
    const std::vector<NoteEvent> notes = {{50, 0, 0.3, 0.0, 3.0}, {69, 0, 0.3, 0.0, 0.2}};
    for (double level : {1.0, 0.25}) {
        VoiceOptions options;
        options.level = level;
        const auto x = voice::SynthesizePhrase(notes, options);
        EXPECT_LE(Peak(x), level);
        EXPECT_NEAR(Peak(x), level, 1e-6);
    }
}

TEST(VoiceSynth, PhraseTimingRestsAndLeadIn)
{
    VoiceOptions options;
    options.leadIn = 0.2;
    const std::vector<NoteEvent> notes = {{60, 0, 0.5, 0.4}, {62, 0, 0.3, 0.0}};
    const double fs = options.sampleRate;
    const auto x = voice::SynthesizePhrase(notes, options);
    EXPECT_EQ(x.size(), static_cast<size_t>(std::llround((0.2 + 0.5 + 0.4 + 0.3) * fs)));

    const auto spans = voice::PhraseNoteSpans(notes, options);
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_DOUBLE_EQ(spans[1].start, 1.1);

    auto at = [fs](double seconds) { return static_cast<size_t>(seconds * fs); };
    EXPECT_EQ(Peak(x, 0, at(0.2)), 0.0);
    // The release ends with the note; the resonators ring a little longer.
    EXPECT_EQ(Peak(x, at(0.8), at(1.1)), 0.0);
    EXPECT_GT(Peak(x, at(0.3), at(0.6)), 0.2);
    EXPECT_GT(Peak(x, at(1.2), at(1.35)), 0.2);
}

TEST(VoiceSynth, VibratoSwingsAroundTheNoteAtItsRate)
{
    VoiceOptions options;
    options.vibratoCents = 30.0;
    options.vibratoHz = 5.5;
    options.vibratoDelay = 0.3;
    options.vibratoOnset = 0.3;
    const double hz = 220.0;
    const auto frames = AnalysePitch(voice::SynthesizeSteadyVowel(hz, 3.0, options), options.sampleRate);

    const auto before = DeviationFromTarget(frames, hz, 0.1, 0.28);
    EXPECT_LT(before.p90AbsCents, 4.0);

    const auto swinging = DeviationFromTarget(frames, hz, 0.8, 2.8);
    EXPECT_NEAR(swinging.meanCents, 0.0, 3.0);
    EXPECT_GT(swinging.p90AbsCents, 0.75 * 30.0);
    EXPECT_LT(swinging.p90AbsCents, 1.2 * 30.0);

    // Count upward crossings of the note over the 2 s stretch.
    int crossings = 0;
    double previous = 0.0;
    for (const auto& f : frames) {
        if (f.seconds < 0.8 || f.seconds > 2.8)
            continue;
        const double cents = analysis::CentsBetween(f.hz, hz);
        crossings += previous < 0.0 && cents >= 0.0;
        previous = cents;
    }
    EXPECT_NEAR(crossings / 2.0, 5.5, 0.75);
}

TEST(VoiceSynth, ContourIsFollowedAndSilenceIsExact)
{
    const double fs = 48000.0;
    VoiceOptions options = Quiet(fs);
    std::vector<double> contour;
    for (int n = 0; n < 0.6 * fs; ++n)
        contour.push_back(196.0);
    for (int n = 0; n < 0.4 * fs; ++n)
        contour.push_back(0.0);
    // One octave up in 1.2 s at a steady rate in cents.
    for (int n = 0; n < 1.2 * fs; ++n)
        contour.push_back(196.0 * std::pow(2.0, n / (1.2 * fs)));

    const auto x = voice::SynthesizeContour(contour, options);
    ASSERT_EQ(x.size(), contour.size());
    EXPECT_EQ(Peak(x, static_cast<size_t>(0.75 * fs), static_cast<size_t>(1.0 * fs)), 0.0);

    const auto frames = AnalysePitch(x, fs);
    EXPECT_NEAR(DeviationFromTarget(frames, 196.0, 0.1, 0.5).medianCents, 0.0, 3.0);
    size_t checked = 0;
    for (const auto& f : frames) {
        if (f.seconds < 1.15 || f.seconds > 2.1)
            continue;
        const double expected = 196.0 * std::pow(2.0, (f.seconds - 1.0) / 1.2);
        EXPECT_NEAR(analysis::CentsBetween(f.hz, expected), 0.0, 8.0) << "at " << f.seconds << " s";
        ++checked;
    }
    EXPECT_GT(checked, 100u);
}

TEST(VoiceSynth, RejectsWhatCannotBeSung)
{
    VoiceOptions bad;
    bad.sampleRate = 0.0;
    EXPECT_THROW(voice::SynthesizeSteadyVowel(220.0, 0.1, bad), std::invalid_argument);
    bad = {};
    bad.level = 0.0;
    EXPECT_THROW(voice::SynthesizeSteadyVowel(220.0, 0.1, bad), std::invalid_argument);
    EXPECT_THROW(voice::SynthesizeSteadyVowel(-5.0, 0.1, 44100.0), std::invalid_argument);
    EXPECT_THROW(voice::SynthesizePhrase({{60, 0, 0.0, 0.0}}, {}), std::invalid_argument);
    EXPECT_THROW(voice::SynthesizePhrase({{60, 0, 0.2, -1.0}}, {}), std::invalid_argument);
    EXPECT_THROW(voice::SynthesizePhrase({{60, 0, 7200.0, 0.0}}, {}), std::invalid_argument);
    EXPECT_THROW(voice::SynthesizeContour({100.0, 9000.0}, {}), std::invalid_argument);
}

}  // namespace

#include "analysis/PitchAnalysis.h"
#include "voice/VoiceSynth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>

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

TEST(VoiceSynth, TheSeedDecidesTheSamples)
{
    const std::vector<NoteEvent> notes = {{57, 12, 0.4, 0.1}, {61, -20, 0.5, 0.0}};
    VoiceOptions options;
    const auto first = voice::SynthesizePhrase(notes, options);
    EXPECT_TRUE(first == voice::SynthesizePhrase(notes, options));  // bit for bit, not merely close
    options.seed = 2;
    const auto reseeded = voice::SynthesizePhrase(notes, options);
    ASSERT_EQ(first.size(), reseeded.size());
    EXPECT_GT(std::inner_product(first.begin(), first.end(), reseeded.begin(), size_t{0}, std::plus<>(), std::not_equal_to<>()),
              first.size() / 2);
}

// Sung pitch measured by the outside analyser, for low and high voices, given
// as Hz or as a MIDI note with detune, at both common sample rates.
TEST(VoiceSynth, ComesOutAtTheIntendedPitch)
{
    for (auto [midi, detune, fs] : {std::tuple{45.0, 23.0, 44100.0}, {72.0, -31.0, 48000.0}, {72.0, 0.0, 44100.0}}) {
        const double intended = 440.0 * std::pow(2.0, (midi - 69.0) / 12.0 + detune / 1200.0);
        VoiceOptions options;
        options.sampleRate = fs;
        options.vibratoCents = 0.0;
        options.formantScale = intended > 300.0 ? 1.15 : 1.0;
        for (const auto& signal : {voice::SynthesizePhrase({{midi, detune, 1.2, 0.0}}, options), voice::SynthesizeSteadyVowel(intended, 1.2, fs)}) {
            const auto deviation = DeviationFromTarget(AnalysePitch(signal, fs), intended, 0.15, 1.05);
            EXPECT_GT(deviation.frames, 100u);
            EXPECT_NEAR(deviation.medianCents, 0.0, 3.0) << "intended " << intended << " Hz";
            EXPECT_LT(deviation.p90AbsCents, 6.0);
        }
    }
}

TEST(VoiceSynth, LevelRestsLeadInAndTiming)
{
    for (double level : {1.0, 0.25}) {
        VoiceOptions options;
        options.level = level;
        EXPECT_NEAR(Peak(voice::SynthesizePhrase({{50, 0, 0.3, 0.0, 3.0}, {69, 0, 0.3, 0.0, 0.2}}, options)), level, 1e-6);
    }
    VoiceOptions options;
    options.leadIn = 0.2;
    const std::vector<NoteEvent> notes = {{60, 0, 0.5, 0.4}, {62, 0, 0.3, 0.0}};
    const double fs = options.sampleRate;
    const auto x = voice::SynthesizePhrase(notes, options);
    EXPECT_EQ(x.size(), static_cast<size_t>(std::llround((0.2 + 0.5 + 0.4 + 0.3) * fs)));
    EXPECT_DOUBLE_EQ(voice::PhraseNoteSpans(notes, options).at(1).start, 1.1);
    auto at = [fs](double seconds) { return static_cast<size_t>(seconds * fs); };
    EXPECT_EQ(Peak(x, 0, at(0.2)), 0.0);
    // The release ends with the note; the resonators ring a little longer.
    EXPECT_EQ(Peak(x, at(0.8), at(1.1)), 0.0);
    EXPECT_GT(std::min(Peak(x, at(0.3), at(0.6)), Peak(x, at(1.2), at(1.35))), 0.2);
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
    EXPECT_LT(DeviationFromTarget(frames, hz, 0.1, 0.28).p90AbsCents, 4.0);
    const auto swinging = DeviationFromTarget(frames, hz, 0.8, 2.8);
    EXPECT_NEAR(swinging.meanCents, 0.0, 3.0);
    EXPECT_TRUE(swinging.p90AbsCents > 0.75 * 30.0 && swinging.p90AbsCents < 1.2 * 30.0) << swinging.p90AbsCents;
    int crossings = 0;  // upward through the note over the 2 s stretch
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

TEST(VoiceSynth, RejectsWhatCannotBeSung)
{
    VoiceOptions bad;
    bad.sampleRate = 0.0;
    EXPECT_THROW(voice::SynthesizeSteadyVowel(220.0, 0.1, bad), std::invalid_argument);
    bad = {};
    bad.level = 0.0;
    EXPECT_THROW(voice::SynthesizeSteadyVowel(220.0, 0.1, bad), std::invalid_argument);
    EXPECT_THROW(voice::SynthesizeSteadyVowel(-5.0, 0.1, 44100.0), std::invalid_argument);
    for (const NoteEvent& note : {NoteEvent{60, 0, 0.0, 0.0}, NoteEvent{60, 0, 0.2, -1.0}, NoteEvent{60, 0, 7200.0, 0.0}})
        EXPECT_THROW(voice::SynthesizePhrase({note}, {}), std::invalid_argument);
}

}  // namespace

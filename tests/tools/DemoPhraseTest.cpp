#include "analysis/PitchAnalysis.h"
#include "voice/DemoPhrase.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class DemoAtRate : public ::testing::TestWithParam<double> {};

// A dozen or so notes over 10 to 15 s; each, measured by the outside analyser
// on the rendered audio, is off its equal-tempered note by 20 to 45 cents in
// the direction intended, and some are sharp and some flat.
TEST_P(DemoAtRate, EveryNoteIsMeasurablyOffItsNote)
{
    const double fs = GetParam();
    const auto audio = voice::SynthesizeDemoPhrase(fs);
    const double seconds = static_cast<double>(audio.size()) / fs;
    EXPECT_GE(seconds, 10.0);
    EXPECT_LE(seconds, 15.0);

    const auto frames = analysis::AnalysePitch(audio, fs);
    const auto notes = voice::DemoNotes();
    const auto spans = voice::PhraseNoteSpans(notes, voice::DemoOptions(fs));
    ASSERT_EQ(spans.size(), notes.size());
    EXPECT_GE(notes.size(), 10u);
    EXPECT_LE(notes.size(), 14u);

    int sharp = 0, flat = 0;
    for (size_t i = 0; i < notes.size(); ++i) {
        EXPECT_GE(notes[i].midi, 55.0) << "note " << i;   // G3 to F#4: a mid range
        EXPECT_LE(notes[i].midi, 66.0) << "note " << i;
        const double nominal = 440.0 * std::pow(2.0, (notes[i].midi - 69.0) / 12.0);
        // Skip the glide or attack at the start and the release at the end.
        const auto deviation =
            analysis::DeviationFromTarget(frames, nominal, spans[i].start + 0.15, spans[i].end - 0.1);
        ASSERT_GT(deviation.frames, 30u) << "note " << i;
        EXPECT_GE(std::fabs(deviation.medianCents), 20.0) << "note " << i;
        EXPECT_LE(std::fabs(deviation.medianCents), 45.0) << "note " << i;
        EXPECT_NEAR(deviation.medianCents, notes[i].detuneCents, 3.0) << "note " << i;
        (deviation.medianCents > 0 ? sharp : flat)++;
    }
    EXPECT_GE(sharp, 3);
    EXPECT_GE(flat, 3);

    const auto summary = analysis::SummarisePitch(frames);
    EXPECT_GT(summary.medianAbsCents, 20.0);
    EXPECT_LT(summary.medianAbsCents, 45.0);
}

INSTANTIATE_TEST_SUITE_P(CommonRates, DemoAtRate, ::testing::Values(44100.0, 48000.0));

}  // namespace

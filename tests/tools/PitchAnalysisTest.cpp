#include "analysis/PitchAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <stdexcept>

namespace {

using analysis::AnalysePitch;
using analysis::CentsFromNearestNote;
using analysis::PitchFrame;

// A tone of the given frequencies, one after another, each `seconds` long,
// with continuous phase.
std::vector<float> Tones(std::initializer_list<double> hz, double seconds, double fs)
{
    std::vector<float> out;
    double phase = 0.0;
    for (double f : hz)
        for (int n = 0; n < seconds * fs; ++n) {
            out.push_back(static_cast<float>(0.4 * std::sin(2.0 * std::numbers::pi * phase)));
            phase += f / fs;
            phase -= std::floor(phase);
        }
    return out;
}

TEST(PitchAnalysis, CentsFromNearestEqualTemperedNote)
{
    // Frequency as cents from A4, what the nearest note makes of it.
    for (auto [fromA4, expected] : {std::pair{0.0, 0.0}, {30.0, 30.0}, {-30.0, -30.0}, {51.0, -49.0}, {-149.0, -49.0},
                                    {-1800.0 + 449.0, 49.0}, {-4800.0, 0.0}})
        EXPECT_NEAR(CentsFromNearestNote(440.0 * std::pow(2.0, fromA4 / 1200.0)), expected, 1e-9) << fromA4;
    EXPECT_NEAR(CentsFromNearestNote(261.6256), 0.0, 0.01);  // middle C
    EXPECT_TRUE(std::isnan(CentsFromNearestNote(0.0)));
    EXPECT_TRUE(std::isnan(CentsFromNearestNote(-440.0)));
}

TEST(PitchAnalysis, PercentilesAndSummaries)
{
    EXPECT_DOUBLE_EQ(analysis::Percentile({7, 3, 10, 1, 5, 9, 2, 8, 4, 6}, 50.0), 5.5);
    EXPECT_DOUBLE_EQ(analysis::Percentile({7, 3, 10, 1, 5, 9, 2, 8, 4, 6}, 90.0), 9.1);
    EXPECT_DOUBLE_EQ(analysis::Percentile({4.0}, 90.0), 4.0);
    EXPECT_TRUE(std::isnan(analysis::Percentile({}, 50.0)));

    auto off = [](double noteHz, double cents) { return noteHz * std::pow(2.0, cents / 1200.0); };
    const std::vector<PitchFrame> frames = {
        {0.1, off(440.0, 10.0), 1.0}, {0.2, off(220.0, -20.0), 1.0}, {0.3, off(440.0 * std::pow(2.0, 3.0 / 12.0), 30.0), 1.0}};
    const auto summary = analysis::SummarisePitch(frames);
    EXPECT_EQ(summary.voicedFrames, 3u);
    EXPECT_NEAR(summary.medianAbsCents, 20.0, 1e-6);
    EXPECT_NEAR(summary.p90AbsCents, 28.0, 1e-6);   // 20 + 0.8 * (30 - 20)
    EXPECT_TRUE(std::isnan(analysis::SummarisePitch({}).medianAbsCents));

    // Only frames inside the window count, signed against the target.
    const auto window = analysis::DeviationFromTarget(frames, 440.0, 0.05, 0.15);
    EXPECT_EQ(window.frames, 1u);
    EXPECT_NEAR(window.medianCents, 10.0, 1e-6);
    const auto empty = analysis::DeviationFromTarget(frames, 440.0, 2.0, 3.0);
    EXPECT_EQ(empty.frames, 0u);
    EXPECT_TRUE(std::isnan(empty.medianCents));
}

TEST(PitchAnalysis, PureTonesAreMeasuredExactly)
{
    for (double fs : {44100.0, 48000.0})
        for (double hz : {98.0, 1046.5}) {
            const auto frames = AnalysePitch(Tones({hz}, 1.0, fs), fs);
            const auto d = analysis::DeviationFromTarget(frames, hz, 0.0, 1.0);
            EXPECT_GT(d.frames, 150u);
            EXPECT_NEAR(d.medianCents, 0.0, 0.5) << hz << " Hz at " << fs;
        }
}

TEST(PitchAnalysis, FramesAreOrderedAndPlacedInTime)
{
    const double fs = 44100.0;
    const auto frames = AnalysePitch(Tones({220.0, 330.0}, 0.5, fs), fs);
    ASSERT_GT(frames.size(), 100u);
    for (size_t i = 1; i < frames.size(); ++i)
        EXPECT_GT(frames[i].seconds, frames[i - 1].seconds);
    for (const auto& f : frames) {
        if (f.seconds < 0.47) {
            EXPECT_NEAR(f.hz, 220.0, 0.5) << f.seconds;
        } else if (f.seconds > 0.53) {
            EXPECT_NEAR(f.hz, 330.0, 0.5) << f.seconds;
        }
    }

    // A tone after silence is first heard close to where it starts.
    std::vector<float> late(static_cast<size_t>(0.5 * fs), 0.0f);
    const auto tone = Tones({300.0}, 0.5, fs);
    late.insert(late.end(), tone.begin(), tone.end());
    const auto heard = AnalysePitch(late, fs);
    ASSERT_FALSE(heard.empty());
    EXPECT_NEAR(heard.front().seconds, 0.5, 0.03);
}

TEST(PitchAnalysis, NoiseAndSilenceAreNotVoicedAndBadRequestsAreRejected)
{
    const double fs = 44100.0;
    EXPECT_TRUE(AnalysePitch(std::vector<float>(44100, 0.0f), fs).empty());
    EXPECT_TRUE(AnalysePitch(std::vector<float>{}, fs).empty());
    std::vector<float> noise(44100);
    uint32_t state = 12345;
    for (float& v : noise) {
        state = state * 1664525u + 1013904223u;
        v = static_cast<float>(static_cast<int32_t>(state) / 2147483648.0 * 0.5);
    }
    // 1 s gives about 165 frames; allow a stray one or two.
    EXPECT_LE(AnalysePitch(noise, fs).size(), 3u);

    analysis::AnalysisOptions options;
    options.method = "guess";
    EXPECT_THROW(AnalysePitch(noise, fs, options), std::invalid_argument);
    EXPECT_THROW(AnalysePitch(noise, 44100.5), std::invalid_argument);
    EXPECT_THROW(AnalysePitch(noise, 0.0), std::invalid_argument);
}

}  // namespace

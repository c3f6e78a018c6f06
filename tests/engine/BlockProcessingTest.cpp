// The block entry: latency, the flush, independence from block boundaries
// and from the build of the block loop, bypass, long silence, ClearBuffer.

#include <gtest/gtest.h>

#include "EngineProbe.h"
#include "EngineSignals.h"

using namespace enginetest;

namespace {

constexpr int kLatency = 30;

// Output n must be input n - delay from `from` on, or silence for an input
// the engine flushes.
void ExpectDelayed(const std::vector<float>& in, const std::vector<float>& out, int delay, size_t from = 0)
{
    for (size_t n = from; n < in.size(); ++n) {
        const float x = n < size_t(delay) ? 0.0f : in[n - delay];
        ASSERT_EQ(out[n], std::isfinite(x) && std::fabs(double(x)) >= 1e-10 ? x : 0.0f) << n;
    }
}

} // namespace

TEST(BlockProcessing, UnshiftedOutputIsTheInputThirtySamplesLate)
{
    CPitchEngine e;
    float ratio = 0.0f;
    int frames = -1;
    e.GetStatus(&ratio, &frames);
    EXPECT_EQ(std::pair(ratio, frames), std::pair(1.0f, 0));
    // The detector locks, but with no table the ratio stays 1.0. Samples
    // below 1e-10 and non-finite ones come out as exact zeros.
    Prepare(e, false);
    auto in = WithFloor(Tone(Shape::Sawtooth, 100, 0.5, 4000));
    const float odd[] = {9e-11f, -9e-11f, 1.1e-10f, NAN, INFINITY, -INFINITY};
    std::copy(std::begin(odd), std::end(odd), in.begin() + 3000);
    ExpectDelayed(in, ProcessAll(e, in), kLatency);
    EXPECT_EQ(e.IsSearching(), 0);
    // ClearBuffer: the output starts again from silence, and the detector's
    // windows hold a silence no steady tone matches.
    e.ClearBuffer();
    in.resize(400);
    ExpectDelayed(in, ProcessAll(e, in), kLatency);
    EXPECT_NE(e.IsSearching(), 0);
}

TEST(BlockProcessing, BlockPartitionInPlaceAndCodeBuildChangeNoBit)
{
    // A glide across several notes, a pause, a steady tone; with some
    // retune and vibrato, so that the engine really shifts.
    const auto in = WithFloor(Concat(Concat(Glide(150.0, 260.0, 0.4, 30000), std::vector<float>(3000, 0.0f)),
                                     Tone(Shape::Harmonics, 123.4, 0.5, 15000)));
    const int total = static_cast<int>(in.size());
    std::vector<float> vib = Tone(Shape::Sine, 1000.0, 0.06, 1000);
    auto run = [&](int size, bool inPlace) {
        CPitchEngine e;
        Prepare(e);
        e.SetRetuneCoefficient(0.977f);
        e.SetVibrato(vib.data(), 1000, 25.0f, 0.3f, 10);
        e.EnableVibrato(1);
        std::vector<float> buf = in, out(in.size());
        for (int pos = 0; pos < total; pos += size) {
            e.Process(&buf[pos], inPlace ? &buf[pos] : &out[pos], std::min(size, total - pos));
            e.Process(&buf[pos], &out[pos], 0); // empty and negative blocks change nothing
            e.Process(&buf[pos], &out[pos], -3);
        }
        return inPlace ? buf : out;
    };
    const auto expected = run(total, false);
    int shifted = 0;
    for (int n = kLatency; n < total; ++n)
        shifted += expected[n] != in[n - kLatency];
    ASSERT_GT(shifted, total / 2) << "the comparison needs an engine that shifts";
    for (auto [size, inPlace] : {std::pair{1, false}, {7, false}, {4096, false}, {total, true}})
        EXPECT_EQ(run(size, inPlace), expected) << size;
    if (CEngineProbe::UsesWideCode()) { // the baseline build against the 256-bit one
        CEngineProbe::UseWideCode(false);
        EXPECT_EQ(run(total, false), expected);
        CEngineProbe::UseWideCode(true);
    }
}

TEST(BlockProcessing, BypassFreezesTheDistanceUntilALongSilence)
{
    // From construction: exactly the 30-sample delay, whatever the detector
    // does with a voice it could correct.
    const auto voice = WithFloor(Tone(Shape::Harmonics, NotePeriod(57) * 1.015, 0.4, 20000));
    CPitchEngine b;
    Prepare(b);
    b.SetBypass(1);
    ExpectDelayed(voice, ProcessAll(b, voice), kLatency);

    // Switched on while shifting an octave up, it keeps the distance reached...
    CPitchEngine e;
    NeverLock(e);
    CEngineProbe::SetPeriodAndRatio(e, 100.0f, 2.0f);
    const auto tone = Tone(Shape::Sawtooth, 100, 0.5, 3000);
    ProcessAll(e, std::vector<float>(tone.begin(), tone.begin() + 1017));
    e.SetBypass(1);
    EXPECT_EQ(CEngineProbe::RatioSmoothed(e), 1.0f);
    const double distance = CEngineProbe::Trailing(e);
    ASSERT_NE(distance, kLatency);
    ExpectDelayed(tone, ProcessAll(e, tone), static_cast<int>(distance), size_t(distance));
    // ... until more than 2048 zeros, which also restart the coarse search,
    // bring it back to 30 for the sound that follows.
    ProcessAll(e, std::vector<float>(2100, 0.0f));
    EXPECT_EQ(CEngineProbe::ResetPending(e), 1);
    ExpectDelayed(tone, ProcessAll(e, tone), kLatency);
}

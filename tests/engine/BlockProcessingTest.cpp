// The block entry: latency, the flush, independence from block boundaries
// and from the build of the block loop, bypass, long silence, ClearBuffer.

#include <limits>

#include <gtest/gtest.h>

#include "EngineProbe.h"
#include "EngineSignals.h"

using namespace enginetest;

namespace {

constexpr int kLatency = 30;

// An engine that really shifts: chromatic table, some retune, vibrato.
struct Shifting
{
    std::vector<float> vib = Tone(Shape::Sine, 1000.0, 0.06, 1000);
    CPitchEngine e;
    Shifting()
    {
        SetDefaultThresholds(e);
        LoadTable(e, ChromaticTable(0));
        e.SetRetuneCoefficient(0.977f);
        e.SetVibrato(vib.data(), 1000, 25.0f, 0.3f, 10);
        e.EnableVibrato(1);
    }
};

// A glide across several notes, a pause, a steady tone.
const std::vector<float> kPhrase = WithFloor(Concat(Glide(150.0, 260.0, 0.4, 30000),
    Concat(std::vector<float>(3000, 0.0f), Tone(Shape::Harmonics, 123.4, 0.5, 15000))));

// Output n must be input n - delay, or silence for a flushed input.
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
    SetDefaultThresholds(e);
    auto in = WithFloor(Tone(Shape::Sawtooth, 100, 0.5, 4000));
    const float odd[] = {9e-11f, -9e-11f, 1.1e-10f, std::numeric_limits<float>::quiet_NaN(), INFINITY, -INFINITY};
    std::copy(std::begin(odd), std::end(odd), in.begin() + 3000);
    ExpectDelayed(in, ProcessAll(e, in), kLatency);
    EXPECT_EQ(e.IsSearching(), 0);

    // ClearBuffer: the output starts again from silence, and the detector's
    // windows hold a silence no steady tone matches.
    e.ClearBuffer();
    const std::vector<float> next(in.begin(), in.begin() + 400);
    ExpectDelayed(next, ProcessAll(e, next), kLatency);
    EXPECT_NE(e.IsSearching(), 0);
}

TEST(BlockProcessing, BlockPartitionInPlaceAndCodeBuildChangeNoBit)
{
    const int total = static_cast<int>(kPhrase.size());
    Shifting ref;
    const auto expected = ProcessAll(ref.e, kPhrase);
    int shifted = 0;
    for (int n = kLatency; n < total; ++n)
        shifted += expected[n] != kPhrase[n - kLatency];
    ASSERT_GT(shifted, total / 2) << "the comparison needs an engine that shifts";
    for (int size : {1, 7, 4096, total}) {
        Shifting s;
        std::vector<float> buf = kPhrase, out(buf.size());
        for (int pos = 0; pos < total; pos += size) {
            s.e.Process(&buf[pos], size == total ? &buf[pos] : &out[pos], std::min(size, total - pos));
            s.e.Process(&buf[pos], &out[pos], 0); // empty and negative blocks change nothing
            s.e.Process(&buf[pos], &out[pos], -3);
        }
        EXPECT_EQ(size == total ? buf : out, expected) << size;
    }
    if (CEngineProbe::UsesWideCode()) { // the baseline build against the 256-bit one
        CEngineProbe::UseWideCode(false);
        Shifting baseline;
        EXPECT_EQ(ProcessAll(baseline.e, kPhrase), expected);
        CEngineProbe::UseWideCode(true);
    }
}

TEST(BlockProcessing, BypassFreezesTheDistanceUntilALongSilence)
{
    Shifting s; // from construction: exactly the 30-sample delay
    s.e.SetBypass(1);
    ExpectDelayed(kPhrase, ProcessAll(s.e, kPhrase), kLatency);

    // Switched on while shifting an octave up, it keeps the read distance
    // reached...
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

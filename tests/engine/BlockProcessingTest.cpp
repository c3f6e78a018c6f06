// The block entry: latency, independence from block boundaries and from the
// build of the block loop, in-place use, the flush, and the setters.

#include <limits>

#include <gtest/gtest.h>

#include "EngineProbe.h"
#include "EngineSignals.h"

using namespace enginetest;

namespace {

constexpr int kLatency = 30;

// An engine that really shifts: a chromatic table, 30 ms-ish retune, vibrato.
struct Shifting
{
    std::vector<float> vib = Tone(Shape::Sine, 1000.0, 0.0595, 1000);
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
std::vector<float> Phrase()
{
    auto x = Glide(150.0, 260.0, 0.4, 30000);
    x.resize(33000, 0.0f);
    const auto tone = Tone(Shape::Harmonics, 123.4, 0.5, 15000);
    x.insert(x.end(), tone.begin(), tone.end());
    return WithFloor(x);
}

} // namespace

TEST(BlockProcessing, UnshiftedOutputIsTheInputThirtySamplesLate)
{
    CPitchEngine e;
    float ratio = 0.0f;
    int frames = -1;
    e.GetStatus(&ratio, &frames);
    EXPECT_EQ(ratio, 1.0f);
    EXPECT_EQ(frames, 0);

    // With thresholds but no table the detector locks, yet the ratio stays
    // 1.0; samples below 1e-10 and non-finite ones come out as exact zeros.
    SetDefaultThresholds(e);
    auto in = WithFloor(Tone(Shape::Sawtooth, 100, 0.5, 4000));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float odd[] = {9e-11f, -9e-11f, 1.1e-10f, nan, inf, -inf};
    std::copy(std::begin(odd), std::end(odd), in.begin() + 3000);
    const auto out = ProcessAll(e, in);
    EXPECT_EQ(e.IsSearching(), 0);
    for (int n = 0; n < kLatency; ++n)
        ASSERT_EQ(out[n], 0.0f);
    for (size_t n = kLatency; n < in.size(); ++n) {
        const float x = in[n - kLatency];
        ASSERT_EQ(out[n], std::isfinite(x) && std::fabs(double(x)) >= 1e-10 ? x : 0.0f) << n;
    }
}

TEST(BlockProcessing, BlockPartitionInPlaceAndCodeBuildDoNotChangeABit)
{
    const auto in = Phrase();
    const int total = static_cast<int>(in.size());
    Shifting ref;
    const auto expected = ProcessAll(ref.e, in);
    int shifted = 0;
    for (int n = kLatency; n < total; ++n)
        shifted += expected[n] != in[n - kLatency];
    ASSERT_GT(shifted, total / 2) << "the comparison needs an engine that shifts";

    auto partitioned = [&](auto nextSize, bool inPlace) {
        Shifting s;
        std::vector<float> buf = in, out(in.size(), 42.0f);
        for (int pos = 0; pos < total;) {
            const int n = std::min(nextSize(), total - pos);
            s.e.Process(&buf[pos], inPlace ? &buf[pos] : &out[pos], n);
            s.e.Process(&buf[pos], &out[pos], 0); // empty and negative blocks
            s.e.Process(&buf[pos], &out[pos], -3); // change nothing
            pos += n;
        }
        return inPlace ? buf : out;
    };
    EXPECT_EQ(partitioned([] { return 1; }, false), expected);
    EXPECT_EQ(partitioned([] { return 7; }, false), expected);
    EXPECT_EQ(partitioned([] { return 4096; }, false), expected);
    EXPECT_EQ(partitioned([&] { return total; }, true), expected);

    // The baseline build against the 256-bit one, where the processor has it.
    if (CEngineProbe::UsesWideCode()) {
        CEngineProbe::UseWideCode(false);
        Shifting baseline;
        EXPECT_EQ(ProcessAll(baseline.e, in), expected);
        CEngineProbe::UseWideCode(true);
    }
}

TEST(BlockProcessing, BypassPassesTheInputAtTheDistanceReached)
{
    {
        Shifting s; // from construction: exactly the 30-sample delay
        s.e.SetBypass(1);
        const auto in = Phrase();
        const auto out = ProcessAll(s.e, in);
        for (size_t n = kLatency; n < in.size(); ++n)
            ASSERT_EQ(out[n], in[n - kLatency]) << n;
        EXPECT_EQ(s.e.IsSearching(), 0) << "the detector keeps running";
    }
    // Switched on while shifting, it freezes the read distance.
    CPitchEngine e;
    NeverLock(e);
    CEngineProbe::SetPeriod(e, 100.0f);
    CEngineProbe::SetRatio(e, 2.0f);
    const auto in = Tone(Shape::Sawtooth, 100, 0.5, 6000);
    std::vector<float> out(in.size());
    e.Process(in.data(), out.data(), 1017);
    e.SetBypass(1);
    EXPECT_EQ(CEngineProbe::RatioSmoothed(e), 1.0f);
    const int distance = (CEngineProbe::Write(e) - CEngineProbe::Read(e)) & CPitchEngine::kRingMask;
    ASSERT_NE(distance, kLatency);
    e.Process(&in[1017], &out[1017], 6000 - 1017);
    for (int n = 1017; n < 6000; ++n)
        ASSERT_EQ(out[n], in[n - distance]) << n;
}

TEST(BlockProcessing, ClearBufferEmptiesTheRingForOutputAndDetector)
{
    CPitchEngine e;
    SetDefaultThresholds(e);
    const auto in = WithFloor(Tone(Shape::Sawtooth, 160, 0.5, 6000));
    const int lock = RunUntilLocked(e, in);
    ASSERT_GE(lock, 0);
    const int clearAt = lock + 1000;
    std::vector<float> out(in.size());
    e.Process(&in[lock + 1], &out[lock + 1], clearAt - lock - 1);
    ASSERT_EQ(e.IsSearching(), 0);

    e.ClearBuffer();
    for (int i = 0; i < CPitchEngine::kRingSize; ++i)
        ASSERT_EQ(e.RingSample(i), 0.0f);
    e.Process(&in[clearAt], &out[clearAt], 400);
    // The output restarts from silence at the same latency...
    for (int n = clearAt; n < clearAt + kLatency; ++n)
        ASSERT_EQ(out[n], 0.0f) << n;
    EXPECT_EQ(out[clearAt + kLatency], in[clearAt]);
    // ...and the detector's windows now hold a silence no steady tone
    // matches, so its lock goes.
    EXPECT_NE(e.IsSearching(), 0);
}

TEST(BlockProcessing, ScaleTableLeavesAutomaticCorrectionAsItWas)
{
    CPitchEngine e;
    e.EnableAutoCorrect(0);
    LoadTable(e, ChromaticTable(3));
    EXPECT_EQ(e.IsAutoCorrect(), 0);
    e.EnableAutoCorrect(1);
    LoadTable(e, ChromaticTable(3));
    EXPECT_EQ(e.IsAutoCorrect(), 1);
}

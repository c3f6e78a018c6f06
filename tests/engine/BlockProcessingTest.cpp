// The block entry: latency, independence from block boundaries and from the
// build of the block loop, the flush, bypass and ClearBuffer.

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

    // The detector locks, but with no table the ratio stays 1.0. Samples
    // below 1e-10 and non-finite ones come out as exact zeros.
    SetDefaultThresholds(e);
    auto in = WithFloor(Tone(Shape::Sawtooth, 100, 0.5, 4000));
    const float odd[] = {9e-11f, -9e-11f, 1.1e-10f, std::numeric_limits<float>::quiet_NaN(),
        std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()};
    std::copy(std::begin(odd), std::end(odd), in.begin() + 3000);
    const auto out = ProcessAll(e, in);
    EXPECT_EQ(e.IsSearching(), 0);
    for (size_t n = 0; n < in.size(); ++n) {
        const float x = n < kLatency ? 0.0f : in[n - kLatency];
        ASSERT_EQ(out[n], std::isfinite(x) && std::fabs(double(x)) >= 1e-10 ? x : 0.0f) << n;
    }
}

TEST(BlockProcessing, BlockPartitionInPlaceAndCodeBuildChangeNoBit)
{
    const auto in = Phrase();
    const int total = static_cast<int>(in.size());
    Shifting ref;
    const auto expected = ProcessAll(ref.e, in);
    int shifted = 0;
    for (int n = kLatency; n < total; ++n)
        shifted += expected[n] != in[n - kLatency];
    ASSERT_GT(shifted, total / 2) << "the comparison needs an engine that shifts";

    for (int size : {1, 7, 4096, total}) {
        const bool inPlace = size == total;
        Shifting s;
        std::vector<float> buf = in, out(in.size());
        for (int pos = 0; pos < total; pos += size) {
            const int n = std::min(size, total - pos);
            s.e.Process(&buf[pos], inPlace ? &buf[pos] : &out[pos], n);
            s.e.Process(&buf[pos], &out[pos], 0); // empty and negative blocks
            s.e.Process(&buf[pos], &out[pos], -3); // change nothing
        }
        EXPECT_EQ(inPlace ? buf : out, expected) << size;
    }
    if (CEngineProbe::UsesWideCode()) { // the baseline build against the 256-bit one
        CEngineProbe::UseWideCode(false);
        Shifting baseline;
        EXPECT_EQ(ProcessAll(baseline.e, in), expected);
        CEngineProbe::UseWideCode(true);
    }
}

TEST(BlockProcessing, BypassPassesTheInputAtTheDistanceReached)
{
    Shifting s; // from construction: exactly the 30-sample delay
    s.e.SetBypass(1);
    const auto phrase = Phrase();
    const auto bypassed = ProcessAll(s.e, phrase);
    for (size_t n = kLatency; n < phrase.size(); ++n)
        ASSERT_EQ(bypassed[n], phrase[n - kLatency]) << n;

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

TEST(BlockProcessing, SoundAfterALongSilenceComesOutThirtySamplesLate)
{
    // Shift first, so the read distance has wandered away from 30; then more
    // than 2048 exact zeros; then bypassed sound must be exactly 30 late.
    Shifting s;
    const auto phrase = Phrase();
    ProcessAll(s.e, phrase);
    const int before = (CEngineProbe::Write(s.e) - CEngineProbe::Read(s.e)) & CPitchEngine::kRingMask;
    ASSERT_NE(before, kLatency);
    // The zero run counts only once the lock has drained away (a few hundred
    // samples), so every silence here is comfortably past 2048 zeros.
    for (int zeros : {3000, 7000}) {
        const auto silence = ProcessAll(s.e, std::vector<float>(zeros, 0.0f));
        // Once the whole ring holds zeros, parking the read position
        // cannot change what comes out.
        for (size_t n = CPitchEngine::kRingSize; n < silence.size(); ++n)
            ASSERT_EQ(silence[n], 0.0f) << n;
        s.e.SetBypass(1);
        const auto tone = Tone(Shape::Sawtooth, 100, 0.5, 3000);
        const auto out = ProcessAll(s.e, tone);
        for (size_t n = kLatency; n < tone.size(); ++n)
            ASSERT_EQ(out[n], tone[n - kLatency]) << zeros << " zeros, sample " << n;
        s.e.SetBypass(0);
    }
}

TEST(BlockProcessing, ClearBufferEmptiesTheRingForOutputAndDetector)
{
    CPitchEngine e;
    SetDefaultThresholds(e);
    const auto in = WithFloor(Tone(Shape::Sawtooth, 160, 0.5, 6000));
    std::vector<float> out(in.size());
    e.Process(in.data(), out.data(), 2000);
    ASSERT_EQ(e.IsSearching(), 0);
    e.ClearBuffer();
    for (int i = 0; i < CPitchEngine::kRingSize; ++i)
        ASSERT_EQ(e.RingSample(i), 0.0f);
    e.Process(&in[2000], &out[2000], 400);
    for (int n = 2000; n < 2000 + kLatency; ++n)
        ASSERT_EQ(out[n], 0.0f) << n; // the output restarts from silence
    EXPECT_EQ(out[2000 + kLatency], in[2000]);
    // The detector's windows now hold a silence no steady tone matches.
    EXPECT_NE(e.IsSearching(), 0);

    // A new table leaves automatic correction as it was.
    e.EnableAutoCorrect(0);
    LoadTable(e, ChromaticTable(3));
    EXPECT_EQ(e.IsAutoCorrect(), 0);
}

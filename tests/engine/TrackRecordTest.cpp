// The graphical passes' per-frame records, as the engine writes and reads
// them.

#include <cstring>

#include <gtest/gtest.h>

#include "EngineSignals.h"
#include "analysis/PitchAnalysis.h"

using namespace enginetest;

namespace {

constexpr float kUntouched = 12345.0f;
const TrackRecord kBlank{kUntouched, kUntouched, kUntouched, kUntouched, kUntouched};

void Arm(CPitchEngine& e, std::vector<TrackRecord>& records, int capacity, bool tracking)
{
    e.AttachTrackRecords(records.data(), capacity);
    e.SetWaitForSignal(1);
    tracking ? e.EnableTracking(1) : e.EnableCorrecting(1);
    e.SetFrameIndex(-1);
}

} // namespace

TEST(TrackRecords, ClockWaitsForSoundThenOneRecordPerFrame)
{
    // Leading silence, then positive samples with a slow wobble: frame k is
    // signal samples 200 k to 200 k + 199 and holds their range; no lock, so
    // no period either; the target is the graph's.
    std::vector<float> sig(1000);
    for (int i = 0; i < 1000; ++i)
        sig[i] = float(0.5 + 0.3 * std::sin(kTwoPi * i / 731.0) + 0.05 * std::sin(i * 0.9));
    std::vector<TrackRecord> records(50, kBlank);
    CPitchEngine e;
    NeverLock(e);
    Arm(e, records, 50, true);
    ProcessAll(e, std::vector<float>(1000, 0.0f));
    EXPECT_EQ(std::pair(e.GetFrameIndex(), records[0].fMinSample), std::pair(0, kUntouched));
    ProcessAll(e, sig);
    EXPECT_EQ(std::pair(e.GetFrameIndex(), e.GetFrameCount()), std::pair(4, 4));
    for (int k = 0; k < 5; ++k) {
        const auto [lo, hi] = std::minmax_element(sig.begin() + 200 * k, sig.begin() + 200 * k + 200);
        const TrackRecord expected{*lo, *hi, 3000.0f, -1.0f, kUntouched};
        EXPECT_EQ(std::memcmp(&records[k], &expected, sizeof expected), 0) << k;
    }
    EXPECT_EQ(records[5].fMinSample, kUntouched);

    // Once locked, frames hold the period range; tracking never shifts.
    std::vector<TrackRecord> voiced(60);
    CPitchEngine t;
    SetDefaultThresholds(t);
    LoadTable(t, ChromaticTable(0));
    Arm(t, voiced, 60, true);
    const auto in = WithFloor(Tone(Shape::Sawtooth, 250, 0.5, 200 * 40));
    const auto out = ProcessAll(t, in);
    for (size_t i = 30; i < in.size(); ++i)
        ASSERT_EQ(out[i], in[i - 30]);
    for (int k = 10; k < 39; ++k)
        EXPECT_TRUE(std::fabs(voiced[k].fMinPeriod - 250.0) < 1.0 && std::fabs(voiced[k].fMaxPeriod - 250.0) < 1.0) << k;
}

TEST(TrackRecords, FullArrayEndsEitherPassOnItsLastRecord)
{
    const int capacity = 5;
    for (bool tracking : {true, false}) {
        std::vector<TrackRecord> records(capacity + 3, kBlank);
        CPitchEngine e;
        NeverLock(e);
        Arm(e, records, capacity, tracking);
        // The tick that would open frame `capacity` ends the pass instead.
        const auto sig = Noise(0.4, 200 * (capacity + 4), 5);
        for (int i = 0; i < int(sig.size()); ++i) {
            float out = 0.0f;
            e.Process(&sig[i], &out, 1);
            ASSERT_EQ(e.GetFrameIndex(), std::min(i / 200, capacity - 1)) << i;
            ASSERT_EQ(e.IsTracking() + e.IsCorrecting(), i < 200 * capacity ? 1 : 0) << i;
        }
        EXPECT_EQ(records[capacity].fMinSample, kUntouched);
        const auto last = sig.begin() + 200 * (capacity - 1);
        EXPECT_EQ(records[capacity - 1].fMaxSample, tracking ? *std::max_element(last, last + 200) : kUntouched);
    }
}

TEST(TrackRecords, CorrectingShiftsEachFrameTowardItsOwnTarget)
{
    // Frames 0..39 left alone (target 0), 40..79 two semitones up.
    const double up = 200.0 / std::pow(2.0, 2.0 / 12.0);
    std::vector<TrackRecord> records(80, TrackRecord{0.0f, 0.0f, 0.0f, 0.0f, 0.0f});
    for (int k = 40; k < 80; ++k)
        records[k].fTargetPeriod = float(up);
    CPitchEngine e;
    SetDefaultThresholds(e);
    e.EnableAutoCorrect(0);
    Arm(e, records, 80, false);
    const auto in = Concat(std::vector<float>(700, 0.0f), WithFloor(Tone(Shape::Harmonics, 200, 0.4, 200 * 79)));
    const auto out = ProcessAll(e, in);
    for (int i = 730; i < 700 + 200 * 40; ++i)
        ASSERT_EQ(out[i], in[i - 30]) << i;
    const auto heard = analysis::DeviationFromTarget(analysis::AnalysePitch(out, kRate), kRate / up, 0.24, 0.37);
    EXPECT_NEAR(heard.medianCents, 0.0, 2.0) << "frames 40 on, two semitones up";
}

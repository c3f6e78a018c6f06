// The graphical passes' per-frame records, as the engine writes them.

#include <cstring>

#include <gtest/gtest.h>

#include "EngineSignals.h"

using namespace enginetest;

namespace {

constexpr float kUntouched = 12345.0f;

void Arm(CPitchEngine& e, std::vector<TrackRecord>& records, int capacity, bool tracking)
{
    e.AttachTrackRecords(records.data(), capacity);
    e.SetWaitForSignal(1);
    tracking ? e.EnableTracking(1) : e.EnableCorrecting(1);
    e.SetFrameIndex(-1);
}

} // namespace

TEST(TrackRecords, ClockWaitsForSoundThenOneRecordPerFrameUntilTheArrayIsFull)
{
    // Leading silence, then positive samples with a slow wobble: frame k is
    // signal samples 200 k to 200 k + 199 and holds their range; no lock, so
    // no period either; the target is the graph's. The tick that would open
    // frame 5 of 5 ends the pass instead, either pass.
    std::vector<float> sig(2000);
    for (int i = 0; i < 2000; ++i)
        sig[i] = float(0.5 + 0.3 * std::sin(kTwoPi * i / 731.0) + 0.05 * std::sin(i * 0.9));
    for (bool tracking : {true, false}) {
        std::vector<TrackRecord> records(8, {kUntouched, kUntouched, kUntouched, kUntouched, kUntouched});
        CPitchEngine e;
        NeverLock(e);
        Arm(e, records, 5, tracking);
        ProcessAll(e, std::vector<float>(1000, 0.0f));
        EXPECT_EQ(std::pair(e.GetFrameIndex(), records[0].fMinSample), std::pair(0, kUntouched));
        for (int i = 0; i < 2000; ++i) {
            float out = 0.0f;
            e.Process(&sig[i], &out, 1);
            ASSERT_EQ(std::pair(e.GetFrameIndex(), e.IsTracking() + e.IsCorrecting()), std::pair(std::min(i / 200, 4), i < 1000 ? 1 : 0)) << i;
        }
        for (int k = 0; k < 8; ++k) {
            const auto [lo, hi] = std::minmax_element(sig.begin() + 200 * k, sig.begin() + 200 * k + 200);
            const TrackRecord expected = tracking && k < 5 ? TrackRecord{*lo, *hi, 3000.0f, -1.0f, kUntouched}
                                                           : TrackRecord{kUntouched, kUntouched, kUntouched, kUntouched, kUntouched};
            EXPECT_EQ(std::memcmp(&records[k], &expected, sizeof expected), 0) << k;
        }
    }
}

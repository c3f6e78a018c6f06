#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "settings/ScaleEditorLink.h"
#include "settings/ScaleSet.h"

namespace {

struct Targets
{
    int rc = -1;
    std::vector<int> periods, bounds;
};

Targets Compute(CScaleSet& set, short key, double fs)
{
    Targets t;
    short count = 0;
    const int* periods = nullptr;
    const int* bounds = nullptr;
    t.rc = set.ComputeTargets(key, fs, &count, &periods, &bounds);
    if (t.rc == 0) {
        t.periods.assign(periods, periods + count);
        t.bounds.assign(bounds, bounds + count + 1);
    }
    return t;
}

// Sets note flags the way the panel's editor will: through the edit hook.
struct Edited : IScaleEditor
{
    CScaleSet set;
    std::function<void(int* doNotTrack, int* remove, int notes)> edit;
    short nKey = -1, nScale = -1;
    int nNotes = 0;

    Edited(short scale, std::function<void(int*, int*, int)> f) : edit(std::move(f))
    {
        set.SetScale(scale);
        set.SetScaleEditor(this);
        set.EditScale(0);
    }
    void RunScaleEditor(CScaleSet&, short key, short scale, int* dnt, int* remove, int notes) override
    {
        nKey = key;
        nScale = scale;
        nNotes = notes;
        edit(dnt, remove, notes);
    }
};

} // namespace

TEST(ComputeTargets, ChromaticAndMajorInCAt44100)
{
    CScaleSet set;
    set.SetScale(2);
    const Targets t = Compute(set, 0, 44100.0);
    ASSERT_EQ(t.rc, 0);
    ASSERT_EQ(t.periods.size(), 12u);
    EXPECT_EQ(t.periods.front(), 365741);  // B
    EXPECT_EQ(t.periods.back(), 690428);   // C, the key note
    EXPECT_EQ(t.bounds[12], 710955);
    EXPECT_EQ(t.bounds[0], 355477);
    // Read back as frequencies (the fold is 2^12 here) they are the
    // equal-tempered notes from middle C up.
    const double hz[12] = {261.6256, 277.1826, 293.6648, 311.1270, 329.6276, 349.2282,
                           369.9944, 391.9954, 415.3047, 440.0000, 466.1638, 493.8833};
    for (int k = 0; k < 12; ++k)
        EXPECT_NEAR(44100.0 * 4096.0 / t.periods[11 - k], hz[k], hz[k] * 3e-6) << k;

    set.SetScale(0);
    const Targets major = Compute(set, 0, 44100.0);
    ASSERT_EQ(major.periods.size(), 7u);
    const int steps[7] = {11, 9, 7, 5, 4, 2, 0};  // B A G F E D C
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(major.periods[i], t.periods[11 - steps[i]]) << i;
    EXPECT_EQ(major.bounds[0], major.bounds[7] / 2);
}

// Whatever the scale, key and rate: the periods ascend, each lies inside
// its own capture zone, the zones tile exactly one octave, and the key note
// comes last, a whole number of octaves below the rate.
TEST(ComputeTargets, EveryScaleKeyAndRateTilesOneOctave)
{
    CScaleSet set;
    for (short scale = 0; scale < CScaleSet::kScaleCount; ++scale) {
        set.SetScale(scale);
        for (short key = 0; key < 12; key += 5) {
            for (double fs : {8000.0, 44100.0, 96000.0, 192000.0}) {
                const Targets t = Compute(set, key, fs);
                ASSERT_EQ(t.rc, 0);
                const size_t n = t.periods.size();
                ASSERT_EQ(n + 1, t.bounds.size());
                for (size_t i = 0; i < n; ++i) {
                    EXPECT_GE(t.periods[i], t.bounds[i]) << scale << " " << key << " " << fs << " " << i;
                    EXPECT_LE(t.periods[i], t.bounds[i + 1]) << scale << " " << key << " " << fs << " " << i;
                    if (i > 0) {
                        EXPECT_GT(t.periods[i], t.periods[i - 1]);
                    }
                }
                EXPECT_NEAR(t.bounds[n], 2.0 * t.bounds[0], 1.0);
                const double keyHz = 440.0 * std::pow(2.0, (key - 9) / 12.0);
                const double octaves = std::log2(t.periods[n - 1] / (fs / keyHz));
                EXPECT_NEAR(octaves, std::round(octaves), 1e-5);
            }
        }
    }
}

TEST(ComputeTargets, RefusesWithoutWritingAnything)
{
    CScaleSet set;
    short count = 77;
    const int sentinel[1] = {0};
    const int* periods = sentinel;
    const int* bounds = sentinel;
    for (auto [key, fs] : {std::pair<short, double>{-1, 44100.0}, {12, 44100.0}, {0, 0.0},
                           {0, -44100.0}, {0, std::numeric_limits<double>::quiet_NaN()},
                           {0, std::numeric_limits<double>::infinity()}}) {
        EXPECT_EQ(set.ComputeTargets(key, fs, &count, &periods, &bounds), 1) << key << " " << fs;
    }
    set.SetScale(40);  // nothing checks a scale index on the way in
    EXPECT_EQ(set.ComputeTargets(0, 44100.0, &count, &periods, &bounds), 1);
    EXPECT_EQ(count, 77);
    EXPECT_EQ(periods, sentinel);
    EXPECT_EQ(bounds, sentinel);
}

TEST(ComputeTargets, DoNotTrackLeavesTheMarkedNoteUncorrected)
{
    CScaleSet plain;
    plain.SetScale(2);
    const Targets before = Compute(plain, 0, 44100.0);
    // E, four semitones up, is the eighth period counted from the top (B).
    // E, four semitones above C: 44100 * 4096 / 329.6276 Hz.
    ASSERT_NEAR(before.periods[7], 547993, 1);

    Edited e(2, [](int* doNotTrack, int*, int) { doNotTrack[4] = 1; });
    EXPECT_EQ(e.nScale, 2);
    EXPECT_EQ(e.nNotes, 12);
    const Targets after = Compute(e.set, 0, 44100.0);
    ASSERT_EQ(after.periods.size(), 12u);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(after.periods[i], i == 7 ? 0 : before.periods[i]) << i;
    // The zone stays, so E is still captured, just not moved.
    EXPECT_EQ(after.bounds, before.bounds);

    // The flags belong to scale 2 only, and survive switching away.
    e.set.SetScale(0);
    const Targets major = Compute(e.set, 0, 44100.0);
    EXPECT_EQ(std::count(major.periods.begin(), major.periods.end(), 0), 0);
    e.set.SetScale(2);
    int seen = -1;
    e.edit = [&](int* doNotTrack, int*, int) { seen = doNotTrack[4]; };
    e.set.EditScale(3);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(e.nKey, 3);
}

TEST(ComputeTargets, DoNotTrackOnTheTonic)
{
    Edited e(0, [](int* doNotTrack, int*, int) { doNotTrack[0] = 1; });
    const Targets t = Compute(e.set, 5, 48000.0);
    ASSERT_EQ(t.periods.size(), 7u);
    EXPECT_EQ(t.periods[6], 0);
    EXPECT_EQ(std::count(t.periods.begin(), t.periods.end(), 0), 1);
}

TEST(ComputeTargets, RemovedNotesHandTheirZonesToTheirNeighbours)
{
    CScaleSet plain;
    plain.SetScale(2);
    std::vector<int> expected = Compute(plain, 0, 44100.0).periods;
    expected.erase(expected.begin() + 10);  // C#, the second note from the key
    Edited e(2, [](int*, int* remove, int) { remove[1] = 1; });
    const Targets t = Compute(e.set, 0, 44100.0);
    EXPECT_EQ(t.periods, expected);
    EXPECT_EQ(t.bounds[10], (expected[9] + expected[10]) / 2);  // C and D meet halfway

    // A removed note has no zone, so its track flag cannot matter, the
    // tonic's included: no target is 0.
    Edited both(2, [](int* dnt, int* remove, int) { dnt[0] = remove[0] = dnt[6] = remove[6] = 1; });
    const Targets rest = Compute(both.set, 0, 44100.0);
    EXPECT_EQ(rest.periods.size(), 10u);
    EXPECT_EQ(std::count(rest.periods.begin(), rest.periods.end(), 0), 0);
}

TEST(ComputeTargets, OneNoteLeftAndNoneLeft)
{
    Edited one(2, [](int*, int* remove, int notes) { std::fill(remove + 1, remove + notes, 1); });
    const Targets t = Compute(one.set, 9, 44100.0);
    ASSERT_EQ(t.periods.size(), 1u);
    // A at 44.1 kHz: 44100 / 440 samples, doubled eleven times, then twice that.
    EXPECT_EQ(t.periods[0], 410531);
    EXPECT_EQ(t.bounds[1], (t.periods[0] + 2 * t.periods[0]) / 2);
    EXPECT_EQ(t.bounds[0], t.bounds[1] / 2);

    Edited none(2, [](int*, int* remove, int notes) { std::fill(remove, remove + notes, 1); });
    EXPECT_EQ(Compute(none.set, 0, 44100.0).rc, 1);
}

TEST(ComputeTargets, EditWithoutEditorChangesNothing)
{
    CScaleSet set;
    set.SetScale(23);
    const Targets before = Compute(set, 4, 44100.0);
    set.EditScale(4);
    EXPECT_EQ(Compute(set, 4, 44100.0).periods, before.periods);
    EXPECT_EQ(before.periods.size(), 53u);
}

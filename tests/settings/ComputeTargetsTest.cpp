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

// The key note's period in samples, moved up by octaves into [173130, 346260).
double Fold(int key, double fs)
{
    double p = fs / (440.0 * std::pow(2.0, (key - 9) / 12.0));
    while (p < 173130.0)
        p *= 2.0;
    return p;
}

// Periods of notes given in hundredths of a cent above the key (ascending),
// highest note first, in the octave that ends with the key at twice the fold.
std::vector<int> ExpectedPeriods(const std::vector<int>& degrees, double fold)
{
    std::vector<int> p;
    for (auto it = degrees.rbegin(); it != degrees.rend(); ++it)
        p.push_back(static_cast<int>(std::floor(std::pow(2.0, 1.0 - *it / 120000.0) * fold + 0.5)));
    return p;
}

// Midpoints between neighbours; the top edge is the midpoint between the key
// note and the highest note an octave down, the bottom edge half of it.
std::vector<int> ExpectedBounds(const std::vector<int>& p)
{
    const std::size_t n = p.size();
    std::vector<int> b(n + 1);
    for (std::size_t i = 1; i < n; ++i)
        b[i] = (p[i - 1] + p[i]) / 2;
    b[n] = (p[n - 1] + 2 * p[0]) / 2;
    b[0] = b[n] / 2;
    return b;
}

std::vector<int> Semitones(std::initializer_list<int> skip = {})
{
    std::vector<int> d;
    for (int k = 0; k < 12; ++k)
        if (std::find(skip.begin(), skip.end(), k) == skip.end())
            d.push_back(k * 10000);
    return d;
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
    EXPECT_EQ(major.bounds, ExpectedBounds(major.periods));
}

TEST(ComputeTargets, EveryKeyAndRateFoldsIntoOneOctave)
{
    CScaleSet set;
    for (short scale : {2, 16, 23}) {
        int entries = 0;
        const int* degrees = nullptr;
        set.SetScale(scale);
        set.GetScaleTable(scale, &entries, &degrees);
        const std::vector<int> notes(degrees, degrees + entries - 1);
        for (double fs : {8000.0, 22050.0, 44100.0, 48000.0, 96000.0, 192000.0}) {
            for (short key = 0; key < 12; ++key) {
                const double fold = Fold(key, fs);
                const Targets t = Compute(set, key, fs);
                ASSERT_EQ(t.rc, 0);
                EXPECT_EQ(t.periods, ExpectedPeriods(notes, fold)) << scale << " " << fs << " " << key;
                EXPECT_EQ(t.bounds, ExpectedBounds(t.periods));
                EXPECT_EQ(t.periods.back(), static_cast<int>(std::floor(2.0 * fold + 0.5)));
                EXPECT_GT(t.periods.front(), fold);
                EXPECT_TRUE(std::is_sorted(t.periods.begin(), t.periods.end()));
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
    ASSERT_EQ(before.periods[7], ExpectedPeriods({40000}, Fold(0, 44100.0))[0]);

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
    Edited e(2, [](int*, int* remove, int) { remove[1] = 1; });  // C#
    const Targets t = Compute(e.set, 0, 44100.0);
    const std::vector<int> expected = ExpectedPeriods(Semitones({1}), Fold(0, 44100.0));
    EXPECT_EQ(t.periods, expected);
    EXPECT_EQ(t.bounds[10], (expected[9] + expected[10]) / 2);  // C and D meet halfway
    EXPECT_EQ(t.bounds, ExpectedBounds(expected));

    // A removed note has no zone, so its track flag cannot matter, the
    // tonic's included.
    Edited both(2, [](int* dnt, int* remove, int) { dnt[0] = remove[0] = dnt[6] = remove[6] = 1; });
    std::vector<int> rest = Semitones({0, 6});
    EXPECT_EQ(Compute(both.set, 0, 44100.0).periods, ExpectedPeriods(rest, Fold(0, 44100.0)));
}

TEST(ComputeTargets, OneNoteLeftAndNoneLeft)
{
    Edited one(2, [](int*, int* remove, int notes) { std::fill(remove + 1, remove + notes, 1); });
    const Targets t = Compute(one.set, 9, 44100.0);
    ASSERT_EQ(t.periods.size(), 1u);
    // A at 44.1 kHz: 44100 / 440 samples, doubled eleven times, then twice that.
    EXPECT_EQ(t.periods[0], static_cast<int>(std::floor(44100.0 / 440.0 * 4096.0 + 0.5)));
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

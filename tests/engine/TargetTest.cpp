// From period to ratio: note table, correcting targets, retune smoothing and
// vibrato. Expectations come from equal temperament and closed forms.

#include <gtest/gtest.h>

#include "EngineProbe.h"
#include "EngineSignals.h"

using namespace enginetest;

namespace {

double Cents(double ratio) { return 1200.0 * std::log2(ratio); }
double Sharp(int midi, double cents) { return NotePeriod(midi) / std::pow(2.0, cents / 1200.0); }

struct AutoEngine
{
    CPitchEngine e;
    explicit AutoEngine(int key = 0) { LoadTable(e, ChromaticTable(key)); }
    float Ratio(double period) { return CEngineProbe::TargetRatio(e, float(period)); }
};

} // namespace

TEST(TargetRatio, ChromaticTablePullsTonesOntoTheNearestSemitone)
{
    // Scaled periods are about 2e5 units, so truncation costs ~0.01 cent.
    for (int key : {0, 7})
        for (int midi = 40; midi <= 84; midi += 5)
            for (double cents : {-45.0, -30.0, 0.0, 12.0, 45.0}) {
                AutoEngine a(key);
                EXPECT_NEAR(Cents(a.Ratio(Sharp(midi, cents))), -cents, 0.02) << key << " " << midi << " " << cents;
            }
}

TEST(TargetRatio, NoteFollowsTheVoiceAndStaysPutOnABoundary)
{
    AutoEngine a; // two octaves down in semitones, each 20 cents sharp
    for (int midi = 69; midi >= 45; --midi)
        ASSERT_NEAR(Cents(a.Ratio(Sharp(midi, 20.0))), -20.0, 0.02) << midi;

    // A held note in a new octave is no note change: the onset clock runs on.
    for (int midi : {57, 81, 69}) {
        a.Ratio(Sharp(midi, 10.0));
        CEngineProbe::SetNoteFrames(a.e, 50);
        a.Ratio(Sharp(midi, 10.0));
        EXPECT_EQ(CEngineProbe::NoteFrames(a.e), 50) << midi;
    }

    // Exactly on the A / A# boundary (bounds[2]; targets run from B at index
    // 0 down to C) the note it came from wins, both ways; one unit further
    // the zone changes. The octave factor brings A4 into the table's range.
    const auto t = ChromaticTable(0);
    double octave = 1.0;
    while (NotePeriod(69) * octave <= t.bounds[0])
        octave *= 2.0;
    const double boundary = t.bounds[2] / octave;
    AutoEngine fromA, fromASharp;
    fromA.Ratio(NotePeriod(69));
    fromASharp.Ratio(NotePeriod(70));
    EXPECT_NEAR(fromA.Ratio(boundary), double(t.bounds[2]) / t.targets[2], 1e-6);
    EXPECT_NEAR(fromASharp.Ratio(boundary), double(t.bounds[2]) / t.targets[1], 1e-6);
    EXPECT_NEAR(fromA.Ratio(boundary - 1.0 / octave), (t.bounds[2] - 1.0) / t.targets[1], 1e-6);
}

TEST(TargetRatio, DoNotTrackNoteDetuneAndNoTable)
{
    auto table = ChromaticTable(0);
    table.targets[2] = 0; // A
    CPitchEngine e;
    LoadTable(e, table);
    EXPECT_EQ(CEngineProbe::TargetRatio(e, float(NotePeriod(69) * 1.01)), 1.0f);
    EXPECT_NEAR(Cents(CEngineProbe::TargetRatio(e, float(NotePeriod(70) * 1.01))), Cents(1.01), 0.02);

    AutoEngine a; // a 10-cent detune raises every corrected note by 10 cents
    a.e.SetDetune(float(std::pow(2.0, 10.0 / 1200.0)));
    for (int midi : {57, 64, 76})
        EXPECT_NEAR(Cents(a.Ratio(NotePeriod(midi))), 10.0, 0.02) << midi;

    CPitchEngine none;
    EXPECT_EQ(CEngineProbe::TargetRatio(none, 123.4f), 1.0f);
}

TEST(TargetRatio, PassesCorrectTowardTheDrawnTargetOrRecord)
{
    std::vector<TrackRecord> records(4, TrackRecord{0.0f, 0.0f, 3000.0f, -1.0f, 0.0f});
    CPitchEngine e;
    e.EnableAutoCorrect(0);
    e.AttachTrackRecords(records.data(), 4);
    e.EnableCorrecting(1);
    e.SetFrameIndex(2);
    const float p = 123.4f;
    auto ratioFor = [&](float target) {
        records[2].fTargetPeriod = target;
        return CEngineProbe::TargetRatio(e, p);
    };
    // The nearest octave of the target: an octave either way is no shift.
    EXPECT_EQ(ratioFor(2.0f * p), 1.0f);
    EXPECT_EQ(ratioFor(0.5f * p), 1.0f);
    EXPECT_EQ(ratioFor(0.0f), 1.0f);
    EXPECT_NEAR(ratioFor(p * 3.0f), 2.0 / 3.0, 1e-6);
    EXPECT_NEAR(ratioFor(p / 3.0f), 1.5, 1e-6);
    EXPECT_NEAR(ratioFor(p * 0.9f), 1.0 / 0.9, 1e-6);
    e.SetWaitForSignal(1); // nothing is corrected before the first sound
    EXPECT_EQ(ratioFor(p * 0.9f), 1.0f);
    e.SetWaitForSignal(0);

    // Tracking takes precedence, never corrects, and records the period
    // range of the frame (not while it waits).
    e.EnableTracking(1);
    e.SetWaitForSignal(1);
    CEngineProbe::TargetRatio(e, p);
    EXPECT_EQ(records[2].fMaxPeriod, -1.0f);
    e.SetWaitForSignal(0);
    for (float q : {p, p + 2.0f, p - 1.0f})
        EXPECT_EQ(CEngineProbe::TargetRatio(e, q), 1.0f);
    EXPECT_EQ(records[2].fMinPeriod, p - 1.0f);
    EXPECT_EQ(records[2].fMaxPeriod, p + 2.0f);
}

TEST(Retune, ToneThirtyCentsSharpIsPulledOntoTheNoteWithTheRetuneHalfLife)
{
    const auto in = WithFloor(Tone(Shape::Harmonics, Sharp(69, 30.0), 0.4, 30000));
    for (double ms : {0.0, 100.0}) {
        // 100 ms at 44.1 kHz: k = 0.5^(1/882), one update per five samples.
        const double k = ms > 0 ? std::pow(0.5, 1.0 / ((kRate / 5.0) * (ms / 1000.0))) : 0.0;
        CPitchEngine e;
        SetDefaultThresholds(e);
        LoadTable(e, ChromaticTable(0));
        e.SetRetuneCoefficient(float(k));
        const int lock = RunUntilLocked(e, in);
        ASSERT_GE(lock, 0);
        std::vector<float> ratios, out(in.size());
        for (int i = lock + 1; i < int(in.size()); ++i) {
            e.Process(&in[i], &out[i], 1);
            ASSERT_EQ(e.IsSearching(), 0);
            float r = 0.0f;
            e.GetStatus(&r, nullptr);
            if ((i - lock - 1) % 5 == 0)
                ratios.push_back(r);
        }
        const double full = std::pow(2.0, -30.0 / 1200.0);
        EXPECT_NEAR(Cents(ratios.back()), -30.0, 0.3);
        if (ms == 0.0) {
            EXPECT_NEAR(Cents(ratios[1]), -30.0, 0.3) << "snaps at once";
        } else {
            EXPECT_NEAR(ratios[881], (1.0 + full) / 2.0, 2e-4) << "half way after 100 ms";
            EXPECT_NEAR(ratios[1763], 1.0 - 0.75 * (1.0 - full), 2e-4) << "three quarters after 200 ms";
        }
        // Measured on its own, the output sits on A4.
        EXPECT_NEAR(MeasurePeriod(out, int(in.size()) - 6000, 5000, 60, 160), NotePeriod(69), 0.05);
    }
}

TEST(Vibrato, OnsetGainAndClock)
{
    // Gain from frames n since the note began and delay D: silent for
    // 2n < D, a straight line up to 1 at n = D, full after.
    const int delay = 20;
    std::vector<float> table(1000, 0.05f);
    CPitchEngine e;
    e.SetVibrato(table.data(), 1000, 37.5f, 1.0f, delay);
    e.EnableVibrato(1);
    e.SetRetuneCoefficient(0.5f);
    CEngineProbe::SetPeriod(e, 100.0f);
    for (int n = 0; n <= 2 * delay; ++n) {
        CEngineProbe::SetRatio(e, 1.0f);
        CEngineProbe::SetNoteFrames(e, n);
        CEngineProbe::ApplyRatio(e, 1.0f);
        CEngineProbe::ApplyRatio(e, 1.0f);
        const double gain = (CEngineProbe::Ratio(e) - 1.0) / 0.05;
        EXPECT_NEAR(gain, std::clamp((n - delay / 2.0) / (delay / 2.0), 0.0, 1.0), 1e-5) << n;
        EXPECT_EQ(CEngineProbe::RatioSmoothed(e), 1.0f) << "vibrato must not feed the smoothing";
    }

    // The clock advances once per frame in automatic correction only; 37.5
    // and its multiples are exact in float.
    for (int autoCorrect : {1, 0}) {
        CPitchEngine c;
        c.EnableAutoCorrect(autoCorrect);
        c.SetVibrato(table.data(), 1000, 37.5f, 0.3f, 0);
        c.EnableVibrato(1);
        ProcessAll(c, std::vector<float>(45 * 200 + 199, 0.0f));
        EXPECT_EQ(c.GetFrameCount(), 45);
        EXPECT_EQ(CEngineProbe::VibPhase(c), autoCorrect ? std::fmod(45 * 37.5f, 1000.0f) : 0.0f);
    }
}

TEST(Vibrato, EachNoteStartsSilentAndReachesFullDepthAfterTheDelay)
{
    // 300 ms at 44.1 kHz is 66 frames. The same note twice with a gap: the
    // second lock restarts the onset although the note index is unchanged.
    const int delay = int(300 * 0.001 * kRate / 200.0);
    const float depth = 0.3f;
    std::vector<float> table(1000);
    for (int i = 0; i < 1000; ++i)
        table[i] = float(std::pow(2.0, std::sin(kTwoPi * i / 1000.0) / 12.0) - 1.0);
    CPitchEngine e;
    SetDefaultThresholds(e);
    LoadTable(e, ChromaticTable(0));
    e.SetVibrato(table.data(), 1000, float(1000.0 / ((kRate * 10.0 / 200.0) / 55.0)), depth, delay);
    e.EnableVibrato(1);
    auto in = WithFloor(Tone(Shape::Harmonics, NotePeriod(69), 0.4, 30000));
    in.resize(33000, 0.0f);
    const auto again = WithFloor(Tone(Shape::Harmonics, NotePeriod(69), 0.4, 30000), 5);
    in.insert(in.end(), again.begin(), again.end());

    int from = 0;
    for (int note = 0; note < 2; ++note) {
        const int lock = RunUntilLocked(e, in, from);
        ASSERT_GE(lock, 0);
        double peak = 0.0;
        int frames = 0, i = lock + 1;
        for (float out = 0.0f; i < int(in.size()) && e.IsSearching() == 0; ++i) {
            e.Process(&in[i], &out, 1);
            frames += i >= lock + 2 && (i + 1) % 200 == 0; // frames tick every 200 samples
            const double wobble = CEngineProbe::Ratio(e) / CEngineProbe::RatioSmoothed(e) - 1.0;
            if (frames < delay / 2 - 1) {
                ASSERT_EQ(wobble, 0.0) << note << " frame " << frames;
            }
            if (frames > delay + 1)
                peak = std::max(peak, std::fabs(wobble));
        }
        ASSERT_GT(frames, delay + 45);
        // Full depth: the table's one-semitone swing times the depth.
        EXPECT_NEAR(peak, depth * (std::pow(2.0, 1.0 / 12.0) - 1.0), 1e-3) << note;
        from = i;
    }
}

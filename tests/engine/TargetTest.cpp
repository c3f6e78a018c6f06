// From period to ratio: note table, drawn targets, retune smoothing and
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

TEST(TargetRatio, NoteTablePullsTonesOntoTheNearestSemitone)
{
    // Scaled periods are about 2e5 units: truncation costs ~0.01 cent.
    for (int key : {0, 7})
        for (int midi = 40; midi <= 84; midi += 5)
            for (double cents : {-45.0, -30.0, 0.0, 12.0, 45.0})
                EXPECT_NEAR(Cents(AutoEngine(key).Ratio(Sharp(midi, cents))), -cents, 0.02) << key << " " << midi;

    AutoEngine a; // two octaves down in semitones, 20 cents sharp each
    for (int midi = 69; midi >= 45; --midi)
        ASSERT_NEAR(Cents(a.Ratio(Sharp(midi, 20.0))), -20.0, 0.02) << midi;
    for (int midi : {57, 81, 69}) { // holding a note in a new octave is no note change
        a.Ratio(Sharp(midi, 10.0));
        CEngineProbe::SetNoteFrames(a.e, 50);
        a.Ratio(Sharp(midi, 10.0));
        EXPECT_EQ(CEngineProbe::NoteFrames(a.e), 50) << midi;
    }

    // On the A / A# boundary (bounds[2]: targets run from B at 0 down to C)
    // the note the voice came from wins; one unit further the zone changes.
    const auto t = ChromaticTable(0);
    double octave = 1.0; // what brings A4 into the table's range
    while (NotePeriod(69) * octave <= t.bounds[0])
        octave *= 2.0;
    AutoEngine fromA, fromASharp;
    fromA.Ratio(NotePeriod(69));
    fromASharp.Ratio(NotePeriod(70));
    EXPECT_NEAR(fromA.Ratio(t.bounds[2] / octave), double(t.bounds[2]) / t.targets[2], 1e-6);
    EXPECT_NEAR(fromASharp.Ratio(t.bounds[2] / octave), double(t.bounds[2]) / t.targets[1], 1e-6);
    EXPECT_NEAR(fromA.Ratio((t.bounds[2] - 1) / octave), (t.bounds[2] - 1.0) / t.targets[1], 1e-6);
}

TEST(TargetRatio, DoNotTrackDetuneAndNoTable)
{
    auto table = ChromaticTable(0);
    table.targets[2] = 0; // A
    CPitchEngine e;
    LoadTable(e, table);
    EXPECT_EQ(CEngineProbe::TargetRatio(e, float(NotePeriod(69) * 1.01)), 1.0f);
    EXPECT_NEAR(CEngineProbe::TargetRatio(e, float(NotePeriod(70) * 1.01)), 1.01, 1e-4);

    AutoEngine a; // a 10-cent detune raises every corrected note by 10 cents
    a.e.SetDetune(float(std::pow(2.0, 10.0 / 1200.0)));
    for (int midi : {57, 64, 76})
        EXPECT_NEAR(Cents(a.Ratio(NotePeriod(midi))), 10.0, 0.02) << midi;

    CPitchEngine none;
    EXPECT_EQ(CEngineProbe::TargetRatio(none, 123.4f), 1.0f);
}

TEST(Retune, ToneThirtyCentsSharpReachesTheNoteWithTheRetuneHalfLife)
{
    const auto in = WithFloor(Tone(Shape::Harmonics, Sharp(69, 30.0), 0.4, 30000));
    for (double ms : {0.0, 100.0}) {
        // 100 ms at 44.1 kHz: k = 0.5^(1/882) per update, one every 5 samples.
        CPitchEngine e;
        SetDefaultThresholds(e);
        LoadTable(e, ChromaticTable(0));
        e.SetRetuneCoefficient(ms > 0 ? float(std::pow(0.5, 1.0 / ((kRate / 5.0) * (ms / 1000.0)))) : 0.0f);
        const int lock = RunUntilLocked(e, in);
        ASSERT_GE(lock, 0);
        std::vector<float> ratios, out(in.size());
        for (int i = lock + 1; i < int(in.size()); ++i) {
            e.Process(&in[i], &out[i], 1);
            ASSERT_EQ(e.IsSearching(), 0);
            if ((i - lock - 1) % 5 == 0)
                ratios.push_back(CEngineProbe::Ratio(e));
        }
        const double full = std::pow(2.0, -30.0 / 1200.0);
        EXPECT_NEAR(Cents(ratios[ms > 0 ? ratios.size() - 1 : 0]), -30.0, 0.3);
        if (ms > 0) {
            EXPECT_NEAR(ratios[881], (1.0 + full) / 2.0, 2e-4) << "half way after 100 ms";
            EXPECT_NEAR(ratios[1763], 1.0 - 0.75 * (1.0 - full), 2e-4) << "three quarters after 200 ms";
        }
        // Measured on its own, the output sits on A4.
        EXPECT_NEAR(MeasurePeriod(out, int(in.size()) - 6000, 5000, 60, 160), NotePeriod(69), 0.05);
    }
}

TEST(Vibrato, EachNoteStartsSilentAndReachesFullDepthAfterTheDelay)
{
    // 300 ms at 44.1 kHz is 66 frames. The same note twice with a gap: the
    // second lock restarts the onset though the note index is unchanged.
    const int delay = int(300 * 0.001 * kRate / 200.0);
    std::vector<float> table(1000);
    for (int i = 0; i < 1000; ++i)
        table[i] = float(std::pow(2.0, std::sin(kTwoPi * i / 1000.0) / 12.0) - 1.0);
    CPitchEngine e;
    SetDefaultThresholds(e);
    LoadTable(e, ChromaticTable(0));
    e.SetVibrato(table.data(), 1000, float(1000.0 / ((kRate * 10.0 / 200.0) / 55.0)), 0.3f, delay);
    e.EnableVibrato(1);
    auto in = WithFloor(Tone(Shape::Harmonics, NotePeriod(69), 0.4, 30000));
    in.resize(33000, 0.0f);
    const auto again = WithFloor(Tone(Shape::Harmonics, NotePeriod(69), 0.4, 30000), 5);
    in.insert(in.end(), again.begin(), again.end());
    for (int note = 0, i = 0; note < 2; ++note) {
        const int lock = RunUntilLocked(e, in, i);
        ASSERT_GE(lock, 0);
        double peak = 0.0;
        int frames = 0;
        for (i = lock + 1; i < int(in.size()) && e.IsSearching() == 0; ++i) {
            float out = 0.0f;
            e.Process(&in[i], &out, 1);
            frames += i >= lock + 2 && (i + 1) % 200 == 0; // a frame ticks every 200 samples
            const double wobble = CEngineProbe::Ratio(e) / CEngineProbe::RatioSmoothed(e) - 1.0;
            if (frames < delay / 2 - 1) {
                ASSERT_EQ(wobble, 0.0) << note << " frame " << frames;
            }
            if (frames > delay + 1)
                peak = std::max(peak, std::fabs(wobble));
        }
        ASSERT_GT(frames, delay + 45);
        // Full depth: the table's one-semitone swing times the depth 0.3.
        EXPECT_NEAR(peak, 0.3 * (std::pow(2.0, 1.0 / 12.0) - 1.0), 1e-3) << note;
    }
}

// From period to ratio: note table, drawn targets, retune smoothing and
// vibrato. Expectations come from equal temperament and closed forms.

#include <gtest/gtest.h>

#include "EngineProbe.h"
#include "EngineSignals.h"
#include "analysis/PitchAnalysis.h"

using namespace enginetest;

namespace {

double Cents(double ratio) { return 1200.0 * std::log2(ratio); }
double Sharp(int midi, double cents) { return NotePeriod(midi) / std::pow(2.0, cents / 1200.0); }

struct AutoEngine
{
    CPitchEngine e;
    explicit AutoEngine(const NoteTable& t = ChromaticTable(0)) { e.SetScaleTable(short(t.targets.size()), t.targets.data(), t.bounds.data()); }
    float Ratio(double period) { return CEngineProbe::TargetRatio(e, float(period)); }
};

} // namespace

TEST(TargetRatio, NoteTablePullsTonesOntoTheNearestSemitone)
{
    // Scaled periods are about 2e5 units: truncation costs ~0.01 cent.
    for (int key : {0, 7})
        for (int midi = 40; midi <= 84; midi += 5)
            for (double cents : {-45.0, -30.0, 0.0, 12.0, 45.0})
                EXPECT_NEAR(Cents(AutoEngine(ChromaticTable(key)).Ratio(Sharp(midi, cents))), -cents, 0.02) << key << " " << midi;
    AutoEngine a; // two octaves down in semitones, 20 cents sharp each
    for (int midi = 69; midi >= 45; --midi)
        ASSERT_NEAR(Cents(a.Ratio(Sharp(midi, 20.0))), -20.0, 0.02) << midi;

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

TEST(TargetRatio, DoNotTrackDetuneNoTableAndDrawnTargets)
{
    auto table = ChromaticTable(0);
    table.targets[2] = 0; // A
    AutoEngine marked(table);
    EXPECT_EQ(marked.Ratio(NotePeriod(69) * 1.01), 1.0f);
    EXPECT_NEAR(marked.Ratio(NotePeriod(70) * 1.01), 1.01, 1e-4);
    AutoEngine a; // a 10-cent detune raises every corrected note by 10 cents
    a.e.SetDetune(float(std::pow(2.0, 10.0 / 1200.0)));
    for (int midi : {57, 64, 76})
        EXPECT_NEAR(Cents(a.Ratio(NotePeriod(midi))), 10.0, 0.02) << midi;
    CPitchEngine none;
    EXPECT_EQ(CEngineProbe::TargetRatio(none, 123.4f), 1.0f);

    // Correcting: toward the drawn period in the nearest octave; 0 leaves
    // the frame alone.
    TrackRecord record{};
    CPitchEngine c;
    c.AttachTrackRecords(&record, 1);
    c.EnableCorrecting(1);
    for (auto [target, ratio] : {std::pair{150.0f, 200.0f / 150.0f}, {400.0f, 1.0f}, {90.0f, 200.0f / 180.0f}, {0.0f, 1.0f}}) {
        record.fTargetPeriod = target;
        EXPECT_FLOAT_EQ(CEngineProbe::TargetRatio(c, 200.0f), ratio) << target;
    }
}

TEST(Retune, ToneThirtyCentsSharpReachesTheNoteWithTheRetuneHalfLife)
{
    // 100 ms at 44.1 kHz: k = 0.5^(1/882) per update, one every 5 samples.
    const auto in = WithFloor(Tone(Shape::Harmonics, Sharp(69, 30.0), 0.4, 30000));
    CPitchEngine e;
    Prepare(e);
    e.SetRetuneCoefficient(float(std::pow(0.5, 1.0 / 882.0)));
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
    EXPECT_NEAR(ratios[881], (1.0 + full) / 2.0, 2e-4) << "half way after 100 ms";
    EXPECT_NEAR(ratios[1763], 1.0 - 0.75 * (1.0 - full), 2e-4) << "three quarters after 200 ms";
    const auto heard = analysis::DeviationFromTarget(analysis::AnalysePitch(out, kRate), 440.0, 0.55, 0.67);
    EXPECT_NEAR(heard.medianCents, 0.0, 1.0) << "by ear, on A4 at the end";
}

TEST(Vibrato, EachNoteStartsSilentFadesInAndReachesFullDepthAfterTheDelay)
{
    // 300 ms at 44.1 kHz is 66 frames. The same note twice with a gap: the
    // second lock restarts the onset though the note index is unchanged.
    const int delay = int(300 * 0.001 * kRate / 200.0);
    std::vector<float> table(1000);
    for (int i = 0; i < 1000; ++i)
        table[i] = float(std::pow(2.0, std::sin(kTwoPi * i / 1000.0) / 12.0) - 1.0);
    CPitchEngine e;
    Prepare(e);
    e.SetVibrato(table.data(), 1000, float(1000.0 / ((kRate * 10.0 / 200.0) / 55.0)), 0.3f, delay);
    e.EnableVibrato(1);
    const auto note = Concat(Tone(Shape::Harmonics, NotePeriod(69), 0.4, 30000), std::vector<float>(3000, 0.0f));
    const auto in = WithFloor(Concat(note, note));
    // Full depth: the table's one-semitone swing times the depth 0.3.
    const double full = 0.3 * (std::pow(2.0, 1.0 / 12.0) - 1.0);
    for (int n = 0, i = 0; n < 2; ++n) {
        const int lock = RunUntilLocked(e, in, i);
        ASSERT_GE(lock, 0);
        double peak = 0.0, fading = 0.0;
        int frames = 0;
        for (i = lock + 1; i < int(in.size()) && e.IsSearching() == 0; ++i) {
            float out = 0.0f;
            e.Process(&in[i], &out, 1);
            frames += i >= lock + 2 && (i + 1) % 200 == 0; // a frame ticks every 200 samples
            const double wobble = std::fabs(CEngineProbe::Ratio(e) / CEngineProbe::RatioSmoothed(e) - 1.0);
            ASSERT_TRUE(frames >= delay / 2 - 1 || wobble == 0.0) << n << " frame " << frames;
            if (frames > delay + 1)
                peak = std::max(peak, wobble);
            else if (frames > delay / 2 + 1 && frames < delay)
                fading = std::max(fading, wobble);
        }
        ASSERT_GT(frames, delay + 45);
        EXPECT_NEAR(peak, full, 1e-3) << n;
        EXPECT_TRUE(fading > 0.2 * full && fading < full) << n << ": " << fading;
    }
}

// Automatic mode end to end: synthetic voices sung out of tune go through the
// controller's engine with settings sent as the control panel sends them,
// and an independent analyser (aubio's yin) measures what comes out.

#include <cmath>

#include "ModesTestSupport.h"
#include "analysis/PitchAnalysis.h"
#include "voice/VoiceSynth.h"

using namespace modestest;

namespace {

constexpr double kNoteSeconds = 0.55;
constexpr double kRestSeconds = 0.12;
// Measured part of each note: after the attack, the detector's lock and the
// 20 ms retune have settled, and before the release.
constexpr double kSettle = 0.18;
constexpr double kTail = 0.08;

analysis::AnalysisOptions Analyser()
{
    analysis::AnalysisOptions options;
    options.method = "yinfast";
    return options;
}

struct Sung
{
    int midi;
    double detuneCents;
};

// Each note separately, with a short rest between, no vibrato and a steady
// voice, so every note has one clear pitch.
voice::VoiceOptions PlainVoice(double fs, double formantScale)
{
    voice::VoiceOptions o;
    o.sampleRate = fs;
    o.vibratoCents = 0.0;
    o.jitter = 0.0005;
    o.shimmer = 0.01;
    o.breath = 0.005;
    o.leadIn = 0.05;
    o.formantScale = formantScale;
    o.seed = 7;
    return o;
}

std::vector<voice::NoteEvent> Notes(const std::vector<Sung>& sung)
{
    std::vector<voice::NoteEvent> notes;
    for (const Sung& s : sung)
        notes.push_back({static_cast<double>(s.midi), s.detuneCents, kNoteSeconds, kRestSeconds});
    return notes;
}

// Median deviation of each note's settled middle from a reference pitch
// (the note itself plus offsetCents).
std::vector<double> NoteDeviations(const std::vector<float>& audio, double fs, const std::vector<Sung>& sung,
                                   const voice::VoiceOptions& o, const std::vector<double>& offsetCents)
{
    const auto frames = analysis::AnalysePitch(audio, fs, Analyser());
    const auto spans = voice::PhraseNoteSpans(Notes(sung), o);
    std::vector<double> result;
    for (size_t i = 0; i < sung.size(); ++i) {
        const double hz = voice::MidiToHz(sung[i].midi + offsetCents[i] / 100.0);
        const auto d = analysis::DeviationFromTarget(frames, hz, spans[i].start + kSettle, spans[i].end - kTail);
        EXPECT_GT(d.frames, 10u) << "note " << i;
        result.push_back(d.medianCents);
    }
    return result;
}

struct Corrected
{
    std::vector<float> in, out;
    voice::VoiceOptions options;
};

// Settings are sent after the filter's start-up, through SetParameter.
template <class Configure>
Corrected Correct(double fs, const std::vector<Sung>& sung, double formantScale, Configure configure)
{
    Corrected r;
    r.options = PlainVoice(fs, formantScale);
    r.in = voice::SynthesizePhrase(Notes(sung), r.options);
    CTestDsp dsp;
    Prepare(dsp, static_cast<float>(fs));
    configure(dsp);
    r.out = RunBlocks(dsp, r.in);
    return r;
}

std::vector<double> Zeros(size_t n)
{
    return std::vector<double>(n, 0.0);
}

struct Voice
{
    const char* name;
    std::vector<Sung> notes;
    double formantScale;
};

const Voice kLow{"low", {{45, +45}, {48, -40}, {50, +30}, {47, -45}}, 1.0};       // 110 to 147 Hz
const Voice kHigh{"high", {{68, -45}, {70, +40}, {72, -30}, {74, +45}}, 1.15};   // 415 to 587 Hz

} // namespace

TEST(AutomaticCorrection, ChromaticScalePullsDetunedNotesOntoTheScale)
{
    for (const double fs : {44100.0, 48000.0}) {
        for (const Voice& v : {kLow, kHigh}) {
            const Corrected r = Correct(fs, v.notes, v.formantScale, [](CDspObject&) {});
            // The input really is out of tune by the intended amounts...
            const auto before = NoteDeviations(r.in, fs, v.notes, r.options, Zeros(v.notes.size()));
            const auto after = NoteDeviations(r.out, fs, v.notes, r.options, Zeros(v.notes.size()));
            for (size_t i = 0; i < v.notes.size(); ++i) {
                EXPECT_NEAR(before[i], v.notes[i].detuneCents, 3.0) << v.name << " note " << i << " at " << fs;
                // ...and comes out within a few cents of the scale.
                EXPECT_NEAR(after[i], 0.0, 3.0) << v.name << " note " << i << " at " << fs;
            }
        }
    }
}

TEST(AutomaticCorrection, DoNotTrackNoteKeepsItsDetuneWhileNeighboursAreCorrected)
{
    // In C, E (chromatic degree 4) is marked do-not-track through Edit Scale.
    const std::vector<Sung> sung = {{62, +35}, {64, +35}, {65, -35}, {64, -30}};  // D4 E4 F4 E4
    CDoNotTrackEditor editor({4});
    const Corrected r = Correct(44100.0, sung, 1.0, [&](CDspObject& dsp) {
        dsp.GetScaleSet().SetScaleEditor(&editor);
        dsp.SetParameter(PARAM_EDIT_SCALE, 1);
        dsp.GetScaleSet().SetScaleEditor(nullptr);
    });
    const auto after = NoteDeviations(r.out, 44100.0, sung, r.options, Zeros(sung.size()));
    EXPECT_NEAR(after[0], 0.0, 4.0);
    EXPECT_NEAR(after[1], 35.0, 4.0);
    EXPECT_NEAR(after[2], 0.0, 4.0);
    EXPECT_NEAR(after[3], -30.0, 4.0);
}

TEST(AutomaticCorrection, ScaleDetuneMovesEveryResultByItsCents)
{
    const std::vector<Sung> sung = {{57, -30}, {60, +25}, {64, 0}, {67, -15}};
    for (const double fs : {44100.0, 48000.0}) {
        const Corrected r = Correct(fs, sung, 1.0, [](CDspObject& dsp) { dsp.SetParameter(PARAM_DETUNE, 110); });
        const auto after = NoteDeviations(r.out, fs, sung, r.options, std::vector<double>(sung.size(), 10.0));
        for (size_t i = 0; i < sung.size(); ++i)
            EXPECT_NEAR(after[i], 0.0, 3.0) << "note " << i << " at " << fs;
    }
}

TEST(AutomaticCorrection, RetuneSpeedIsTheHalfLifeOfTheApproach)
{
    // A steady A3 sung 40 cents sharp; 100 ms retune (taper index 264). The
    // ratio starts at 1 when the detector locks and then closes half of the
    // remaining way every 100 ms.
    constexpr double fs = 44100.0;
    voice::VoiceOptions o = PlainVoice(fs, 1.0);
    o.jitter = 0.0;
    o.shimmer = 0.0;
    o.breath = 0.0;
    const std::vector<float> in = voice::SynthesizeSteadyVowel(220.0 * std::exp2(40.0 / 1200.0), 1.2, o);
    CTestDsp dsp;
    Prepare(dsp, static_cast<float>(fs));
    dsp.SetParameter(PARAM_RETUNE, 264);

    constexpr int kStep = 5;  // one period update
    std::vector<float> ratio;
    std::vector<float> out(kStep);
    for (size_t i = 0; i + kStep <= in.size(); i += kStep) {
        dsp.m_Engine.Process(in.data() + i, out.data(), kStep);
        float r = 0.0f;
        dsp.m_Engine.GetStatus(&r, nullptr);
        ratio.push_back(r);
    }
    size_t lock = 0;
    while (lock < ratio.size() && ratio[lock] == 1.0f)
        ++lock;
    ASSERT_LT(lock, ratio.size() / 4) << "the detector never locked";
    // The step before the first move is where the smoothing started from 1.
    const double start = static_cast<double>(lock - 1);
    const double target = std::exp2(-40.0 / 1200.0);
    auto covered = [&](double ms) {
        const size_t at = static_cast<size_t>(start + ms / 1000.0 * fs / kStep);
        return (1.0 - ratio.at(at)) / (1.0 - target);
    };
    EXPECT_NEAR(covered(50.0), 1.0 - std::sqrt(0.5), 0.04);
    EXPECT_NEAR(covered(100.0), 0.5, 0.04);
    EXPECT_NEAR(covered(200.0), 0.75, 0.04);
    EXPECT_NEAR(covered(600.0), 1.0, 0.04);
}

TEST(AutomaticCorrection, SquareVibratoAlternatesASemitoneEitherSide)
{
    // A held D4 on pitch, square vibrato at depth 100, 2.5 Hz (rate 25), no
    // onset delay: the output sits a semitone above the note for a fifth of
    // a second, then a semitone below, and so on.
    constexpr double fs = 44100.0;
    voice::VoiceOptions o = PlainVoice(fs, 1.0);
    o.leadIn = 0.0;
    const std::vector<float> in = voice::SynthesizeSteadyVowel(voice::MidiToHz(62), 2.0, o);
    CTestDsp dsp;
    Prepare(dsp, static_cast<float>(fs));
    dsp.SetParameter(PARAM_VIBRATO_TYPE, 2);
    dsp.SetParameter(PARAM_VIBRATO_DEPTH, 100);
    dsp.SetParameter(PARAM_VIBRATO_RATE, 25);
    dsp.SetParameter(PARAM_VIBRATO_DELAY, 0);
    const std::vector<float> out = RunBlocks(dsp, in);

    const auto frames = analysis::AnalysePitch(out, fs, Analyser());
    const double note = voice::MidiToHz(62);
    int above = 0, below = 0, between = 0, changes = 0, last = 0;
    for (const auto& f : frames) {
        if (f.seconds < 0.2 || f.seconds > 1.9)
            continue;
        const double c = analysis::CentsBetween(f.hz, note);
        int side = 0;
        if (std::fabs(c - 100.0) < 10.0)
            side = 1;
        else if (std::fabs(c + 100.0) < 10.0)
            side = -1;
        above += side == 1;
        below += side == -1;
        between += side == 0;
        if (side != 0 && last != 0 && side != last)
            ++changes;
        if (side != 0)
            last = side;
    }
    const int total = above + below + between;
    ASSERT_GT(total, 100);
    // Most of the time on one of the two sides, about equally often, and
    // hardly ever on the note itself (only while the analyser's window
    // straddles a jump).
    EXPECT_GT(above, total / 3);
    EXPECT_GT(below, total / 3);
    EXPECT_LT(between, total / 4);
    // 1.7 s at 2.5 Hz: about 8.5 changes of side.
    EXPECT_GE(changes, 7);
    EXPECT_LE(changes, 10);
}

// Automatic mode end to end: voices sung out of tune go through the
// controller's engine with settings sent as the control panel sends them,
// and aubio's yin measures what comes out.

#include <cmath>

#include "ModesTestSupport.h"
#include "analysis/PitchAnalysis.h"
#include "settings/ScaleEditorLink.h"
#include "voice/VoiceSynth.h"

TEST(AutomaticCorrection, DetunedNotesComeOutOnTheScale)
{
    struct Case {
        double fs, formantScale;
        int detune;  // stored: cents + 100
        std::vector<voice::NoteEvent> notes;  // midi, cents off, seconds, rest
    };
    const Case cases[] = {
        {44100.0, 1.0, 100, {{45, +45, 0.55, 0.12}, {48, -40, 0.55, 0.12}, {50, +30, 0.55, 0.12}, {47, -45, 0.55, 0.12}}},
        {48000.0, 1.15, 100, {{68, -45, 0.55, 0.12}, {70, +40, 0.55, 0.12}, {72, -30, 0.55, 0.12}, {74, +45, 0.55, 0.12}}},
        {44100.0, 1.0, 110, {{57, -30, 0.55, 0.12}, {60, +25, 0.55, 0.12}, {64, 0, 0.55, 0.12}}},
    };
    for (const Case& c : cases) {
        voice::VoiceOptions o;
        o.sampleRate = c.fs;
        o.vibratoCents = 0.0;
        o.jitter = 0.0005;
        o.shimmer = 0.01;
        o.breath = 0.005;
        o.leadIn = 0.05;
        o.formantScale = c.formantScale;
        o.seed = 7;
        CTestDsp dsp(static_cast<float>(c.fs));
        dsp.SetParameter(PARAM_DETUNE, c.detune);
        const auto frames = analysis::AnalysePitch(dsp.Run(voice::SynthesizePhrase(c.notes, o)), c.fs, {.method = "yinfast"});
        const auto spans = voice::PhraseNoteSpans(c.notes, o);
        for (size_t i = 0; i < c.notes.size(); ++i) {
            // After the lock and the 20 ms retune have settled, before the release.
            const double hz = voice::MidiToHz(c.notes[i].midi + (c.detune - 100) / 100.0);
            const auto d = analysis::DeviationFromTarget(frames, hz, spans[i].start + 0.18, spans[i].end - 0.08);
            EXPECT_GT(d.frames, 10u) << i;
            EXPECT_NEAR(d.medianCents, 0.0, 3.0) << "note " << i << " at " << c.fs << ", detune " << c.detune;
        }
    }
}

namespace {

// The engine's ratio at the end of half a second of a tone.
float RatioAfter(CTestDsp& dsp, double hz)
{
    std::vector<float> tone(22050);
    for (size_t i = 0; i < tone.size(); ++i) {
        const double phase = 2.0 * M_PI * hz * static_cast<double>(i) / 44100.0;
        tone[i] = static_cast<float>(0.4 * std::sin(phase) + 0.2 * std::sin(2.0 * phase));
    }
    dsp.Run(tone);
    float ratio = 0.0f;
    dsp.m_Engine.GetStatus(&ratio, nullptr);
    return ratio;
}

struct CMarkFSharp : IScaleEditor {
    void RunScaleEditor(CScaleSet&, short, short, int* pDoNotTrack, int*, int) override { pDoNotTrack[6] = 1; }
};

} // namespace

// Changes reach the engine while audio streams, not at the next start.
TEST(AutomaticCorrection, KeyAndNoteFlagChangesApplyWhileStreaming)
{
    const double fSharp = 369.99;
    CTestDsp dsp;
    dsp.SetParameter(PARAM_SCALE, 0);  // Major
    dsp.SetParameter(PARAM_RETUNE, 0);
    EXPECT_GT(std::fabs(RatioAfter(dsp, fSharp) - 1.0f), 0.02f) << "F sharp is no note of C major";
    dsp.SetParameter(PARAM_KEY, 1);
    EXPECT_NEAR(RatioAfter(dsp, fSharp), 1.0f, 0.003f) << "but one of D-flat major";

    // Chromatic in C, 30 cents sharp of F sharp; then F sharp marked
    // do-not-track through Edit Scale.
    CTestDsp chromatic;
    chromatic.SetParameter(PARAM_RETUNE, 0);
    const double sharp = fSharp * std::exp2(30.0 / 1200.0);
    EXPECT_NEAR(RatioAfter(chromatic, sharp), std::exp2(-30.0 / 1200.0), 1e-3);
    CMarkFSharp editor;
    chromatic.GetScaleSet().SetScaleEditor(&editor);
    chromatic.SetParameter(PARAM_EDIT_SCALE, 1);
    chromatic.GetScaleSet().SetScaleEditor(nullptr);
    EXPECT_EQ(RatioAfter(chromatic, sharp), 1.0f);
}

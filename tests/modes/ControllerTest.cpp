// What the controller hands the engine for each setting, and how it switches
// the engine between the modes. Settings go in through SetParameter, as the
// panel sends them; the engine's values are read back through its white-box
// friend and compared with values worked out from their definitions.

#include <cmath>
#include <numbers>

#include "ModesTestSupport.h"
#include "voice/VoiceSynth.h"

using namespace modestest;
using ::testing::_;
using ::testing::InSequence;
using ::testing::Return;

namespace {

using P = CEngineProbe;

void ExpectNoteTable(const CPitchEngine& e, int key, double fs)
{
    const NoteTable expected = ChromaticTable(key, fs);
    EXPECT_EQ(P::NoteCount(e), 12);
    EXPECT_EQ(P::Targets(e), expected.targets) << "key " << key << " at " << fs;
    EXPECT_EQ(P::Bounds(e), expected.bounds) << "key " << key << " at " << fs;
}

struct FlagState
{
    int autoCorrect, tracking, correcting, vibrato, wait, bypass;
    bool operator==(const FlagState&) const = default;
};

FlagState Flags(const CPitchEngine& e)
{
    return {e.IsAutoCorrect(), e.IsTracking(), e.IsCorrecting(), e.IsVibrato(), e.IsWaitingForSignal(),
            e.IsBypassed()};
}

// One sung note, enough for the detector to lock, and still sounding at the
// end.
std::vector<float> Voice(double hz, double seconds, double fs)
{
    return Held(voice::SynthesizeSteadyVowel(hz, seconds + 0.15, fs), fs);
}

} // namespace

TEST(ControllerSetup, InitialiseGivesTheEngineEverythingBeforeTheFirstBlock)
{
    CTestDsp dsp;
    dsp.Initialise();
    const CPitchEngine& e = dsp.m_Engine;

    // 20 ms at 44100 Hz is 176.4 period updates.
    EXPECT_FLOAT_EQ(P::RetuneCoef(e), static_cast<float>(std::pow(0.5, 1.0 / 176.4)));
    // Threshold 25 as stored (no +1 when the mode's values are applied).
    EXPECT_FLOAT_EQ(P::AcceptThreshold(e), -0.45f);
    EXPECT_FLOAT_EQ(P::TrackThreshold(e), 0.055f);
    EXPECT_EQ(P::Detune(e), 1.0f);
    EXPECT_EQ(Flags(e), (FlagState{1, 0, 0, 0, 0, 0}));
    ExpectNoteTable(e, 0, 44100.0);

    // The corner values of that table.
    EXPECT_EQ(P::Targets(e).front(), 365741);
    EXPECT_EQ(P::Targets(e).back(), 690428);
    EXPECT_EQ(P::Bounds(e).back(), 710955);
    EXPECT_EQ(P::Bounds(e).front(), 355477);
}

TEST(ControllerSetup, SampleRateChangeResendsEveryRateDependentValue)
{
    CTestDsp dsp;
    dsp.Initialise();
    dsp.SetParameter(PARAM_KEY, 7);  // G
    dsp.SetParameter(PARAM_VIBRATO_TYPE, 1);
    ExpectNoteTable(dsp.m_Engine, 7, 44100.0);

    dsp.SetSampleRate(48000.0f);
    const CPitchEngine& e = dsp.m_Engine;
    ExpectNoteTable(e, 7, 48000.0);
    EXPECT_FLOAT_EQ(P::RetuneCoef(e), ExpectedRetuneCoef(48000.0, 20.0));
    EXPECT_FLOAT_EQ(P::VibIncrement(e), ExpectedVibIncrement(48000.0, 55));
    EXPECT_EQ(P::VibDelay(e), 72);  // 300 ms of 240 frames per second
    EXPECT_EQ(Flags(e), (FlagState{1, 0, 0, 1, 1, 0}));  // the vibrato waits for the signal

    // The same rate again is not a change.
    dsp.SetParameter(PARAM_RETUNE, 264);  // 100 ms
    const float coef = P::RetuneCoef(e);
    dsp.SetSampleRate(48000.0f);
    EXPECT_EQ(P::RetuneCoef(e), coef);

    // Without a vibrato type the rate change leaves the vibrato off.
    dsp.SetParameter(PARAM_VIBRATO_TYPE, 0);
    dsp.SetSampleRate(96000.0f);
    EXPECT_EQ(e.IsVibrato(), 0);
    EXPECT_FLOAT_EQ(P::RetuneCoef(e), ExpectedRetuneCoef(96000.0, 100.0));
    ExpectNoteTable(e, 7, 96000.0);
}

TEST(ControllerSettings, RetuneDetuneAndThresholdReachTheEngine)
{
    CTestDsp dsp;
    dsp.Initialise();
    const CPitchEngine& e = dsp.m_Engine;

    dsp.SetParameter(PARAM_DETUNE, 110);
    EXPECT_FLOAT_EQ(P::Detune(e), static_cast<float>(std::exp2(10.0 / 1200.0)));
    dsp.SetParameter(PARAM_DETUNE, 0);  // -100 cents
    EXPECT_FLOAT_EQ(P::Detune(e), static_cast<float>(1.0 / SemitoneFactor(1.0)));

    dsp.SetParameter(PARAM_RETUNE, 264);  // index 264 is 100 ms
    EXPECT_FLOAT_EQ(P::RetuneCoef(e), ExpectedRetuneCoef(44100.0, 100.0));
    dsp.SetParameter(PARAM_RETUNE, 0);  // 0 ms: straight to the target
    EXPECT_EQ(P::RetuneCoef(e), 0.0f);
    // The graphical speed goes to the engine too, whatever the mode.
    dsp.SetParameter(PARAM_GRAPH_RETUNE, 400);
    EXPECT_FLOAT_EQ(P::RetuneCoef(e), ExpectedRetuneCoef(44100.0, 400.0));

    // A changed threshold arrives plus one.
    dsp.SetParameter(PARAM_THRESHOLD, 40);
    EXPECT_FLOAT_EQ(P::AcceptThreshold(e), 41.0f / 500.0f - 0.5f);
    EXPECT_FLOAT_EQ(P::TrackThreshold(e), 41.0f / 500.0f * 1.1f);
}

TEST(ControllerSettings, VibratoTypeBuildsTheTableAndTiming)
{
    CTestDsp dsp;
    dsp.Initialise();
    const CPitchEngine& e = dsp.m_Engine;
    const double up = SemitoneFactor(1.0) - 1.0;
    const double down = SemitoneFactor(-1.0) - 1.0;

    dsp.SetParameter(PARAM_VIBRATO_TYPE, 1);  // sine
    EXPECT_EQ(e.IsVibrato(), 1);
    EXPECT_EQ(e.IsWaitingForSignal(), 1);
    EXPECT_EQ(P::VibTable(e), dsp.VibratoTable());
    EXPECT_EQ(P::VibLength(e), 1000);
    // 5.5 Hz at 220.5 frames per second is a cycle of 40.09 frames.
    EXPECT_FLOAT_EQ(P::VibIncrement(e), static_cast<float>(1000.0 / ((44100.0 * 10.0 / 200.0) / 55.0)));
    EXPECT_NEAR(P::VibIncrement(e), 24.943, 0.001);
    EXPECT_FLOAT_EQ(P::VibDepth(e), 0.3f);
    EXPECT_EQ(P::VibDelay(e), 66);  // 300 ms is 66.15 frames
    const float* table = dsp.VibratoTable();
    EXPECT_NEAR(table[0], 0.0, 1e-7);
    EXPECT_NEAR(table[250], up, 1e-6);    // a quarter cycle: a semitone up
    EXPECT_NEAR(table[500], 0.0, 1e-6);
    EXPECT_NEAR(table[750], down, 1e-6);  // three quarters: a semitone down
    for (int i = 0; i < 1000; i += 37)
        EXPECT_NEAR(table[i], std::exp2(std::sin(2.0 * std::numbers::pi * i / 1000.0) / 12.0) - 1.0, 1e-6) << i;

    dsp.SetParameter(PARAM_VIBRATO_TYPE, 2);  // square
    for (int i : {0, 250, 499})
        EXPECT_NEAR(table[i], up, 1e-7) << i;
    for (int i : {500, 750, 999})
        EXPECT_NEAR(table[i], down, 1e-7) << i;

    dsp.SetParameter(PARAM_VIBRATO_TYPE, 3);  // sawtooth, rising from a semitone down
    EXPECT_NEAR(table[0], down, 1e-7);
    EXPECT_NEAR(table[500], 0.0, 1e-7);
    EXPECT_NEAR(table[999], std::exp2(0.998 / 12.0) - 1.0, 1e-7);

    // Depth, rate and delay each re-send the timing.
    dsp.SetParameter(PARAM_VIBRATO_DEPTH, 100);
    EXPECT_FLOAT_EQ(P::VibDepth(e), 1.0f);
    dsp.SetParameter(PARAM_VIBRATO_RATE, 100);  // 10 Hz
    EXPECT_FLOAT_EQ(P::VibIncrement(e), ExpectedVibIncrement(44100.0, 100));
    dsp.SetParameter(PARAM_VIBRATO_DELAY, 3000);
    EXPECT_EQ(P::VibDelay(e), 661);  // 661.5 frames, truncated
    EXPECT_EQ(e.IsVibrato(), 1);

    dsp.SetParameter(PARAM_VIBRATO_TYPE, 0);
    EXPECT_EQ(e.IsVibrato(), 0);
    // A depth change without a type keeps it off, and the table flat.
    dsp.SetParameter(PARAM_VIBRATO_DEPTH, 50);
    EXPECT_EQ(e.IsVibrato(), 0);
    EXPECT_EQ(table[250], 0.0f);
}

TEST(ControllerSettings, EngineFlagBitsMapOntoTheEngineSwitches)
{
    CTestDsp dsp;
    dsp.Initialise();
    CPitchEngine& e = dsp.m_Engine;
    const FlagState start = Flags(e);

    struct Bit { int bit; int FlagState::*flag; };
    for (const Bit b : {Bit{11, &FlagState::autoCorrect}, Bit{12, &FlagState::tracking},
                        Bit{13, &FlagState::correcting}, Bit{14, &FlagState::vibrato},
                        Bit{15, &FlagState::wait}}) {
        for (int on : {1, 0}) {
            dsp.SetEngineFlag(b.bit, on);
            FlagState expected = start;
            expected.*b.flag = on;
            EXPECT_EQ(Flags(e), expected) << "bit " << b.bit << " on " << on;
        }
        dsp.SetEngineFlag(b.bit, start.*b.flag);
    }

    // Track high, the second control value and anything else touch nothing.
    for (int bit : {0, 1, 8, 9, 10, 16, 31, -1}) {
        dsp.SetEngineFlag(bit, 1);
        EXPECT_EQ(Flags(e), start) << bit;
        dsp.SetEngineFlag(bit, 0);
        EXPECT_EQ(Flags(e), start) << bit;
    }
    // Wait-for-signal on also restarts the frame count.
    std::vector<float> tone = Voice(220.0, 0.1, 44100.0);
    dsp.SetEngineFlag(14, 1);
    RunBlocks(dsp, tone);
    int frames = 0;
    e.GetStatus(nullptr, &frames);
    EXPECT_GT(frames, 0);
    dsp.SetEngineFlag(15, 1);
    e.GetStatus(nullptr, &frames);
    EXPECT_EQ(frames, 0);
}

TEST(ControllerSettings, BypassFollowsOnlyTheAcceptedSwitch)
{
    CTestDsp dsp;
    Panel panel;
    dsp.Initialise();
    dsp.AttachDialog(&panel.dialog);

    // Rejected by the store: neither the engine nor the meter hears of it.
    EXPECT_CALL(panel.dialog, SetChangeMeter(_)).Times(0);
    EXPECT_EQ(dsp.SetControlValue(1, 1), -1);
    EXPECT_EQ(dsp.m_Engine.IsBypassed(), 0);
    ::testing::Mock::VerifyAndClearExpectations(&panel.dialog);

    EXPECT_CALL(panel.dialog, SetChangeMeter(0)).Times(2);
    EXPECT_EQ(dsp.SetControlValue(0, 1), 0);
    EXPECT_EQ(dsp.m_Engine.IsBypassed(), 1);
    EXPECT_EQ(dsp.SetControlValue(0, 0), 0);
    EXPECT_EQ(dsp.m_Engine.IsBypassed(), 0);
    dsp.AttachDialog(nullptr);
}

TEST(ControllerModes, SettingTheCurrentModeAgainChangesNothing)
{
    CTestDsp dsp;
    Prepare(dsp, 44100.0f);
    CPitchEngine& e = dsp.m_Engine;
    // A changed threshold is sent plus one; re-applying the mode would send
    // the stored value and show up in the engine.
    dsp.SetParameter(PARAM_THRESHOLD, 30);
    const std::vector<float> tone = Voice(220.0, 0.3, 44100.0);
    RunBlocks(dsp, tone);
    ASSERT_EQ(e.IsSearching(), 0) << "the tone should have locked the detector";

    const float track = P::TrackThreshold(e);
    const float ringSample = e.RingSample(100);
    const FlagState flags = Flags(e);
    const float period = e.GetPeriod();
    dsp.SetParameter(PARAM_MODE, 0);
    EXPECT_EQ(P::TrackThreshold(e), track);
    EXPECT_EQ(Flags(e), flags);
    EXPECT_EQ(e.IsSearching(), 0);
    EXPECT_EQ(e.GetPeriod(), period);
    EXPECT_EQ(e.RingSample(100), ringSample);

    dsp.SetParameter(PARAM_MODE, 1);
    const float graphTrack = P::TrackThreshold(e);
    dsp.SetParameter(PARAM_GRAPH_THRESHOLD, 60);
    dsp.SetParameter(PARAM_MODE, 1);
    EXPECT_NE(P::TrackThreshold(e), graphTrack);
    EXPECT_FLOAT_EQ(P::TrackThreshold(e), 61.0f / 500.0f * 1.1f);
}

TEST(ControllerModes, GraphicalModeAppliesItsOwnValuesAndSwitchesCorrectionOff)
{
    CTestDsp dsp;
    Prepare(dsp, 44100.0f);
    CPitchEngine& e = dsp.m_Engine;
    dsp.SetParameter(PARAM_VIBRATO_TYPE, 1);
    dsp.SetParameter(PARAM_GRAPH_THRESHOLD, 50);
    dsp.SetParameter(PARAM_GRAPH_RETUNE, 264);
    dsp.SetParameter(PARAM_RETUNE, 0);
    ASSERT_EQ(e.IsVibrato(), 1);

    dsp.SetParameter(PARAM_MODE, 1);
    EXPECT_EQ(dsp.ActiveMode(), 1);
    EXPECT_EQ(e.IsAutoCorrect(), 0);
    EXPECT_EQ(e.IsVibrato(), 0);
    EXPECT_FLOAT_EQ(P::TrackThreshold(e), 50.0f / 500.0f * 1.1f);
    EXPECT_FLOAT_EQ(P::RetuneCoef(e), ExpectedRetuneCoef(44100.0, 100.0));
    // A vibrato type chosen in graphical mode keeps the vibrato off.
    dsp.SetParameter(PARAM_VIBRATO_TYPE, 2);
    EXPECT_EQ(e.IsVibrato(), 0);
    dsp.SetParameter(PARAM_VIBRATO_DEPTH, 80);
    EXPECT_EQ(e.IsVibrato(), 0);

    // Back in automatic mode its own values return and the vibrato with them.
    dsp.SetParameter(PARAM_MODE, 0);
    EXPECT_EQ(e.IsAutoCorrect(), 1);
    EXPECT_EQ(e.IsVibrato(), 1);
    EXPECT_FLOAT_EQ(P::VibDepth(e), 0.8f);
    EXPECT_EQ(P::RetuneCoef(e), 0.0f);
    EXPECT_FLOAT_EQ(P::TrackThreshold(e), 25.0f / 500.0f * 1.1f);
}

TEST(ControllerModes, LeavingGraphicalModeEndsThePassAndClearsTheEngine)
{
    CTestDsp dsp;
    Panel panel;
    Prepare(dsp, 44100.0f);
    dsp.AttachDialog(&panel.dialog);
    CPitchEngine& e = dsp.m_Engine;
    std::vector<TrackRecord> records(1000);

    dsp.SetParameter(PARAM_MODE, 1);
    dsp.StartTracking(records.data(), static_cast<int>(records.size()));
    dsp.SetParameter(PARAM_TRACK_PITCH, 1);
    RunBlocks(dsp, Voice(200.0, 0.3, 44100.0));
    ASSERT_EQ(e.IsTracking(), 1);
    ASSERT_EQ(e.IsSearching(), 0);
    bool heard = false;
    for (int i = 0; i < CPitchEngine::kRingSize; ++i)
        heard = heard || e.RingSample(i) != 0.0f;
    ASSERT_TRUE(heard);

    {
        InSequence order;
        EXPECT_CALL(panel.main, SetTracking(0));
        EXPECT_CALL(panel.main, SetCorrecting(0));
    }
    dsp.SetParameter(PARAM_MODE, 0);
    EXPECT_EQ(dsp.TrackPitch(), 0);
    EXPECT_EQ(dsp.CorrectPitch(), 0);
    int value = -1;
    dsp.GetParameter(PARAM_TRACK_PITCH, &value);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(e.IsTracking(), 0);
    EXPECT_EQ(e.IsCorrecting(), 0);
    EXPECT_EQ(e.IsAutoCorrect(), 1);
    // Ring cleared, pitch state back to search with no shift.
    for (int i = 0; i < CPitchEngine::kRingSize; i += 7)
        ASSERT_EQ(e.RingSample(i), 0.0f) << i;
    EXPECT_EQ(e.IsSearching(), 1);
    EXPECT_EQ(e.IsPeriodValid(), 0);
    EXPECT_EQ(P::ResetPending(e), 1);
    float ratio = 0.0f;
    e.GetStatus(&ratio, nullptr);
    EXPECT_EQ(ratio, 1.0f);
    dsp.AttachDialog(nullptr);
}

TEST(ControllerModes, UpdateEngineInGraphicalModeResendsTheSwitches)
{
    CTestDsp dsp;
    Prepare(dsp, 44100.0f);
    CPitchEngine& e = dsp.m_Engine;
    dsp.SetParameter(PARAM_MODE, 1);
    dsp.SetParameter(PARAM_GRAPH_THRESHOLD, 40);  // arrives as 41
    dsp.SetParameter(PARAM_CORRECT_PITCH, 1);
    // Knock the flags about behind the controller's back.
    e.EnableCorrecting(0);
    e.EnableAutoCorrect(1);
    e.SetWaitForSignal(0);

    dsp.UpdateEngine();
    EXPECT_EQ(Flags(e), (FlagState{0, 0, 1, 0, 1, 0}));
    // The mode's own threshold as stored.
    EXPECT_FLOAT_EQ(P::TrackThreshold(e), 40.0f / 500.0f * 1.1f);

    dsp.SetParameter(PARAM_CORRECT_PITCH, 0);
    e.SetWaitForSignal(1);
    dsp.UpdateEngine();
    // Neither switch on: the wait is not re-sent either way.
    EXPECT_EQ(Flags(e), (FlagState{0, 0, 0, 0, 1, 0}));
}

TEST(ControllerStatus, PollStatusShowsTheShiftInCentsInAutomaticModeOnly)
{
    CTestDsp dsp;
    Panel panel;
    Prepare(dsp, 44100.0f);
    dsp.AttachDialog(&panel.dialog);

    // Nothing shifted yet.
    EXPECT_CALL(panel.dialog, SetChangeMeter(0));
    EXPECT_EQ(dsp.PollStatus(), 0);
    ::testing::Mock::VerifyAndClearExpectations(&panel.dialog);

    // Hand-placed ratios: a semitone either way is 9999.8 hundredths of a
    // cent by the meter's constant, truncated twice to 99.
    const std::pair<float, int> readings[] = {
        {static_cast<float>(SemitoneFactor(1.0)), 99},
        {static_cast<float>(SemitoneFactor(-1.0)), -99},
        {static_cast<float>(SemitoneFactor(0.5)), 49},   // 4999.9
        {2.0f, 1199},                                    // 119997.9
        {1.0f, 0},
    };
    for (const auto& [ratio, cents] : readings) {
        CEngineProbe::SetRatio(dsp.m_Engine, ratio);
        EXPECT_CALL(panel.dialog, SetChangeMeter(cents));
        dsp.PollStatus();
        ::testing::Mock::VerifyAndClearExpectations(&panel.dialog);
    }

    // A voice 40 cents sharp of A3, corrected without smoothing: the meter
    // reads the shift down, and the frame count comes back.
    dsp.SetParameter(PARAM_RETUNE, 0);
    dsp.SetParameter(PARAM_VIBRATO_TYPE, 1);  // runs the frame clock
    dsp.SetParameter(PARAM_VIBRATO_DEPTH, 0);
    RunBlocks(dsp, Voice(220.0 * std::exp2(40.0 / 1200.0), 0.4, 44100.0));
    float ratio = 0.0f;
    int frames = 0;
    dsp.m_Engine.GetStatus(&ratio, &frames);
    ASSERT_LT(ratio, 1.0f);
    int meter = 0;
    EXPECT_CALL(panel.dialog, SetChangeMeter(_)).WillOnce(::testing::SaveArg<0>(&meter));
    EXPECT_EQ(dsp.PollStatus(), frames);
    EXPECT_GT(frames, 0);
    EXPECT_EQ(meter, static_cast<int>(std::trunc(std::log(static_cast<double>(ratio)) * 173120.0)) / 100);
    EXPECT_NEAR(meter, -40, 8);
    ::testing::Mock::VerifyAndClearExpectations(&panel.dialog);

    // In graphical mode the meter is left alone.
    dsp.SetParameter(PARAM_MODE, 1);
    EXPECT_CALL(panel.dialog, SetChangeMeter(_)).Times(0);
    dsp.PollStatus();
    dsp.AttachDialog(nullptr);
}

TEST(ControllerStatus, TimerRefreshesViewsDelaysTheStateAndTracksEnvelopeScale)
{
    CTestDsp dsp;
    Panel panel;
    dsp.Initialise();
    dsp.AttachDialog(&panel.dialog);

    // Automatic mode: no view refresh, but the meter is polled.
    EXPECT_CALL(panel.main, IdleUpdate()).Times(0);
    EXPECT_CALL(panel.envelope, IdleUpdate()).Times(0);
    EXPECT_CALL(panel.dialog, SetChangeMeter(_)).Times(1);
    dsp.OnTimer();
    ::testing::Mock::VerifyAndClearExpectations(&panel.main);
    ::testing::Mock::VerifyAndClearExpectations(&panel.envelope);
    ::testing::Mock::VerifyAndClearExpectations(&panel.dialog);

    dsp.SetParameter(PARAM_MODE, 1);
    EXPECT_CALL(panel.main, IdleUpdate()).Times(1);
    EXPECT_CALL(panel.envelope, IdleUpdate()).Times(1);
    dsp.OnTimer();
    ::testing::Mock::VerifyAndClearExpectations(&panel.main);
    ::testing::Mock::VerifyAndClearExpectations(&panel.envelope);

    // Track Pitch on asks for state 0; it shows on the sixth tick.
    dsp.SetParameter(PARAM_TRACK_PITCH, 1);
    ASSERT_EQ(dsp.RequestedState(), 0);
    ASSERT_EQ(dsp.ShownState(), 1);
    for (int tick = 1; tick <= 5; ++tick) {
        dsp.OnTimer();
        EXPECT_EQ(dsp.ShownState(), 1) << tick;
    }
    dsp.OnTimer();
    EXPECT_EQ(dsp.ShownState(), 0);

    // The envelope scale buttons follow the main view's availability, once
    // per change.
    ON_CALL(panel.main, IsEnvScaleAvailable()).WillByDefault(Return(false));
    EXPECT_CALL(panel.dialog, EnableControl(1080, false));
    EXPECT_CALL(panel.dialog, EnableControl(1081, false));
    dsp.OnTimer();
    dsp.OnTimer();
    EXPECT_EQ(dsp.EnvScaleAvailable(), 0);
    ::testing::Mock::VerifyAndClearExpectations(&panel.dialog);

    // A view that is no longer a live window stops all of it.
    ON_CALL(panel.envelope, IsLive()).WillByDefault(Return(false));
    ON_CALL(panel.main, IsEnvScaleAvailable()).WillByDefault(Return(true));
    EXPECT_CALL(panel.main, IdleUpdate()).Times(0);
    EXPECT_CALL(panel.dialog, EnableControl(_, _)).Times(0);
    dsp.OnTimer();
    EXPECT_EQ(dsp.EnvScaleAvailable(), 0);
    dsp.AttachDialog(nullptr);
}

TEST(ControllerStatus, CursorComesFromTheViewUnderThePointerWithTheRightTool)
{
    CTestDsp dsp;
    Panel panel;
    dsp.Initialise();
    dsp.AttachDialog(&panel.dialog);
    int mainCursor = 0, envelopeCursor = 0;
    ON_CALL(panel.main, UpdateCursor()).WillByDefault(Return(&mainCursor));
    ON_CALL(panel.envelope, UpdateCursor()).WillByDefault(Return(&envelopeCursor));
    ON_CALL(panel.envelope, ContainsPointer()).WillByDefault(Return(true));
    ON_CALL(panel.dialog, IsVisible()).WillByDefault(Return(true));
    ON_CALL(panel.dialog, IsPointerOverGraph()).WillByDefault(Return(true));
    ON_CALL(panel.dialog, IsActive()).WillByDefault(Return(true));
    ON_CALL(panel.dialog, GetTool()).WillByDefault(Return(2));

    // The pointer is over the envelope view only: its cursor, on each tick.
    EXPECT_CALL(panel.dialog, SetCursor(&envelopeCursor)).Times(2);
    dsp.UpdateCursor();
    dsp.OnTimer();
    ::testing::Mock::VerifyAndClearExpectations(&panel.dialog);

    // Another tool, or Use Cursors on (the timer then leaves it alone).
    EXPECT_CALL(panel.dialog, SetCursor(_)).Times(0);
    ON_CALL(panel.dialog, GetTool()).WillByDefault(Return(1));
    dsp.UpdateCursor();
    ON_CALL(panel.dialog, GetTool()).WillByDefault(Return(2));
    dsp.SetParameter(PARAM_USE_CURSORS, 1);
    dsp.OnTimer();
    dsp.AttachDialog(nullptr);
}

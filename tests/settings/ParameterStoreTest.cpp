#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <thread>

#include "StoreDoubles.h"
#include "settings/ParameterDescriptors.h"
#include "settings/ScaleEditorLink.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class ParameterStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store.Initialise();
        store.log.clear();
    }
    int Get(int id)
    {
        int value = INT_MIN;
        EXPECT_EQ(store.GetParameter(id, &value), 0);
        return value;
    }
    CRecordingStore store;
};

// The same with the panel and both views attached.
class AttachedStore : public ParameterStore
{
protected:
    void SetUp() override
    {
        ParameterStore::SetUp();
        store.AttachDialog(&dialog);
        store.log.clear();
    }
    CFakeMainView main{store.log};
    CFakeEnvelopeView envelope{store.log};
    CFakeDialog dialog{&main, &envelope};
};

} // namespace

TEST_F(ParameterStore, InitialValuesStepsAndRanges)
{
    // By ID. Retune speeds read as taper indices (20 ms -> 126), the buffer
    // as seconds - 1, commands as 0.
    const int values[35] = {0, 0, 0, 0, 100, 126, 0, 30, 55, 300, 25, 0, 0, 0, 0, 0, 0, 0,
                            0, 0, 0, 0, 0,   0,   0, 0,  0,  0,   1,  0, 0, 25, 126, 199, 0};
    const int steps[35] = {0, 2, 29, 12, 201, 401, 4, 101, 100, 3001, 100, 2, 2, 2, 2, 2, 2, 4,
                           2, 2, 2,  2,  2,   2,   2, 2,   2,   2,    2,   2, 2, 100, 401, 200, 2};
    for (int id = 1; id <= 34; ++id) {
        EXPECT_EQ(Get(id), values[id]) << "ID " << id;
        int n = -1;
        store.GetParameterSteps(id, &n);
        EXPECT_EQ(n, steps[id]) << "ID " << id;
        int r[3] = {-7, -7, -7};
        store.GetParameterRange(id, &r[0], &r[1], &r[2]);
        const bool ranged = id <= 10 || id == 31 || id == 32;
        EXPECT_EQ(r[0] == -7 && r[1] == -7 && r[2] == -7, !ranged) << "ID " << id;
    }
    struct Row { int id, first, second, def; };
    for (Row r : {Row{2, 0, 53, 2}, Row{5, 400, 0, 20}, Row{8, 1, 100, 55}, Row{9, 0, 3000, 300},
                  Row{10, 100, 0, 25}, Row{31, 100, 0, 25}, Row{32, 400, 0, 20}}) {
        int a = 0, b = 0, c = 0;
        store.GetParameterRange(r.id, &a, &b, &c);
        EXPECT_EQ(a, r.first) << r.id;
        EXPECT_EQ(b, r.second) << r.id;
        EXPECT_EQ(c, r.def) << r.id;
    }
    EXPECT_EQ(store.GetSampleRate(), 44100.0f);
    EXPECT_EQ(store.RequestedState(), 1);
    EXPECT_THAT(store.log, IsEmpty());  // resetting notifies nobody
}

TEST_F(ParameterStore, UnknownIdsTouchNothing)
{
    for (int id : {0, 35, -1, INT_MAX}) {
        int value = 1234, a = 1, b = 2, c = 3;
        EXPECT_EQ(store.GetParameter(id, &value), 0);
        EXPECT_EQ(store.GetParameterSteps(id, &value), 0);
        EXPECT_EQ(store.GetParameterRange(id, &a, &b, &c), 0);
        EXPECT_EQ(store.SetParameter(id, 1), 0);
        EXPECT_EQ(value, 1234);
        EXPECT_EQ(a * 100 + b * 10 + c, 123);
    }
    for (int id = 17; id <= 24; ++id)  // Graph and the curve commands
        store.SetParameter(id, 3);
    for (int id : {13, 14, 15, 16, 26, 27})  // zooms without views
        store.SetParameter(id, 1);
    EXPECT_THAT(store.log, IsEmpty());
    EXPECT_EQ(Get(17), 0);
}

TEST_F(ParameterStore, RetuneSpeedGoesThroughTheTaper)
{
    for (int id : {5, 32}) {
        auto ms = [&] { return id == 5 ? store.RetuneMs() : store.GraphRetuneMs(); };
        store.SetParameter(id, 126);
        EXPECT_EQ(ms(), 20);
        store.SetParameter(id, 1);
        EXPECT_EQ(ms(), 0);
        EXPECT_EQ(Get(id), 0);  // the fast end loses its fine steps
        store.SetParameter(id, 500);
        EXPECT_EQ(ms(), 400);
        EXPECT_EQ(Get(id), 400);
        store.SetParameter(id, -3);
        EXPECT_EQ(ms(), 0);
    }
    EXPECT_THAT(store.log, ElementsAre("OnRetuneSpeedChanged(20)", "OnRetuneSpeedChanged(0)",
                                       "OnRetuneSpeedChanged(400)", "OnRetuneSpeedChanged(0)",
                                       "OnRetuneSpeedChanged(20)", "OnRetuneSpeedChanged(0)",
                                       "OnRetuneSpeedChanged(400)", "OnRetuneSpeedChanged(0)"));
}

TEST_F(ParameterStore, ValueHooks)
{
    const int sets[][2] = {{1, 1}, {2, 23}, {3, 7}, {4, 150}, {7, 80}, {8, 12},
                           {9, 0}, {10, 40}, {31, 0}, {12, 1}, {34, 1}};
    for (auto [id, v] : sets)
        store.SetParameter(id, v);
    EXPECT_THAT(store.log, ElementsAre("OnModeChanged()", "OnScaleChanged()", "OnScaleChanged()",
                                       "OnDetuneChanged()", "OnVibratoChanged()",
                                       "OnVibratoChanged()", "OnVibratoChanged()",
                                       "OnThresholdChanged(41)", "OnThresholdChanged(1)",
                                       "SetEngineFlag(9,1)"));
    for (auto [id, v] : sets)
        EXPECT_EQ(Get(id), v) << id;  // thresholds kept without the hook's +1
    int scale = -1;
    store.GetScaleSet().GetScale(&scale);
    EXPECT_EQ(scale, 23);

    // Stored values are not range-checked; "+1" must not overflow on them.
    store.log.clear();
    store.SetParameter(10, INT_MAX);
    store.SetParameter(33, INT_MAX);
    EXPECT_EQ(Get(10), INT_MAX);
    EXPECT_EQ(Get(33), INT_MAX - 1);
    EXPECT_THAT(store.log, ElementsAre("OnThresholdChanged(2.14748e+09)"));
}

TEST_F(ParameterStore, DetuneKeepsEveryValueButPlusMinusOne)
{
    const int in[] = {99, 101, 100, 98, 102, 0, 1, -1, 2, 200};
    const int stored[] = {99, 101, 100, 98, 102, 0, 0, 0, 2, 200};
    for (int i = 0; i < 10; ++i) {
        store.SetParameter(4, in[i]);
        EXPECT_EQ(store.Detune(), stored[i]) << in[i];
    }
}

TEST_F(ParameterStore, VibratoTypeFollowsTheActiveMode)
{
    store.SetParameter(6, 1);
    store.SetParameter(6, 0);
    store.SetParameter(1, 1);  // graphical: a shape only switches vibrato off
    store.SetParameter(6, 3);
    EXPECT_THAT(store.log, ElementsAre("OnVibratoChanged()", "SetEngineFlag(15,1)",
                                       "SetEngineFlag(14,0)", "OnModeChanged()",
                                       "SetEngineFlag(14,0)"));
}

TEST_F(ParameterStore, EditScaleRunsTheInstalledEditorWithTheKey)
{
    store.SetParameter(11, 0);  // no editor: only the recomputation
    EXPECT_THAT(store.log, ElementsAre("OnScaleChanged()"));

    struct : IScaleEditor {
        short key = -1, scale = -1;
        void RunScaleEditor(CScaleSet&, short k, short s, int*, int*, int) override { key = k, scale = s; }
    } editor;
    store.GetScaleSet().SetScaleEditor(&editor);
    store.SetParameter(3, 9);
    store.SetParameter(2, 16);
    store.SetParameter(11, 1);
    EXPECT_EQ(editor.key, 9);
    EXPECT_EQ(editor.scale, 16);
    EXPECT_EQ(Get(11), 0);
}

TEST_F(ParameterStore, ControlValuesAndBuffer)
{
    int value = -1;
    EXPECT_EQ(store.SetControlValue(1, 1), -1);
    store.GetControlValue(0, &value);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(store.SetControlValue(0, 1), 0);
    store.GetControlValue(5, &value);  // which does not matter for reading
    EXPECT_EQ(value, 1);
    EXPECT_EQ(store.SetControlValue2(2, 0), -1);
    EXPECT_EQ(store.SetControlValue2(0, 0), 0);
    store.GetControlValue2(9, &value);
    EXPECT_EQ(value, 0);
    EXPECT_THAT(store.log, ElementsAre("SetEngineFlag(10,0)"));

    store.SetParameter(33, 99);
    EXPECT_EQ(Get(33), 99);  // what is read can be written back unchanged
    int block[5];
    store.SetTrackBuffer(block);
    store.ResetToDefaults();
    EXPECT_EQ(store.GetTrackBuffer(), static_cast<void*>(block));
}

TEST_F(ParameterStore, SampleRateChangeUpdatesTheEngineOnce)
{
    store.SetSampleRate(44100.0f);
    store.SetSampleRate(48000.0f);
    store.SetSampleRate(48000.0f);
    store.SetSampleRate(0.0f);  // unusable rates keep the last one
    store.SetSampleRate(std::nanf(""));
    EXPECT_EQ(store.GetSampleRate(), 48000.0f);
    EXPECT_THAT(store.log, ElementsAre("UpdateEngine()"));
}

TEST_F(ParameterStore, PassSwitchesInAutomaticModeLeaveTheTimerStateAlone)
{
    store.SetRequestedState(7);
    store.SetStateDelay(2);
    store.SetParameter(29, 1);
    store.SetParameter(30, 1);
    EXPECT_EQ(store.RequestedState(), 7);
    EXPECT_EQ(store.StateDelay(), 2);
    EXPECT_EQ(store.log.back(), "SetEngineFlag(13,1)");
    EXPECT_EQ(Get(29), 0);
    EXPECT_EQ(Get(30), 1);
}

TEST_F(AttachedStore, AutomaticSettingsBlockEndsAnyPassFirst)
{
    store.SetParameter(29, 1);
    store.log.clear();
    const int block[9] = {5, 7, 110, 200, 1, 40, 60, 500, 40};
    store.SetAutomaticSettings(block);
    EXPECT_THAT(store.log, ElementsAre("Main.SetTracking(0)", "Main.SetCorrecting(0)",
                                       "OnScaleChanged()", "OnScaleChanged()", "OnDetuneChanged()",
                                       "OnRetuneSpeedChanged(50)", "OnVibratoChanged()",
                                       "SetEngineFlag(15,1)", "OnVibratoChanged()",
                                       "OnVibratoChanged()", "OnVibratoChanged()",
                                       "OnThresholdChanged(41)"));
    EXPECT_EQ(Get(29), 0);
    int back[9] = {};
    store.GetAutomaticSettings(back);
    EXPECT_THAT(back, ElementsAre(5, 7, 110, 200, 1, 40, 60, 500, 40));
}

TEST_F(AttachedStore, AttachRegistersAndValidatesTheBuffer)
{
    CallLog log;
    CFakeMainView main2{log};
    CFakeEnvelopeView env2{log};
    CFakeDialog dialog2{&main2, &env2};
    main2.nMaxSeconds = 150;
    store.SetParameter(33, 179);
    store.AttachDialog(&dialog2);
    EXPECT_THAT(log, ElementsAre("Main.SetController()", "Env.SetController()",
                                 "Main.SetBufferSeconds(180)"));
    EXPECT_EQ(main2.pController, &store);
    EXPECT_EQ(env2.pController, &store);
    EXPECT_EQ(Get(33), 149);
    store.SetSampleRate(44100.0f);  // same rate: only the views hear of it
    EXPECT_EQ(main2.fFrameRate, 220.5f);
    EXPECT_EQ(env2.fFrameRate, 220.5f);

    main2.nMaxSeconds = 120;
    store.ResetToDefaults();
    EXPECT_EQ(log.back(), "Main.SetBufferSeconds(200)");
    EXPECT_EQ(Get(33), 119);

    store.AttachDialog(nullptr);
    log.clear();
    for (int id : {13, 26, 29, 33})
        store.SetParameter(id, 1);
    EXPECT_THAT(log, IsEmpty());
}

TEST_F(AttachedStore, ZoomCommandsAndEnvelopeTie)
{
    for (int id : {13, 14, 15, 16, 26, 27}) {
        store.SetParameter(id, 0);  // a released button does nothing
        store.SetParameter(id, 1);
    }
    store.SetParameter(25, 1);
    EXPECT_EQ(Get(25) * 10 + Get(28), 10);
    store.SetParameter(28, 1);
    EXPECT_EQ(Get(25) * 10 + Get(28), 1);
    store.SetParameter(28, 0);  // re-asserts the current choice
    EXPECT_THAT(store.log, ElementsAre("Main.ZoomTimeOut()", "Main.ZoomPitchIn()",
                                       "Main.ZoomPitchOut()", "Main.ZoomTimeIn()",
                                       "Env.ZoomAmplitudeIn()", "Env.ZoomAmplitudeOut()",
                                       "Env.SetTied(0)", "Env.SetTied(1)", "Env.SetTied(1)"));
    store.log.clear();
    store.SetEnvScaleAvailable(0);
    store.SetParameter(25, 1);
    EXPECT_EQ(Get(25) * 10 + Get(28), 1);
    EXPECT_THAT(store.log, IsEmpty());
}

TEST_F(AttachedStore, TrackThenCorrectInGraphicalMode)
{
    store.SetParameter(1, 1);
    store.SetStateDelay(4);
    store.log.clear();
    store.SetParameter(29, 1);
    EXPECT_THAT(store.log, ElementsAre("SetEngineFlag(12,0)", "SetEngineFlag(13,0)",
                                       "Main.SetCorrecting(0)", "Main.SetTracking(1)",
                                       "SetEngineFlag(13,0)", "SetEngineFlag(15,1)",
                                       "SetEngineFlag(12,1)"));
    EXPECT_EQ(store.RequestedState(), 0);
    EXPECT_EQ(store.StateDelay(), 0);

    store.log.clear();
    store.SetStateDelay(3);
    store.SetParameter(30, 1);
    EXPECT_THAT(store.log, ElementsAre("SetEngineFlag(12,0)", "SetEngineFlag(13,0)",
                                       "Main.SetTracking(0)", "Main.SetCorrecting(1)",
                                       "SetEngineFlag(12,0)", "SetEngineFlag(15,1)",
                                       "SetEngineFlag(13,1)"));
    EXPECT_EQ(Get(29) * 10 + Get(30), 1);
    EXPECT_EQ(store.RequestedState(), 1);
    EXPECT_EQ(store.StateDelay(), 0);
}

TEST_F(AttachedStore, SwitchingPassesOff)
{
    store.SetParameter(1, 1);
    for (int id : {29, 30}) {
        store.SetParameter(id, 1);
        store.SetRequestedState(0);
        store.log.clear();
        store.SetParameter(id, 0);
        const bool track = id == 29;
        EXPECT_THAT(store.log,
                    ElementsAre("SetEngineFlag(12,0)", "SetEngineFlag(13,0)",
                                track ? "Main.SetCorrecting(0)" : "Main.SetTracking(0)",
                                track ? "Main.SetTracking(0)" : "Main.SetCorrecting(0)",
                                "SetEngineFlag(15,0)", track ? "SetEngineFlag(12,0)" : "SetEngineFlag(13,0)"));
        EXPECT_EQ(store.RequestedState(), 1);
    }
}

TEST(ParameterDescriptors, NamesAndRanges)
{
    EXPECT_EQ(GetParameterDescriptor(35), nullptr);
    EXPECT_STREQ(GetParameterDescriptor(0)->szShortName, "");
    EXPECT_STREQ(GetParameterDescriptor(4)->szLongName, "Scale Detune");
    EXPECT_STREQ(GetParameterDescriptor(31)->szShortName, "Graph Threshold");
    EXPECT_STREQ(GetParameterDescriptor(32)->szLongName, "Graphical Retune Speed");

    CRecordingStore store;
    FillParameterDescriptorRanges(store);
    const ParameterDescriptor& retune = *GetParameterDescriptor(5);
    EXPECT_EQ(retune.nFirstEnd.load(), 400);
    EXPECT_EQ(retune.nSecondEnd.load(), 0);
    EXPECT_EQ(retune.nSpan.load(), -400);
    EXPECT_EQ(retune.nPositions.load(), -399);
    EXPECT_EQ(retune.nDefault.load(), 20);
    EXPECT_EQ(GetParameterDescriptor(8)->nPositions.load(), 100);
    EXPECT_EQ(GetParameterDescriptor(33)->nPositions.load(), 0);  // no range
}

TEST(ParameterStoreThreads, HostReadsWhileThePanelWrites)
{
    CRecordingStore store;
    store.Initialise();
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i)
            store.SetParameter(7, i % 2 ? 10 : 90);
    });
    int bad = 0;
    for (int i = 0; i < 20000; ++i) {
        int depth = -1;
        store.GetParameter(7, &depth);
        bad += depth != 10 && depth != 90 && depth != 30;
    }
    writer.join();
    EXPECT_EQ(bad, 0);
}

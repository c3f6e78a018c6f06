// Stop, Pause and Run: when the engine is reset, the pre-roll count, and the
// automatic start and end of the graphical passes with their panel changes.

#include "HostTestSupport.h"

#include "log/Elog.h"
#include "support/MessageBoxRecorder.h"
#include "settings/ParameterIds.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace hosttest;
using Calls = std::vector<std::string>;

namespace {

// Reaches the store's pass switches directly, to set a state the switches'
// own rules never produce.
struct CStoreFields : CDspObject {
    static void SetBothPasses(CDspObject* pDsp)
    {
        (pDsp->*&CStoreFields::m_bTrackPitch).store(1);
        (pDsp->*&CStoreFields::m_bCorrectPitch).store(1);
    }
};

std::vector<int> AllParameters(CDspObject* pDsp)
{
    std::vector<int> values;
    for (int id = kFirstParameterId; id <= kLastParameterId; ++id) {
        values.push_back(Parameter(pDsp, id));
    }
    return values;
}

const Calls kAutomaticStart = {"correct 1", "check 1060 on", "enable 1127 off"};

} // namespace

TEST(StateChanges, PreRollKeepsTheEngineStateAndIsCountedForTheController)
{
    CPlugInChain chain;
    const std::vector<float> voice = SungNote(44100, 1.0);
    CMemorySource* pSource = CMemorySource::CreateFloat(44100, voice);
    pSource->SetFramesPerSample({1000});
    ASSERT_EQ(chain.Connect(pSource), S_OK);

    ASSERT_EQ(chain.m_graph.Pause(), S_OK);
    ASSERT_EQ(chain.m_graph.Step(3), S_OK);
    EXPECT_EQ(chain.m_pFilter->PrerollFrames(), 3000u);
    const DWORD before = GetTickCount();
    ASSERT_EQ(chain.m_graph.Run(), S_OK);
    CDspObject* pDsp = Processor(chain.m_pFilter);
    EXPECT_EQ(pDsp->GetPrerollFrames(), 3000);
    EXPECT_LE(static_cast<DWORD>(pDsp->GetStartTick()) - before, 1000u);
    EXPECT_EQ(chain.m_pFilter->PrerollFrames(), 0u);

    // Had Run reset the engine again, the audio after the pre-roll would
    // start over from an empty delay line.
    ASSERT_EQ(chain.m_graph.RunToCompletion(), S_OK);
    EXPECT_TRUE(chain.m_pSink->DataAsFloat() == EngineReference(voice, 44100));
}

TEST(StateChanges, GraphicalModeStartsCorrectionAtPauseAndNotAgainAtRun)
{
    CPlugInChain chain;
    ASSERT_EQ(chain.Connect(CMemorySource::CreateFloat(44100, SungNote(44100, 0.2))), S_OK);
    CDspObject* pDsp = Processor(chain.m_pFilter);
    CRecordingPanel panel;
    pDsp->SetParameter(PARAM_MODE, 1);
    pDsp->AttachDialog(&panel);

    ASSERT_EQ(chain.m_graph.Pause(), S_OK);
    EXPECT_EQ(Parameter(pDsp, PARAM_CORRECT_PITCH), 1);
    EXPECT_EQ(panel.m_calls, kAutomaticStart);
    ASSERT_EQ(chain.m_graph.Run(), S_OK);
    EXPECT_EQ(panel.m_calls, kAutomaticStart);
    pDsp->AttachDialog(nullptr);
}

TEST(StateChanges, RunStraightFromStoppedStartsCorrectionOnceAndEndsUnpaused)
{
    auto pFilter = MakeFilter();
    CDspObject* pDsp = Processor(pFilter);
    CRecordingPanel panel;
    pDsp->SetParameter(PARAM_MODE, 1);
    pDsp->AttachDialog(&panel);
    ASSERT_EQ(pFilter->Run(0), S_OK);
    EXPECT_EQ(panel.m_calls, kAutomaticStart);
    EXPECT_FALSE(pFilter->IsPausedForPreroll());
    FILTER_STATE state = State_Stopped;
    pFilter->GetState(0, &state);
    EXPECT_EQ(state, State_Running);
    pDsp->AttachDialog(nullptr);
}

TEST(StateChanges, TrackingOnLeavesCorrectionOffAtPause)
{
    auto pFilter = MakeFilter();
    CDspObject* pDsp = Processor(pFilter);
    pDsp->SetParameter(PARAM_MODE, 1);
    pDsp->SetParameter(PARAM_TRACK_PITCH, 1);
    ASSERT_EQ(pFilter->Pause(), S_OK);
    EXPECT_EQ(Parameter(pDsp, PARAM_TRACK_PITCH), 1);
    EXPECT_EQ(Parameter(pDsp, PARAM_CORRECT_PITCH), 0);
}

TEST(StateChanges, StopEndsTrackingBeforeCorrection)
{
    struct CCase {
        const char* m_pName;
        void (*m_pSetup)(CDspObject*);
        Calls m_expected;
        int m_nTrackAfter;
    };
    const CCase cases[] = {
        {"tracking", [](CDspObject* p) { p->SetParameter(PARAM_TRACK_PITCH, 1); },
         {"check 1058 off", "track 0", "enable 1127 on"}, 0},
        {"correcting", [](CDspObject* p) { p->SetParameter(PARAM_CORRECT_PITCH, 1); },
         {"check 1060 off", "correct 0", "enable 1127 on"}, 0},
        {"both", &CStoreFields::SetBothPasses, {"check 1058 off", "track 0", "enable 1127 on"}, 0},
        {"neither", [](CDspObject*) {}, {"enable 1127 on"}, 0},
    };
    for (const CCase& c : cases) {
        auto pFilter = MakeFilter();
        CDspObject* pDsp = Processor(pFilter);
        CRecordingPanel panel;
        pDsp->SetParameter(PARAM_MODE, 1);
        c.m_pSetup(pDsp);
        pDsp->AttachDialog(&panel);
        ASSERT_EQ(pFilter->Stop(), S_OK) << c.m_pName;
        EXPECT_EQ(panel.m_calls, c.m_expected) << c.m_pName;
        EXPECT_EQ(Parameter(pDsp, PARAM_TRACK_PITCH), c.m_nTrackAfter) << c.m_pName;
        pDsp->AttachDialog(nullptr);
    }
}

TEST(StateChanges, AutomaticModeTouchesNoParameterAndNoPanelControl)
{
    CPlugInChain chain;
    ASSERT_EQ(chain.Connect(CMemorySource::CreatePcm16(22050, ToPcm16(SungNote(22050, 0.3)))), S_OK);
    CDspObject* pDsp = Processor(chain.m_pFilter);
    CRecordingPanel panel;
    pDsp->AttachDialog(&panel);
    const std::vector<int> before = AllParameters(pDsp);
    ASSERT_EQ(chain.m_graph.Pause(), S_OK);
    ASSERT_EQ(chain.m_graph.Run(), S_OK);
    ASSERT_EQ(chain.m_graph.RunToCompletion(), S_OK);
    ASSERT_EQ(chain.m_graph.Stop(), S_OK);
    EXPECT_EQ(AllParameters(pDsp), before);
    EXPECT_TRUE(panel.m_calls.empty());
    pDsp->AttachDialog(nullptr);
}

TEST(StateChanges, AFailureBecomesAMessageBoxAndInvalidArg)
{
    CMessageBoxRecorder boxes;
    auto pFilter = MakeFilter();
    CDspObject* pDsp = Processor(pFilter);
    CRecordingPanel panel;
    panel.m_bThrow = true;
    pDsp->SetParameter(PARAM_MODE, 1);
    pDsp->AttachDialog(&panel);
    EXPECT_EQ(pFilter->Pause(), E_INVALIDARG);
    EXPECT_EQ(pFilter->Stop(), E_INVALIDARG);
    pDsp->SetParameter(PARAM_CORRECT_PITCH, 0);
    EXPECT_EQ(pFilter->Run(0), E_INVALIDARG);
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].m_strText, "An unknown DirectX error occurred in Intonara Plugin in Pause.");
    EXPECT_EQ(shown[1].m_strText, "An unknown DirectX error occurred in Intonara Plugin in Stop.");
    EXPECT_EQ(shown[2].m_strText, "An unknown DirectX error occurred in Intonara Plugin in Run.");
    pDsp->AttachDialog(nullptr);
}

TEST(StateChanges, StopLeavesATraceOnceTheLogIsOn)
{
    const auto dir = std::filesystem::temp_directory_path() / ("intonara-host-log-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    auto pFilter = MakeFilter();

    ASSERT_EQ(pFilter->Stop(), S_OK);
    EXPECT_FALSE(std::filesystem::exists("inlog.dat"));
    InitErrorLog();
    ASSERT_EQ(pFilter->Stop(), S_OK);
    CloseErrorLog();

    std::ifstream file("inlog.dat", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(dir);
    EXPECT_NE(text.str().find(" TRACE"), std::string::npos);
    EXPECT_NE(text.str().find("CIntonaraPlugIn::Stop, "), std::string::npos);
    EXPECT_NE(text.str().find("m_Paused = 0, m_DspObject = "), std::string::npos);
    EXPECT_EQ(text.str().find("ActvPlug"), std::string::npos);
}

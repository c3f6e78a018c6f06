// Stop, Pause and Run: when the engine is reset, the pre-roll count, and the
// automatic start and end of the graphical passes with their panel changes.

#include "HostTestSupport.h"

#include "log/Elog.h"
#include "support/MessageBoxRecorder.h"
#include "settings/ParameterIds.h"

#include <fstream>
#include <sstream>

using namespace hosttest;
using Calls = std::vector<std::string>;

namespace {

const Calls kCorrectionStarted = {"correct 1", "check 1060 on", "enable 1127 off"};

// A filter in graphical mode with a recording panel attached.
struct CGraphical {
    CPlugInChain chain;
    CRecordingPanel panel;
    CDspObject* pDsp = Processor(chain.m_pFilter);
    CGraphical()
    {
        pDsp->SetParameter(PARAM_MODE, 1);
        pDsp->AttachDialog(&panel);
    }
    ~CGraphical() { pDsp->AttachDialog(nullptr); }
};

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

TEST(StateChanges, GraphicalModeStartsCorrectionAtPauseOrRunFromStoppedOnce)
{
    {
        CGraphical g;
        ASSERT_EQ(g.chain.Connect(CMemorySource::CreateFloat(44100, SungNote(44100, 0.2))), S_OK);
        ASSERT_EQ(g.chain.m_graph.Pause(), S_OK);
        EXPECT_EQ(Parameter(g.chain.m_pFilter, PARAM_CORRECT_PITCH), 1);
        ASSERT_EQ(g.chain.m_graph.Run(), S_OK);
        EXPECT_EQ(g.panel.m_calls, kCorrectionStarted);
    }
    CGraphical g;
    ASSERT_EQ(g.chain.m_pFilter->Run(0), S_OK);
    EXPECT_EQ(g.panel.m_calls, kCorrectionStarted);
    FILTER_STATE state = State_Stopped;
    g.chain.m_pFilter->GetState(0, &state);
    EXPECT_EQ(std::pair(state, g.chain.m_pFilter->IsPausedForPreroll()), std::pair(State_Running, false));

    // Tracking on leaves correction off.
    CGraphical t;
    t.pDsp->SetParameter(PARAM_TRACK_PITCH, 1);
    ASSERT_EQ(t.chain.m_pFilter->Pause(), S_OK);
    EXPECT_EQ(Parameter(t.chain.m_pFilter, PARAM_CORRECT_PITCH), 0);
}

TEST(StateChanges, StopEndsTheRunningPass)
{
    const struct {
        void (*setup)(CDspObject*);
        Calls expected;
    } cases[] = {
        {[](CDspObject* p) { p->SetParameter(PARAM_TRACK_PITCH, 1); }, {"check 1058 off", "track 0", "enable 1127 on"}},
        {[](CDspObject* p) { p->SetParameter(PARAM_CORRECT_PITCH, 1); }, {"check 1060 off", "correct 0", "enable 1127 on"}},
        {[](CDspObject*) {}, {"enable 1127 on"}},
    };
    for (const auto& c : cases) {
        CGraphical g;
        g.pDsp->AttachDialog(nullptr);
        c.setup(g.pDsp);
        g.pDsp->AttachDialog(&g.panel);
        ASSERT_EQ(g.chain.m_pFilter->Stop(), S_OK);
        EXPECT_EQ(g.panel.m_calls, c.expected);
        EXPECT_EQ(Parameter(g.chain.m_pFilter, PARAM_TRACK_PITCH) + Parameter(g.chain.m_pFilter, PARAM_CORRECT_PITCH), 0);
    }
}

TEST(StateChanges, AFailureBecomesAMessageBoxAndInvalidArg)
{
    CMessageBoxRecorder boxes;
    CGraphical g;
    g.panel.m_bThrow = true;
    EXPECT_EQ(g.chain.m_pFilter->Pause(), E_INVALIDARG);
    EXPECT_EQ(g.chain.m_pFilter->Stop(), E_INVALIDARG);
    g.pDsp->SetParameter(PARAM_CORRECT_PITCH, 0);
    EXPECT_EQ(g.chain.m_pFilter->Run(0), E_INVALIDARG);
    std::vector<std::string> shown;
    for (const auto& box : boxes.Boxes())
        shown.push_back(box.m_strText);
    const std::string text = "An unknown DirectX error occurred in Intonara Plugin in ";
    EXPECT_EQ(shown, (std::vector<std::string>{text + "Pause.", text + "Stop.", text + "Run."}));
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
    std::stringstream read;
    read << std::ifstream("inlog.dat", std::ios::binary).rdbuf();
    const std::string text = read.str();
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(dir);
    EXPECT_NE(text.find(" TRACE\r\nCIntonaraPlugIn::Stop, "), std::string::npos) << text;
    EXPECT_NE(text.find("m_Paused = 0, m_DspObject = "), std::string::npos);
    EXPECT_EQ(text.find("ActvPlug"), std::string::npos);
}

// The correction through the plug-in module in a filter graph: the same
// samples as the direct path, presets in and out, and the tool's
// registration subcommands and log switch.

#include "CliTestSupport.h"
#include "ProgramRunner.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "job/CorrectionJob.h"
#include "job/GraphCorrection.h"
#include "job/JobError.h"
#include "voice/DemoPhrase.h"

namespace {

struct CIdentityCase
{
    const char* pName;
    bool bFloat;
    int nRate;
    job::CorrectionSettings settings;
};

job::CorrectionSettings Settings(std::optional<int> scale, std::optional<int> key, std::optional<int> retune,
                                 std::optional<int> vibrato = {}, bool bypass = false)
{
    job::CorrectionSettings s;
    s.nScale = scale;
    s.nKey = key;
    s.nRetuneIndex = retune;
    if (vibrato) {
        s.nVibratoType = vibrato;
        s.nVibratoDepth = 60;
        s.nVibratoRate = 48;
        s.nVibratoDelay = 100;
        s.nDetune = 85;
        s.nThreshold = 40;
    }
    s.bBypass = bypass;
    return s;
}

std::string FileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

class GraphCorrection : public clitest::ScratchTest
{
protected:
    // Three seconds of the demo phrase, as 16-bit PCM or float WAV.
    std::string Input(bool bFloat, int rate)
    {
        std::vector<float> voice = voice::SynthesizeDemoPhrase(rate);
        voice.resize(static_cast<size_t>(3 * rate));
        const std::string path = Path(bFloat ? "in-float.wav" : "in-pcm.wav");
        clitest::WriteFloats(path, SF_FORMAT_WAV | (bFloat ? SF_FORMAT_FLOAT : SF_FORMAT_PCM_16), 1, rate, voice);
        return path;
    }

    job::CorrectionRequest Request(const std::string& in, const std::string& out, job::CorrectionSettings s = {})
    {
        job::CorrectionRequest request;
        request.sInPath = in;
        request.sOutPath = out;
        request.settings = s;
        return request;
    }

    job::GraphOptions Options()
    {
        job::GraphOptions options;
        options.sModulePath = INTONARA_MODULE_PATH;
        return options;
    }
};

class GraphIdentity : public GraphCorrection, public ::testing::WithParamInterface<CIdentityCase>
{
};

} // namespace

TEST_P(GraphIdentity, GivesTheDirectPathsSamplesBitForBit)
{
    const CIdentityCase& c = GetParam();
    const std::string in = Input(c.bFloat, c.nRate);
    const job::CorrectionSummary direct = job::RunCorrection(Request(in, Path("direct.wav"), c.settings));
    // Odd blocks, so that the graph's samples are cut unlike the direct path's.
    job::CorrectionRequest request = Request(in, Path("graph.wav"), c.settings);
    request.nBlockFrames = 1531;
    const job::CorrectionSummary graph = job::RunGraphCorrection(request, Options());

    EXPECT_EQ(graph.applied, direct.applied);
    EXPECT_EQ(graph.nFrames, 3 * c.nRate);
    EXPECT_EQ(graph.nFrames, direct.nFrames);
    const clitest::SoundData a = clitest::ReadSound(Path("direct.wav"));
    const clitest::SoundData b = clitest::ReadSound(Path("graph.wav"));
    EXPECT_EQ(b.info.format, a.info.format);
    EXPECT_EQ(b.info.samplerate, c.nRate);
    EXPECT_TRUE(a.floats == b.floats);
    EXPECT_TRUE(a.shorts == b.shorts);
    // The engine did change the voice: the comparison is not of two copies.
    EXPECT_FALSE(a.floats == clitest::ReadSound(in).floats);
}

INSTANTIATE_TEST_SUITE_P(
    FormatsRatesAndSettings, GraphIdentity,
    ::testing::Values(CIdentityCase{"Pcm16At44100Defaults", false, 44100, {}},
                      CIdentityCase{"FloatAt44100Defaults", true, 44100, {}},
                      CIdentityCase{"Pcm16At48000MajorInD", false, 48000, Settings(7, 2, 40)},
                      CIdentityCase{"FloatAt48000Vibrato", true, 48000, Settings(0, 9, 300, 1)},
                      CIdentityCase{"Pcm16At48000Vibrato", false, 48000, Settings({}, 5, 0, 3)},
                      CIdentityCase{"FloatAt44100Bypass", true, 44100, Settings({}, {}, {}, {}, true)}),
    [](const ::testing::TestParamInfo<CIdentityCase>& info) { return std::string(info.param.pName); });

TEST_F(GraphCorrection, APresetSavedAfterARunGivesTheSameRunAgain)
{
    const std::string in = Input(false, 44100);
    job::GraphOptions saving = Options();
    saving.sPresetOut = Path("chosen.preset");
    const job::CorrectionSummary first =
        job::RunGraphCorrection(Request(in, Path("first.wav"), Settings(4, 7, 200, 2)), saving);

    const std::string preset = FileBytes(saving.sPresetOut);
    ASSERT_EQ(preset.size(), 56u);
    for (int i = 0; i < 9; ++i) {
        int32_t value = 0;
        std::memcpy(&value, preset.data() + 20 + 4 * i, 4);  // little-endian, as the test machine
        EXPECT_EQ(value, first.applied[static_cast<size_t>(i)]) << i;
    }

    job::GraphOptions loading = Options();
    loading.sPresetIn = saving.sPresetOut;
    const job::CorrectionSummary second = job::RunGraphCorrection(Request(in, Path("second.wav")), loading);
    EXPECT_EQ(second.applied, first.applied);
    EXPECT_EQ(FileBytes(Path("second.wav")), FileBytes(Path("first.wav")));
    // Options given with a preset still count.
    const job::CorrectionSummary third =
        job::RunGraphCorrection(Request(in, Path("third.wav"), Settings({}, 0, {})), loading);
    EXPECT_EQ(third.applied[1], 0);
    EXPECT_EQ(third.applied[0], first.applied[0]);
    EXPECT_EQ(Listing(), (std::vector<std::string>{"chosen.preset", "first.wav", "in-pcm.wav", "second.wav",
                                                   "third.wav"}));
}

TEST_F(GraphCorrection, DamagedPresetsAreRefusedBeforeAnythingIsWritten)
{
    const std::string in = Input(true, 44100);
    job::GraphOptions saving = Options();
    saving.sPresetOut = Path("good.preset");
    job::RunGraphCorrection(Request(in, Path("ok.wav")), saving);
    const std::string good = FileBytes(saving.sPresetOut);

    std::vector<std::pair<std::string, std::string>> damaged = {
        {"short.preset", good.substr(0, 40)},
        {"long.preset", good + "x"},
        {"empty.preset", ""},
    };
    std::string wrongId = good;
    wrongId[7] = static_cast<char>(wrongId[7] ^ 0x10);
    damaged.emplace_back("id.preset", wrongId);
    std::string wrongSize = good;
    wrongSize[0] = 57;
    damaged.emplace_back("size.preset", wrongSize);
    std::string wrongValue = good;
    wrongValue[20 + 4] = 12;  // key 12
    damaged.emplace_back("value.preset", wrongValue);

    for (const auto& [name, bytes] : damaged) {
        { std::ofstream(Path(name), std::ios::binary) << bytes; }
        const std::vector<std::string> before = Listing();
        job::GraphOptions loading = Options();
        loading.sPresetIn = Path(name);
        try {
            job::RunGraphCorrection(Request(in, Path("never.wav")), loading);
            ADD_FAILURE() << name << " was accepted";
        } catch (const job::CJobError& e) {
            EXPECT_EQ(e.ExitCode(), 1) << name;
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
            EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos) << e.what();
        }
        EXPECT_EQ(Listing(), before) << name;
    }
}

namespace {

class ToolGraph : public GraphCorrection
{
protected:
    void SetUp() override
    {
        GraphCorrection::SetUp();
        ::setenv("INTONARA_REGISTRY", Path("registry").c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("INTONARA_REGISTRY");
        GraphCorrection::TearDown();
    }
    clitest::ProgramResult Run(const std::vector<std::string>& arguments)
    {
        return clitest::RunProgram((clitest::OwnDirectory() / "intonara").string(), arguments);
    }
};

} // namespace

TEST_F(ToolGraph, RegistersListsAndUnregistersTheFilter)
{
    clitest::ProgramResult r = Run({"filters"});
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_NE(r.sOut.find("no filters registered"), std::string::npos) << r.sOut;
    EXPECT_EQ(Run({"unregister"}).nStatus, 0);

    r = Run({"register"});
    ASSERT_EQ(r.nStatus, 0) << r.sErr;
    EXPECT_NE(r.sOut.find(Path("registry")), std::string::npos) << r.sOut;
    const std::string once = FileBytes(Path("registry"));
    ASSERT_EQ(Run({"register"}).nStatus, 0);
    EXPECT_EQ(FileBytes(Path("registry")), once);

    r = Run({"filters"});
    EXPECT_EQ(r.nStatus, 0);
    const std::string expected = "Velmora Intonara Plugin  {D048519C-F761-4B10-BB94-5F1381045587}  merit 0x200000\n"
                                 "  input  pin \"Input\": audio/any\n"
                                 "  output pin \"Output\": audio/any\n";
    EXPECT_EQ(r.sOut, expected);

    ASSERT_EQ(Run({"unregister"}).nStatus, 0);
    EXPECT_NE(Run({"filters"}).sOut.find("no filters registered"), std::string::npos);
}

TEST_F(ToolGraph, RefusalsAreOneLineAndLeaveNoOutput)
{
    const std::string in = Input(false, 22050);
    { std::ofstream(Path("bad.preset"), std::ios::binary) << std::string(55, '\0'); }
    const std::vector<std::string> before = Listing();
    clitest::ProgramResult r = Run({"correct", in, "-o", Path("out.wav"), "--preset", Path("bad.preset")});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.sErr, "intonara: " + Path("bad.preset") +
                          " is not an Intonara settings file: it has 55 bytes, a settings file has 56\n");
    EXPECT_EQ(Listing(), before);

    ::setenv("INTONARA_MODULE", Path("nowhere.so").c_str(), 1);
    r = Run({"correct", in, "-o", Path("out.wav")});
    ::unsetenv("INTONARA_MODULE");
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.sErr.rfind("intonara: cannot load the plug-in module " + Path("nowhere.so"), 0), 0u) << r.sErr;
    EXPECT_EQ(std::count(r.sErr.begin(), r.sErr.end(), '\n'), 1);
    EXPECT_EQ(Listing(), before);
}

TEST_F(ToolGraph, LogGoesToTheCurrentDirectoryOnlyWhenAskedFor)
{
    const std::string in = Input(true, 8000);
    const clitest::fs::path previous = clitest::fs::current_path();
    clitest::fs::current_path(m_Dir);
    const clitest::ProgramResult quiet = Run({"correct", in, "-o", "a.wav", "--quiet"});
    const bool bLogWithout = clitest::fs::exists("inlog.dat");
    const clitest::ProgramResult logged = Run({"correct", in, "-o", "b.wav", "--quiet", "--log"});
    const std::string log = FileBytes("inlog.dat");
    clitest::fs::current_path(previous);

    EXPECT_EQ(quiet.nStatus, 0) << quiet.sErr;
    EXPECT_FALSE(bLogWithout);
    EXPECT_EQ(logged.nStatus, 0) << logged.sErr;
    EXPECT_NE(log.find(" TRACE\r\nCIntonaraPlugIn::Stop, "), std::string::npos) << log;
}

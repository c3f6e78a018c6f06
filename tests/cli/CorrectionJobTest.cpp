// The correction job in process: what reaches the controller, what comes
// out of the file paths, and that a stopped run leaves nothing behind.

#include "CliTestSupport.h"

#include <cmath>

#include "analysis/PitchAnalysis.h"
#include "job/CorrectionJob.h"
#include "job/OptionParsing.h"
#include "job/JobError.h"
#include "modes/DspObject.h"
#include "voice/VoiceSynth.h"

namespace {

// Lets the tests read what the store keeps in its own units.
class CDspProbe : public CDspObject
{
public:
    int RetuneMs() const { return Relaxed(m_nRetuneMs); }
    int Detune() const { return Relaxed(m_nDetune); }
    int VibratoRate() const { return Relaxed(m_nVibratoRate); }
    int Bypass() const { return Relaxed(m_bBypass); }
};

job::CorrectionSettings Parse(const job::CorrectOptionTexts& texts)
{
    return job::ParseCorrectionOptions(texts, job::GetAutomaticRanges());
}

class CorrectionJob : public clitest::ScratchTest
{
protected:
    job::CorrectionSummary Correct(const std::string& in, const std::string& out, job::CorrectionSettings settings = {},
                                   int blockFrames = job::kDefaultBlockFrames, bool mixdown = false)
    {
        job::CorrectionRequest request;
        request.sInPath = in;
        request.sOutPath = out;
        request.settings = settings;
        request.nBlockFrames = blockFrames;
        request.bMixdown = mixdown;
        return job::RunCorrection(request);
    }
};

} // namespace

TEST(ControllerSetup, DefaultsAreTheDefaultPresetsBlock)
{
    const job::SettingsBlock expected = {2, 0, 100, 126, 0, 30, 55, 300, 25};
    EXPECT_EQ(job::DefaultSettingsBlock(job::GetAutomaticRanges()), expected);
    EXPECT_EQ(job::InitialSampleRate(), 44100);

    CDspProbe dsp;
    EXPECT_EQ(job::PrepareController(dsp, {}, 44100), expected);
}

TEST(ControllerSetup, SettingsArriveAsThePanelSendsThem)
{
    job::CorrectOptionTexts texts;
    texts.retuneMs = "100";
    texts.detune = "-20";
    texts.rate = "5.5";
    texts.key = "F#";
    texts.bBypass = true;
    CDspProbe dsp;
    const job::SettingsBlock applied = job::PrepareController(dsp, Parse(texts), 48000);
    EXPECT_EQ(dsp.RetuneMs(), 100);
    EXPECT_EQ(applied[3], 264);
    EXPECT_EQ(dsp.Detune(), 80);
    EXPECT_EQ(dsp.VibratoRate(), 55);
    EXPECT_EQ(applied[1], 6);
    EXPECT_EQ(dsp.Bypass(), 1);
    EXPECT_EQ(dsp.m_Engine.IsBypassed(), 1);
    EXPECT_EQ(dsp.GetSampleRate(), 48000.0f);
    EXPECT_EQ(dsp.m_Engine.IsAutoCorrect(), 1);
}

TEST_F(CorrectionJob, BypassDelaysBy30SamplesWhateverTheBlockSize)
{
    std::vector<int16_t> in(20000);
    uint32_t seed = 12345;
    for (int16_t& s : in) {
        seed = seed * 1664525u + 1013904223u;
        s = static_cast<int16_t>(seed >> 16);
    }
    in[100] = -32768;
    in[101] = 32767;
    clitest::WriteShorts(Path("in.wav"), 32000, in);

    job::CorrectionSettings bypass;
    bypass.bBypass = true;
    for (int block : {job::kDefaultBlockFrames, 7, 1}) {
        const std::string out = Path("out" + std::to_string(block) + ".wav");
        const job::CorrectionSummary summary = Correct(Path("in.wav"), out, bypass, block);
        EXPECT_EQ(summary.path, job::ProcessingPath::Pcm16);
        EXPECT_EQ(summary.nFrames, 20000);
        const clitest::SoundData data = clitest::ReadSound(out);
        ASSERT_EQ(data.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        EXPECT_EQ(data.info.samplerate, 32000);
        ASSERT_EQ(data.shorts.size(), in.size());
        for (size_t i = 0; i < in.size(); ++i)
            ASSERT_EQ(data.shorts[i], i < 30 ? 0 : in[i - 30]) << "sample " << i << ", blocks of " << block;
    }
}

TEST_F(CorrectionJob, FloatFilesMatchTheEngineRunDirectly)
{
    const std::vector<float> voice = voice::SynthesizeSteadyVowel(
        voice::MidiToHz(57.0 + 0.35), 1.0, 44100.0);
    clitest::WriteFloats(Path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, voice);
    job::CorrectOptionTexts texts;
    texts.vibrato = "sine";
    const job::CorrectionSettings settings = Parse(texts);
    Correct(Path("in.wav"), Path("a.wav"), settings, 4096);
    Correct(Path("in.wav"), Path("b.wav"), settings, 333);

    auto dsp = std::make_unique<CDspObject>();
    job::PrepareController(*dsp, settings, 44100);
    std::vector<float> direct(voice.size());
    dsp->m_Engine.Process(voice.data(), direct.data(), static_cast<int>(voice.size()));

    EXPECT_EQ(clitest::ReadSound(Path("a.wav")).floats, direct);
    EXPECT_EQ(clitest::ReadSound(Path("b.wav")).floats, direct);
    EXPECT_NE(direct, voice);
}

TEST_F(CorrectionJob, PullsAnOutOfTuneVoiceOntoTheNote)
{
    // A3 sung 35 cents sharp, in 16-bit.
    const std::vector<float> voice = voice::SynthesizeSteadyVowel(
        voice::MidiToHz(57.0 + 0.35), 2.0, 44100.0);
    std::vector<int16_t> pcm(voice.size());
    for (size_t i = 0; i < voice.size(); ++i)
        pcm[i] = static_cast<int16_t>(std::lround(voice[i] * 32000.0f));
    clitest::WriteShorts(Path("in.wav"), 44100, pcm);
    Correct(Path("in.wav"), Path("out.wav"));

    const auto pitch = [](const std::string& path) {
        const clitest::SoundData data = clitest::ReadSound(path);
        return analysis::DeviationFromTarget(analysis::AnalysePitch(data.floats, 44100.0), 220.0, 0.5, 1.9);
    };
    const analysis::TargetDeviation before = pitch(Path("in.wav")), after = pitch(Path("out.wav"));
    ASSERT_GT(after.frames, 50u);
    EXPECT_NEAR(before.medianCents, 35.0, 3.0);
    EXPECT_NEAR(after.medianCents, 0.0, 3.0);
}

TEST_F(CorrectionJob, MixdownAveragesTheChannels)
{
    const std::vector<float> voice = voice::SynthesizeSteadyVowel(300.0, 0.5, 22050.0);
    std::vector<float> same, opposite;
    for (float x : voice) {
        same.insert(same.end(), {x, x});
        opposite.insert(opposite.end(), {x, -x});
    }
    clitest::WriteFloats(Path("mono.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 22050, voice);
    clitest::WriteFloats(Path("same.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 22050, same);
    clitest::WriteFloats(Path("opposite.aiff"), SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 2, 22050, opposite);
    Correct(Path("mono.wav"), Path("mono-out.wav"));
    Correct(Path("same.wav"), Path("same-out.wav"), {}, job::kDefaultBlockFrames, true);
    Correct(Path("opposite.aiff"), Path("opposite-out.wav"), {}, job::kDefaultBlockFrames, true);

    EXPECT_EQ(clitest::ReadSound(Path("same-out.wav")).floats, clitest::ReadSound(Path("mono-out.wav")).floats);
    for (float x : clitest::ReadSound(Path("opposite-out.wav")).floats)
        ASSERT_EQ(x, 0.0f);
}

TEST_F(CorrectionJob, ProgressRisesToOneAndCancellingLeavesNothing)
{
    clitest::WriteFloats(Path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100,
                         voice::SynthesizeSteadyVowel(200.0, 1.0, 44100.0));
    std::vector<double> seen;
    job::CorrectionRequest request;
    request.sInPath = Path("in.wav");
    request.sOutPath = Path("out.wav");
    request.nBlockFrames = 4410;
    request.progress = [&seen](double f) { seen.push_back(f); };
    job::RunCorrection(request);
    ASSERT_EQ(seen.size(), 10u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_NEAR(seen.front(), 0.1, 1e-12);
    EXPECT_EQ(seen.back(), 1.0);

    // Stopped after the third block: a failure, the old output kept.
    { std::ofstream(Path("out.wav"), std::ios::trunc) << "old"; }
    std::atomic<bool> cancel{false};
    request.pCancel = &cancel;
    request.progress = [&cancel](double f) { cancel = f > 0.25; };
    try {
        job::RunCorrection(request);
        ADD_FAILURE() << "not stopped";
    } catch (const job::CJobError& e) {
        EXPECT_EQ(e.ExitCode(), 1);
    }
    EXPECT_EQ(Listing(), (std::vector<std::string>{"in.wav", "out.wav"}));
    EXPECT_EQ(clitest::fs::file_size(Path("out.wav")), 3u);
}

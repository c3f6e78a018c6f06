// Which files the job takes as they are, which need --mixdown, and which
// container the output gets.

#include "CliTestSupport.h"

#include "job/JobError.h"
#include "job/SoundFormat.h"
#include "job/SoundIo.h"

using job::ProcessingPath;

namespace {

class SoundFormatTest : public clitest::ScratchTest
{
protected:
    job::SoundFormat Probe(const std::string& name, int format, int channels, int rate = 22050)
    {
        const std::string path = Path(name);
        clitest::WriteFloats(path, format, channels, rate, std::vector<float>(static_cast<size_t>(channels) * 64, 0.25f));
        job::CSoundReader reader(path);
        return reader.Format();
    }
};

} // namespace

TEST_F(SoundFormatTest, MonoSixteenBitAndMonoFloatGoStraightThrough)
{
    const job::SoundFormat pcm = Probe("pcm.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1);
    EXPECT_EQ(pcm.nSampleRate, 22050);
    EXPECT_EQ(pcm.nFrames, 64);
    EXPECT_EQ(job::ChoosePath(pcm, false, "pcm.wav"), ProcessingPath::Pcm16);
    EXPECT_EQ(job::ChoosePath(Probe("f.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1), false, "f.wav"),
              ProcessingPath::Float32);
    // The encoding decides, not the container.
    EXPECT_EQ(job::ChoosePath(Probe("pcm.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1), false, "pcm.flac"),
              ProcessingPath::Pcm16);
    EXPECT_EQ(job::ChoosePath(Probe("f.aiff", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 1), false, "f.aiff"),
              ProcessingPath::Float32);
}

TEST_F(SoundFormatTest, EverythingElseIsRefusedWithOneLineNamingTheFormatAndMixdown)
{
    struct Case
    {
        const char* name;
        int format;
        int channels;
        const char* words;
    };
    const Case cases[] = {
        {"stereo.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, "stereo 16-bit PCM"},
        {"u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, "mono 8-bit"},
        {"s24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1, "mono 24-bit PCM"},
        {"s32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 1, "mono 32-bit integer PCM"},
        {"double.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 1, "mono 64-bit float"},
        {"ulaw.wav", SF_FORMAT_WAV | SF_FORMAT_ULAW, 1, "mono u-law"},
        {"quad.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 4, "4-channel 32-bit float"},
    };
    for (const Case& c : cases) {
        const job::SoundFormat format = Probe(c.name, c.format, c.channels);
        try {
            job::ChoosePath(format, false, c.name);
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const job::CJobError& e) {
            const std::string message = e.what();
            EXPECT_EQ(e.ExitCode(), 1);
            EXPECT_NE(message.find(c.name), std::string::npos) << message;
            EXPECT_NE(message.find(c.words), std::string::npos) << message;
            EXPECT_NE(message.find("--mixdown"), std::string::npos) << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        }
        EXPECT_EQ(job::ChoosePath(format, true, c.name), ProcessingPath::Mixdown) << c.name;
    }
}

TEST_F(SoundFormatTest, OutputContainerFollowsTheExtensionOrTheInput)
{
    const int wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    EXPECT_EQ(job::ChooseOutputFormat("out.wav", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 44100, ProcessingPath::Pcm16), wav16);
    EXPECT_EQ(job::ChooseOutputFormat("out.AIF", wav16, 44100, ProcessingPath::Pcm16), SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
    EXPECT_EQ(job::ChooseOutputFormat("out.flac", wav16, 48000, ProcessingPath::Pcm16), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(job::ChooseOutputFormat("no-extension", SF_FORMAT_CAF | SF_FORMAT_PCM_24, 8000, ProcessingPath::Mixdown),
              SF_FORMAT_CAF | SF_FORMAT_FLOAT);
    EXPECT_EQ(job::ChooseOutputFormat("out.unknown", wav16, 44100, ProcessingPath::Float32),
              SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    // FLAC has no float encoding: a usage error that suggests .wav.
    try {
        job::ChooseOutputFormat("out.flac", wav16, 44100, ProcessingPath::Float32);
        ADD_FAILURE() << "float FLAC accepted";
    } catch (const job::CJobError& e) {
        EXPECT_EQ(e.ExitCode(), 2);
        EXPECT_NE(std::string(e.what()).find(".wav"), std::string::npos) << e.what();
    }
}

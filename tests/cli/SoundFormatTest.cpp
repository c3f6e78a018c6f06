// Which of the filter's two paths a file takes, and which format the
// output gets.

#include "CliTestSupport.h"

#include <optional>

#include "job/CorrectionJob.h"
#include "job/JobError.h"
#include "job/SoundFormat.h"
#include "job/SoundIo.h"

using job::ProcessingPath;

namespace {

using clitest::UsageMessage;

job::SoundFormat Input(int format, int rate = 44100, int channels = 1)
{
    return {channels, format, rate, 1000};
}

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

TEST_F(SoundFormatTest, SixteenBitRunsThroughTheSixteenBitPathEverythingElseAsFloat)
{
    using job::ChannelMode;
    const job::ChannelChoice each{}, mixdown{ChannelMode::Mixdown, 0}, second{ChannelMode::One, 1};
    const job::SoundFormat pcm = Probe("pcm.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1);
    EXPECT_EQ(pcm.nSampleRate, 22050);
    EXPECT_EQ(pcm.nFrames, 64);
    EXPECT_EQ(job::ChooseProcessing(pcm, each, "pcm.wav"), ProcessingPath::Pcm16);
    // The encoding decides, not the container or the channels.
    const job::SoundFormat flac = Probe("pcm.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2);
    EXPECT_EQ(job::ChooseProcessing(flac, each, "pcm.flac"), ProcessingPath::Pcm16);
    EXPECT_EQ(job::ChooseProcessing(flac, second, "pcm.flac"), ProcessingPath::Pcm16);
    // An average is no longer 16-bit.
    EXPECT_EQ(job::ChooseProcessing(flac, mixdown, "pcm.flac"), ProcessingPath::Float32);
    for (const int format : {SF_FORMAT_WAV | SF_FORMAT_PCM_24, SF_FORMAT_AIFF | SF_FORMAT_FLOAT,
                             SF_FORMAT_WAV | SF_FORMAT_DOUBLE, SF_FORMAT_WAV | SF_FORMAT_ULAW,
                             SF_FORMAT_WAV | SF_FORMAT_PCM_U8})
        EXPECT_EQ(job::ChooseProcessing(Probe("x.wav", format, 1), each, "x.wav"), ProcessingPath::Float32) << format;

    // A channel the file does not have: one line naming the file and its channels.
    try {
        job::ChooseProcessing(pcm, second, "pcm.wav");
        ADD_FAILURE() << "channel 2 of a mono file accepted";
    } catch (const job::CJobError& e) {
        EXPECT_EQ(e.ExitCode(), 1);
        EXPECT_NE(std::string(e.what()).find("pcm.wav has 1 channel"), std::string::npos) << e.what();
    }
}

TEST(SoundFormat, DescribedAsAUserSaysIt)
{
    EXPECT_EQ(job::DescribeFormat({2, SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 44100, 1}), "stereo 24-bit PCM FLAC");
    EXPECT_EQ(job::DescribeFormat({1, SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 1}), "mono Ogg Vorbis");
    EXPECT_EQ(job::DescribeFormat({6, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 1}), "6-channel MP3");
    EXPECT_EQ(job::DescribeFormat({1, SF_FORMAT_WAVEX | SF_FORMAT_FLOAT, 44100, 1}), "mono 32-bit float WAV");
}

TEST(OutputFormat, ContainerFromFormatOrExtension)
{
    auto container = [](const std::string& path, std::optional<std::string> format = {}) {
        return job::ParseOutputRequest(path, format, std::nullopt).nContainer;
    };
    // (Every extension is tried end to end in CorrectFilesTest.)
    EXPECT_EQ(container("dir.x/o.AIF"), SF_FORMAT_AIFF);
    EXPECT_EQ(container("o.oga"), SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    EXPECT_EQ(container("-"), SF_FORMAT_WAV);
    EXPECT_EQ(container("no-extension"), 0); // the input's
    EXPECT_EQ(container("o.wav", "FLAC"), SF_FORMAT_FLAC);
    EXPECT_EQ(container("-", "vorbis"), SF_FORMAT_OGG | SF_FORMAT_VORBIS);

    for (const char* path : {"o.xyz", "o.raw", "take.2"}) {
        const std::string message = UsageMessage([&] { container(path); });
        EXPECT_NE(message.find(path), std::string::npos) << message;
        EXPECT_NE(message.find("--format"), std::string::npos) << message;
    }
    EXPECT_NE(UsageMessage([&] { container("o.wav", "flca"); }).find("did you mean \"flac\""), std::string::npos);

    EXPECT_EQ(job::ParseOutputRequest("o.wav", std::nullopt, "24").nEncoding, SF_FORMAT_PCM_24);
    EXPECT_EQ(job::ParseOutputRequest("o.wav", std::nullopt, "Float").nEncoding, SF_FORMAT_FLOAT);
    EXPECT_NE(UsageMessage([] { job::ParseOutputRequest("o.wav", std::nullopt, "12"); }).find("--bits"),
              std::string::npos);
    EXPECT_NE(UsageMessage([] { job::ParseOutputRequest("o.ogg", std::nullopt, "16"); }).find("no bit depth"),
              std::string::npos);
}

TEST(OutputFormat, KeepsTheInputsEncodingWhereTheContainerCan)
{
    auto resolve = [](const std::string& path, const job::SoundFormat& input, std::optional<std::string> bits = {},
                      int channels = 1) {
        return job::ResolveOutputFormat(job::ParseOutputRequest(path, std::nullopt, bits), input, channels, path);
    };
    const job::SoundFormat pcm24 = Input(SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    const job::SoundFormat pcm16 = Input(SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const job::SoundFormat floats = Input(SF_FORMAT_AIFF | SF_FORMAT_FLOAT);
    EXPECT_EQ(resolve("o.wav", pcm24), SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    EXPECT_EQ(resolve("o.flac", pcm24), SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(resolve("o.flac", pcm16), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(resolve("plain", floats), SF_FORMAT_AIFF | SF_FORMAT_FLOAT);
    // FLAC has no float: the deepest it has.
    EXPECT_EQ(resolve("o.flac", floats), SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    // Encodings without a bit depth become 16-bit PCM.
    EXPECT_EQ(resolve("o.flac", Input(SF_FORMAT_WAV | SF_FORMAT_ULAW)), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(resolve("o.wav", Input(SF_FORMAT_OGG | SF_FORMAT_VORBIS)), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(resolve("o.wav", Input(SF_FORMAT_WAV | SF_FORMAT_ULAW)), SF_FORMAT_WAV | SF_FORMAT_ULAW);
    // 8-bit is unsigned in WAV, signed in FLAC.
    EXPECT_EQ(resolve("o.flac", Input(SF_FORMAT_WAV | SF_FORMAT_PCM_U8)), SF_FORMAT_FLAC | SF_FORMAT_PCM_S8);
    EXPECT_EQ(resolve("o.wav", pcm16, "8"), SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
    EXPECT_EQ(resolve("o.wav", pcm16, "float"), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(resolve("o.ogg", pcm24, std::nullopt, 2), SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    EXPECT_EQ(resolve("o.opus", Input(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000)), SF_FORMAT_OGG | SF_FORMAT_OPUS);
    EXPECT_EQ(resolve("o.mp3", pcm16), SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);

    const std::string deep = UsageMessage([&] { resolve("o.flac", pcm16, "32"); });
    EXPECT_NE(deep.find("FLAC"), std::string::npos) << deep;
    EXPECT_NE(deep.find("--bits 8, 16, 24"), std::string::npos) << deep;
    const std::string opus = UsageMessage([&] { resolve("o.opus", pcm16); });
    EXPECT_NE(opus.find("48000"), std::string::npos) << opus;
    EXPECT_NE(opus.find("44100"), std::string::npos) << opus;
    EXPECT_NE(UsageMessage([&] { resolve("o.mp3", Input(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 96000)); }), "");
}

// "intonara correct" on the files people have: formats by extension and
// their refusal, 24-bit in and out, several channels, the output lined up
// with the input or late as a host receives it, the standard streams, a
// folder of files with a bad one among them, the summary and the log.

#include "CliTestSupport.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace {

using clitest::FadedTone;
using clitest::ReadBytes;

constexpr int kLatency = 30;

std::vector<float> Interleave(const std::vector<float>& left, const std::vector<float>& right)
{
    std::vector<float> frames;
    for (size_t i = 0; i < left.size(); ++i) {
        frames.push_back(left[i]);
        frames.push_back(right[i]);
    }
    return frames;
}

std::vector<float> Channel(const clitest::SoundData& data, int channel)
{
    std::vector<float> out;
    for (size_t i = static_cast<size_t>(channel); i < data.floats.size(); i += static_cast<size_t>(data.info.channels))
        out.push_back(data.floats[i]);
    return out;
}

class CorrectFiles : public clitest::ToolTest
{
protected:
    // A shell command line run with the tool as $0 and the files as $1, $2.
    clitest::ProgramResult Shell(const std::string& line, const std::string& in, const std::string& out)
    {
        return clitest::RunProgram("/bin/sh", {"-c", line, Tool(), in, out});
    }

    // A mono 16-bit file of a tone 30 cents sharp of A3.
    std::string Pcm16(const std::string& name, int rate = 44100, double seconds = 0.3)
    {
        clitest::WriteFloats(Path(name), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, rate,
                             FadedTone(rate, 220.0 * std::pow(2.0, 30.0 / 1200.0), seconds));
        return Path(name);
    }
};

} // namespace

TEST_F(CorrectFiles, OutputFormatFollowsTheExtensionOrFormat)
{
    const std::string in = Pcm16("in.wav", 48000);
    struct Case
    {
        const char* name;
        int container;
        bool lossless;
    };
    const Case cases[] = {
        {"o.wav", SF_FORMAT_WAV, true},   {"o.AIFF", SF_FORMAT_AIFF, true}, {"o.flac", SF_FORMAT_FLAC, true},
        {"o.caf", SF_FORMAT_CAF, true},   {"o.w64", SF_FORMAT_W64, true},   {"o.rf64", SF_FORMAT_RF64, true},
        {"o.ogg", SF_FORMAT_OGG, false},  {"o.opus", SF_FORMAT_OGG, false}, {"o.mp3", SF_FORMAT_MPEG, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const clitest::ProgramResult r = Run({"correct", in, "-o", Path(c.name), "--quiet"});
        ASSERT_EQ(r.nStatus, 0) << r.sErr;
        const clitest::SoundData out = clitest::ReadSound(Path(c.name));
        EXPECT_EQ(out.info.format & SF_FORMAT_TYPEMASK, c.container);
        EXPECT_EQ(out.info.samplerate, 48000);
        if (c.lossless) {
            EXPECT_EQ(out.info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_16);
            EXPECT_EQ(out.info.frames, 48000 * 3 / 10);
        }
    }
    // --format wins over the extension; --bits sets the samples.
    ASSERT_EQ(Run({"correct", in, "-o", Path("flac.wav"), "--format", "flac", "--bits", "24", "--quiet"}).nStatus, 0);
    EXPECT_EQ(clitest::ReadSound(Path("flac.wav")).info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
}

TEST_F(CorrectFiles, UnknownExtensionsAreRefusedBeforeTheInputIsRead)
{
    // The input does not even exist: the output's name is refused first.
    for (const char* name : {"o.raw", "o.xyz"})
        ExpectRefusal({"correct", Path("missing.wav"), "-o", Path(name)}, 2, {name, "--format"});
    const std::string in = Pcm16("in.wav");
    ExpectRefusal({"correct", in, "-o", Path("o.flac"), "--bits", "32"}, 2, {"--bits 8, 16, 24"});
    ExpectRefusal({"correct", in, "-o", Path("o.opus")}, 2, {"48000"});
    EXPECT_EQ(Listing(), std::vector<std::string>{"in.wav"});
}

TEST_F(CorrectFiles, TwentyFourBitInTwentyFourBitOut)
{
    const std::string in = Path("in24.wav");
    clitest::WriteFloats(in, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1, 44100, FadedTone(44100, 227.0, 0.3));
    const clitest::ProgramResult r = Run({"correct", in, "-o", Path("out.wav")});
    ASSERT_EQ(r.nStatus, 0) << r.sErr;
    EXPECT_NE(r.sOut.find("mono 24-bit PCM WAV"), std::string::npos) << r.sOut;
    const clitest::SoundData out = clitest::ReadSound(Path("out.wav"));
    EXPECT_EQ(out.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    EXPECT_EQ(out.info.frames, 44100 * 3 / 10);
    EXPECT_NE(out.floats, clitest::ReadSound(in).floats); // corrected

    // Bypassed, every 24-bit sample comes back exactly (a float holds 24 bits).
    ASSERT_EQ(Run({"correct", in, "-o", Path("same.flac"), "--bypass", "--quiet"}).nStatus, 0);
    const clitest::SoundData same = clitest::ReadSound(Path("same.flac"));
    EXPECT_EQ(same.info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(same.floats, clitest::ReadSound(in).floats);
}

TEST_F(CorrectFiles, EachChannelKeptAndCorrectedOnItsOwn)
{
    const std::string in = Path("stereo.wav");
    const std::vector<float> left = FadedTone(44100, 452.0, 0.3), right = FadedTone(44100, 300.0, 0.3, 0.2);
    clitest::WriteFloats(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, Interleave(left, right));
    const clitest::ProgramResult r = Run({"correct", in, "-o", Path("both.wav")});
    ASSERT_EQ(r.nStatus, 0) << r.sErr;
    EXPECT_NE(r.sOut.find("stereo 16-bit PCM WAV"), std::string::npos) << r.sOut;
    const clitest::SoundData both = clitest::ReadSound(Path("both.wav"));
    EXPECT_EQ(both.info.channels, 2);
    EXPECT_EQ(both.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(both.info.frames, static_cast<sf_count_t>(left.size()));

    // Each channel of the stereo output is what that channel alone gives:
    // processors of their own, started the same way.
    for (int channel : {1, 2}) {
        const std::string name = "ch" + std::to_string(channel) + ".wav";
        ASSERT_EQ(Run({"correct", in, "-o", Path(name), "--channel", std::to_string(channel), "--quiet"}).nStatus, 0);
        const clitest::SoundData alone = clitest::ReadSound(Path(name));
        EXPECT_EQ(alone.info.channels, 1);
        EXPECT_EQ(alone.floats, Channel(both, channel - 1)) << channel;
    }
    EXPECT_NE(Channel(both, 0), Channel(clitest::ReadSound(in), 0));

    const clitest::ProgramResult mixed = Run({"correct", in, "-o", Path("mix.wav"), "--mixdown"});
    ASSERT_EQ(mixed.nStatus, 0) << mixed.sErr;
    EXPECT_NE(mixed.sOut.find("mixed down to one channel"), std::string::npos) << mixed.sOut;
    EXPECT_EQ(clitest::ReadSound(Path("mix.wav")).info.channels, 1);

    const clitest::ProgramResult third = Run({"correct", in, "-o", Path("x.wav"), "--channel", "3"});
    EXPECT_EQ(third.nStatus, 1);
    EXPECT_NE(third.sErr.find("has 2 channels; --channel takes 1 to 2"), std::string::npos) << third.sErr;
}

TEST_F(CorrectFiles, OutputLinedUpWithTheInputOrLateAsAHostHearsIt)
{
    const std::string in = Pcm16("in.wav");
    const clitest::SoundData input = clitest::ReadSound(in);

    // Bypassed: the input itself, or the input 30 samples late.
    ASSERT_EQ(Run({"correct", in, "-o", Path("aligned.wav"), "--bypass", "--quiet"}).nStatus, 0);
    EXPECT_EQ(clitest::ReadSound(Path("aligned.wav")).shorts, input.shorts);
    const clitest::ProgramResult late = Run({"correct", in, "-o", Path("late.wav"), "--bypass", "--keep-latency"});
    ASSERT_EQ(late.nStatus, 0);
    EXPECT_NE(late.sOut.find("30 samples late"), std::string::npos) << late.sOut;
    const std::vector<int16_t> delayed = clitest::ReadSound(Path("late.wav")).shorts;
    ASSERT_EQ(delayed.size(), input.shorts.size());
    EXPECT_TRUE(std::all_of(delayed.begin(), delayed.begin() + kLatency, [](int16_t s) { return s == 0; }));
    EXPECT_TRUE(std::equal(delayed.begin() + kLatency, delayed.end(), input.shorts.begin()));

    // Corrected: the same stream, 30 samples earlier, to the last sample.
    const clitest::ProgramResult fixed = Run({"correct", in, "-o", Path("fixed.wav")});
    EXPECT_NE(fixed.sOut.find("lined up with the input"), std::string::npos) << fixed.sOut;
    ASSERT_EQ(Run({"correct", in, "-o", Path("raw.wav"), "--keep-latency", "--quiet"}).nStatus, 0);
    const std::vector<int16_t> aligned = clitest::ReadSound(Path("fixed.wav")).shorts;
    const std::vector<int16_t> raw = clitest::ReadSound(Path("raw.wav")).shorts;
    ASSERT_EQ(aligned.size(), raw.size());
    EXPECT_TRUE(std::equal(aligned.begin(), aligned.end() - kLatency, raw.begin() + kLatency));
    EXPECT_NE(aligned, input.shorts);
}

TEST_F(CorrectFiles, StandardInputToStandardOutputThroughAPipe)
{
    const std::string in = Pcm16("in.wav");
    ASSERT_EQ(Run({"correct", in, "-o", Path("file.wav"), "--quiet"}).nStatus, 0);
    const clitest::ProgramResult piped = Shell("cat \"$1\" | \"$0\" correct - -o - > \"$2\"", in, Path("piped.wav"));
    ASSERT_EQ(piped.nStatus, 0) << piped.sErr;
    // Standard output carries the sound alone; the summary went to standard error.
    EXPECT_NE(piped.sErr.find("corrected standard input into standard output"), std::string::npos) << piped.sErr;
    EXPECT_EQ(ReadBytes(Path("piped.wav")), ReadBytes(Path("file.wav")));

    const clitest::ProgramResult flac =
        Shell("\"$0\" correct - -o - --format flac --quiet < \"$1\" > \"$2\"", in, Path("piped.flac"));
    ASSERT_EQ(flac.nStatus, 0) << flac.sErr;
    EXPECT_EQ(ReadBytes(Path("piped.flac")).substr(0, 4), "fLaC");

    // A failure writes nothing to standard output.
    const clitest::ProgramResult bad =
        Shell("echo \"$1\" | \"$0\" correct - -o - > \"$2\"", "not sound", Path("none.wav"));
    EXPECT_EQ(bad.nStatus, 1);
    EXPECT_NE(bad.sErr.find("standard input"), std::string::npos) << bad.sErr;
    EXPECT_EQ(ReadBytes(Path("none.wav")), "");
}

TEST_F(CorrectFiles, AFolderOfFilesWithABadOneAmongThem)
{
    const std::string good = Pcm16("good.wav");
    clitest::WriteFloats(Path("other.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 1, 22050, FadedTone(22050, 310.0, 0.2));
    { std::ofstream(Path("bad.wav")) << "not a sound file\n"; }
    const clitest::ProgramResult r =
        Run({"correct", good, Path("bad.wav"), Path("other.flac"), "-o", Path("out") + "/"});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_NE(r.sErr.find("bad.wav"), std::string::npos) << r.sErr;
    EXPECT_NE(r.sErr.find("2 of 3 files corrected"), std::string::npos) << r.sErr;
    EXPECT_EQ(clitest::Lines(r.sOut), 2) << r.sOut;
    std::vector<std::string> written;
    for (const auto& entry : clitest::fs::directory_iterator(Path("out")))
        written.push_back(entry.path().filename().string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"good.wav", "other.flac"}));
    EXPECT_EQ(clitest::ReadSound(Path("out/other.flac")).info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);

    // All good: status 0; --format gives every output its extension.
    const clitest::ProgramResult all =
        Run({"correct", good, Path("other.flac"), "--output-dir", Path("flacs"), "--format", "flac", "--quiet"});
    EXPECT_EQ(all.nStatus, 0) << all.sErr;
    EXPECT_TRUE(clitest::fs::exists(Path("flacs/good.flac")));
    EXPECT_TRUE(clitest::fs::exists(Path("flacs/other.flac")));

    // Several inputs need a folder.
    const clitest::ProgramResult file = Run({"correct", good, Path("other.flac"), "-o", Path("one.wav")});
    EXPECT_EQ(file.nStatus, 2);
    EXPECT_NE(file.sErr.find("folder"), std::string::npos) << file.sErr;
}

TEST_F(CorrectFiles, SummaryAndLogSayWhatHappened)
{
    const std::string in = Pcm16("in.wav", 22050, 0.05);
    const clitest::ProgramResult r = Run({"correct", in, "-o", Path("out.wav"), "--log"}, m_Dir.string());
    ASSERT_EQ(r.nStatus, 0) << r.sErr;
    // A tiny file read in milliseconds is still some fraction of real time.
    const size_t times = r.sOut.find("x real time");
    ASSERT_NE(times, std::string::npos) << r.sOut;
    const size_t number = r.sOut.find_last_not_of("0123456789.", times - 1) + 1;
    ASSERT_LT(number, times) << r.sOut;
    EXPECT_GT(std::stod(r.sOut.substr(number, times - number)), 0.0) << r.sOut;
    EXPECT_EQ(r.sOut.find("of mixed"), std::string::npos);

    const std::string log = ReadBytes(Path("inlog.dat"));
    for (const char* words : {"intonara correct", "input: mono 16-bit PCM WAV, 22050 Hz, 1102 frames",
                              "through the filter's 16-bit path", "scale 2 \"Equal Tempered Chrom.\"",
                              "output: mono 16-bit PCM WAV, 1102 frames, lined up with the input", "real time"})
        EXPECT_NE(log.find(words), std::string::npos) << words << "\n" << log;

    // A failure is logged with its reason.
    EXPECT_EQ(Run({"correct", Path("missing.wav"), "-o", Path("x.wav"), "--log"}, m_Dir.string()).nStatus, 1);
    EXPECT_NE(ReadBytes(Path("inlog.dat")).find("failed: cannot open"), std::string::npos);
}

// The intonara tool fed what users actually feed it by mistake: files that
// are cut short, in unusual encodings (which it corrects all the same), at
// sample rates it cannot correct at, outputs it cannot write, damaged
// presets. Every refusal is one line on standard error that names the
// problem, a non-zero exit status, no file left behind, and an existing
// output kept as it was. (The cases that the tool's own tests cover, a
// missing file, a directory, an empty or text file, the output named as the
// input, bad options, are not repeated here.)

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"

namespace {

namespace fs = std::filesystem;

class BadInput : public clitest::ToolTest
{
protected:
    void Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    // A WAVE file at any rate, in any encoding: a quiet 220 Hz tone (at
    // rates where that means anything), the same in every channel.
    std::string Wave(const std::string& name, int rate, int frames, int encoding = SF_FORMAT_PCM_16, int channels = 1)
    {
        std::vector<float> data;
        for (int i = 0; i < frames; ++i)
            data.insert(data.end(), channels, static_cast<float>(0.3 * std::sin(2.0 * M_PI * 220.0 * i / rate)));
        clitest::WriteFloats(Path(name), SF_FORMAT_WAV | encoding, channels, rate, data);
        return Path(name);
    }
};

} // namespace

TEST_F(BadInput, DamagedFilesAreRefusedByNameAndOddEncodingsKept)
{
    const std::string out = Path("out.wav");
    Write("cut.wav", clitest::ReadBytes(Wave("cut.wav", 44100, 4000)).substr(0, 30));
    ExpectRefusal({"correct", Path("cut.wav"), "-o", out}, 1, {"cut.wav"}, out);

    struct Encoding
    {
        const char* file;
        int encoding;
        const char* description;
    };
    for (const Encoding& e : {Encoding{"eight.wav", SF_FORMAT_PCM_U8, "8-bit"}, {"pro.wav", SF_FORMAT_PCM_24, "24-bit"},
                              {"double.wav", SF_FORMAT_DOUBLE, "64-bit float"}}) {
        SCOPED_TRACE(e.file);
        Wave(e.file, 44100, 4000, e.encoding);
        // Corrected through the float path and written as they came.
        const clitest::ProgramResult r = Run({"correct", Path(e.file), "-o", out});
        EXPECT_EQ(r.nStatus, 0) << r.sErr;
        EXPECT_NE(r.sOut.find(e.description), std::string::npos) << r.sOut;
        const clitest::SoundData written = clitest::ReadSound(out);
        EXPECT_EQ(written.info.frames, 4000);
        EXPECT_EQ(written.info.format, clitest::ReadSound(Path(e.file)).info.format);
    }
}

// Refused: the detector works in samples, so at these rates it would follow
// almost no voice, and the file would come back merely delayed. The message
// names the file's rate and the rates that work.
TEST_F(BadInput, SampleRatesOutsideTheCorrectableRangeAreRefused)
{
    const std::string out = Path("out.wav");
    for (int rate : {1, 7999, 8000, 192000, 192001, 768000}) {
        SCOPED_TRACE(rate);
        const std::string in = Wave("at-" + std::to_string(rate) + ".wav", rate, 3000);
        if (rate < 8000 || rate > 192000) {
            ExpectRefusal({"correct", in, "-o", out}, 1, {in, std::to_string(rate) + " Hz", "8000 to 192000 Hz"}, out);
            continue;
        }
        // The ends of the range are corrected, at their own rate.
        const clitest::ProgramResult r = Run({"correct", in, "-o", out, "--quiet"});
        ASSERT_EQ(r.nStatus, 0) << r.sErr;
        const clitest::SoundData sound = clitest::ReadSound(out);
        EXPECT_EQ(sound.info.samplerate, rate);
        EXPECT_EQ(sound.info.frames, 3000);
    }
}

// A well-formed file without a single frame has nothing to correct: refused
// by name like any other unusable input, the earlier output left as it was,
// with or without --mixdown.
TEST_F(BadInput, AFileWithoutFramesIsRefused)
{
    const std::string out = Path("out.wav");
    Wave("silent16.wav", 48000, 0);
    Wave("silentf.wav", 22050, 0, SF_FORMAT_FLOAT);
    Wave("silent-stereo.wav", 44100, 0, SF_FORMAT_PCM_16, 2);
    for (const char* name : {"silent16.wav", "silentf.wav"}) {
        SCOPED_TRACE(name);
        ExpectRefusal({"correct", Path(name), "-o", out}, 1, {name, "no audio"}, out);
    }
    ExpectRefusal({"correct", Path("silent-stereo.wav"), "-o", out, "--mixdown"}, 1, {"silent-stereo.wav", "no audio"},
                  out);
}

TEST_F(BadInput, OutputsThatCannotBeWrittenAreRefusedBeforeAnything)
{
    Wave("take.wav", 44100, 4000);
    const std::string in = Path("take.wav");

    ExpectRefusal({"correct", in, "-o", Path("no-such-folder/out.wav")}, 1, {"no-such-folder"});
    Write("notes.txt", "a file, not a folder");
    ExpectRefusal({"correct", in, "-o", Path("notes.txt/out.wav")}, 1, {"notes.txt"});

    // A folder the tool may not write into. The superuser writes anywhere
    // permissions allow nothing, so it gets a folder no one can create
    // files in instead.
    std::string locked = Path("locked");
    fs::create_directory(locked);
    std::ofstream(locked + "/out.wav") << "an earlier take";
    ::chmod(locked.c_str(), 0555);
    if (::geteuid() == 0)
        locked = "/proc";
    const std::string out = locked + "/out.wav";
    const clitest::ProgramResult r = Run({"correct", in, "-o", out});
    EXPECT_EQ(r.nStatus, 1) << r.sErr;
    EXPECT_EQ(clitest::Lines(r.sErr), 1) << r.sErr;
    EXPECT_NE(r.sErr.find(locked), std::string::npos) << r.sErr;
    ::chmod(Path("locked").c_str(), 0755);
    EXPECT_EQ(clitest::ReadBytes(Path("locked/out.wav")), "an earlier take");
    EXPECT_EQ(fs::exists("/proc/out.wav"), false);

    // The input under another name: a symbolic link to it.
    fs::create_symlink(in, Path("alias.wav"));
    const std::string before = clitest::ReadBytes(in);
    ExpectRefusal({"correct", in, "-o", Path("alias.wav")}, 2, {"alias.wav", "input"});
    EXPECT_EQ(clitest::ReadBytes(in), before);
}

TEST_F(BadInput, DamagedPresetsAreRefusedBeforeAnythingIsWritten)
{
    Wave("take.wav", 44100, 4000);
    const std::string in = Path("take.wav"), out = Path("out.wav");
    // A preset as the tool itself saves it, then damaged three ways.
    ASSERT_EQ(Run({"correct", in, "-o", Path("first.wav"), "--quiet", "--save-preset", Path("good.preset")}).nStatus,
              0);
    fs::remove(Path("first.wav"));
    const std::string good = clitest::ReadBytes(Path("good.preset"));
    ASSERT_EQ(good.size(), 56u);

    std::string threshold = good, identity = good;
    threshold[20 + 4 * 8] = 101;                             // the threshold, one past its end
    identity[10] = static_cast<char>(identity[10] ^ 0x5A);  // inside the identifier
    const std::pair<std::string, std::vector<std::string>> damaged[] = {
        {threshold, {"threshold.preset", "threshold", "101"}}, {identity, {"identity.preset"}},
        {good.substr(0, 20), {"cut.preset", "20 bytes"}}};
    for (const auto& [bytes, named] : damaged) {
        Write(named[0], bytes);
        ExpectRefusal({"correct", in, "-o", out, "--preset", Path(named[0])}, 1, named, out);
    }
}

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

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "cli/ProgramRunner.h"

namespace {

namespace fs = std::filesystem;

void Put16(std::string& s, uint16_t v)
{
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>(v >> 8));
}

void Put32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A canonical RIFF WAVE file written byte by byte, so that any rate,
// channel count and encoding can be had, valid or not. The samples are a
// quiet 220 Hz tone (at rates where that means anything), the same in
// every channel.
std::string Wave(int channels, uint32_t rate, int bits, bool isFloat, int frames)
{
    std::string data;
    for (int i = 0; i < frames; ++i) {
        const double x = 0.3 * std::sin(2.0 * 3.141592653589793 * 220.0 * i / static_cast<double>(rate));
        for (int c = 0; c < channels; ++c) {
            if (isFloat && bits == 32) {
                const float f = static_cast<float>(x);
                uint32_t u;
                std::memcpy(&u, &f, 4);
                Put32(data, u);
            } else if (isFloat && bits == 64) {
                uint64_t u;
                std::memcpy(&u, &x, 8);
                Put32(data, static_cast<uint32_t>(u));
                Put32(data, static_cast<uint32_t>(u >> 32));
            } else if (bits == 8) {
                data.push_back(static_cast<char>(128 + std::lround(x * 127.0)));
            } else if (bits == 16) {
                Put16(data, static_cast<uint16_t>(std::lround(x * 32767.0)));
            } else {
                const auto v = static_cast<uint32_t>(std::lround(x * 8388607.0));
                data.push_back(static_cast<char>(v & 0xFF));
                data.push_back(static_cast<char>((v >> 8) & 0xFF));
                data.push_back(static_cast<char>((v >> 16) & 0xFF));
            }
        }
    }
    const int align = channels * bits / 8;
    std::string fmt;
    Put16(fmt, isFloat ? 3 : 1);
    Put16(fmt, static_cast<uint16_t>(channels));
    Put32(fmt, rate);
    Put32(fmt, rate * static_cast<uint32_t>(align));
    Put16(fmt, static_cast<uint16_t>(align));
    Put16(fmt, static_cast<uint16_t>(bits));
    std::string body = "WAVEfmt ";
    Put32(body, static_cast<uint32_t>(fmt.size()));
    body += fmt + "data";
    Put32(body, static_cast<uint32_t>(data.size()));
    body += data;
    std::string file = "RIFF";
    Put32(file, static_cast<uint32_t>(body.size()));
    return file + body;
}

std::string Mono16(uint32_t rate, int frames)
{
    return Wave(1, rate, 16, false, frames);
}

class BadInput : public clitest::ScratchTest
{
protected:
    void Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }

    std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    clitest::ProgramResult Run(const std::vector<std::string>& arguments)
    {
        return clitest::RunProgram((clitest::OwnDirectory() / "intonara").string(), arguments);
    }

    // Runs the tool and checks the refusal: the status, one line naming the
    // problem, no file left behind. With an existing output named, that file
    // first holds a few words, which must survive the run.
    void ExpectRefusal(const std::vector<std::string>& arguments, const std::string& existing, int status,
                       const std::vector<std::string>& named)
    {
        if (!existing.empty())
            std::ofstream(existing) << "an earlier take";
        const std::vector<std::string> before = Listing();

        const clitest::ProgramResult r = Run(arguments);
        EXPECT_EQ(r.nStatus, status) << r.sErr;
        EXPECT_EQ(r.sErr.rfind("intonara: ", 0), 0u) << r.sErr;
        EXPECT_EQ(std::count(r.sErr.begin(), r.sErr.end(), '\n'), 1) << r.sErr;
        for (const std::string& word : named) {
            EXPECT_NE(r.sErr.find(word), std::string::npos) << "\"" << word << "\" not in: " << r.sErr;
        }
        EXPECT_TRUE(r.sOut.empty()) << r.sOut;
        EXPECT_EQ(Listing(), before) << "a file was left behind";
        if (!existing.empty()) {
            EXPECT_EQ(Read(existing), "an earlier take");
        }
    }
};

} // namespace

TEST_F(BadInput, DamagedFilesAreRefusedByNameAndOddEncodingsKept)
{
    const std::string out = Path("out.wav");
    Write("cut.wav", Mono16(44100, 4000).substr(0, 30));
    ExpectRefusal({"correct", Path("cut.wav"), "-o", out}, out, 1, {"cut.wav"});

    struct Encoding
    {
        const char* file;
        int bits;
        bool isFloat;
        const char* description;
    };
    for (const Encoding& e : {Encoding{"eight.wav", 8, false, "8-bit"}, Encoding{"pro.wav", 24, false, "24-bit"},
                              Encoding{"double.wav", 64, true, "64-bit float"}}) {
        SCOPED_TRACE(e.file);
        Write(e.file, Wave(1, 44100, e.bits, e.isFloat, 4000));
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
    for (uint32_t rate : {1u, 7999u, 192001u, 768000u}) {
        SCOPED_TRACE(rate);
        const std::string name = "at-" + std::to_string(rate) + ".wav";
        Write(name, Mono16(rate, 3000));
        ExpectRefusal({"correct", Path(name), "-o", out}, out, 1,
                      {name, std::to_string(rate) + " Hz", "8000 to 192000 Hz"});
    }
    // The ends of the range are corrected, at their own rate.
    for (uint32_t rate : {8000u, 192000u}) {
        SCOPED_TRACE(rate);
        const std::string name = "edge-" + std::to_string(rate) + ".wav";
        Write(name, Mono16(rate, 3000));
        const clitest::ProgramResult r = Run({"correct", Path(name), "-o", out, "--quiet"});
        ASSERT_EQ(r.nStatus, 0) << r.sErr;
        const clitest::SoundData sound = clitest::ReadSound(out);
        EXPECT_EQ(sound.info.samplerate, static_cast<int>(rate));
        EXPECT_EQ(sound.info.frames, 3000);
    }
}

// A well-formed file without a single frame has nothing to correct: refused
// by name like any other unusable input, the earlier output left as it was,
// with or without --mixdown.
TEST_F(BadInput, AFileWithoutFramesIsRefused)
{
    const std::string out = Path("out.wav");
    Write("silent16.wav", Mono16(48000, 0));
    Write("silentf.wav", Wave(1, 22050, 32, true, 0));
    Write("silent-stereo.wav", Wave(2, 44100, 16, false, 0));
    for (const char* name : {"silent16.wav", "silentf.wav"}) {
        SCOPED_TRACE(name);
        ExpectRefusal({"correct", Path(name), "-o", out}, out, 1, {name, "no audio"});
    }
    ExpectRefusal({"correct", Path("silent-stereo.wav"), "-o", out, "--mixdown"}, out, 1,
                  {"silent-stereo.wav", "no audio"});
}

TEST_F(BadInput, OutputsThatCannotBeWrittenAreRefusedBeforeAnything)
{
    Write("take.wav", Mono16(44100, 4000));
    const std::string in = Path("take.wav");

    ExpectRefusal({"correct", in, "-o", Path("no-such-folder/out.wav")}, "", 1, {"no-such-folder"});
    Write("notes.txt", "a file, not a folder");
    ExpectRefusal({"correct", in, "-o", Path("notes.txt/out.wav")}, "", 1, {"notes.txt"});

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
    EXPECT_EQ(std::count(r.sErr.begin(), r.sErr.end(), '\n'), 1) << r.sErr;
    EXPECT_NE(r.sErr.find(locked), std::string::npos) << r.sErr;
    ::chmod(Path("locked").c_str(), 0755);
    EXPECT_EQ(Read(Path("locked/out.wav")), "an earlier take");
    EXPECT_EQ(fs::exists("/proc/out.wav"), false);

    // The input under another name: a symbolic link to it.
    fs::create_symlink(in, Path("alias.wav"));
    const std::string before = Read(in);
    ExpectRefusal({"correct", in, "-o", Path("alias.wav")}, "", 2, {"alias.wav", "input"});
    EXPECT_EQ(Read(in), before);
}

TEST_F(BadInput, DamagedPresetsAreRefusedBeforeAnythingIsWritten)
{
    Write("take.wav", Mono16(44100, 4000));
    const std::string in = Path("take.wav"), out = Path("out.wav");
    // A preset as the tool itself saves it, then damaged three ways.
    ASSERT_EQ(Run({"correct", in, "-o", Path("first.wav"), "--quiet", "--save-preset", Path("good.preset")}).nStatus,
              0);
    fs::remove(Path("first.wav"));
    const std::string good = Read(Path("good.preset"));
    ASSERT_EQ(good.size(), 56u);

    std::string threshold = good;
    threshold[20 + 4 * 8] = 101;  // the threshold, one past its end
    Write("threshold.preset", threshold);
    ExpectRefusal({"correct", in, "-o", out, "--preset", Path("threshold.preset")}, out, 1,
                  {"threshold.preset", "threshold", "101"});

    std::string identity = good;
    identity[10] = static_cast<char>(identity[10] ^ 0x5A);  // inside the identifier
    Write("identity.preset", identity);
    ExpectRefusal({"correct", in, "-o", out, "--preset", Path("identity.preset")}, out, 1, {"identity.preset"});

    Write("cut.preset", good.substr(0, 20));
    ExpectRefusal({"correct", in, "-o", out, "--preset", Path("cut.preset")}, out, 1, {"cut.preset", "20 bytes"});
}

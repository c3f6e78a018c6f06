#pragma once
// Scratch directories, small sound files and the built tool, for the tool's tests.

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ProgramRunner.h"
#include "job/JobError.h"

namespace clitest {

// The message of the usage error a call throws (exit status 2, one line),
// or "" when it throws none.
template <class F>
std::string UsageMessage(F call)
{
    try {
        call();
    } catch (const job::CJobError& e) {
        EXPECT_EQ(e.ExitCode(), 2) << e.what();
        EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos);
        return e.what();
    }
    return "";
}

namespace fs = std::filesystem;

class ScratchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_Dir = fs::temp_directory_path() /
                ("intonara-cli-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" + info->name());
        fs::remove_all(m_Dir);
        fs::create_directories(m_Dir);
    }
    void TearDown() override { fs::remove_all(m_Dir); }

    std::string Path(const std::string& name) const { return (m_Dir / name).string(); }

    // Everything in the directory, so a test can see that no stray file is left.
    std::vector<std::string> Listing() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_Dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path m_Dir;
};

// Interleaved frames as floats, any encoding libsndfile can write.
inline void WriteFloats(const std::string& path, int format, int channels, int rate, const std::vector<float>& data)
{
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = rate;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(sf_writef_float(file, data.data(), static_cast<sf_count_t>(data.size()) / channels),
              static_cast<sf_count_t>(data.size()) / channels);
    sf_close(file);
}

// A tone with its octave above, fading in over 20 ms: something the
// detector locks on to.
inline std::vector<float> FadedTone(int rate, double hz, double seconds, double level = 0.3)
{
    std::vector<float> samples(static_cast<size_t>(rate * seconds));
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double fade = std::min(1.0, t / 0.02);
        samples[i] = static_cast<float>(level * fade *
                                        (std::sin(2 * M_PI * hz * t) + 0.3 * std::sin(4 * M_PI * hz * t)));
    }
    return samples;
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline long Lines(const std::string& text)
{
    return std::count(text.begin(), text.end(), '\n');
}

// The built tool, run in a scratch directory as a user runs it.
class ToolTest : public ScratchTest
{
protected:
    static std::string Tool() { return (OwnDirectory() / "intonara").string(); }
    ProgramResult Run(const std::vector<std::string>& arguments, const std::string& directory = "")
    {
        return RunProgram(Tool(), arguments, directory);
    }

    // A refusal: the status, one line on stderr beginning "intonara: " that
    // names every word given, nothing on stdout, no file left behind. An
    // existing output named first holds a few words, which must survive.
    void ExpectRefusal(const std::vector<std::string>& arguments, int status,
                       const std::vector<std::string>& named = {}, const std::string& existing = "")
    {
        if (!existing.empty())
            std::ofstream(existing) << "an earlier take";
        const std::vector<std::string> before = Listing();
        const ProgramResult r = Run(arguments);
        std::string call;
        for (const std::string& a : arguments)
            call += " " + a;
        EXPECT_EQ(r.nStatus, status) << call << "\n" << r.sErr;
        EXPECT_EQ(r.sErr.rfind("intonara: ", 0), 0u) << call << "\n" << r.sErr;
        EXPECT_EQ(Lines(r.sErr), 1) << call << "\n" << r.sErr;
        for (const std::string& word : named) {
            EXPECT_NE(r.sErr.find(word), std::string::npos) << "\"" << word << "\" not in: " << r.sErr;
        }
        EXPECT_EQ(r.sOut, "") << call;
        EXPECT_EQ(Listing(), before) << call << ": a file was left behind";
        if (!existing.empty()) {
            EXPECT_EQ(ReadBytes(existing), "an earlier take") << call;
        }
    }
};

struct SoundData
{
    SF_INFO info{};
    std::vector<float> floats;    // interleaved
    std::vector<int16_t> shorts;  // interleaved, exact for 16-bit files
};

inline SoundData ReadSound(const std::string& path)
{
    SoundData data;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &data.info);
    if (!file) {
        ADD_FAILURE() << "cannot read " << path << ": " << sf_strerror(nullptr);
        return data;
    }
    const size_t n = static_cast<size_t>(data.info.frames) * static_cast<size_t>(data.info.channels);
    data.floats.resize(n);
    data.shorts.resize(n);
    sf_readf_float(file, data.floats.data(), data.info.frames);
    sf_seek(file, 0, SEEK_SET);
    sf_readf_short(file, data.shorts.data(), data.info.frames);
    sf_close(file);
    return data;
}

} // namespace clitest

// Runs the two programs as a user would and checks what they leave behind.

#include "analysis/SoundFile.h"
#include "voice/DemoPhrase.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class ToolPrograms : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                ("intonara-tools-" + std::to_string(::getpid()) + "-" + info->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Each argument goes to the program as one word, whatever it contains
    // (the tests' paths have no single quotes).
    Outcome Execute(const std::string& program, const std::vector<std::string>& arguments) const
    {
        const fs::path out = m_dir / "stdout.txt", err = m_dir / "stderr.txt";
        std::string command = Quoted(program);
        for (const std::string& argument : arguments)
            command.append(" ").append(Quoted(argument));
        command.append(" >").append(Quoted(out.string())).append(" 2>").append(Quoted(err.string()));
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(out), Slurp(err)};
    }

    static std::string Quoted(const std::string& text)
    {
        std::string quoted;
        quoted.reserve(text.size() + 2);
        quoted.push_back('\'');
        quoted.append(text);
        quoted.push_back('\'');
        return quoted;
    }

    static std::string Slurp(const fs::path& path)
    {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static long Lines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

    fs::path m_dir;
};

TEST_F(ToolPrograms, DemoInputWritesTheDemoAs16BitMonoWav)
{
    for (int rate : {44100, 48000}) {
        const fs::path wav = m_dir / ("demo" + std::to_string(rate) + ".wav");
        std::vector<std::string> arguments = {wav.string()};
        if (rate != 44100)
            arguments.insert(arguments.end(), {"--sample-rate", std::to_string(rate)});
        const Outcome run = Execute(INTONARA_DEMO_INPUT_EXE, arguments);
        ASSERT_EQ(run.status, 0) << run.err;

        SF_INFO info{};
        SNDFILE* file = sf_open(wav.c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr);
        sf_close(file);
        EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        EXPECT_EQ(info.channels, 1);
        EXPECT_EQ(info.samplerate, rate);

        // The file holds the phrase, to 16-bit precision.
        const auto expected = voice::SynthesizeDemoPhrase(rate);
        const auto written = analysis::ReadMonoSound(wav.string());
        ASSERT_EQ(written.samples.size(), expected.size());
        double worst = 0.0;
        for (size_t i = 0; i < expected.size(); ++i)
            worst = std::max(worst, static_cast<double>(std::fabs(written.samples[i] - expected[i])));
        EXPECT_LE(worst, 1.0 / 32767.0);
    }
}

TEST_F(ToolPrograms, DemoInputRefusesBadInputWithOneLine)
{
    const fs::path wav = m_dir / "x.wav";
    const std::vector<std::vector<std::string>> mistakes = {
        {wav.string(), "--sample-rate", "5"},
        {wav.string(), "--sample-rate", "fast"},
        {},
        {"/nonexistent-dir/sub/x.wav"},
    };
    for (const auto& arguments : mistakes) {
        const Outcome run = Execute(INTONARA_DEMO_INPUT_EXE, arguments);
        EXPECT_NE(run.status, 0) << arguments.size() << " arguments";
        EXPECT_EQ(Lines(run.err), 1) << run.err;
        EXPECT_EQ(run.err.rfind("intonara-demo-input: ", 0), 0u) << run.err;
    }
    EXPECT_FALSE(fs::exists(wav));

    const Outcome help = Execute(INTONARA_DEMO_INPUT_EXE, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--sample-rate"), std::string::npos);
}

TEST_F(ToolPrograms, PitchReportTabulatesEachFile)
{
    const fs::path demo = m_dir / "demo.wav", tone = m_dir / "tone.wav";
    ASSERT_EQ(Execute(INTONARA_DEMO_INPUT_EXE, {demo.string()}).status, 0);
    // A4 exactly, as a stereo file with the same tone in both channels.
    {
        SF_INFO info{};
        info.samplerate = 44100;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        SNDFILE* file = sf_open(tone.c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr);
        std::vector<float> frames;
        for (int n = 0; n < 44100; ++n) {
            const float v = static_cast<float>(0.3 * std::sin(2.0 * std::numbers::pi * 440.0 * n / 44100.0));
            frames.insert(frames.end(), {v, v});
        }
        sf_writef_float(file, frames.data(), 44100);
        sf_close(file);
    }

    const Outcome run =
        Execute(INTONARA_PITCH_REPORT_EXE, {demo.string(), (m_dir / "missing.wav").string(), tone.string()});
    EXPECT_EQ(run.status, 1);   // one file could not be read
    EXPECT_EQ(Lines(run.err), 1) << run.err;
    EXPECT_NE(run.err.find("missing.wav"), std::string::npos);

    std::istringstream table(run.out);
    std::string header, demoRow, toneRow;
    std::getline(table, header);
    std::getline(table, demoRow);
    std::getline(table, toneRow);
    EXPECT_NE(header.find("median"), std::string::npos);
    EXPECT_NE(header.find("p90"), std::string::npos);
    // Aligned: every row as wide as the header.
    EXPECT_EQ(demoRow.size(), header.size());
    EXPECT_EQ(toneRow.size(), header.size());

    auto parse = [](const std::string& row, const fs::path& file) {
        std::istringstream fields(row.substr(row.find(file.string()) + file.string().size()));
        double median = -1, p90 = -1;
        long voiced = -1;
        fields >> median >> p90 >> voiced;
        return std::make_tuple(median, p90, voiced);
    };
    const auto [demoMedian, demoP90, demoVoiced] = parse(demoRow, demo);
    EXPECT_GT(demoMedian, 20.0);
    EXPECT_LT(demoMedian, 45.0);
    EXPECT_GE(demoP90, demoMedian);
    EXPECT_GT(demoVoiced, 1000);
    const auto [toneMedian, toneP90, toneVoiced] = parse(toneRow, tone);
    EXPECT_LT(toneMedian, 0.5);
    EXPECT_LT(toneP90, 0.5);
    EXPECT_GT(toneVoiced, 150);
}

}  // namespace

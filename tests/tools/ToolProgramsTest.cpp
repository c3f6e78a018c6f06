// Runs the two programs as a user would and checks what they leave behind.

#include "analysis/SoundFile.h"
#include "cli/CliTestSupport.h"
#include "voice/DemoPhrase.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>

namespace fs = std::filesystem;
using clitest::Lines;
using clitest::RunProgram;

namespace {

class ToolPrograms : public clitest::ScratchTest {};

TEST_F(ToolPrograms, DemoInputWritesTheDemoAs16BitMonoWavOrRefusesWithOneLine)
{
    for (int rate : {44100, 48000}) {
        const fs::path wav = m_Dir / ("demo" + std::to_string(rate) + ".wav");
        const auto run = RunProgram(INTONARA_DEMO_INPUT_EXE, {wav.string(), "--sample-rate", std::to_string(rate)});
        ASSERT_EQ(run.nStatus, 0) << run.sErr;
        const SF_INFO info = clitest::ReadSound(wav.string()).info;
        EXPECT_EQ(std::tuple(info.format, info.channels, info.samplerate), std::tuple(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, rate));
        // The file holds the phrase, to 16-bit precision.
        const auto expected = voice::SynthesizeDemoPhrase(rate);
        const auto written = analysis::ReadMonoSound(wav.string()).samples;
        ASSERT_EQ(written.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            ASSERT_LE(std::fabs(written[i] - expected[i]), 1.0 / 32767.0) << i;
    }

    const fs::path wav = m_Dir / "x.wav";
    for (const std::vector<std::string>& mistake : std::vector<std::vector<std::string>>{
             {wav.string(), "--sample-rate", "5"}, {wav.string(), "--sample-rate", "fast"}, {}, {"/nonexistent-dir/sub/x.wav"}}) {
        const auto run = RunProgram(INTONARA_DEMO_INPUT_EXE, mistake);
        EXPECT_NE(run.nStatus, 0) << mistake.size() << " arguments";
        EXPECT_EQ(Lines(run.sErr), 1) << run.sErr;
        EXPECT_EQ(run.sErr.rfind("intonara-demo-input: ", 0), 0u) << run.sErr;
    }
    EXPECT_FALSE(fs::exists(wav));
    const auto help = RunProgram(INTONARA_DEMO_INPUT_EXE, {"--help"});
    EXPECT_EQ(help.nStatus, 0);
    EXPECT_NE(help.sOut.find("--sample-rate"), std::string::npos);
}

TEST_F(ToolPrograms, PitchReportTabulatesEachFile)
{
    const fs::path demo = m_Dir / "demo.wav", tone = m_Dir / "tone.wav";
    ASSERT_EQ(RunProgram(INTONARA_DEMO_INPUT_EXE, {demo.string()}).nStatus, 0);
    // A4 exactly, as a stereo file with the same tone in both channels.
    std::vector<float> frames;
    for (int n = 0; n < 44100; ++n)
        frames.insert(frames.end(), 2, static_cast<float>(0.3 * std::sin(2.0 * std::numbers::pi * 440.0 * n / 44100.0)));
    clitest::WriteFloats(tone.string(), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 44100, frames);

    const auto run = RunProgram(INTONARA_PITCH_REPORT_EXE, {demo.string(), (m_Dir / "missing.wav").string(), tone.string()});
    EXPECT_EQ(run.nStatus, 1);  // one file could not be read
    EXPECT_EQ(Lines(run.sErr), 1) << run.sErr;
    EXPECT_NE(run.sErr.find("missing.wav"), std::string::npos);
    std::istringstream table(run.sOut);
    std::string header, demoRow, toneRow;
    std::getline(table, header), std::getline(table, demoRow), std::getline(table, toneRow);
    EXPECT_TRUE(header.find("median") != std::string::npos && header.find("p90") != std::string::npos) << header;
    // Aligned: every row as wide as the header.
    EXPECT_EQ(std::pair(demoRow.size(), toneRow.size()), std::pair(header.size(), header.size()));
    auto parse = [](const std::string& row, const fs::path& path) {
        std::istringstream fields(row.substr(row.find(path.string()) + path.string().size()));
        double median = -1, p90 = -1;
        long voiced = -1;
        fields >> median >> p90 >> voiced;
        return std::make_tuple(median, p90, voiced);
    };
    const auto [demoMedian, demoP90, demoVoiced] = parse(demoRow, demo);
    EXPECT_TRUE(demoMedian > 20.0 && demoMedian < 45.0 && demoP90 >= demoMedian && demoVoiced > 1000) << demoRow;
    const auto [toneMedian, toneP90, toneVoiced] = parse(toneRow, tone);
    EXPECT_TRUE(toneMedian < 0.5 && toneP90 < 0.5 && toneVoiced > 150) << toneRow;
}

}  // namespace

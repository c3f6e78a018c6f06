// The built tool, run as a user would run it.

#include "CliTestSupport.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

using clitest::FadedTone;
using clitest::Lines;

class CliProgram : public clitest::ToolTest
{
};

} // namespace

TEST_F(CliProgram, CorrectsSixteenBitAndFloatFiles)
{
    clitest::WriteFloats(Path("pcm.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, FadedTone(44100, 220.0, 0.5));
    clitest::WriteFloats(Path("float.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 48000, FadedTone(48000, 220.0, 0.5));

    for (const char* name : {"pcm", "float"}) {
        const std::string in = Path(std::string(name) + ".wav"), out = Path(std::string(name) + "-out.wav");
        // A negative value is taken as the value, not as an option.
        const clitest::ProgramResult r =
            Run({"correct", in, "-o", out, "--scale", "Major", "--key", "A", "--detune", "-20", "--retune", "100",
                 "--threshold", "40", "--vibrato", "sine", "--depth", "50", "--rate", "4.4", "--delay", "700"});
        ASSERT_EQ(r.nStatus, 0) << r.sErr;
        EXPECT_EQ(r.sErr, ""); // no progress bar without a terminal
        EXPECT_EQ(Lines(r.sOut), 1);
        // Each option reached its own setting.
        EXPECT_NE(r.sOut.find("\"Major\", key A, detune -20 cents, retune 100 ms, threshold 40, vibrato sine "
                              "(50 cents, 4.4 Hz, after 700 ms)"),
                  std::string::npos)
            << r.sOut;

        const clitest::SoundData input = clitest::ReadSound(in), output = clitest::ReadSound(out);
        EXPECT_EQ(output.info.format, input.info.format) << name;
        EXPECT_EQ(output.info.samplerate, input.info.samplerate);
        EXPECT_EQ(output.info.channels, 1);
        EXPECT_EQ(output.info.frames, input.info.frames);
        float peak = 0.0f;
        for (float x : output.floats)
            peak = std::max(peak, std::fabs(x));
        EXPECT_GT(peak, 0.1f) << name; // sound came out, not silence
    }
    EXPECT_EQ(Listing(), (std::vector<std::string>{"float-out.wav", "float.wav", "pcm-out.wav", "pcm.wav"}));

    // --quiet prints nothing at all.
    const clitest::ProgramResult quiet = Run({"correct", Path("pcm.wav"), "-o", Path("pcm-out.wav"), "--quiet"});
    EXPECT_EQ(quiet.nStatus, 0);
    EXPECT_EQ(quiet.sOut + quiet.sErr, "");
}

TEST_F(CliProgram, BadInputGivesOneLineAndNoOutput)
{
    const std::string good = Path("good.wav"), out = Path("out.wav");
    clitest::WriteFloats(good, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, FadedTone(44100, 220.0, 0.1));
    { std::ofstream(Path("empty.wav")); }
    { std::ofstream(Path("text.wav")) << "not a sound file, only text\n"; }
    clitest::fs::create_directory(Path("folder.wav"));

    ExpectRefusal({"correct", Path("missing.wav"), "-o", out}, 1, {"missing.wav"});
    ExpectRefusal({"correct", Path("folder.wav"), "-o", out}, 1, {"directory"});
    ExpectRefusal({"correct", Path("empty.wav"), "-o", out}, 1, {"empty.wav"});
    // A failed run leaves an existing output as it was.
    ExpectRefusal({"correct", Path("text.wav"), "-o", out}, 1, {"text.wav"}, out);

    // Each bad option value, and the message naming it or its range.
    const std::vector<std::pair<std::vector<std::string>, std::string>> options = {
        {{"--scale", "Lydian"}, "--scale"},         {{"--scale", "29"}, "0 to 28"},
        {{"--key", "H"}, "--key"},                  {{"--detune", "101"}, "-100 to 100"},
        {{"--detune=-101"}, "--detune"},            {{"--retune", "401"}, "0 to 400"},
        {{"--retune-index", "-1"}, "--retune-index"}, {{"--retune", "20", "--retune-index", "126"}, "--retune"},
        {{"--threshold", "101"}, "--threshold"},    {{"--vibrato", "wobble"}, "--vibrato"},
        {{"--depth", "-1"}, "--depth"},             {{"--rate", "0"}, "0.1 to 10.0 Hz"},
        {{"--delay", "3001"}, "--delay"},           {{"--frobnicate"}, "--frobnicate"}};
    for (const auto& [option, mention] : options) {
        std::vector<std::string> call = {"correct", good, "-o", out};
        call.insert(call.end(), option.begin(), option.end());
        ExpectRefusal(call, 2, {mention}, out);
    }
    ExpectRefusal({"correct", good}, 2, {"--output"});
    ExpectRefusal({"correct", good, "-o", good}, 2, {"input"});
    ExpectRefusal({"notes", "--sample-rate", "12"}, 2, {"--sample-rate"});
    ExpectRefusal({}, 2);
    ExpectRefusal({"transmogrify"}, 2);
}

TEST_F(CliProgram, HelpExplainsEveryOption)
{
    const std::pair<std::vector<std::string>, std::vector<std::string>> pages[] = {
        {{"--help"}, {"correct", "analyze", "scales", "notes", "register", "unregister", "filters", "--version",
                      "--help"}},
        {{"correct", "--help"},
         {"IN", "--output", "--scale", "--key", "--detune", "--retune ", "--retune-index", "--threshold", "--vibrato",
          "--depth", "--rate", "--delay", "--bypass", "--mixdown", "--quiet", "--preset", "--save-preset", "--log",
          "Default: 2", "Default: 20", "Default: 5.5", "cents", "ms", "temporary", "--a4", "--format", "--bits",
          "--keep-latency", "--channel", "--output-dir", "standard input", "30 samples", ".opus"}},
        {{"notes", "--help"}, {"--scale", "--key", "--sample-rate", "Default: 44100"}},
        {{"scales", "--help"}, {}},
        {{"analyze", "--help"}, {"IN", "--png", "--json", "--scale", "--key", "--a4", "--threshold", "--channel",
                                 "--mixdown", "200-sample frame", "60 ms"}}};
    for (const auto& [call, words] : pages) {
        const clitest::ProgramResult r = Run(call);
        EXPECT_EQ(r.nStatus, 0) << call[0];
        for (const std::string& word : words)
            EXPECT_NE(r.sOut.find(word), std::string::npos) << call[0] << ": " << word;
    }
    const clitest::ProgramResult version = Run({"--version"});
    EXPECT_EQ(version.nStatus, 0);
    EXPECT_EQ(version.sOut.rfind("intonara ", 0), 0u) << version.sOut;
}

TEST_F(CliProgram, ListsScalesAndNotes)
{
    const clitest::ProgramResult scales = Run({"scales"});
    EXPECT_EQ(scales.nStatus, 0);
    EXPECT_EQ(Lines(scales.sOut), 30); // heading and 29 scales
    EXPECT_NE(scales.sOut.find("Werckmeister III Chrom."), std::string::npos);

    // D major: two sharps.
    const clitest::ProgramResult notes = Run({"notes", "--scale", "major", "--key", "D", "--sample-rate", "48000"});
    EXPECT_EQ(notes.nStatus, 0) << notes.sErr;
    EXPECT_EQ(Lines(notes.sOut), 3 + 7);
    std::istringstream lines(notes.sOut);
    std::string line;
    std::vector<std::string> names;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string degree, name;
        words >> degree >> name;
        if (!degree.empty() && std::isdigit(static_cast<unsigned char>(degree[0])))
            names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"D", "E", "F#", "G", "A", "B", "C#"}));
}

TEST_F(CliProgram, TyposAreNamedWithTheNearestChoice)
{
    const std::string in = Path("in.wav"), out = Path("out.wav");
    clitest::WriteFloats(in, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, FadedTone(44100, 220.0, 0.1));
    ExpectRefusal({"corect", in, "-o", out}, 2, {"unknown subcommand \"corect\"; did you mean \"correct\"?"});
    ExpectRefusal({"nots"}, 2, {"\"notes\""});
    ExpectRefusal({"xyzzy"}, 2, {"correct, analyze, scales, notes"});
    ExpectRefusal({"correct", in, "-o", out, "--scael", "Major"}, 2, {"no option --scael; did you mean \"--scale\"?"});
    ExpectRefusal({"correct", "--vibrto=sine", in, "-o", out}, 2, {"\"--vibrato\""});
    ExpectRefusal({"notes", "--vibrato", "sine"}, 2, {"--vibrato is an option of correct"});
    ExpectRefusal({"--scale", "major", "notes"}, 2, {"before the subcommand"});
    ExpectRefusal({"correct", in, "-o", out, "--scale", "Majr"}, 2, {"did you mean \"Major\"?"});
    ExpectRefusal({"correct", in, "-o", out, "--scale", "greek"}, 2, {"Greek Enharmonic Genus"});
    // Values that look like options are still values.
    EXPECT_EQ(Run({"correct", in, "-o", out, "--detune", "-5", "--quiet"}).nStatus, 0);
}

TEST_F(CliProgram, AliasesGiveTheSameOutputAsTheNamesTheyStandFor)
{
    const std::string in = Path("in.wav");
    clitest::WriteFloats(in, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, FadedTone(44100, 452.0, 0.3));
    const clitest::ProgramResult alias = Run({"correct", in, "-o", Path("alias.wav"), "--key", "Am", "--a4", "442"});
    ASSERT_EQ(alias.nStatus, 0) << alias.sErr;
    EXPECT_NE(alias.sOut.find("scale \"Minor\", key A, detune +8 cents (for A4 = 442 Hz)"), std::string::npos)
        << alias.sOut;
    const clitest::ProgramResult named =
        Run({"correct", in, "-o", Path("named.wav"), "--scale", "Minor", "--key", "A", "--detune", "8"});
    ASSERT_EQ(named.nStatus, 0) << named.sErr;
    const clitest::SoundData a = clitest::ReadSound(Path("alias.wav")), n = clitest::ReadSound(Path("named.wav"));
    ASSERT_EQ(a.floats.size(), n.floats.size());
    EXPECT_EQ(a.floats, n.floats);
    // The tone is corrected (452 Hz is not a note of A minor at 442).
    EXPECT_NE(a.floats, clitest::ReadSound(in).floats);

    const clitest::ProgramResult chromatic = Run({"correct", in, "-o", Path("c.wav"), "--scale", "chromatic"});
    EXPECT_NE(chromatic.sOut.find("\"Equal Tempered Chrom.\""), std::string::npos) << chromatic.sOut;
}

TEST_F(CliProgram, NotesInHertzOrInTheEnginesUnits)
{
    const clitest::ProgramResult notes = Run({"notes", "--key", "Am", "--a4", "442"});
    ASSERT_EQ(notes.nStatus, 0) << notes.sErr;
    EXPECT_NE(notes.sOut.find("\"Minor\" in key A, detune +8 cents, A4 = 442.04 Hz"), std::string::npos)
        << notes.sOut;
    EXPECT_NE(notes.sOut.find("captures from Hz"), std::string::npos);
    EXPECT_EQ(notes.sOut.find("1/4096"), std::string::npos);
    EXPECT_EQ(Lines(notes.sOut), 3 + 7);

    const clitest::ProgramResult raw = Run({"notes", "--scale", "2", "--raw"});
    ASSERT_EQ(raw.nStatus, 0) << raw.sErr;
    EXPECT_NE(raw.sOut.find("in 1/4096 sample"), std::string::npos) << raw.sOut;
    // C's period and capture range at 44.1 kHz, as the engine has them.
    EXPECT_NE(raw.sOut.find("690428"), std::string::npos) << raw.sOut;
    EXPECT_NE(raw.sOut.find("710955"), std::string::npos) << raw.sOut;
}

TEST_F(CliProgram, FloatWaveOutputReadsCleanlyInSox)
{
    const std::string sox = clitest::FindProgram("sox");
    ASSERT_FALSE(sox.empty()) << "sox is not installed";
    const std::string in = Path("in.wav"), out = Path("out.wav");
    clitest::WriteFloats(in, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, FadedTone(44100, 220.0, 0.1));
    ASSERT_EQ(Run({"correct", in, "-o", out, "--quiet"}).nStatus, 0);
    const clitest::ProgramResult stat = clitest::RunProgram(sox, {out, "-n", "stat"});
    EXPECT_EQ(stat.nStatus, 0);
    EXPECT_EQ(stat.sErr.find("WARN"), std::string::npos) << stat.sErr;
    EXPECT_NE(stat.sErr.find("Samples read:              4410"), std::string::npos) << stat.sErr;
    // The format chunk has the 18 bytes the WAVE rules ask for float data
    // (ending in an extension size of 0), and the RIFF size still counts
    // every byte after its own field.
    std::ifstream file(out, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto le32 = [&](size_t at) {
        return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
               static_cast<uint8_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
    };
    EXPECT_EQ(bytes.substr(12, 4), "fmt ");
    EXPECT_EQ(le32(16), 18u);
    EXPECT_EQ(bytes.substr(36, 2), std::string(2, '\0'));
    EXPECT_EQ(le32(4), bytes.size() - 8);
}

// "intonara graph" from the outside: a sung phrase is tracked, given curves
// that follow it, one note is moved 50 cents up with a line, and the file
// is corrected along the curves. An analyser independent of the engine
// (aubio) then hears that note 50 cents higher and every other note where
// it was. Also the refusals a user meets first.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/PitchAnalysis.h"
#include "cli/CliTestSupport.h"
#include "voice/VoiceSynth.h"

namespace {

constexpr int kRate = 44100;

class GraphCli : public clitest::ToolTest
{
protected:
    clitest::ProgramResult Run(std::vector<std::string> args)
    {
        args.insert(args.begin(), "graph");
        return ToolTest::Run(args);
    }
    void MustRun(const std::vector<std::string>& args)
    {
        const clitest::ProgramResult r = Run(args);
        ASSERT_EQ(r.nStatus, 0) << args[0] << ": " << r.sErr;
    }
};

// Four steady notes with a breath after each, no vibrato: C3 E3 G3 C4 in
// the graph's names (middle C is C3), starting on the first sample.
const std::vector<voice::NoteEvent> kPhrase = {
    {60.0, 0.0, 0.9, 0.25}, {64.0, 0.0, 0.9, 0.25}, {67.0, 0.0, 0.9, 0.25}, {72.0, 0.0, 0.9, 0.0}};

voice::VoiceOptions Steady()
{
    voice::VoiceOptions o;
    o.sampleRate = kRate;
    o.vibratoCents = 0.0;
    o.jitter = 0.0005;
    return o;
}

double MedianCents(const std::vector<analysis::PitchFrame>& frames, double from, double to)
{
    std::vector<double> cents;
    for (const analysis::PitchFrame& f : frames)
        if (f.seconds >= from && f.seconds <= to)
            cents.push_back(1200.0 * std::log2(f.hz / 261.6256));
    return analysis::Percentile(cents, 50.0);
}

} // namespace

TEST_F(GraphCli, ANoteMovedFiftyCentsUpComesOutFiftyCentsHigherTheRestStaysAndMistakesAreRefused)
{
    const voice::VoiceOptions options = Steady();
    const std::vector<float> sung = voice::SynthesizePhrase(kPhrase, options);
    const std::vector<voice::NoteSpan> spans = voice::PhraseNoteSpans(kPhrase, options);
    const std::string in = Path("sung.wav"), session = Path("sung.isn"), out = Path("moved.wav");
    clitest::WriteFloats(in, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, kRate, sung);

    MustRun({"track", in, "-o", session, "--seconds", "10"});
    MustRun({"make-curve", session});
    // The second note (E3, 400 cents) a quarter tone up over its steady part.
    const double from = spans[1].start + 0.15, to = spans[1].end - 0.15;
    char first[32], last[32];
    std::snprintf(first, sizeof first, "%.3f:450", from);
    std::snprintf(last, sizeof last, "%.3f:450", to);
    MustRun({"line", session, "--point", first, "--point", last});
    MustRun({"correct", in, session, "-o", out, "--quiet"});

    const clitest::SoundData corrected = clitest::ReadSound(out);
    ASSERT_EQ(corrected.info.frames, static_cast<sf_count_t>(sung.size()));
    const auto before = analysis::AnalysePitch(sung, kRate);
    const auto after = analysis::AnalysePitch(corrected.floats, kRate);
    for (size_t n = 0; n < spans.size(); ++n) {
        const double a = spans[n].start + 0.2, b = spans[n].end - 0.2;
        const double shift = MedianCents(after, a, b) - MedianCents(before, a, b);
        std::printf("note %zu: %+.2f cents\n", n, shift);
        if (n == 1)
            EXPECT_NEAR(shift, 50.0, 3.0) << "the moved note";
        else
            EXPECT_NEAR(shift, 0.0, 3.0) << "note " << n;
    }

    // Then the refusals a user meets first, one line each.
    ExpectRefusal({"graph", "track", in, "-o", Path("short.isn"), "--seconds", "2"}, 2, {"give --seconds 5 or more"});
    // Another file of a different length is not the one tracked.
    const std::string other = Path("other.wav");
    clitest::WriteFloats(other, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, kRate,
                         std::vector<float>(sung.begin(), sung.begin() + kRate));
    ExpectRefusal({"graph", "correct", other, session, "-o", Path("x.wav")}, 1, {"is not the file"});

    // A damaged session is refused and left as it was.
    std::string bytes = clitest::ReadBytes(session);
    bytes[bytes.size() / 2] ^= 0x01;
    std::ofstream(session, std::ios::binary) << bytes;
    clitest::ProgramResult r = Run({"make-curve", session});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.sErr, "intonara: " + session + " is damaged: its checksum does not match its contents\n");
    EXPECT_EQ(clitest::ReadBytes(session), bytes);
    r = Run({"info", Path("sung.wav")});
    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.sErr, "intonara: " + in + " is not an Intonara session file\n");
    ExpectRefusal({"graph", "line", session, "--point", "1:H3", "--point", "2:A3"}, 2);
    // A session names its sound file; a stream has no name.
    ExpectRefusal({"graph", "track", "-", "-o", Path("piped.isn")}, 2, {"not standard input"});
    ExpectRefusal({"graph"}, 2, {"give a subcommand of intonara graph: track, make-curve"});
    ExpectRefusal({"graph", "trak"}, 2, {"did you mean \"track\"?"});
}

TEST_F(GraphCli, CorrectWritesItsOutputAsTheCorrectCommandDoes)
{
    // Two channels of 16-bit PCM, the second half as loud: tracked and
    // corrected as their average.
    const std::vector<float> sung = voice::SynthesizePhrase(kPhrase, Steady());
    std::vector<float> stereo;
    for (float s : sung) {
        stereo.push_back(s);
        stereo.push_back(0.5f * s);
    }
    const std::string in = Path("duet.wav"), session = Path("duet.isn");
    clitest::WriteFloats(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, kRate, stereo);
    MustRun({"track", in, "-o", session, "--seconds", "10", "--quiet"});
    MustRun({"make-curve", session, "--quiet"});

    // The extension picks the container, --bits the samples.
    MustRun({"correct", in, session, "-o", Path("out.flac"), "--bits", "24", "--quiet"});
    const clitest::SoundData flac = clitest::ReadSound(Path("out.flac"));
    EXPECT_EQ(flac.info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(flac.info.channels, 1);
    EXPECT_EQ(flac.info.frames, static_cast<sf_count_t>(sung.size())) << "lined up: as long as the input";

    // Lined up with the input, and the raw stream 30 samples behind it.
    MustRun({"correct", in, session, "-o", Path("aligned.wav"), "--quiet"});
    MustRun({"correct", in, session, "-o", Path("late.wav"), "--keep-latency", "--quiet"});
    const clitest::SoundData aligned = clitest::ReadSound(Path("aligned.wav"));
    const clitest::SoundData late = clitest::ReadSound(Path("late.wav"));
    EXPECT_EQ(aligned.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16) << "the input's encoding kept";
    ASSERT_EQ(aligned.shorts.size(), sung.size());
    ASSERT_EQ(late.shorts.size(), sung.size());
    size_t differing = 0, loud = 0;
    for (size_t i = 0; i + 30 < sung.size(); ++i) {
        differing += aligned.shorts[i] != late.shorts[i + 30] ? 1 : 0;
        loud += std::abs(aligned.shorts[i]) > 1000 ? 1 : 0;
    }
    EXPECT_EQ(differing, 0u);
    EXPECT_GT(loud, sung.size() / 2) << "the voice is there, not silence";

    // Standard output: a WAV file there, the summary on standard error.
    const clitest::ProgramResult r = Run({"correct", in, session, "-o", "-"});
    ASSERT_EQ(r.nStatus, 0) << r.sErr;
    ASSERT_GT(r.sOut.size(), 44u);
    EXPECT_EQ(r.sOut.substr(0, 4), "RIFF");
    EXPECT_EQ(r.sOut.size() - 44, 2 * sung.size());
    EXPECT_NE(r.sErr.find("into standard output along the curves of"), std::string::npos) << r.sErr;
    EXPECT_NE(r.sErr.find("mixed down to one channel"), std::string::npos) << r.sErr;

    // An unknown extension is refused before anything is read or written.
    ExpectRefusal({"graph", "correct", in, session, "-o", Path("out.xyz")}, 2, {"out.xyz"});
    EXPECT_EQ(Listing(), (std::vector<std::string>{"aligned.wav", "duet.isn", "duet.wav", "late.wav", "out.flac"}));
}

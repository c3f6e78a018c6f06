// "intonara analyze" on the demo phrase, whose twelve notes and how far
// each was sung off pitch are known from the voice that sang them.

#include "CliTestSupport.h"

#include <png.h>

#include <cmath>

#include "voice/DemoPhrase.h"

namespace {

constexpr int kFileRate = 44100;

// The notes' names, "A3" for MIDI 57.
std::string MidiName(double midi)
{
    static const char* const kNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    const int n = static_cast<int>(std::lround(midi));
    return kNames[n % 12] + std::to_string(n / 12 - 1);
}

struct JsonNote
{
    double start;
    std::string name;
    double deviation;
};

// The value after "key": in text, from at on.
std::string Field(const std::string& text, size_t at, const std::string& key)
{
    const size_t start = text.find("\"" + key + "\": ", at) + key.size() + 4;
    const size_t end = text.find_first_of(",}", start);
    std::string value = text.substr(start, end - start);
    if (!value.empty() && value.front() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

// The notes of --json's output: each object that begins with "start".
std::vector<JsonNote> Notes(const std::string& json)
{
    std::vector<JsonNote> notes;
    for (size_t at = json.find("{\"start\": "); at != std::string::npos; at = json.find("{\"start\": ", at + 1)) {
        EXPECT_EQ(Field(json, at, "tracked"), "true");
        notes.push_back({std::stod(Field(json, at, "start")), Field(json, at, "note"),
                         std::stod(Field(json, at, "deviation_cents"))});
    }
    return notes;
}

class Analyze : public clitest::ToolTest
{
};

} // namespace

TEST_F(Analyze, FindsTheDemoPhrasesTwelveNotesAndHowFarOffEachWas)
{
    const std::vector<float> phrase = voice::SynthesizeDemoPhrase(kFileRate);
    const std::string in = Path("demo.wav");
    clitest::WriteFloats(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, kFileRate, phrase);
    const clitest::ProgramResult r = Run({"analyze", in, "--json", "--png", Path("demo.png")});
    ASSERT_EQ(r.nStatus, 0) << r.sErr;

    const std::vector<voice::NoteEvent> sung = voice::DemoNotes();
    const std::vector<voice::NoteSpan> spans = voice::PhraseNoteSpans(sung, voice::DemoOptions(kFileRate));
    const std::vector<JsonNote> found = Notes(r.sOut);
    ASSERT_EQ(found.size(), sung.size()) << r.sOut;
    for (size_t i = 0; i < sung.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(found[i].name, MidiName(sung[i].midi));
        EXPECT_NEAR(found[i].deviation, sung[i].detuneCents, 3.0);
        // Each starts within the glide into it.
        EXPECT_NEAR(found[i].start, spans[i].start, 0.12);
    }
    EXPECT_NE(r.sOut.find("\"notes\": 12"), std::string::npos);

    // The picture: a PNG the width its length asks for.
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_file(&image, Path("demo.png").c_str()), 0) << image.message;
    EXPECT_GT(image.width, 1000u);
    EXPECT_EQ(image.height, 480u);
    png_image_free(&image);

    // The table names the same notes.
    const clitest::ProgramResult text = Run({"analyze", in, "--key", "Am"});
    ASSERT_EQ(text.nStatus, 0) << text.sErr;
    EXPECT_NE(text.sOut.find("\"Minor\" in key A"), std::string::npos) << text.sOut;
    EXPECT_NE(text.sOut.find("12 notes in 11.95 s"), std::string::npos) << text.sOut;
    EXPECT_NE(text.sOut.find("0 within 10 cents"), std::string::npos) << text.sOut;
}

TEST_F(Analyze, ChannelsAndPicturesAreChosenWithCare)
{
    // Left: A4 sharp by 20 cents; right: E4 flat by 15.
    std::vector<float> frames;
    for (int i = 0; i < kFileRate / 2; ++i) {
        const double t = static_cast<double>(i) / kFileRate;
        frames.push_back(static_cast<float>(0.3 * std::sin(2 * M_PI * 440.0 * std::pow(2.0, 20.0 / 1200.0) * t)));
        frames.push_back(static_cast<float>(0.3 * std::sin(2 * M_PI * 329.628 * std::pow(2.0, -15.0 / 1200.0) * t)));
    }
    const std::string in = Path("stereo.wav");
    clitest::WriteFloats(in, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kFileRate, frames);
    const clitest::ProgramResult right = Run({"analyze", in, "--channel", "2", "--json"});
    ASSERT_EQ(right.nStatus, 0) << right.sErr;
    const std::vector<JsonNote> notes = Notes(right.sOut);
    ASSERT_EQ(notes.size(), 1u) << right.sOut;
    EXPECT_EQ(notes[0].name, "E4");
    EXPECT_NEAR(notes[0].deviation, -15.0, 1.0);
    // A4 = 442 Hz moves every note 8 cents up, so the left tone is 12 sharp.
    const clitest::ProgramResult left = Run({"analyze", in, "--channel", "1", "--a4", "442", "--json"});
    ASSERT_EQ(Notes(left.sOut).size(), 1u) << left.sOut;
    EXPECT_NEAR(Notes(left.sOut)[0].deviation, 12.0, 1.0);

    // The picture may not replace the input.
    ExpectRefusal({"analyze", in, "--png", in}, 2, {"is the input"});
}

// Sessions on disk: what goes in comes out bit for bit, a file read and
// written again is the same file, and a file that is not a whole session
// of ours is refused with one line that names it.

#include "CliTestSupport.h"

#include <bit>
#include <cmath>

#include "graph/BlockTable.h"
#include "graph/GraphHost.h"
#include "job/GraphCommands.h"
#include "job/GraphSession.h"
#include "job/GraphWorkspace.h"
#include "job/JobError.h"
#include "modes/DspObject.h"
#include "settings/ParameterIds.h"
#include "support/ui/UiTestSupport.h"

namespace {

job::GraphSession Sample()
{
    job::GraphSession s;
    s.sSourcePath = "/music/take 3.wav";
    s.nSourceFrames = 123456;
    s.nSampleRate = 48000;
    s.nSourceBytes = 246956;
    for (int id = 1; id <= job::kSessionParameters; ++id)
        s.Parameter(id) = id * 3 - 7;
    s.nTrackedFrames = 2;
    // Cents, a negative cent value (a NaN as a float), a quiet NaN with a
    // payload and the unvoiced mark: all as words.
    s.records = {0x3F000000, 0xBF000000, std::bit_cast<uint32_t>(-1200), 0x7FC00001, 0xFFFFFFFF,
                 0, 0, 0, 30000, 0,
                 1, 2, 3, 4, 5};
    s.viewState = {1, 2, 3, 4, 5, 6, 7, 8};
    return s;
}

std::string Refusal(const std::vector<uint8_t>& bytes)
{
    try {
        job::DecodeSession(bytes, "s.isn");
    } catch (const job::CJobError& e) {
        EXPECT_EQ(e.ExitCode(), 1);
        EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos) << "one line";
        return e.what();
    }
    ADD_FAILURE() << "accepted";
    return "";
}

void FixChecksum(std::vector<uint8_t>& bytes)
{
    const uint32_t crc = job::SessionChecksum(bytes.data(), bytes.size() - 4);
    for (int i = 0; i < 4; ++i)
        bytes[bytes.size() - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
}

} // namespace

TEST(Sessions, EverythingComesBackBitForBit)
{
    const job::GraphSession s = Sample();
    const std::vector<uint8_t> bytes = job::EncodeSession(s);
    const job::GraphSession back = job::DecodeSession(bytes, "s.isn");
    EXPECT_EQ(std::tie(back.sSourcePath, back.nSourceFrames, back.nSampleRate, back.nSourceBytes),
              std::tie(s.sSourcePath, s.nSourceFrames, s.nSampleRate, s.nSourceBytes));
    EXPECT_EQ(std::tie(back.parameters, back.records, back.viewState), std::tie(s.parameters, s.records, s.viewState));
    EXPECT_EQ(job::EncodeSession(back), bytes);
    // The checksum is the standard CRC-32.
    const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(job::SessionChecksum(check, sizeof check), 0xCBF43926u);
}

TEST(Sessions, ForeignTruncatedDamagedAndNewerFilesAreRefused)
{
    const std::vector<uint8_t> good = job::EncodeSession(Sample());
    EXPECT_EQ(Refusal({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                       0, 0}),
              "s.isn is not an Intonara session file");
    EXPECT_EQ(Refusal({}), "s.isn is not an Intonara session file");

    std::vector<uint8_t> cut(good.begin(), good.end() - 10);
    EXPECT_NE(Refusal(cut).find("s.isn is truncated"), std::string::npos);

    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_NE(Refusal(longer).find("1 bytes follow its end"), std::string::npos);

    for (size_t at : {size_t{30}, good.size() / 2, good.size() - 6}) {
        std::vector<uint8_t> flipped = good;
        flipped[at] ^= 0x10;
        EXPECT_EQ(Refusal(flipped), "s.isn is damaged: its checksum does not match its contents") << at;
    }

    std::vector<uint8_t> newer = good;
    newer[16] = 2;
    FixChecksum(newer);
    EXPECT_NE(Refusal(newer).find("newer Intonara (session format 2"), std::string::npos);

    // A well-formed checksum over contents that do not add up.
    std::vector<uint8_t> inconsistent = good;
    const size_t trackedAt = 24 + 4 + Sample().sSourcePath.size() + 20 + 4 + 4 * 34;
    inconsistent[trackedAt] = 9;  // nine tracked frames, three records
    FixChecksum(inconsistent);
    EXPECT_EQ(Refusal(inconsistent), "s.isn is damaged: it counts more tracked frames than it holds records");
}

class SessionFiles : public clitest::ScratchTest
{
};

TEST_F(SessionFiles, WritingReplacesTheFileWholeAndLeavesNothingElse)
{
    const std::string path = Path("take.isn");
    std::ofstream(path) << "an older file";
    job::WriteSession(Sample(), path);
    EXPECT_EQ(job::ReadSession(path).sSourcePath, Sample().sSourcePath);
    EXPECT_EQ(Listing(), std::vector<std::string>{"take.isn"});
    EXPECT_THROW(job::WriteSession(Sample(), Path("missing/x.isn")), job::CJobError);
    EXPECT_THROW(job::ReadSession(Path("none.isn")), job::CJobError);
}

class Workspace : public ::testing::Test
{
protected:
    uitest::CUi ui{1000, 800};
};

TEST_F(Workspace, StartsInTheFixedOrderAndRemembersWhatItWasGiven)
{
    job::CGraphWorkspace w(380, 230, true, false);
    job::GraphStart start;
    start.automatic[3] = 22;  // retune index 22: 1 ms in the store, read back as 12
    start.nGraphThreshold = 40;
    start.nSampleRate = 48000;
    start.nBufferSeconds = 30;
    w.Start(start);
    int value = 0;
    w.Controller().GetParameter(PARAM_MODE, &value);
    EXPECT_EQ(value, 1);
    w.Controller().GetParameter(PARAM_GRAPH_THRESHOLD, &value);
    EXPECT_EQ(value, 40);
    EXPECT_EQ(w.Main().BufferFrames(), 30 * 240);
    EXPECT_EQ(w.Main().FrameRate(), 240.0f);
    const job::GraphSession s = w.Capture();
    EXPECT_EQ(s.Parameter(PARAM_RETUNE), 22) << "as given, not as read back";
    EXPECT_EQ(s.Parameter(PARAM_BUFFER_SIZE), 29);
    EXPECT_EQ(s.Parameter(PARAM_SCALE), 2) << "the preset's scale";
}

TEST_F(Workspace, ASessionOpenedAndCapturedAgainIsTheSameBytes)
{
    std::vector<uint8_t> first;
    {
        job::CGraphWorkspace w(380, 230, true, false);
        job::GraphStart start;
        start.nBufferSeconds = 2;
        w.Start(start);
        // A tracked passage: cents, unvoiced frames, and the raw record the
        // pass was writing when it ended.
        auto* r = static_cast<TrackRecord*>(w.Controller().GetTrackBuffer());
        for (int i = 0; i < 120; ++i) {
            const int32_t cents = i % 40 < 30 ? 700 + i : kUnvoicedMark;
            r[i] = TrackRecord{-0.3f, 0.3f, std::bit_cast<float>(cents), std::bit_cast<float>(cents), 0.0f};
        }
        r[120] = TrackRecord{-0.1f, 0.2f, 199.5f, 201.25f, 0.0f};
        w.Main().SetTrackedFrames(120);
        w.Main().IdleUpdate();
        w.Main().MakeCurveFromTrack();
        const int times[] = {10, 60};
        const int pitches[] = {650, 800};
        w.Main().SaveUndo();
        w.Main().MakeLineCurveAt(times, pitches, 2);
        w.Main().SelectAll();
        w.Main().Copy();
        job::GraphSession s = w.Capture();
        s.sSourcePath = "in.wav";
        s.nSampleRate = 44100;
        s.nSourceFrames = 24100;
        first = job::EncodeSession(s);
        EXPECT_EQ(s.RecordCount(), 121);
    }
    job::CGraphWorkspace again(380, 230, true, false);
    again.Open(job::DecodeSession(first, "s.isn"), "s.isn");
    EXPECT_EQ(again.Main().TrackedFrames(), 120);
    EXPECT_NE(again.Main().Clipboard(), nullptr);
    EXPECT_NE(again.Main().UndoCurves(), nullptr);
    EXPECT_EQ(job::EncodeSession(again.Capture()), first);
}

TEST_F(Workspace, CurvesThatCannotBeReadAreRefused)
{
    job::GraphSession s;
    s.nSampleRate = 44100;
    s.Parameter(PARAM_BUFFER_SIZE) = 9;
    s.Parameter(PARAM_SCALE) = 2;
    s.Parameter(PARAM_DETUNE) = 100;
    s.Parameter(PARAM_RETUNE) = 126;
    s.Parameter(PARAM_VIBRATO_RATE) = 55;
    s.viewState = {1, 2, 3};
    job::CGraphWorkspace w(380, 230, true, false);
    try {
        w.Open(s, "s.isn");
        ADD_FAILURE() << "opened";
    } catch (const job::CJobError& e) {
        EXPECT_STREQ(e.what(), "s.isn is damaged: its curves cannot be read");
    }
}

TEST(GraphPoints, NotesAsTheLabelsWriteThemAndCents)
{
    EXPECT_EQ(job::ParsePitch("A3", "--point"), 900) << "440 Hz";
    EXPECT_EQ(job::ParsePitch("C3", "--point"), 0) << "middle C";
    EXPECT_EQ(job::ParsePitch("C#4", "--point"), 1300);
    EXPECT_EQ(job::ParsePitch("E-flat2", "--point"), -900);
    EXPECT_EQ(job::ParsePitch("Bb1", "--point"), -1400);
    EXPECT_EQ(job::ParsePitch("-300", "--point"), -300);
    EXPECT_EQ(job::ParsePitch("+50", "--point"), 50);
    EXPECT_THROW(job::ParsePitch("H3", "--point"), job::CJobError);
    EXPECT_THROW(job::ParsePitch("A9", "--point"), job::CJobError) << "above the graph's range";
    EXPECT_THROW(job::ParsePitch("4000", "--point"), job::CJobError);
    EXPECT_EQ(job::CentsToNoteName(900), "A3");
    EXPECT_EQ(job::CentsToNoteName(-1400), "A#1");
    EXPECT_EQ(job::CentsToNoteName(-1500), "A1");
    EXPECT_EQ(job::CentsToNoteName(1249), "C4");
    const job::GraphPoint p = job::ParseGraphPoint("1.25:G3");
    EXPECT_EQ(p.dSeconds, 1.25);
    EXPECT_EQ(p.nCents, 700);
    EXPECT_THROW(job::ParseGraphPoint("1.25"), job::CJobError);
    EXPECT_THROW(job::ParseGraphPoint("-1:G3"), job::CJobError);
}

// The graph commands on session files, as the tool runs them: each edit
// reads the file, runs the view's command and writes the file back; a
// command with nothing to do fails and leaves the file as it was.

#include "CliTestSupport.h"

#include <bit>

#include "graph/GraphHost.h"
#include "job/GraphCommands.h"
#include "job/GraphSession.h"
#include "job/GraphWorkspace.h"
#include "job/JobError.h"
#include "modes/DspObject.h"
#include "platform/gdi/Surface.h"

namespace {

class Commands : public clitest::ScratchTest
{
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        m_sPath = Path("take.isn");
        // Two seconds tracked: a second at A (900 cents), a breath, then
        // half a second at C#4 (1300), then silence.
        job::CGraphWorkspace w;
        job::GraphStart start;
        start.nBufferSeconds = 3;
        w.Start(start);
        auto* r = static_cast<TrackRecord*>(w.Controller().GetTrackBuffer());
        for (int i = 0; i < 441; ++i) {
            const int32_t cents = i < 220 ? 900 : i < 240 ? kUnvoicedMark : i < 350 ? 1300 : kUnvoicedMark;
            r[i] = TrackRecord{-0.2f, 0.2f, std::bit_cast<float>(cents), std::bit_cast<float>(cents), 0.0f};
        }
        w.Main().SetTrackedFrames(441);
        job::GraphSession s = w.Capture();
        s.sSourcePath = "take.wav";
        s.nSampleRate = 44100;
        s.nSourceFrames = 88200;
        job::WriteSession(s, m_sPath);
    }
    template <class F>
    std::string Failure(F&& f)
    {
        const std::string before = clitest::ReadBytes(m_sPath);
        try {
            f();
        } catch (const job::CJobError& e) {
            EXPECT_EQ(clitest::ReadBytes(m_sPath), before) << "a failed command leaves the file as it was";
            return e.what();
        }
        ADD_FAILURE() << "succeeded";
        return "";
    }

    std::string m_sPath;
};

} // namespace

TEST_F(Commands, MakeCurveAndItsPictureThenALineThenCutAndUndo)
{
    job::MakeSessionCurves(m_sPath, std::nullopt, std::nullopt, false, {});
    job::GraphInfo info = job::DescribeSession(m_sPath);
    ASSERT_EQ(info.curves.size(), 2u);
    EXPECT_NEAR(info.curves[0].dStart, 0.0, 0.01);
    EXPECT_NEAR(info.curves[0].dEnd, 219 / 220.5, 0.01);
    EXPECT_NEAR(info.curves[1].dStart, 240 / 220.5, 0.01);
    // The picture shows both views: the tracked pitch and the curves over it.
    const std::string png = Path("take.png");
    job::DrawSessionPicture(m_sPath, png, 500, 300);
    platform::gdi::Surface picture;
    ASSERT_TRUE(platform::gdi::LoadPng(png.c_str(), picture));
    EXPECT_EQ(picture.Width(), 500);
    EXPECT_EQ(picture.Height(), 300 + (300 * 66 + 115) / 230);
    int red = 0, black = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 500; ++x) {
            const COLORREF c = platform::gdi::ToColorRef(picture.Pixel(x, y));
            red += c == RGB(255, 0, 0) ? 1 : 0;
            black += c == RGB(0, 0, 0) ? 1 : 0;
        }
    EXPECT_GT(red, 0) << "the tracked pitch";
    EXPECT_GT(black, 200) << "the curves over it";
    EXPECT_THROW(job::DrawSessionPicture(m_sPath, png, 50, 300), job::CJobError);

    // A line over the first note, a quarter tone up.
    job::AddSessionLine(m_sPath, {{0.2, 950}, {0.8, 950}});
    info = job::DescribeSession(m_sPath);
    EXPECT_EQ(info.curves.size(), 4u) << "the note's curve is cut around the line";
    EXPECT_TRUE(info.bUndo);
    bool found = false;
    for (const job::GraphCurveSpan& c : info.curves)
        found = found || (std::abs(c.dStart - 0.2) < 0.01 && c.nNodes == 2);
    EXPECT_TRUE(found);

    job::CutSessionRange(m_sPath, 0.15, 0.85);
    EXPECT_EQ(job::DescribeSession(m_sPath).curves.size(), 3u);
    job::UndoSessionEdit(m_sPath);
    EXPECT_EQ(job::DescribeSession(m_sPath).curves.size(), 4u);
}

TEST_F(Commands, CommandsWithNothingToDoFailAndChangeNothing)
{
    EXPECT_EQ(Failure([&] { job::UndoSessionEdit(m_sPath); }), m_sPath + " has nothing to undo");
    EXPECT_NE(Failure([&] { job::CutSessionRange(m_sPath, 0.1, 0.5); }).find("nothing was cut"), std::string::npos);
    // From 1.65 s on there is only silence.
    EXPECT_NE(Failure([&] { job::MakeSessionCurves(m_sPath, 1.65, 2.0, false, {}); }).find("nothing was made"),
              std::string::npos);
    EXPECT_THROW(job::AddSessionLine(m_sPath, {{0.5, 900}}), job::CJobError);
    EXPECT_THROW(job::AddSessionLine(m_sPath, {{0.5, 900}, {0.5, 950}}), job::CJobError);
}

TEST_F(Commands, MakeAutoKeepsTheSettingsItWasGiven)
{
    job::CorrectionSettings settings;
    settings.nKey = 2;
    settings.nRetuneIndex = 0;
    job::MakeSessionCurves(m_sPath, std::nullopt, std::nullopt, true, settings);
    const job::GraphInfo info = job::DescribeSession(m_sPath);
    EXPECT_EQ(info.nKey, 2);
    EXPECT_EQ(info.nRetuneMs, 0);
    const std::string text = job::FormatGraphInfo(info, false);
    EXPECT_NE(text.find("key D"), std::string::npos);
    EXPECT_NE(text.find("441 frames (2.00 s), 75% voiced"), std::string::npos) << text;
    EXPECT_NE(text.find("A3 to C#4 (900 to 1300 cents)"), std::string::npos);
    const std::string json = job::FormatGraphInfo(info, true);
    EXPECT_NE(json.find("\"voiced_share\": 0.7483"), std::string::npos) << json;
    EXPECT_NE(json.find("\"key\": \"D\""), std::string::npos);
}

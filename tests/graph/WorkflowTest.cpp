// Tracking and correcting through the controller and its engine, the
// track buffer's length, "make curve" and "make auto", the cursor readout
// and note lines, and the reset of the graph.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "GraphTestSupport.h"
#include "engine/PitchUnits.h"
#include "platform/kernel/Kernel.h"
#include "platform/ui/Display.h"
#include "settings/ScaleEditorLink.h"
#include "voice/VoiceSynth.h"

using namespace graphtest;

namespace {

// A held sung "ah" at one pitch.
std::vector<float> Tone(double hz, double seconds)
{
    return voice::SynthesizeSteadyVowel(hz, seconds, 44100.0);
}

void Stream(CDspObject& dsp, const std::vector<float>& in, size_t from = 0, size_t to = SIZE_MAX)
{
    std::vector<float> out(512);
    to = std::min(to, in.size());
    for (size_t i = from; i < to; i += 512) {
        const int n = static_cast<int>(std::min<size_t>(512, to - i));
        dsp.m_Engine.Process(in.data() + i, out.data(), n);
    }
}

// The note degrees marked here are not tracked when the store runs the
// scale editor.
class CNotTracked : public IScaleEditor
{
public:
    explicit CNotTracked(int degree) : m_nDegree(degree) {}
    void RunScaleEditor(CScaleSet&, short, short, int* pDoNotTrack, int*, int nNotes) override
    {
        if (m_nDegree < nNotes)
            pDoNotTrack[m_nDegree] = 1;
    }

private:
    int m_nDegree;
};

} // namespace

class Workflow : public GraphFixture
{
protected:
    // Pitches of the curve a command made, frame by frame from its first node.
    std::vector<int> CurvePitches(int node = 0)
    {
        const CurveNode& n = Main().Curves()[node];
        std::vector<int> p{n.pitch};
        for (int k = 0; k < n.freehand->count; ++k)
            p.push_back(n.pitch + n.freehand->Offsets()[k]);
        return p;
    }
    std::uint64_t Beeps() { return platform::ui::BeepCount(); }
};

TEST_F(Workflow, TheBufferFollowsItsLengthInSeconds)
{
    EXPECT_EQ(Main().BufferFrames(), 44100) << "200 s at 220.5 frames a second";
    EXPECT_EQ(Main().SetBufferSeconds(10), 10);
    EXPECT_EQ(Main().BufferFrames(), 2205);
    EXPECT_EQ(Text(graph::kBufferSecondsField), "10");
    void* same = dsp.GetTrackBuffer();
    EXPECT_EQ(Main().SetBufferSeconds(10), 10);
    EXPECT_EQ(dsp.GetTrackBuffer(), same) << "the same frame count leaves the buffer alone";

    Track(Frames(2205, Voiced(300)));
    // Shrinking below the tracked length cuts it; 5 s hold 1102 frames.
    EXPECT_EQ(Main().SetBufferSeconds(5), 5);
    EXPECT_EQ(Main().BufferFrames(), 1102);
    EXPECT_EQ(Main().TrackedFrames(), 1102);
    // Growing keeps what was there and clears the new frames to unvoiced.
    EXPECT_EQ(Main().SetBufferSeconds(8), 8);
    const TrackRecord* r = Records();
    EXPECT_EQ(std::bit_cast<int32_t>(r[1101].fMaxPeriod), 300);
    for (int i = 1102; i < Main().BufferFrames(); i += 97) {
        EXPECT_EQ(std::bit_cast<int32_t>(r[i].fMaxPeriod), kUnvoiced) << i;
        EXPECT_EQ(r[i].fMinSample, 0.0f);
        EXPECT_EQ(r[i].fTargetPeriod, 0.0f);
    }
    // 3 s at 44.1 kHz is 661 frames, which hold 2.998 s: reported as 3.
    EXPECT_EQ(Main().SetBufferSeconds(3), 3);
    EXPECT_EQ(Main().BufferFrames(), 661);
}

TEST_F(Workflow, TrackingThatFillsTheBufferStopsAtItsLastFrame)
{
    ASSERT_EQ(Main().SetBufferSeconds(1), 1);
    const int capacity = Main().BufferFrames();
    dsp.SetParameter(PARAM_TRACK_PITCH, 1);
    host->CheckControl(graph::kTrackPitchButton, true);
    EXPECT_EQ(Text(graph::kTrackPitchButton), "Tracking...");
    EXPECT_FALSE(Enabled(graph::kMakeCurveButton));
    EXPECT_TRUE(Main().IsTracking());

    dsp.ResetEngine();
    Stream(dsp, Tone(220.0, 2.0));  // twice what the buffer holds
    Main().IdleUpdate();
    EXPECT_FALSE(Main().IsTracking());
    EXPECT_EQ(Main().TrackedFrames(), capacity - 1);
    EXPECT_EQ(Text(graph::kTrackPitchButton), "Track Pitch");
    EXPECT_FALSE(host->IsControlChecked(graph::kTrackPitchButton));
    EXPECT_EQ(host->TrackPitchState(), 0);
    int trackPitch = 1;
    dsp.GetParameter(PARAM_TRACK_PITCH, &trackPitch);
    EXPECT_EQ(trackPitch, 0);
    // 220 Hz is 300 cents below middle C; the view is fitted to it.
    int near = 0;
    for (int i = 0; i < capacity - 1; ++i)
        near += std::abs(std::bit_cast<int32_t>(Records()[i].fMaxPeriod) + 300) <= 3 ? 1 : 0;
    EXPECT_GT(near, capacity * 9 / 10);
    EXPECT_NEAR(Main().PitchCenter(), -300, 5);
    EXPECT_EQ(Pixel(Main().FrameToColumn(capacity / 2), Main().CentsToRow(-300)), RGB(255, 0, 0));
    Main().IdleUpdate();
    EXPECT_TRUE(Enabled(graph::kMakeCurveButton));
}

TEST_F(Workflow, CorrectingFollowsTheCurvesAndEndsBeforeTheLastTrackedFrame)
{
    ASSERT_EQ(Main().SetBufferSeconds(2), 2);
    const std::vector<float> tone = Tone(220.0, 1.5);
    dsp.SetParameter(PARAM_TRACK_PITCH, 1);
    dsp.ResetEngine();
    Stream(dsp, tone);
    dsp.SetParameter(PARAM_TRACK_PITCH, 0);
    const int tracked = Main().TrackedFrames();
    ASSERT_GT(tracked, 300);
    Main().IdleUpdate();
    Main().MakeCurveFromTrack();
    ASSERT_NE(Main().Curves(), nullptr);

    dsp.SetParameter(PARAM_CORRECT_PITCH, 1);
    host->CheckControl(graph::kCorrectPitchButton, true);
    EXPECT_EQ(Text(graph::kCorrectPitchButton), "Correcting...");
    // The targets are the curves' periods: 220 Hz is 200.45 samples.
    const int first = Main().Curves()[0].time;
    EXPECT_NEAR(Records()[first + 50].fTargetPeriod, 44100.0 / 220.0, 0.5);
    EXPECT_EQ(Records()[tracked + 20].fTargetPeriod, 0.0f);

    // Half a second into the pass the play cursor stands at frame 110.
    dsp.SetStartTick(static_cast<int>(GetTickCount()));
    dsp.ResetEngine();
    Stream(dsp, tone, 0, 22050);
    ui.Display().Tick(500);
    Main().IdleUpdate();
    EXPECT_EQ(Main().PlayColumn(), Main().FrameToColumn(110));
    EXPECT_EQ(Envelope().PlayColumn(), Envelope().FrameToColumn(110));
    EXPECT_TRUE(Main().IsCorrecting());

    // At the end of the passage the pass ends by itself.
    Stream(dsp, tone, 22050);
    Main().IdleUpdate();
    EXPECT_FALSE(Main().IsCorrecting());
    EXPECT_EQ(Text(graph::kCorrectPitchButton), "Correct Pitch");
    EXPECT_FALSE(host->IsControlChecked(graph::kCorrectPitchButton));
    EXPECT_EQ(host->CorrectPitchState(), 0);
    EXPECT_EQ(Main().PlayColumn(), -1);
    EXPECT_EQ(Envelope().PlayColumn(), -1);
}

TEST_F(Workflow, StoppingCorrectingTakesThePlayCursorOffBothViews)
{
    Track(Frames(300, Voiced(900)));
    Main().SetTimeAxis(1, Main().Width() / 2);
    Main().Redraw(nullptr, nullptr);
    const COLORREF before = Pixel(60, 20);
    dsp.SetParameter(PARAM_CORRECT_PITCH, 1);
    Main().DrawPlayCursor(60, nullptr);
    EXPECT_NE(Pixel(60, 20), before);
    dsp.SetParameter(PARAM_CORRECT_PITCH, 0);
    EXPECT_EQ(Main().PlayColumn(), -1);
    EXPECT_EQ(Envelope().PlayColumn(), -1);
    EXPECT_EQ(Pixel(60, 20), before);
}

TEST_F(Workflow, MakeCurveFollowsTheVoicedRunsLongerThanFourFrames)
{
    Track(Frames(4, Voiced(100)) + Frames(3, Silent()) + Frames(30, Voiced(500)) + Frames(2, Silent()) +
          Frames(5, Voiced(700)) + Frames(10, Silent()));
    Main().IdleUpdate();
    Main().MakeCurveFromTrack();
    const std::vector<Node> n = Curves();
    ASSERT_EQ(n.size(), 4u);
    EXPECT_EQ(n[0].time, 7);
    EXPECT_EQ(n[1].time, 36);
    EXPECT_EQ(n[0].pitch, 500);
    EXPECT_EQ(n[2].time, 39);
    EXPECT_EQ(n[3].time, 43);
    EXPECT_EQ(n[3].pitch, 700);
    // The gaps keep no target, so correcting leaves them alone.
    Main().FillCorrectionTargets();
    EXPECT_EQ(Records()[37].fTargetPeriod, 0.0f);
    EXPECT_EQ(Records()[2].fTargetPeriod, 0.0f);
    EXPECT_NE(Records()[20].fTargetPeriod, 0.0f);
    EXPECT_TRUE(Enabled(graph::kUndoButton));
}

TEST_F(Workflow, MakeCurveWithNothingLongEnoughBeepsAndOtherwiseWorksOnTheSelection)
{
    Track(Frames(4, Voiced(100)) + Frames(3, Silent()) + Frames(4, Voiced(300)));
    Main().IdleUpdate();
    const std::uint64_t beeps = Beeps();
    Main().MakeCurveFromTrack();
    EXPECT_EQ(Beeps(), beeps + 1);
    EXPECT_EQ(Main().Curves(), nullptr);
    EXPECT_EQ(Main().UndoCurves(), nullptr);

    Track(Frames(40, Silent()));
    Main().MakeCurveFromTrack();
    EXPECT_EQ(Beeps(), beeps + 2);
    EXPECT_EQ(Main().Curves(), nullptr);

    // Over a selected time range it works on that range only.
    Track(Frames(60, Voiced(400)));
    Main().IdleUpdate();
    Main().SetTimeSelection(20, 30);
    Main().MakeCurveFromTrack();
    const std::vector<Node> n = Curves();
    ASSERT_EQ(n.size(), 2u);
    EXPECT_EQ(n[0].time, 20);
    EXPECT_EQ(n[1].time, 29);
    EXPECT_EQ(n[0].selected, 1);
    EXPECT_EQ(n[1].selected, 1);
}

TEST_F(Workflow, MakeAutoPullsToTheNoteAtTheRetuneSpeedAndAddsTheVibrato)
{
    Track(Frames(80, Voiced(930)));  // 30 cents sharp of A
    Main().IdleUpdate();
    dsp.SetParameter(PARAM_RETUNE, 0);  // instant
    Main().MakeAutoCurve();
    std::vector<int> p = CurvePitches();
    ASSERT_EQ(p.size(), 80u);
    EXPECT_EQ(p[0], 930) << "a run starts from where it was";
    for (size_t i = 1; i < p.size(); ++i)
        ASSERT_NEAR(p[i], 900, 1) << i;

    // 100 ms: halfway there after 100 ms of frames (22 at 220.5 a second).
    Main().Undo();
    dsp.SetParameter(PARAM_RETUNE, 264);
    Main().SelectAll();
    Main().Cut();
    Main().MakeAutoCurve();
    p = CurvePitches();
    for (size_t i = 1; i < p.size(); ++i)
        ASSERT_LE(p[i], p[i - 1]) << i;
    EXPECT_NEAR(p[22], 915, 2);
    EXPECT_GT(p[10], 915);
    EXPECT_NEAR(p[79], 900, 3);

    // Instant again, with a vibrato and no delay: it starts at full depth.
    Main().SelectAll();
    Main().Cut();
    dsp.SetParameter(PARAM_RETUNE, 0);
    dsp.SetParameter(PARAM_VIBRATO_TYPE, 1);  // sine
    dsp.SetParameter(PARAM_VIBRATO_DEPTH, 50);
    dsp.SetParameter(PARAM_VIBRATO_RATE, 55);  // 5.5 Hz: 40 frames a cycle
    dsp.SetParameter(PARAM_VIBRATO_DELAY, 0);
    Main().MakeAutoCurve();
    p = CurvePitches();
    EXPECT_NEAR(p[10], 950, 1) << "a quarter cycle in, at full depth";
    EXPECT_NEAR(p[30], 850, 1);
    EXPECT_NEAR(p[40], 900, 1);
}

TEST_F(Workflow, MakeAutoLeavesANoteThatIsNotTrackedWhereItWas)
{
    CNotTracked editor(9);  // A in the chromatic scale
    dsp.GetScaleSet().SetScaleEditor(&editor);
    dsp.SetParameter(PARAM_EDIT_SCALE, 0);
    dsp.GetScaleSet().SetScaleEditor(nullptr);
    Track(Frames(40, Voiced(930)));
    Main().IdleUpdate();
    dsp.SetParameter(PARAM_RETUNE, 0);
    Main().MakeAutoCurve();
    for (int pitch : CurvePitches())
        EXPECT_NEAR(pitch, 930, 1);
}

TEST_F(Workflow, TheReadoutNamesTheNoteUnderThePointerAndLinesMarkTheScale)
{
    Track(Frames(100, Voiced(900)));
    const int h = Main().Height();
    Main().SetPitchAxis(2, 900);
    ui.Move(MainWnd(), 10, h / 2);
    Main().IdleUpdate();
    EXPECT_EQ(Text(graph::kNoteReadout), "A3");
    EXPECT_EQ(Text(graph::kDeviationReadout), "-0");
    // The readout is worked out again only when the pointer's row changes.
    auto PointAt = [&](int row) {
        ui.Move(MainWnd(), 10, row + 1);
        Main().IdleUpdate();
        ui.Move(MainWnd(), 10, row);
        Main().IdleUpdate();
    };
    // In the 24-tone scale, halfway between C and the quarter tone above it
    // reads as C, the lower one; nearer the quarter tone it has no name.
    dsp.SetParameter(PARAM_SCALE, 21);
    Main().SetPitchAxis(2, 25);
    PointAt(h / 2);
    EXPECT_EQ(Text(graph::kNoteReadout), "C3");
    EXPECT_EQ(Text(graph::kDeviationReadout), "+25");
    ui.Move(MainWnd(), 10, h / 2 - 3);  // 31 cents
    Main().IdleUpdate();
    EXPECT_EQ(Text(graph::kNoteReadout), "");
    EXPECT_EQ(Text(graph::kDeviationReadout), "-19");
    // Its note lines: one every 50 cents.
    Main().SetTimeAxis(1, Main().Width() / 2);
    Main().SetPitchAxis(2, 600);
    Main().Redraw(nullptr, nullptr);
    for (int cents = 400; cents <= 800; cents += 50) {
        const int y = Main().CentsToRow(cents);
        EXPECT_EQ(Pixel(300, y), RGB(0xC0, 0xC0, 0xC0)) << cents;  // right of the labels, off the ruler's lines
        EXPECT_EQ(Pixel(300, y + 12), RGB(255, 255, 255)) << cents;
    }
    // Octaves count from C whatever the key.
    dsp.SetParameter(PARAM_SCALE, 2);
    dsp.SetParameter(PARAM_KEY, 9);
    Main().SetPitchAxis(2, 1100);
    PointAt(h / 2);
    EXPECT_EQ(Text(graph::kNoteReadout), "B3");
    Main().SetPitchAxis(2, 1200);
    PointAt(h / 2);
    EXPECT_EQ(Text(graph::kNoteReadout), "C4");
    // Outside the view both readouts are empty.
    ui.Move(host->Window(), 1, 1);
    Main().IdleUpdate();
    EXPECT_EQ(Text(graph::kNoteReadout), "");
    EXPECT_EQ(Text(graph::kDeviationReadout), "");
}

TEST_F(Workflow, ResettingTheGraphKeepsOnlyTheClipboard)
{
    Track(Frames(100, Voiced(900)));
    Main().IdleUpdate();
    Main().MakeCurveFromTrack();
    Main().SelectAll();
    Main().Copy();
    Main().ResetGraph();
    EXPECT_EQ(Main().Curves(), nullptr);
    EXPECT_EQ(Main().UndoCurves(), nullptr);
    EXPECT_NE(Main().Clipboard(), nullptr);
    EXPECT_EQ(Main().TrackedFrames(), 0);
    EXPECT_EQ(std::bit_cast<int32_t>(Records()[50].fMaxPeriod), kUnvoiced);
    EXPECT_EQ(Main().FramesPerPixel(), 1);
    EXPECT_EQ(Main().CentsPerPixel(), 8);
}

// The curve model, units and time text: the block table, cutting, merging,
// moving and refitting curves, pasting, undo and the correction targets.
// Oracles are the numbers the editor's rules give for hand-picked cases
// and properties every result must have.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "GraphTestSupport.h"
#include "engine/PitchUnits.h"
#include "graph/TimeFormat.h"
#include "log/Exceptions.h"
#include "support/MessageBoxRecorder.h"

using namespace graphtest;

namespace {

// A freehand run as a list of its own: from (time, pitch) in `count` steps
// of `step` frames along pitch(t) = pitch + slope * (t - time).
CurveNode* FreehandRamp(int time, int pitch, int step, int count, int slope)
{
    FreehandData* data = AllocFreehand(step, count);
    for (int k = 0; k < count; ++k)
        data->Offsets()[k] = slope * step * (k + 1);
    auto* list = static_cast<CurveNode*>(g_Blocks.Alloc(2 * sizeof(CurveNode)));
    list[0] = CurveNode{time, pitch, 1, SEGMENT_FREEHAND, data};
    list[1] = CurveNode{time + step * count, pitch + slope * step * count, 1, SEGMENT_END, nullptr};
    return list;
}

} // namespace

TEST(BlockTable, RemembersSizesAndRefusesWhatItCannotServe)
{
    const int before = g_Blocks.LiveBlocks();
    void* p = g_Blocks.Alloc(24);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(g_Blocks.SizeOf(p), 24);
    EXPECT_EQ(g_Blocks.SizeOf(nullptr), 0);
    int local = 0;
    EXPECT_EQ(g_Blocks.SizeOf(&local), 0);
    EXPECT_THROW(g_Blocks.Alloc(0), localException);
    EXPECT_THROW(g_Blocks.Alloc(-4), localException);
    EXPECT_THROW(g_Blocks.Duplicate(&local), localException);
    g_Blocks.Free(&local);  // not ours: ignored
    g_Blocks.Free(nullptr);

    std::memset(p, 0x5A, 24);
    void* q = g_Blocks.Resize(p, 8);
    EXPECT_EQ(g_Blocks.SizeOf(q), 8);
    EXPECT_EQ(g_Blocks.SizeOf(p), 0) << "the old block is gone";
    EXPECT_EQ(static_cast<unsigned char*>(q)[7], 0x5A);
    void* r = g_Blocks.Duplicate(q);
    EXPECT_EQ(g_Blocks.SizeOf(r), 8);
    EXPECT_EQ(std::memcmp(q, r, 8), 0);
    // Many blocks: the list grows past its first chunks and frees in any order.
    std::vector<void*> many;
    for (int i = 1; i <= 35; ++i)
        many.push_back(g_Blocks.Alloc(i));
    for (size_t i = 0; i < many.size(); i += 2)
        g_Blocks.Free(many[i]);
    for (size_t i = 1; i < many.size(); i += 2)
        EXPECT_EQ(g_Blocks.SizeOf(many[i]), static_cast<int>(i) + 1);
    for (size_t i = 1; i < many.size(); i += 2)
        g_Blocks.Free(many[i]);
    g_Blocks.Free(q);
    g_Blocks.Free(r);
    EXPECT_EQ(g_Blocks.LiveBlocks(), before);
}

TEST(TimeText, ThePassagesOwnExamples)
{
    // 3 s at 44.1 kHz is 661 frames; 60 s is 13230; half a second is twelve
    // twenty-fourths; an hour shows all four fields.
    for (auto [frames, text] : {std::pair{661, "3:00"}, {13230, "1:00:00"}, {0, "0:00"}, {110, "0:12"},
                                {793800 + 13230 + 441 + 110, "1:01:02:12"}})
        EXPECT_EQ(graph::FormatTime(frames, 220.5f).sText, text) << frames;
    EXPECT_EQ(graph::FormatTime(661, 220.5f).nValue, 3 * 24);
    EXPECT_EQ(graph::FormatTime(793800, 220.5f).nValue, 3600 * 24);
    EXPECT_EQ(graph::FrameToMilliseconds(661, 220.5f), 3002) << "the 0.99 frame nudge";
}

TEST(TimeText, RulerStepsAreRoundAndAboutFiveToAView)
{
    // 5 s across: a line a second; 200 s: half-minute lines; 3 h: half-hour steps.
    for (auto [span, step] : {std::pair{5000, 1000}, {200000, 30000}, {3 * 3600 * 1000, 1800000}})
        EXPECT_EQ(graph::ChooseRulerSteps(0, span).nStepMs, step) << span;
    // A tiny span still steps by half a second; the first line is rounded.
    const graph::RulerSteps s = graph::ChooseRulerSteps(1260, 1300);
    EXPECT_EQ(s.nStepMs, 500);
    EXPECT_EQ(s.nFirstMs, 1500);
    for (int span : {700, 9000, 61000, 400000, 2000000}) {
        const graph::RulerSteps r = graph::ChooseRulerSteps(0, span);
        EXPECT_LE(span / r.nStepMs, 10) << span;
        EXPECT_TRUE(r.nStepMs % 500 == 0) << span;
    }
}

class Model : public GraphFixture {};

TEST_F(Model, ColumnsAndRowsMapBackToThemselves)
{
    CMainGraphView& m = Main();
    EXPECT_EQ(m.RowToCents(m.Height()), 0) << "the bottom row starts at middle C";
    for (int fpp : {1, 3, 8, 117}) {
        m.SetTimeAxis(fpp, 5000);
        for (int x = 0; x <= m.Width(); ++x)
            ASSERT_EQ(m.FrameToColumn(m.ColumnToFrame(x)), x) << fpp;
    }
    // In between, the nearest pixel; a half goes away from the centre.
    m.SetTimeAxis(4, 1000);
    const int mid = m.Width() / 2;
    m.SetPitchAxis(4, 500);
    for (auto [at, off] : {std::pair{1, 0}, {2, 1}, {-1, 0}, {-2, -1}}) {
        EXPECT_EQ(m.FrameToColumn(1000 + at), mid + off) << at;
        EXPECT_EQ(m.CentsToRow(500 + at), m.Height() / 2 - off) << at;
    }
    EXPECT_EQ(m.FrameToColumn(100000000), 30000);
    EXPECT_EQ(m.FrameToColumn(-100000000), -30000);
    for (int k : {2, 3, 8, 30}) {
        m.SetPitchAxis(k, 455);
        for (int y = 0; y <= m.Height(); ++y)
            ASSERT_EQ(m.CentsToRow(m.RowToCents(y)), y) << k;
    }
}

TEST_F(Model, ZoomsStopAtTheirLimits)
{
    CMainGraphView& m = Main();
    m.SetTimeAxis(1, 190);
    m.ZoomTimeIn();
    EXPECT_EQ(m.FramesPerPixel(), 1);
    m.SetPitchAxis(2, 500);
    m.ZoomPitchIn();
    EXPECT_EQ(m.CentsPerPixel(), 2);
    // From the whole range, zooming out keeps it in view and no further.
    const int h = m.Height();
    m.SetPitchAxis((h + 6799) / h, 0);
    m.ZoomPitchOut();
    EXPECT_EQ(m.CentsPerPixel(), (h + 6799) / h);
    EXPECT_EQ(m.RowToCents(h), kLowestCents);
    EXPECT_GE(m.RowToCents(0), kHighestCents);
    EXPECT_LT(m.RowToCents(0), kHighestCents + m.CentsPerPixel() * 4);
}

TEST_F(Model, CuttingTheMiddleOfACurveLeavesTwoCurvesAndCuttingAllLeavesNone)
{
    DrawLine({{20, 100}, {60, 90}, {100, 80}, {140, 70}, {180, 60}});
    std::vector<Node> before = Curves();
    ASSERT_EQ(before.size(), 5u);
    // Select the three middle nodes only.
    CurveNode* nodes = const_cast<CurveNode*>(Main().Curves());
    Main().SelectAllNodes(nodes, 0);
    for (int i = 1; i <= 3; ++i)
        Main().SetNodeSelected(&nodes[i], 1);
    Main().UpdateSelectionButtons();
    ASSERT_TRUE(Enabled(graph::kCutButton));
    Main().Cut();
    const std::vector<Node> after = Curves();
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after[0].time, before[0].time);
    EXPECT_EQ(after[1].time, before[1].time);
    EXPECT_EQ(after[1].segment, SEGMENT_END) << "the node before the cut ends the first curve";
    EXPECT_EQ(after[2].time, before[3].time);
    EXPECT_EQ(after[2].segment, SEGMENT_LINE) << "the node after it starts the next";
    EXPECT_EQ(after[3].segment, SEGMENT_END);
    EXPECT_EQ(NodeCount(Main().Clipboard()), 3);
    EXPECT_FALSE(Enabled(graph::kCutButton));
    EXPECT_TRUE(Enabled(graph::kPasteButton));
    // Cutting everything leaves no curves.
    Main().IdleUpdate();  // the panel's timer enables Select All
    Main().SelectAll();
    Main().Cut();
    EXPECT_EQ(Main().Curves(), nullptr);
    EXPECT_EQ(NodeCount(Main().Clipboard()), 4);
    // One node selected cannot reach the clipboard.
    EXPECT_EQ(Main().CopyNodeRange(Main().Clipboard(), 1, 1), nullptr);
}

TEST_F(Model, ANewCurveOverTheMiddleOfAFreehandRunCutsItToWholeSteps)
{
    // pitch(t) = 100 + t from frame 0 to 100 in steps of 2, then a line
    // over frames 41..60 at 500 cents (one frame per pixel).
    CurveNode* ramp = FreehandRamp(0, 100, 2, 50, 1);
    Main().SetTimeAxis(1, 190);
    CurveNode* merged = Main().MergeCurves(ramp, nullptr);
    auto* line = static_cast<CurveNode*>(g_Blocks.Alloc(2 * sizeof(CurveNode)));
    line[0] = CurveNode{41, 500, 1, SEGMENT_LINE, nullptr};
    line[1] = CurveNode{60, 500, 1, SEGMENT_END, nullptr};
    CurveNode* result = Main().MergeCurves(line, merged);
    g_Blocks.Free(merged);

    const std::vector<Node> n = Nodes(result);
    ASSERT_EQ(n.size(), 6u);
    const int segments[] = {SEGMENT_FREEHAND, SEGMENT_END, SEGMENT_LINE, SEGMENT_END, SEGMENT_FREEHAND, SEGMENT_END};
    for (size_t i = 0; i < n.size(); ++i)
        EXPECT_EQ(n[i].segment, segments[i]) << i;
    // The head ends on a whole step with the ramp's own pitch, and the new
    // line starts one frame after it, still 19 frames long.
    EXPECT_EQ(n[1].time % 2, 0);
    EXPECT_EQ(n[1].pitch, 100 + n[1].time);
    EXPECT_EQ(n[2].time, n[1].time + 1);
    EXPECT_EQ(n[3].time - n[2].time, 19);
    // The tail resumes one frame after the line on the ramp, re-based, and
    // its run still ends on the next node, at most about half a step from
    // where that node was.
    EXPECT_EQ(n[4].time, n[3].time + 1);
    const FreehandData& tail = *result[4].freehand;
    for (int k = 0; k < tail.count; ++k)
        EXPECT_EQ(n[4].pitch + tail.Offsets()[k], 100 + n[4].time - 1 + 2 * (k + 1)) << k;
    EXPECT_EQ(n[4].time + tail.step * tail.count, n[5].time);
    EXPECT_LE(std::abs(n[5].time - 100), 2);
    const FreehandData& head = *result[0].freehand;
    EXPECT_EQ(head.step * head.count, n[1].time);
    Main().FreeCurveList(result);
    Main().FreeCurveList(line);
    Main().FreeCurveList(ramp);
}

TEST_F(Model, PastingNearTheEndAndTheTopStaysInsideAndPastingTwiceReplaces)
{
    Track(Frames(300, Voiced(0)));
    DrawLine({{20, 100}, {60, 20}});
    Main().SelectAll();
    Main().Copy();
    // Centre the view on the last frame and near the top of the range.
    Main().SetTimeAxis(1, 299);
    Main().SetPitchAxis(8, 3590);
    ASSERT_TRUE(Enabled(graph::kPasteButton));
    Main().Paste();
    int pHigh = 0;
    int lastTime = 0;
    for (const Node& node : Curves()) {
        if (node.selected != 0) {
            pHigh = std::max(pHigh, node.pitch);
            lastTime = std::max(lastTime, node.time);
        }
    }
    EXPECT_EQ(lastTime, 300) << "moved left just enough to end at the total length";
    EXPECT_EQ(pHigh, kHighestCents) << "moved down just enough";
    EXPECT_TRUE(Enabled(graph::kUndoButton));
    EXPECT_TRUE(Enabled(graph::kCopyButton));
    // Pasting again at the same centre replaces the first copy.
    const size_t once = Curves().size();
    Main().Paste();
    EXPECT_EQ(Curves().size(), once);
}

TEST_F(Model, AMoveNeverReachesItsAnchorsOrFrameZero)
{
    DrawLine({{20, 100}, {70, 90}, {120, 80}});
    CurveNode* nodes = const_cast<CurveNode*>(Main().Curves());
    const int t0 = nodes[0].time, t1 = nodes[1].time, t2 = nodes[2].time;
    // The first node, with nothing before it, stops at frame 0.
    for (auto [i, first, last] : {std::tuple{1, t0 + 1, t2 - 1}, {0, 0, t1 - 1}}) {
        Main().SelectAllNodes(nodes, 0);
        Main().SetNodeSelected(&nodes[i], 1);
        CurveNode* span = Main().CopySelectedSpan(nodes);
        int lo = 0, hi = 0;
        Main().GetMoveLimits(span, &lo, &hi);
        EXPECT_EQ(nodes[i].time + lo, first) << i;
        EXPECT_EQ(nodes[i].time + hi, last) << i;
        g_Blocks.Free(span);
    }
}

TEST_F(Model, AMovedFreehandRunIsRefittedToItsFixedNeighbour)
{
    Main().SetTimeAxis(1, 190);
    CurveNode* list = FreehandRamp(10, 0, 1, 40, 2);  // 0 .. 80 cents over frames 10..50
    list[0].selected = 0;
    list[1].selected = 1;
    CurveNode* saved = Main().CopySelectedSpan(list);
    CurveNode* work = Main().CopySelectedSpan(list);
    Main().ApplyMove(saved, work, 20, 40);
    EXPECT_EQ(work[1].time, 70);
    EXPECT_EQ(work[1].pitch, 120);
    const FreehandData& fitted = *work[0].freehand;
    EXPECT_EQ(fitted.count, 60);
    EXPECT_EQ(fitted.Offsets()[fitted.count - 1], 120) << "ends exactly on the moved node";
    for (int k = 1; k < fitted.count; ++k)
        EXPECT_GE(fitted.Offsets()[k], fitted.Offsets()[k - 1]) << "a rising run stays rising";
    EXPECT_NE(work[0].freehand, saved[0].freehand);
    // Moving back to where it was gives the original run again.
    Main().ApplyMove(saved, work, 0, 0);
    ASSERT_EQ(work[0].freehand->count, 40);
    for (int k = 0; k < 40; ++k)
        EXPECT_EQ(work[0].freehand->Offsets()[k], saved[0].freehand->Offsets()[k]) << k;
    g_Blocks.Free(work[0].freehand);
    g_Blocks.Free(saved);
    g_Blocks.Free(work);
    Main().FreeCurveList(list);
}

TEST_F(Model, ResamplingStretchesARunAndLandsOnTheNewEnd)
{
    Main().SetTimeAxis(1, 190);
    FreehandData* data = AllocFreehand(1, 4);
    for (int k = 0; k < 4; ++k)
        data->Offsets()[k] = 10 * (k + 1);
    FreehandData* longer = Main().ResampleFreehand(data, 8, 80);
    ASSERT_NE(longer, data);
    EXPECT_EQ(longer->count, 8);
    EXPECT_EQ(longer->step, 1);
    EXPECT_EQ(longer->Offsets()[7], 80);
    for (int k = 0; k < 8; ++k)
        EXPECT_NEAR(longer->Offsets()[k], 10 * (k + 1), 5) << "a straight ramp stays close to straight";
    EXPECT_EQ(Main().ResampleFreehand(data, 0, 0), data) << "no span, no change";
    CMessageBoxRecorder boxes;
    EXPECT_EQ(Main().ResampleFreehand(nullptr, 5, 5), nullptr);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].m_strText, "Error making curve object.  SourceCurve NULL!!");
    g_Blocks.Free(data);
    g_Blocks.Free(longer);
}

TEST_F(Model, TargetsFollowTheCurvesAndStopAtTheBufferEnd)
{
    // One second of buffer; one frame per pixel, so columns are frames.
    ASSERT_EQ(Main().SetBufferSeconds(1), 1);
    const int capacity = Main().BufferFrames();
    ASSERT_EQ(capacity, 220);
    Track(Frames(capacity, Voiced(900)));
    Main().SetTimeAxis(1, Main().Width() / 2);
    const int mid = Main().Height() / 2;
    Main().SetPitchAxis(2, 900);  // the middle row is A (440 Hz)
    // A rising line early on, and a flat line at A running past the end.
    DrawLine({{10, mid + 450}, {20, mid}});
    DrawLine({{180, mid}, {280, mid}});
    Records()[5].fTargetPeriod = 77.0f;
    Main().FillCorrectionTargets();
    const TrackRecord* r = Records();
    EXPECT_EQ(r[5].fTargetPeriod, 0.0f) << "frames without a curve are left alone";
    EXPECT_EQ(r[10].fTargetPeriod, CentsToPeriod(0.0, 220.5f));
    EXPECT_FLOAT_EQ(r[15].fTargetPeriod, CentsToPeriod(450.0, 220.5f));
    EXPECT_EQ(r[20].fTargetPeriod, CentsToPeriod(900.0, 220.5f));
    EXPECT_EQ(r[21].fTargetPeriod, 0.0f);
    EXPECT_EQ(r[capacity - 1].fTargetPeriod, static_cast<float>(44100.0 / 440.0));
    EXPECT_EQ(r[179].fTargetPeriod, 0.0f);
}

TEST_F(Model, TheCopiedRunStopsAtTheEndOfItsCurveAndUndoTwiceRedoes)
{
    DrawLine({{20, 100}, {60, 90}, {100, 80}});
    DrawLine({{200, 100}, {260, 90}});
    CurveNode* nodes = const_cast<CurveNode*>(Main().Curves());
    ASSERT_EQ(NodeCount(nodes), 5);
    // The end of the first curve and the start of the second are selected.
    Main().SelectAllNodes(nodes, 0);
    for (int i = 1; i <= 3; ++i)
        Main().SetNodeSelected(&nodes[i], 1);
    int first = 0, last = 0;
    Main().GetSelectionRange(&first, &last);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 2) << "a run ends where its curve does";
    Main().UpdateSelectionButtons();
    Main().Copy();
    EXPECT_EQ(NodeCount(Main().Clipboard()), 2);
    // An end node alone starts no run.
    Main().SelectAllNodes(nodes, 0);
    Main().SetNodeSelected(&nodes[2], 1);
    Main().GetSelectionRange(&first, &last);
    EXPECT_EQ(first, -1);
    // Undo takes the second curve away; undo again restores the state
    // before the first undo.
    Main().Undo();
    EXPECT_EQ(NodeCount(Main().Curves()), 3);
    Main().Undo();
    EXPECT_EQ(NodeCount(Main().Curves()), 5);
}

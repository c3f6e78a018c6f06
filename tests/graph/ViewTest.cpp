// The views driven as a user drives them: input injected on the headless
// display, results read from the curves, the panel's buttons and the
// pixels on screen.

#include <algorithm>
#include <set>

#include "GraphTestSupport.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Menus.h"

using namespace graphtest;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

COLORREF Inverse(COLORREF c)
{
    return RGB(255 - GetRValue(c), 255 - GetGValue(c), 255 - GetBValue(c));
}

} // namespace

class Views : public GraphFixture
{
protected:
    void SetUp() override
    {
        GraphFixture::SetUp();
        Track(Frames(300, Voiced(900)));
        Main().SetTimeAxis(1, Main().Width() / 2);  // columns are frames
        Main().SetPitchAxis(4, 900);                 // the middle row is A
        Main().Redraw(nullptr, nullptr);
    }
    int Mid() { return Main().Height() / 2; }
    int T(int x) { return Main().ColumnToFrame(x); }
    int Q(int y) { return Main().RowToCents(y); }
    std::vector<int> Selected()
    {
        std::vector<int> out;
        for (const Node& n : Curves())
            out.push_back(n.selected);
        return out;
    }
    // A line tool drawing: a click at each point, a double-click at the
    // last (a moment later, so it pairs with no earlier click).
    void LineThrough(const std::vector<POINT>& points)
    {
        host->SetTool(graph::kToolLine);
        for (size_t i = 0; i + 1 < points.size(); ++i)
            QueueClick(MainWnd(), points[i].x, points[i].y);
        ui.WhenIdle([&] { FinalDoubleClick(points.back().x, points.back().y); });
        ui.Pump();
    }
    void FinalDoubleClick(int x, int y)
    {
        ui.Display().Tick(600);
        ui.DoubleClick(MainWnd(), x, y);
    }
};

TEST_F(Views, ALineOfClicksEndedByADoubleClickEitherWayHasItsNodesInTimeOrder)
{
    // A click then a double-click on the same pixel makes no curve.
    LineThrough({{150, 100}, {150, 100}});
    EXPECT_EQ(Main().Curves(), nullptr);
    LineThrough({{300, 100}, {200, 80}, {100, 130}});
    std::vector<std::pair<int, int>> nodes;
    for (const Node& n : Curves())
        nodes.emplace_back(n.time, n.pitch);
    EXPECT_EQ(nodes, (std::vector<std::pair<int, int>>{{T(100), Q(130)}, {T(200), Q(80)}, {T(300), Q(100)}}));
    EXPECT_EQ(Curves().back().segment, SEGMENT_END);
    EXPECT_FALSE(Enabled(graph::kUndoButton)) << "nothing was there to go back to";
    EXPECT_TRUE(Enabled(graph::kCopyButton)) << "the new curve is the selection";
    EXPECT_TRUE(Enabled(graph::kCutButton));
    LineThrough({{240, 100}, {300, 120}});
    EXPECT_TRUE(Enabled(graph::kUndoButton));
}

TEST_F(Views, BackDeleteTakesVerticesOffOneByOne)
{
    host->SetTool(graph::kToolLine);
    QueueClick(MainWnd(), 40, 100);
    QueueClick(MainWnd(), 100, 90);
    QueueClick(MainWnd(), 160, 80);
    QueueKey(VK_BACK);  // drops the vertex at 160
    ui.WhenIdle([&] { FinalDoubleClick(220, 70); });
    ui.Pump();
    std::vector<int> times;
    for (const Node& n : Curves())
        times.push_back(n.time);
    EXPECT_EQ(times, (std::vector<int>{T(40), T(100), T(220)}));

    // Back-delete down to the first vertex ends the tool without a curve.
    Main().SelectAll();
    Main().Cut();
    QueueClick(MainWnd(), 40, 100);
    QueueClick(MainWnd(), 100, 90);
    QueueKey(VK_BACK);
    QueueKey(VK_BACK);
    ui.Pump();
    EXPECT_EQ(Main().Curves(), nullptr);
}

TEST_F(Views, ControlMakesTheLineHorizontal)
{
    host->SetTool(graph::kToolLine);
    QueueClick(MainWnd(), 40, 100);
    ui.Display().KeyDown(VK_CONTROL);
    QueueClick(MainWnd(), 120, 60);
    ui.WhenIdle([&] { FinalDoubleClick(200, 150); });
    ui.Pump();
    ui.KeyUp(VK_CONTROL);
    const std::vector<Node> n = Curves();
    ASSERT_EQ(n.size(), 3u);
    EXPECT_EQ(n[1].pitch, n[0].pitch);
    EXPECT_EQ(n[2].pitch, n[0].pitch);
    // Black on white along the row, the nodes' markers aside.
    Main().SelectAll();
    Main().Redraw(nullptr, nullptr);
    Main().SelectAllNodes(const_cast<CurveNode*>(Main().Curves()), 0);
    for (int x = 50; x < 190; x += 7) {
        EXPECT_EQ(Pixel(x, 100), kBlack) << x;
        EXPECT_EQ(Pixel(x, 98), kWhite) << x;
    }
}

TEST_F(Views, AFreehandStrokeThatLeavesTheViewEndsAtItsEdge)
{
    host->SetTool(graph::kToolFreehand);
    QueueDown(MainWnd(), 50, 100);
    QueueMove(MainWnd(), 60, 100);
    QueueMove(MainWnd(), 80, 110);
    QueueMove(MainWnd(), 100, 120);
    QueueMove(MainWnd(), 100, 300);  // below the view: the stroke ends
    QueueMove(MainWnd(), 150, 120);  // no longer drawn
    QueueUp(MainWnd(), 150, 120);
    ui.Pump();
    const std::vector<Node> n = Curves();
    ASSERT_EQ(n.size(), 2u);
    EXPECT_EQ(n[0].segment, SEGMENT_FREEHAND);
    EXPECT_EQ(n[0].time, T(50));
    EXPECT_EQ(n[1].time, T(100));
    EXPECT_EQ(n[0].pitch, Q(100));
    EXPECT_EQ(n[1].pitch, Q(120));
    const FreehandData& run = *Main().Curves()[0].freehand;
    EXPECT_EQ(run.count, 50);
    EXPECT_EQ(run.Offsets()[29], Q(110) - Q(100)) << "the stroke passed (80, 110)";
}

TEST_F(Views, ClickingANodeSelectsItAndSweepingSelectsWhatItCrosses)
{
    LineThrough({{40, 100}, {100, 90}, {160, 80}, {220, 70}});
    host->SetTool(graph::kToolMove);
    // A click on empty ground clears the selection.
    Click(MainWnd(), 300, 20);
    EXPECT_EQ(Selected(), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_FALSE(Enabled(graph::kCopyButton));
    // A click on a node selects it alone.
    Click(MainWnd(), 100, 90);
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 0, 0}));
    EXPECT_FALSE(Enabled(graph::kCopyButton)) << "one node cannot be copied";
    // A sweep from 90 to 170 selects the nodes at 100 and 160.
    Drag(MainWnd(), {90, 20}, {170, 20}, 8);
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 1, 0}));
    EXPECT_TRUE(Enabled(graph::kCopyButton));
    // Sweeping on and back again deselects what the way back crosses.
    QueueDown(MainWnd(), 90, 20);
    QueueMove(MainWnd(), 170, 20);
    QueueMove(MainWnd(), 130, 20);
    QueueUp(MainWnd(), 130, 20);
    ui.Pump();
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 0, 0}));
    // Shift extends the selection to the frame under the pointer.
    Drag(MainWnd(), {230, 20}, {232, 20}, 1, uitest::kShift);
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 1, 1}));
}

TEST_F(Views, MovingWithControlChangesOnlyPitch)
{
    LineThrough({{40, 100}, {120, 100}, {200, 100}});
    host->SetTool(graph::kToolMove);
    Click(MainWnd(), 300, 20);   // nothing selected
    Click(MainWnd(), 120, 100);  // then the middle node alone
    const std::vector<Node> before = Curves();
    Drag(MainWnd(), {120, 100}, {170, 60}, 5, uitest::kControl);
    const std::vector<Node> after = Curves();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[1].time, before[1].time);
    EXPECT_EQ(after[1].pitch, Q(60));
    EXPECT_EQ(after[0].pitch, before[0].pitch);
    // Without Control the move takes time along too, but never past an anchor.
    Drag(MainWnd(), {120, 60}, {260, 60}, 5);
    EXPECT_EQ(Curves()[1].time, Curves()[2].time - 1);
}

TEST_F(Views, AZoomBoxShowsWhatItFramed)
{
    Track(Frames(2000, Voiced(900)));
    ASSERT_EQ(Main().FramesPerPixel(), 6);
    const int t1 = T(100), t2 = T(200);
    const int pTop = Q(60), pBottom = Q(160);
    host->SetTool(graph::kToolZoom);
    Drag(MainWnd(), {100, 60}, {200, 160}, 5);
    EXPECT_LT(Main().FramesPerPixel(), 6);
    EXPECT_EQ(T(Main().Width() / 2), (t1 + t2) / 2);
    EXPECT_GE(Main().FrameToColumn(t1), 0);
    EXPECT_LE(Main().FrameToColumn(t2), Main().Width());
    EXPECT_GE(Main().CentsToRow(pTop), 0);
    EXPECT_LE(Main().CentsToRow(pBottom), Main().Height());
    // A box lower than three pixels changes nothing.
    const int fpp = Main().FramesPerPixel();
    const int centre = Main().PitchCenter();
    Drag(MainWnd(), {100, 60}, {200, 61}, 2);
    EXPECT_EQ(Main().FramesPerPixel(), fpp);
    EXPECT_EQ(Main().PitchCenter(), centre);
}

class ContextMenu : public Views
{
protected:
    static HWND MenuWindow() { return FindWindowA("#32768", nullptr); }
    // The middle of text item `index` of the menu: one row each below a
    // 3-pixel border, the two separators 8 pixels each (after Undo and
    // after Select All).
    static POINT ItemPoint(int index)
    {
        RECT rc{};
        GetClientRect(MenuWindow(), &rc);
        const int row = (rc.bottom - 6 - 16) / 7;
        const int top = 3 + index * row + (index >= 4 ? 8 : 0) + (index >= 5 ? 8 : 0);
        return POINT{rc.right / 2, top + row / 2};
    }
    void ChooseItem(int index)
    {
        const POINT at = ItemPoint(index);
        ui.Display().Tick(600);
        ui.Click(MenuWindow(), at.x, at.y);
    }
};

TEST_F(ContextMenu, CopyAndCutAreGreyedWithoutASelectionAndSoIsDelete)
{
    LineThrough({{40, 100}, {120, 90}, {200, 80}});
    host->SetTool(graph::kToolMove);
    Click(MainWnd(), 300, 20);  // deselect
    Main().IdleUpdate();        // the panel's timer enables Select All
    bool stayedOpen = false;
    ui.WhenIdle([&] { ChooseItem(1); });  // "Cu&t Selected", greyed
    ui.WhenIdle([&] {
        stayedOpen = MenuWindow() != nullptr;
        ChooseItem(4);  // "Select &All"
    });
    ui.Display().Tick(600);
    ui.RightClick(MainWnd(), 250, 40);
    EXPECT_TRUE(stayedOpen) << "a greyed item cannot be chosen";
    EXPECT_EQ(Curves().size(), 3u);
    for (const Node& n : Curves())
        EXPECT_EQ(n.selected, 1);
    EXPECT_EQ(Main().Clipboard(), nullptr);

    // With the selection, Copy reaches the clipboard.
    ui.WhenIdle([&] { ChooseItem(0); });
    ui.Display().Tick(600);
    ui.RightClick(MainWnd(), 250, 40);
    EXPECT_EQ(NodeCount(Main().Clipboard()), 3);
    EXPECT_TRUE(Enabled(graph::kPasteButton));

    // Delete cuts the selection, and nothing without one.
    Click(MainWnd(), 300, 20);  // deselect; the view has the keyboard now
    ui.Key(VK_DELETE);
    EXPECT_EQ(Curves().size(), 3u);
    EXPECT_EQ(NodeCount(Main().Clipboard()), 3);
    Drag(MainWnd(), {30, 20}, {130, 20}, 4);  // sweep over the first two nodes
    ui.Key(VK_DELETE);
    EXPECT_EQ(NodeCount(Main().Clipboard()), 2);
    ASSERT_EQ(Curves().size(), 2u);
    EXPECT_EQ(Curves()[0].time, T(120));
}

TEST_F(Views, ScrollBarsMoveTheViewAndTheEnvelopesSelectionFollowsTheTie)
{
    Track(Frames(2000, Voiced(900)));
    Main().ZoomTimeIn();
    Main().ZoomTimeIn();
    const int d = Main().FramesPerPixel();
    HWND hBar = Control(graph::kHorizontalScrollBarId);
    HWND vBar = Control(graph::kVerticalScrollBarId);
    EXPECT_EQ(GetScrollPos(hBar, SB_CTL), Main().TimeCenter() / Main().ScrollUnit());
    const int centre = Main().TimeCenter();
    RECT bar{};
    GetClientRect(hBar, &bar);
    Click(hBar, bar.right - 7, 7);  // the right arrow: a line to the right
    EXPECT_EQ(Main().TimeCenter(), centre + (Main().Width() / 20) * d);
    EXPECT_EQ(GetScrollPos(hBar, SB_CTL), Main().TimeCenter() / Main().ScrollUnit());
    // The thumb dragged to a position puts that frame in the middle.
    SendMessageA(host->Window(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 500), reinterpret_cast<LPARAM>(hBar));
    EXPECT_EQ(Main().TimeCenter(), 500 * Main().ScrollUnit());
    // The vertical bar's top arrow shows higher pitches.
    const int pitch = Main().PitchCenter();
    Click(vBar, 7, 7);
    EXPECT_EQ(Main().PitchCenter(), pitch + (Main().Height() / 20) * Main().CentsPerPixel());
    int lo = 0, hi = 0;
    GetScrollRange(vBar, SB_CTL, &lo, &hi);
    EXPECT_EQ(GetScrollPos(vBar, SB_CTL), lo + hi - Main().PitchCenter());

    // The envelope's selection follows the tie.
    Envelope().Redraw(nullptr, nullptr);
    host->SetTool(graph::kToolZoom);
    HWND env = Envelope().m_hWnd;
    const int tied1 = Main().ColumnToFrame(100), tied2 = Main().ColumnToFrame(200);
    Drag(env, {100, 30}, {200, 30}, 4);
    EXPECT_EQ(Envelope().SelectionStart(), tied1);
    EXPECT_EQ(Envelope().SelectionEnd(), tied2);
    EXPECT_EQ(Main().SelectionStart(), tied1);
    EXPECT_EQ(Main().SelectionEnd(), tied2);
    // The main view shows the range inverted: white ground turns black.
    EXPECT_EQ(Pixel(150, 20), kBlack);
    EXPECT_EQ(Pixel(250, 20), kWhite);

    // Untied, the envelope shows the whole passage, so the same sweep
    // selects more of it.
    dsp.SetParameter(PARAM_ENV_UNTIED, 1);
    EXPECT_FALSE(Envelope().IsTied());
    Drag(env, {100, 30}, {200, 30}, 4);
    EXPECT_EQ(Envelope().FramesPerPixel(), 6);
    EXPECT_EQ(Main().SelectionStart(), 600);
    EXPECT_EQ(Main().SelectionEnd(), 1200);
    dsp.SetParameter(PARAM_ENV_TIED, 1);
    EXPECT_TRUE(Envelope().IsTied());
}

TEST_F(Views, ButtonsFollowEveryEdit)
{
    Main().IdleUpdate();
    EXPECT_FALSE(Enabled(graph::kSelectAllButton));
    EXPECT_TRUE(Enabled(graph::kMakeCurveButton)) << "frames have been tracked";
    EXPECT_FALSE(Enabled(graph::kPasteButton));
    LineThrough({{40, 100}, {120, 90}});
    Main().IdleUpdate();
    EXPECT_TRUE(Enabled(graph::kSelectAllButton));
    EXPECT_TRUE(Enabled(graph::kCutButton));
    Main().Cut();
    EXPECT_FALSE(Enabled(graph::kCopyButton));
    EXPECT_TRUE(Enabled(graph::kUndoButton));
    Main().IdleUpdate();
    EXPECT_FALSE(Enabled(graph::kSelectAllButton)) << "nothing left to select";
    Main().Undo();
    EXPECT_EQ(Curves().size(), 2u);
    Main().IdleUpdate();
    EXPECT_TRUE(Enabled(graph::kSelectAllButton));
}

TEST_F(Views, PixelsOfTrackCurveMarkerAndRuler)
{
    // The tracked pitch: a red row at A, for the 300 tracked frames only.
    const int row = Main().CentsToRow(900);
    EXPECT_EQ(Pixel(20, row), kRed);
    EXPECT_EQ(Pixel(299, row), kRed);
    EXPECT_EQ(Pixel(20, row - 1), kWhite);
    EXPECT_NE(Pixel(340, row), kRed);

    // A selected node carries a 5 x 5 inverted square, and only that.
    LineThrough({{40, 60}, {160, 60}});
    Main().SelectAllNodes(const_cast<CurveNode*>(Main().Curves()), 0);
    const platform::gdi::Surface plain = ui.Shot(MainWnd());
    Main().SetNodeSelected(const_cast<CurveNode*>(&Main().Curves()[1]), 1);
    const platform::gdi::Surface marked = ui.Shot(MainWnd());
    std::set<std::pair<int, int>> changed;
    for (int y = 0; y < plain.Height(); ++y)
        for (int x = 0; x < plain.Width(); ++x)
            if (plain.Pixel(x, y) != marked.Pixel(x, y)) {
                changed.insert({x, y});
                EXPECT_EQ(platform::gdi::ToColorRef(marked.Pixel(x, y)),
                          Inverse(platform::gdi::ToColorRef(plain.Pixel(x, y))));
            }
    ASSERT_EQ(changed.size(), 25u);
    EXPECT_EQ(changed.begin()->first, 160 - 2);
    EXPECT_EQ(changed.rbegin()->first, 160 + 2);
    EXPECT_EQ(changed.begin()->second, 60 - 2);
    EXPECT_EQ(changed.rbegin()->second, 60 + 2);

    // The ruler: a line every half second in XOR grey, labels in blue
    // under them and nothing between.
    const int halfSecond = Main().FrameToColumn(110);
    EXPECT_EQ(Pixel(halfSecond, 50), RGB(0x3F, 0x3F, 0x3F));
    auto blueInk = [&](int x0, int x1) {
        int n = 0;
        for (int y = Main().Height() - 15; y < Main().Height() - 1; ++y)
            for (int x = x0; x < x1; ++x) {
                const COLORREF c = Pixel(x, y);
                n += GetBValue(c) > GetRValue(c) + 40 ? 1 : 0;
            }
        return n;
    };
    EXPECT_GT(blueInk(halfSecond - 12, halfSecond + 12), 10) << "\"0:12\"";
    EXPECT_EQ(blueInk(halfSecond + 25, halfSecond + 80), 0);
}

TEST_F(Views, TheMoveToolsCursorShowsWhatLiesUnderThePointer)
{
    LineThrough({{40, 100}, {200, 60}});
    host->SetTool(graph::kToolMove);
    ui.Move(MainWnd(), 40, 100);
    EXPECT_EQ(Main().ChooseCursor(), LoadCursorA(nullptr, IDC_SIZEALL)) << "a node (no module cursor here)";
    ui.Move(MainWnd(), 120, 80);
    EXPECT_EQ(Main().ChooseCursor(), LoadCursorA(nullptr, IDC_UPARROW)) << "a segment";
    ui.Move(MainWnd(), 120, 200);
    EXPECT_EQ(Main().ChooseCursor(), LoadCursorA(nullptr, IDC_ARROW));
    host->SetTool(graph::kToolLine);
    EXPECT_EQ(Main().ChooseCursor(), LoadCursorA(nullptr, IDC_CROSS));
    host->SetTool(graph::kToolZoom);
    EXPECT_EQ(Envelope().ChooseCursor(), LoadCursorA(nullptr, IDC_IBEAM));
}

// Scroll bar controls: every request a user can make of them reaches the
// parent with the bar's handle, and the bar moves only when told to.

#include "ControlTestSupport.h"

#include "platform/ui/AfxCtrl.h"

namespace {

using controltest::CControlFixture;
using Pair = std::pair<int, int>;

class ScrollBars : public CControlFixture {
protected:
    // A vertical bar 16 x 200: arrows of 16, a shaft of 168.
    HWND MakeVertical(int pos = 0)
    {
        HWND bar = Make("ScrollBar", nullptr, SBS_VERT, 300, 10, 16, 200, 2008);
        SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 10, pos, 0};
        SetScrollInfo(bar, SB_CTL, &info, TRUE);
        return bar;
    }
};

TEST_F(ScrollBars, ArrowAndPageClicksAskTheParentAndEndEachRequestAndAHeldArrowRepeats)
{
    HWND bar = MakeVertical(50);
    m_ui.Click(bar, 8, 195);  // down arrow
    m_ui.Click(bar, 8, 5);    // up arrow
    m_ui.Click(bar, 8, 180);  // below the thumb
    m_ui.Click(bar, 8, 20);   // above it
    EXPECT_EQ(Scrolls(WM_VSCROLL, bar), (std::vector<Pair>{{SB_LINEDOWN, 0}, {SB_ENDSCROLL, 0}, {SB_LINEUP, 0},
                                                           {SB_ENDSCROLL, 0}, {SB_PAGEDOWN, 0}, {SB_ENDSCROLL, 0},
                                                           {SB_PAGEUP, 0}, {SB_ENDSCROLL, 0}}));
    // Nobody set a new position, so the bar has not moved.
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 50);

    // A held arrow repeats until released.
    const std::size_t clicked = Scrolls(WM_VSCROLL, bar).size();
    m_ui.Down(bar, 8, 195);
    m_ui.Advance(1000);
    const std::size_t held = Scrolls(WM_VSCROLL, bar).size();
    EXPECT_GE(held - clicked, 10u);
    m_ui.Up(bar, 8, 195);
    m_ui.Advance(1000);
    const auto scrolls = Scrolls(WM_VSCROLL, bar);
    EXPECT_EQ(scrolls.size(), held + 1);
    EXPECT_EQ(scrolls.back(), Pair(SB_ENDSCROLL, 0));
}

TEST_F(ScrollBars, DraggingTheThumbTracksAndEndsAtTheLastReachablePosition)
{
    HWND bar = MakeVertical(0);
    // The thumb covers 10 of 101 units: 16 of the 168 pixels, at the top.
    m_ui.Drag(bar, POINT{8, 24}, POINT{8, 400}, 8);
    const auto scrolls = Scrolls(WM_VSCROLL, bar);
    ASSERT_GE(scrolls.size(), 3u);
    int last = -1;
    for (std::size_t i = 0; i + 2 < scrolls.size(); ++i) {
        EXPECT_EQ(scrolls[i].first, SB_THUMBTRACK);
        EXPECT_GT(scrolls[i].second, last);
        last = scrolls[i].second;
    }
    // Position 91 shows units 91 to 100: the end of the range.
    EXPECT_EQ(scrolls[scrolls.size() - 2], Pair(SB_THUMBPOSITION, 91));
    EXPECT_EQ(scrolls.back(), Pair(SB_ENDSCROLL, 0));
    // Until the parent sets it, the position stays where it was.
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 0);
}

TEST_F(ScrollBars, AHorizontalBarReportsAsWMHScrollAndKeysWorkWhenItHasTheFocus)
{
    HWND bar = Make("ScrollBar", nullptr, SBS_HORZ | WS_TABSTOP, 10, 250, 380, 15, 2007);
    SetScrollRange(bar, SB_CTL, 0, 3000, TRUE);
    m_ui.Click(bar, 370, 7);
    SetFocus(bar);
    m_ui.Key(VK_LEFT);
    m_ui.Key(VK_NEXT);
    m_ui.Key(VK_HOME);
    m_ui.Key(VK_END);
    EXPECT_EQ(Scrolls(WM_HSCROLL, bar),
              (std::vector<Pair>{{SB_LINERIGHT, 0}, {SB_ENDSCROLL, 0}, {SB_LINELEFT, 0}, {SB_ENDSCROLL, 0},
                                 {SB_PAGERIGHT, 0}, {SB_ENDSCROLL, 0}, {SB_LEFT, 0}, {SB_ENDSCROLL, 0},
                                 {SB_RIGHT, 0}, {SB_ENDSCROLL, 0}}));
    EXPECT_TRUE(Scrolls(WM_VSCROLL, bar).empty());
}

TEST_F(ScrollBars, PositionsStayWithinTheRangeAndTheThumbShowsThem)
{
    HWND bar = MakeVertical(0);
    EXPECT_EQ(SetScrollPos(bar, SB_CTL, 500, TRUE), 0);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 91);
    EXPECT_EQ(SetScrollPos(bar, SB_CTL, -7, TRUE), 91);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 0);

    // At the top the shaft shows just above the down arrow; at the end the
    // thumb's dark edge lies there.
    EXPECT_EQ(m_ui.Pixel(bar, 8, 183), RGB(223, 223, 223));
    SetScrollPos(bar, SB_CTL, 91, TRUE);
    EXPECT_EQ(m_ui.Pixel(bar, 8, 183), RGB(0, 0, 0));
    EXPECT_EQ(m_ui.Pixel(bar, 8, 17), RGB(223, 223, 223));

    CScrollBar wrapper;
    wrapper.Attach(bar);
    SCROLLINFO info{};
    ASSERT_TRUE(wrapper.GetScrollInfo(&info));
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, 100);
    EXPECT_EQ(info.nPage, 10u);
    EXPECT_EQ(info.nPos, 91);
    EXPECT_EQ(wrapper.GetScrollLimit(), 91);
    wrapper.SetScrollRange(-3200, 3600);
    int low = 0;
    int high = 0;
    wrapper.GetScrollRange(&low, &high);
    EXPECT_EQ(std::make_pair(low, high), std::make_pair(-3200, 3600));
    wrapper.Detach();

    // With nothing to scroll the bar asks for nothing.
    SetScrollRange(bar, SB_CTL, 0, 0, TRUE);
    m_ui.Click(bar, 8, 195);
    EXPECT_TRUE(Scrolls(WM_VSCROLL, bar).empty());
}

}  // namespace

// Dragging the fader: where the drag starts, the hidden pointer, fine steps
// under Ctrl and what the owner hears.

#include "SliderTestSupport.h"

#include <cstdlib>

using slidertest::SliderTest;

namespace {

// The thumb's top-left; a press exactly there needs no pointer correction.
constexpr int kThumbX = 17;

TEST_F(SliderTest, DraggingRetuneToFiftyGivesIndex198ShownAs48Milliseconds)
{
    CSliderControl& slider = Make(1, 400, 0, 126);
    const int top = slider.GetThumbY();
    m_ui.Down(Slider(), kThumbX, top);
    m_ui.Move(Slider(), kThumbX, 50);
    EXPECT_EQ(slider.GetThumbY(), 50);
    EXPECT_EQ(slider.GetValue(), 198);
    EXPECT_EQ(FieldText(), "48");
    Release(kThumbX, 50);
    ASSERT_EQ(m_changes.size(), 2u);
    EXPECT_EQ(m_changes[0].index, 1);
    EXPECT_EQ(m_changes[0].value, 198);
    EXPECT_EQ(m_changes[0].dragging, 1);
    EXPECT_EQ(m_changes[1].value, 198);
    EXPECT_EQ(m_changes[1].dragging, 0);
}

TEST_F(SliderTest, ThePointerIsHiddenWhileDraggingAndShowsAtTheThumbAfterwards)
{
    CSliderControl& slider = Make(2, 100, 0, 25);
    const int top = slider.GetThumbY();
    // A press in the middle of the thumb: the first move brings the hidden
    // pointer to the thumb's top-left, so the thumb does not jump.
    m_ui.Down(Slider(), kThumbX + 12, top + 12);
    EXPECT_FALSE(m_ui.Display().CursorVisible());
    EXPECT_EQ(GetCapture(), Slider());
    m_ui.Move(Slider(), kThumbX + 12, top + 15);
    EXPECT_EQ(slider.GetThumbY(), top + 3);
    EXPECT_FALSE(m_ui.Display().CursorVisible());
    // Past the bottom the thumb stops and so does the pointer.
    m_ui.Move(Slider(), kThumbX, 300);
    EXPECT_EQ(slider.GetThumbY(), 101);
    EXPECT_EQ(slider.GetValue(), 100);
    EXPECT_EQ(m_ui.Display().PointerPosition().y, Screen(0, 101).y);
    m_ui.Up(Slider(), kThumbX, 101);
    EXPECT_TRUE(m_ui.Display().CursorVisible());
    EXPECT_EQ(GetCapture(), nullptr);
    const POINT shown = m_ui.Display().PointerPosition();
    EXPECT_EQ(shown.x, Screen(kThumbX + 15, 0).x);
    EXPECT_EQ(shown.y, Screen(0, 101 + 12).y);
}

TEST_F(SliderTest, ReleasingWithoutMovingLeavesThePointerWhereItWasPressed)
{
    CSliderControl& slider = Make(2, 100, 0, 25);
    const int y = slider.GetThumbY() + 5;
    m_ui.Down(Slider(), 20, y);
    EXPECT_FALSE(m_ui.Display().CursorVisible());
    Release(20, y);
    EXPECT_TRUE(m_ui.Display().CursorVisible());
    EXPECT_EQ(m_ui.Display().PointerPosition().x, Screen(20, y).x);
    EXPECT_EQ(m_ui.Display().PointerPosition().y, Screen(20, y).y);
    EXPECT_EQ(slider.GetValue(), 25);
}

TEST_F(SliderTest, APressOutsideTheTrackDoesNotDrag)
{
    CSliderControl& slider = Make(2, 100, 0, 25);
    const int top = slider.GetThumbY();
    m_ui.Down(Slider(), 5, top + 5);
    EXPECT_TRUE(m_ui.Display().CursorVisible());
    EXPECT_EQ(GetCapture(), nullptr);
    m_ui.Move(Slider(), 5, top + 40);
    m_ui.Up(Slider(), 5, top + 40);
    EXPECT_EQ(slider.GetThumbY(), top);
    EXPECT_EQ(slider.GetValue(), 25);
    ASSERT_EQ(m_changes.size(), 1u) << "only the release is reported";
    EXPECT_EQ(m_changes[0].dragging, 0);
    EXPECT_EQ(GetFocus(), Slider()) << "a press anywhere takes the focus";
}

TEST_F(SliderTest, UnderCtrlScaleDetuneMovesOneCentPerMoveAndTheThumbEverySecondMove)
{
    CSliderControl& slider = Make(0, -100, 100, 0, true);
    const int top = slider.GetThumbY();
    m_ui.Down(Slider(), kThumbX, top);
    m_ui.KeyDown(VK_CONTROL);
    // Far moves and near ones alike are one step each.
    const int targets[] = {top + 40, top + 1, top + 45, top + 3, top + 30, top + 7};
    for (int i = 0; i < 6; ++i) {
        m_ui.Move(Slider(), kThumbX, targets[i]);
        EXPECT_EQ(slider.GetValue(), -(i + 1)) << "move " << i;
        EXPECT_EQ(slider.GetThumbY(), top + (i + 1) / 2) << "move " << i;
    }
    // Moving above the thumb steps back up.
    m_ui.Move(Slider(), kThumbX, 5);
    EXPECT_EQ(slider.GetValue(), -5);
    m_ui.KeyUp(VK_CONTROL);
    Release(kThumbX, 5);
    ASSERT_EQ(m_changes.size(), 8u) << "seven steps and the release";
    for (std::size_t i = 1; i < 7; ++i) {
        EXPECT_EQ(std::abs(m_changes[i].value - m_changes[i - 1].value), 1) << i;
    }
}

TEST_F(SliderTest, RetuneTakesFineStepsOnlyUntilTheFineModeIsOff)
{
    // Its range gives a divider of 3: the thumb follows every fourth step.
    CSliderControl& slider = Make(1, 400, 0, 200, true);
    const int top = slider.GetThumbY();
    m_ui.Down(Slider(), kThumbX, top);
    m_ui.KeyDown(VK_CONTROL);
    for (int i = 1; i <= 4; ++i) {
        m_ui.Move(Slider(), kThumbX, top + 30);
        EXPECT_EQ(slider.GetValue(), 200 + i);
    }
    EXPECT_EQ(slider.GetThumbY(), top + 1);
    m_ui.KeyUp(VK_CONTROL);
    m_ui.Up(Slider(), kThumbX, top + 30);

    slider.SetFineMode(FALSE);
    m_changes.clear();
    m_ui.Down(Slider(), kThumbX, slider.GetThumbY());
    m_ui.KeyDown(VK_CONTROL);
    m_ui.Move(Slider(), kThumbX, 50);
    EXPECT_EQ(slider.GetValue(), 198) << "Ctrl changes nothing";
    m_ui.KeyUp(VK_CONTROL);
    m_ui.Up(Slider(), kThumbX, 50);
}

}  // namespace

namespace {

HWND MenuWindow()
{
    return FindWindowA("#32768", nullptr);
}

TEST_F(SliderTest, DefaultFromTheRightClickMenuGoesBackToTheDefaultAndTellsTheOwner)
{
    CSliderControl& slider = Make(1, 400, 0, 300);
    RECT placed{};
    auto chooseDefault = [&] {
        ASSERT_NE(MenuWindow(), nullptr);
        GetWindowRect(MenuWindow(), &placed);
        RECT rc{};
        GetClientRect(MenuWindow(), &rc);
        m_ui.Click(MenuWindow(), rc.right / 2, rc.bottom / 2);
    };
    // Without a default the item is there but does nothing; Escape dismisses.
    m_ui.WhenIdle(chooseDefault);
    m_ui.RightClick(Slider(), 30, 60);
    slider.SetDefaultValue(126);
    m_ui.WhenIdle([&] { m_ui.Key(VK_ESCAPE); });
    m_ui.RightClick(Slider(), 30, 60);
    EXPECT_EQ(slider.GetValue(), 300);
    EXPECT_TRUE(m_changes.empty());

    m_ui.WhenIdle(chooseDefault);
    m_ui.RightClick(Slider(), 30, 60);
    EXPECT_EQ(MenuWindow(), nullptr);
    // Shown 5 pixels left of and 10 above the click.
    EXPECT_EQ(placed.left, Screen(25, 0).x);
    EXPECT_EQ(placed.top, Screen(0, 50).y);
    EXPECT_EQ(slider.GetValue(), 126);
    EXPECT_EQ(FieldText(), "20");
    ASSERT_EQ(m_changes.size(), 1u);
    EXPECT_EQ(m_changes[0].value, 126);
    EXPECT_EQ(m_changes[0].dragging, 0);
}

}  // namespace

// Dragging the fader: where the drag starts, the hidden pointer, fine steps
// under Ctrl, the right-click menu and what the owner hears.

#include "PanelTestSupport.h"

#include <cstdlib>

using namespace paneltest;

namespace {

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
    EXPECT_EQ(std::pair(slider.GetThumbY(), slider.GetValue()), std::pair(101, 100));
    EXPECT_EQ(m_ui.Display().PointerPosition().y, Screen(0, 101).y);
    m_ui.Up(Slider(), kThumbX, 101);
    EXPECT_TRUE(m_ui.Display().CursorVisible());
    EXPECT_EQ(GetCapture(), nullptr);
    const POINT shown = m_ui.Display().PointerPosition();
    EXPECT_EQ(std::pair(shown.x, shown.y), std::pair(Screen(kThumbX + 15, 0).x, Screen(0, 101 + 12).y));
    // The owner hears every move as dragging and the release as done.
    ASSERT_GE(m_changes.size(), 3u);
    for (std::size_t i = 0; i < m_changes.size(); ++i)
        EXPECT_EQ(std::pair(m_changes[i].index, m_changes[i].dragging), std::pair(2, i + 1 < m_changes.size() ? 1 : 0)) << i;
    EXPECT_EQ(m_changes.back().value, 100);
}

TEST_F(SliderTest, APressThatDoesNotMoveOrMissesTheTrackChangesNothing)
{
    CSliderControl& slider = Make(2, 100, 0, 25);
    const int top = slider.GetThumbY();
    // Released without moving: the pointer stays where it was pressed.
    m_ui.Down(Slider(), 20, top + 5);
    EXPECT_FALSE(m_ui.Display().CursorVisible());
    Release(20, top + 5);
    EXPECT_TRUE(m_ui.Display().CursorVisible());
    const POINT pressed = Screen(20, top + 5);
    EXPECT_EQ(std::pair(m_ui.Display().PointerPosition().x, m_ui.Display().PointerPosition().y),
              std::pair(pressed.x, pressed.y));
    EXPECT_EQ(slider.GetValue(), 25);
    // Outside the track there is no drag at all.
    m_changes.clear();
    SetFocus(nullptr);
    m_ui.Down(Slider(), 5, top + 5);
    EXPECT_TRUE(m_ui.Display().CursorVisible());
    EXPECT_EQ(GetCapture(), nullptr);
    m_ui.Move(Slider(), 5, top + 40);
    m_ui.Up(Slider(), 5, top + 40);
    EXPECT_EQ(std::pair(slider.GetThumbY(), slider.GetValue()), std::pair(top, 25));
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
        EXPECT_EQ(std::pair(slider.GetValue(), slider.GetThumbY()), std::pair(-(i + 1), top + (i + 1) / 2)) << i;
    }
    // Moving above the thumb steps back up.
    m_ui.Move(Slider(), kThumbX, 5);
    EXPECT_EQ(slider.GetValue(), -5);
    m_ui.KeyUp(VK_CONTROL);
    Release(kThumbX, 5);
    ASSERT_EQ(m_changes.size(), 8u) << "seven steps and the release";
    for (std::size_t i = 1; i < 7; ++i)
        EXPECT_EQ(std::abs(m_changes[i].value - m_changes[i - 1].value), 1) << i;
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
    m_ui.Down(Slider(), kThumbX, slider.GetThumbY());
    m_ui.KeyDown(VK_CONTROL);
    m_ui.Move(Slider(), kThumbX, 50);
    EXPECT_EQ(slider.GetValue(), 198) << "Ctrl changes nothing";
    EXPECT_EQ(FieldText(), "48");
    m_ui.KeyUp(VK_CONTROL);
    m_ui.Up(Slider(), kThumbX, 50);
}

TEST_F(SliderTest, DefaultFromTheRightClickMenuGoesBackToTheDefaultAndTellsTheOwner)
{
    CSliderControl& slider = Make(1, 400, 0, 300);
    // Without a default the item is there but does nothing; Escape dismisses.
    ChooseFromMenuWhenIdle(m_ui);
    m_ui.RightClick(Slider(), 30, 60);
    slider.SetDefaultValue(126);
    m_ui.WhenIdle([&] { m_ui.Key(VK_ESCAPE); });
    m_ui.RightClick(Slider(), 30, 60);
    EXPECT_EQ(slider.GetValue(), 300);
    EXPECT_TRUE(m_changes.empty());

    RECT placed{};
    ChooseFromMenuWhenIdle(m_ui, 0, 1, &placed);
    m_ui.RightClick(Slider(), 30, 60);
    EXPECT_EQ(FindWindowA("#32768", nullptr), nullptr);
    // Shown 5 pixels left of and 10 above the click.
    EXPECT_EQ(std::pair(placed.left, placed.top), std::pair(Screen(25, 0).x, Screen(0, 50).y));
    EXPECT_EQ(slider.GetValue(), 126);
    EXPECT_EQ(FieldText(), "20");
    ASSERT_EQ(m_changes.size(), 1u);
    EXPECT_EQ(std::pair(m_changes[0].value, m_changes[0].dragging), std::pair(126, 0));
}

}  // namespace

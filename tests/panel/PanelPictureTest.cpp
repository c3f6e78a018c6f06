// Pictures of the panel in both modes and of the scale editor, checked by
// what must be in them. With INTONARA_SCREENSHOT_DIR set they are also
// written there as PNG files (the README's pictures come from this).

#include "PanelTestSupport.h"

#include <cstdlib>
#include <string>

using namespace paneltest;
using platform::gdi::Surface;

namespace {

void Keep(const Surface& picture, const char* name)
{
    if (const char* dir = std::getenv("INTONARA_SCREENSHOT_DIR")) {
        EXPECT_TRUE(platform::gdi::SavePng(picture, (std::string(dir) + "/" + name).c_str()));
    }
}

COLORREF At(const Surface& picture, int x, int y)
{
    return platform::gdi::ToColorRef(picture.Pixel(x, y));
}

// How many pixels of a rectangle have `colour`, or are dark (text and
// outlines) when no colour is given.
int Count(const Surface& picture, const RECT& rc, int colour = -1)
{
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x) {
            const COLORREF c = At(picture, x, y);
            n += (colour < 0 ? GetRValue(c) + GetGValue(c) + GetBValue(c) < 150 : c == COLORREF(colour)) ? 1 : 0;
        }
    }
    return n;
}

constexpr RECT kTrackPitchButton = {521, 80, 600, 102};
constexpr RECT kScaleList = {76, 93, 228, 112};

TEST_F(PanelTest, TheAutomaticModePicture)
{
    m_panel->SetChangeMeter(40);
    const Surface shot = m_ui.Shot(Panel());
    Keep(m_ui.Shot(m_frame, false), "panel-automatic.png");
    EXPECT_EQ(At(shot, 10, 70), GetSysColor(COLOR_BTNFACE));
    // The meter's bar: 40 rows of 13 red pixels above the zero line.
    EXPECT_EQ(Count(shot, RECT{300, 93, 372, 322}, kRed), 40 * 13);
    // The scale list's white face and the Retune fader's thumb.
    EXPECT_GT(Count(shot, kScaleList, RGB(255, 255, 255)), 1000);
    EXPECT_EQ(Count(shot, kTrackPitchButton), 0);
    EXPECT_GT(Count(shot, RECT{122, 197, 167, 327}), 100);
    // The brand panel's name in its ink.
    EXPECT_GT(Count(shot, RECT{50, 10, 370, 44}, RGB(0, 0, 128)), 100);
}

TEST_F(PanelTest, TheGraphicalModePicture)
{
    m_panel->SetChangeMeter(40);
    ClickItem(1122);
    ClickItem(1093);  // the freehand tool, down
    const Surface shot = m_ui.Shot(Panel());
    Keep(m_ui.Shot(m_frame, false), "panel-graphical.png");
    // No meter in this mode, and the Track Pitch switch has its text.
    EXPECT_EQ(Count(shot, RECT{324, 135, 337, 311}, kRed), 0);
    EXPECT_GT(Count(shot, kTrackPitchButton), 30);
    // The four tool pictures tile the square under the zoom buttons.
    for (const RECT& tool : {RECT{413, 105, 445, 137}, RECT{446, 105, 476, 137}, RECT{413, 138, 445, 170},
                             RECT{446, 138, 476, 170}}) {
        EXPECT_GT(Count(shot, tool), 10);
    }
    // "fast" and "slow" reach into the Tracking labels' rectangles; the
    // first letters of "choosy" and "relaxed" must still show there.
    EXPECT_GT(Count(shot, RECT{605, 264, 610, 279}), 3);
    EXPECT_GT(Count(shot, RECT{605, 352, 612, 365}), 3);
}

TEST_F(PanelTest, TheScaleEditorPicture)
{
    m_dsp.SetParameter(2, 25);  // "Carlos Alpha": the tall dialog
    m_dsp.SetParameter(3, 9);
    Surface shot;
    m_ui.WhenIdle([&] {
        HWND editor = GetActiveWindow();
        shot = m_ui.Display().Capture(editor, true);
        Keep(m_ui.Display().Capture(editor, false), "scale-editor.png");
        m_ui.Key(VK_ESCAPE);
    });
    ClickItem(1026);
    ASSERT_GT(shot.Height(), 0);
    // The note list and the three interval tables are white boxes; below
    // the tables there is only the dialog's face.
    EXPECT_GT(Count(shot, RECT{20, 80, 200, 120}, RGB(255, 255, 255)), 3000);
    EXPECT_EQ(At(shot, shot.Width() / 2, shot.Height() - 3), GetSysColor(COLOR_BTNFACE));
    EXPECT_GT(shot.Height(), 380);
}

}  // namespace

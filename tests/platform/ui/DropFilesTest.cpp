// Files dropped from the desktop: only a window that takes files hears of
// them, as WM_DROPFILES on its top-level window, with the names in order.

#include "platform/ui/DropFiles.h"

#include "UiFixture.h"

using DropFiles = uitest::CUiTest;

TEST_F(DropFiles, OnlyAWindowThatTakesFilesGetsTheNamesInOrder)
{
    const HWND top = rec.Create(20, 20, 200, 120);
    const HWND child = rec.Create(5, 5, 50, 30, top, 7, WS_CHILD | WS_VISIBLE);
    ASSERT_NE(child, nullptr);

    EXPECT_FALSE(platform::ui::PostDroppedFiles(child, {"/music/a.wav"}));
    ui.Display().Pump();
    EXPECT_TRUE(rec.Of(top, {WM_DROPFILES}).empty());

    DragAcceptFiles(top, TRUE);
    // Dropped over a child, the window that takes files is its top level.
    ASSERT_TRUE(platform::ui::PostDroppedFiles(child, {"/music/a.wav", "/music/long name.flac"}));
    ui.Display().Pump();
    const auto drops = rec.Of(top, {WM_DROPFILES});
    ASSERT_EQ(drops.size(), 1u);
    const auto drop = reinterpret_cast<HDROP>(drops[0].wParam);
    EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0), 2u);
    char name[64] = {};
    EXPECT_EQ(DragQueryFileA(drop, 1, name, sizeof name), 21u);
    EXPECT_STREQ(name, "/music/long name.flac");
    // A short buffer gets what fits, terminated.
    char small[5] = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(DragQueryFileA(drop, 0, small, sizeof small), 4u);
    EXPECT_STREQ(small, "/mus");
    EXPECT_EQ(DragQueryFileA(drop, 0, nullptr, 0), 12u);
    EXPECT_EQ(DragQueryFileA(drop, 2, name, sizeof name), 0u);
    DragFinish(drop);

    DragAcceptFiles(top, FALSE);
    EXPECT_FALSE(platform::ui::PostDroppedFiles(top, {"/music/b.wav"}));
}

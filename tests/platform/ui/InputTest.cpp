// Mouse and keyboard: where messages go, in which coordinates and with
// which flags; capture, double-clicks, the set-cursor message, focus, key
// state, the cursor and the pointer.

#include "UiFixture.h"

#include "platform/ui/Cursors.h"

namespace {

using uitest::Message;
using MouseInput = uitest::CUiTest;
using Keyboard = uitest::CUiTest;
using Cursor = uitest::CUiTest;
using Beep = uitest::CUiTest;

const std::vector<UINT> kMouse{WM_MOUSEMOVE,     WM_LBUTTONDOWN, WM_LBUTTONUP,  WM_LBUTTONDBLCLK,
                               WM_RBUTTONDOWN,   WM_RBUTTONUP,   WM_RBUTTONDBLCLK};

TEST_F(MouseInput, ClicksArriveInClientCoordinatesWithButtonFlags)
{
    HWND top = rec.Create(40, 30, 300, 200);
    HWND child = rec.Create(50, 60, 100, 80, top, 1, WS_BORDER);
    rec.Clear();
    ui.Click(child, 7, 9);
    const auto got = rec.Of(child, {WM_LBUTTONDOWN, WM_LBUTTONUP});
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(got[0].x(), 7);
    EXPECT_EQ(got[0].y(), 9);
    EXPECT_EQ(got[0].wParam, MK_LBUTTON);
    EXPECT_EQ(got[1].wParam, WPARAM{0}) << "the button is up when WM_LBUTTONUP arrives";
    EXPECT_TRUE(rec.Of(top, {WM_LBUTTONDOWN}).empty());

    rec.Clear();
    ui.Click(child, 3, 4, uitest::kShift | uitest::kControl, uitest::MouseButton::Right);
    const auto right = rec.Of(child, {WM_RBUTTONDOWN});
    ASSERT_EQ(right.size(), 1u);
    EXPECT_EQ(right[0].wParam, MK_RBUTTON | MK_SHIFT | MK_CONTROL);
}

TEST_F(MouseInput, SetCursorComesBeforeEveryMouseMessageWithTheHitCode)
{
    HWND top = rec.Create(0, 0, 200, 200);
    rec.Clear();
    ui.Move(top, 10, 10);
    ui.Click(top, 12, 12);
    std::vector<UINT> seq = rec.Sequence({WM_SETCURSOR, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP});
    const std::vector<UINT> expected{WM_SETCURSOR, WM_MOUSEMOVE,   WM_SETCURSOR, WM_MOUSEMOVE,
                                     WM_SETCURSOR, WM_LBUTTONDOWN, WM_SETCURSOR, WM_LBUTTONUP};
    EXPECT_EQ(seq, expected);
    for (const Message& m : rec.Of(top, {WM_SETCURSOR})) {
        EXPECT_EQ(reinterpret_cast<HWND>(m.wParam), top);
        EXPECT_EQ(static_cast<LRESULT>(LOWORD(m.lParam)), HTCLIENT);
    }
    EXPECT_EQ(HIWORD(rec.Of(top, {WM_SETCURSOR})[2].lParam), WM_LBUTTONDOWN);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW)) << "the class cursor was set";
}

TEST_F(MouseInput, CaptureRoutesEveryMouseMessageToTheCapturingWindowTillTaken)
{
    HWND top = rec.Create(0, 0, 400, 300);
    HWND a = rec.Create(10, 10, 100, 100, top, 1);
    HWND b = rec.Create(200, 10, 100, 100, top, 2);
    rec.On(WM_LBUTTONDOWN, [](const Message& m, LRESULT&) {
        SetCapture(m.hwnd);
        return true;
    });
    rec.On(WM_LBUTTONUP, [](const Message&, LRESULT&) {
        ReleaseCapture();
        return true;
    });
    rec.Clear();
    ui.Down(a, 5, 5);
    EXPECT_EQ(GetCapture(), a);
    ui.Move(b, 10, 10);  // over the other window: a's coordinates 200 to the right
    ui.Move(top, -30, -20);  // outside every window
    ui.Up(b, 20, 30);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(rec.Of(b, kMouse).empty()) << "nothing reached the window under the pointer";
    // a's moves: the press, over b, outside everything, back over b, release.
    const auto got = rec.Of(a, {WM_MOUSEMOVE, WM_LBUTTONUP});
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[1].x(), 200);
    EXPECT_EQ(got[1].y(), 10);
    EXPECT_EQ(got[2].x(), -40) << "negative client coordinates outside the window";
    EXPECT_EQ(got[2].y(), -30);
    EXPECT_EQ(got[4].message, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_EQ(got[4].x(), 210);
    EXPECT_EQ(got[4].y(), 30);
    EXPECT_EQ(rec.Of(a, {WM_SETCURSOR}).size(), 2u) << "no set-cursor while captured";
    EXPECT_EQ(rec.Of(a, {WM_CAPTURECHANGED}).size(), 1u);

    rec.Clear();
    ui.Move(b, 1, 1);
    EXPECT_EQ(rec.Of(b, {WM_MOUSEMOVE}).size(), 1u) << "released: moves go where the pointer is";

    // Taking the capture from another window tells that window.
    SetCapture(a);
    rec.Clear();
    EXPECT_EQ(SetCapture(b), a);
    const auto changed = rec.Of(a, {WM_CAPTURECHANGED});
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(reinterpret_cast<HWND>(changed[0].lParam), b);
    ReleaseCapture();
}

TEST_F(MouseInput, DoubleClicksOnlyForClassesThatAskAtTheSameSpotInTime)
{
    HWND plain = rec.Create(0, 0, 100, 100);
    HWND dbl = rec.Create(200, 0, 100, 100, nullptr, 0, 0, true);
    const std::vector<UINT> buttons{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK};
    rec.Clear();
    ui.DoubleClick(dbl, 10, 10);
    EXPECT_EQ(rec.Sequence(buttons), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}));
    ui.Display().Tick(1000);
    rec.Clear();
    ui.DoubleClick(plain, 10, 10);
    EXPECT_EQ(rec.Sequence(buttons), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}));

    // Only at the same spot within the double-click time.
    const std::vector<UINT> downs{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK};
    ui.Display().Tick(1000);
    rec.Clear();
    ui.Click(dbl, 10, 10);
    ui.Display().Tick(GetDoubleClickTime() + 1);
    ui.Click(dbl, 10, 10);
    EXPECT_EQ(rec.Sequence(downs), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN})) << "too slow";
    ui.Display().Tick(1000);
    rec.Clear();
    ui.Click(dbl, 10, 10);
    ui.Click(dbl, 13, 10);
    EXPECT_EQ(rec.Sequence(downs), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN})) << "too far";
    ui.Display().Tick(1000);
    rec.Clear();
    ui.Click(dbl, 10, 10);
    ui.Click(dbl, 11, 9);
    ui.Click(dbl, 11, 9);
    EXPECT_EQ(rec.Sequence(downs), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN}))
        << "a third click starts over";
}

TEST_F(MouseInput, ADisabledChildLetsTheClickReachItsParent)
{
    HWND top = rec.Create(0, 0, 200, 200);
    HWND child = rec.Create(10, 10, 50, 50, top, 1, WS_DISABLED);
    rec.Clear();
    ui.Click(child, 5, 5);
    EXPECT_TRUE(rec.Of(child, kMouse).empty());
    const auto got = rec.Of(top, {WM_LBUTTONDOWN});
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].x(), 15);
}

TEST_F(MouseInput, ClickingAnInactiveWindowActivatesIt)
{
    HWND a = rec.Create(0, 0, 100, 100);
    HWND b = rec.Create(200, 0, 100, 100);
    EXPECT_EQ(GetActiveWindow(), b) << "the last one shown";
    rec.Clear();
    ui.Click(a, 5, 5);
    EXPECT_EQ(GetActiveWindow(), a);
    EXPECT_EQ(rec.Trace({WM_MOUSEACTIVATE, WM_ACTIVATE, WM_LBUTTONDOWN}),
              (std::vector<std::pair<HWND, UINT>>{
                  {a, WM_MOUSEACTIVATE}, {b, WM_ACTIVATE}, {a, WM_ACTIVATE}, {a, WM_LBUTTONDOWN}}));
    EXPECT_EQ(GetFocus(), a) << "the default activation gives the window the focus";
}

TEST_F(Keyboard, FocusMessagesNameEachOtherAndKeysGoToTheFocus)
{
    HWND top = rec.Create(0, 0, 200, 200);
    HWND one = rec.Create(0, 0, 50, 50, top, 1);
    HWND two = rec.Create(60, 0, 50, 50, top, 2);
    SetFocus(one);
    rec.Clear();
    EXPECT_EQ(SetFocus(two), one);
    const auto kill = rec.Of(one, {WM_KILLFOCUS});
    const auto set = rec.Of(two, {WM_SETFOCUS});
    ASSERT_EQ(kill.size(), 1u);
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(reinterpret_cast<HWND>(kill[0].wParam), two);
    EXPECT_EQ(reinterpret_cast<HWND>(set[0].wParam), one);
    EXPECT_EQ(rec.Sequence({WM_KILLFOCUS, WM_SETFOCUS}), (std::vector<UINT>{WM_KILLFOCUS, WM_SETFOCUS}));
    rec.Clear();
    ui.Key(VK_DELETE);
    EXPECT_EQ(rec.Of(two, {WM_KEYDOWN}).size(), 1u);
    EXPECT_EQ(rec.Of(two, {WM_KEYDOWN})[0].wParam, VK_DELETE);
    EXPECT_EQ(rec.Of(two, {WM_KEYUP}).size(), 1u);
    EXPECT_TRUE(rec.Of(one, {WM_KEYDOWN}).empty());
}

TEST_F(Keyboard, KeyStateFollowsMessagesAsyncStateTheKeyboardAndTranslateMakesCharacters)
{
    HWND w = rec.Create(0, 0, 100, 100);
    SetFocus(w);
    std::vector<bool> controlDownAtKey;
    rec.On(WM_KEYDOWN, [&](const Message& m, LRESULT&) {
        if (m.wParam == 'A') {
            controlDownAtKey.push_back(GetKeyState(VK_CONTROL) < 0);
        }
        return false;
    });
    ui.Display().KeyDown(VK_CONTROL);
    EXPECT_LT(GetAsyncKeyState(VK_CONTROL), 0) << "the keyboard is down at once";
    EXPECT_GE(GetKeyState(VK_CONTROL), 0) << "the thread has not seen the key yet";
    ui.Pump();
    EXPECT_LT(GetKeyState(VK_CONTROL), 0);
    ui.Key('A');
    ui.KeyUp(VK_CONTROL);
    ui.Key('A');
    EXPECT_EQ(controlDownAtKey, (std::vector<bool>{true, false}));
    EXPECT_GE(GetKeyState(VK_CONTROL), 0);
    EXPECT_EQ(GetAsyncKeyState(VK_CONTROL), 0);

    // TranslateMessage makes characters, and Alt makes system keys.
    rec.Clear();
    ui.Key('A');
    ui.Key('A', uitest::kShift);
    ui.Key('3', uitest::kShift);
    ui.Key('C', uitest::kControl);
    ui.Key(VK_RETURN);
    ui.Key(VK_BACK);
    ui.Key(VK_ESCAPE);
    ui.Type("z!");
    std::string chars;
    for (const Message& m : rec.Of(w, {WM_CHAR})) {
        chars += static_cast<char>(m.wParam);
    }
    EXPECT_EQ(chars, std::string("aA#\x03\r\x08\x1bz!"));
    rec.Clear();
    ui.Key('F', uitest::kAlt);
    EXPECT_EQ(rec.Sequence({WM_KEYDOWN, WM_SYSKEYDOWN, WM_SYSCHAR, WM_CHAR}),
              (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSCHAR}));
}

TEST_F(Cursor, ShowCursorCountsAHiddenCursorIsHiddenAndSetCursorPosWarpsThePointer)
{
    HWND w = rec.Create(0, 0, 100, 100);
    ui.Move(w, 5, 5);
    EXPECT_TRUE(ui.Display().CursorVisible());
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_FALSE(ui.Display().CursorVisible());
    EXPECT_EQ(ui.Display().ShownCursor(), nullptr);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_FALSE(ui.Display().CursorVisible()) << "one show does not undo two hides";
    EXPECT_EQ(ShowCursor(TRUE), 0);
    EXPECT_TRUE(ui.Display().CursorVisible());

    HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
    ASSERT_NE(cross, nullptr);
    const HCURSOR before = SetCursor(cross);
    EXPECT_EQ(before, LoadCursorA(nullptr, IDC_ARROW));
    ASSERT_NE(ui.Display().ShownCursor(), nullptr);
    EXPECT_EQ(ui.Display().ShownCursor()->m_nSystemId, 32515);
    for (const char* id : {IDC_WAIT, IDC_IBEAM, IDC_SIZEWE}) {
        EXPECT_NE(LoadCursorA(nullptr, id), nullptr);
    }
    EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(150)), nullptr) << "no module cursors without resources";

    // SetCursorPos warps the pointer and moves the mouse.
    MoveWindow(w, 100, 100, 200, 200, TRUE);
    ui.Pump();
    rec.Clear();
    const int warps = ui.Display().WarpCount();
    EXPECT_TRUE(SetCursorPos(150, 170));
    POINT pt{};
    GetCursorPos(&pt);
    EXPECT_EQ(pt.x, 150);
    EXPECT_EQ(pt.y, 170);
    EXPECT_EQ(ui.Display().WarpCount(), warps + 1);
    EXPECT_EQ(ui.Display().PointerPosition().x, 150);
    ui.Pump();
    const auto moves = rec.Of(w, {WM_MOUSEMOVE});
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].x(), 50);
    EXPECT_EQ(moves[0].y(), 70);
    SetCursorPos(150, 170);
    ui.Pump();
    EXPECT_EQ(rec.Of(w, {WM_MOUSEMOVE}).size(), 1u) << "no move when the pointer stays";
    EXPECT_EQ(ui.Display().WarpCount(), warps + 1);
}

TEST_F(Cursor, CursorsFromMasksHaveTheirPixelsAndHotSpot)
{
    // 16 x 2: row 0 black, white, clear, clear...; row 1 all clear.
    const BYTE andMask[] = {0x3F, 0xFF, 0xFF, 0xFF};
    const BYTE xorMask[] = {0x40, 0x00, 0x00, 0x00};
    HCURSOR cursor = CreateCursor(nullptr, 3, 1, 16, 2, andMask, xorMask);
    const platform::ui::CursorImage* image = platform::ui::CursorImageOf(cursor);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->m_pixels[0], 0xFF000000u);
    EXPECT_EQ(image->m_pixels[1], 0xFFFFFFFFu);
    EXPECT_EQ(image->m_pixels[2] >> 24, 0u);
    EXPECT_EQ(image->m_ptHotSpot.x, 3);
    EXPECT_TRUE(DestroyCursor(cursor));
    EXPECT_EQ(platform::ui::CursorImageOf(cursor), nullptr);
}

TEST_F(Beep, EveryBeepIsCounted)
{
    const std::uint64_t before = platform::ui::BeepCount();
    MessageBeep(MB_OK);
    MessageBeep(0xFFFFFFFF);
    EXPECT_EQ(platform::ui::BeepCount(), before + 2);
    EXPECT_EQ(ui.Display().Beeps(), 2u);
}

}  // namespace

// Creation and destruction: the messages and their order, failing
// creation, handles that die with their window, and the window tree.

#include "UiFixture.h"

namespace {

using WindowLifecycle = uitest::CUiTest;
using WindowClasses = uitest::CUiTest;
using WindowTree = uitest::CUiTest;
using WindowText = uitest::CUiTest;
using WindowValues = uitest::CUiTest;

TEST_F(WindowLifecycle, CreateSendsNcCreateCreateSizeMoveThenShows)
{
    HWND w = rec.Create(10, 20, 120, 80);
    ASSERT_NE(w, nullptr);
    const std::vector<UINT> kinds{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW};
    EXPECT_EQ(rec.Sequence(kinds), kinds);
    const auto sizes = rec.Of(w, {WM_SIZE});
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(LOWORD(sizes[0].lParam), 120);
    EXPECT_EQ(HIWORD(sizes[0].lParam), 80);
    const auto created = rec.Of(w, {WM_CREATE});
    const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(created[0].lParam);
    EXPECT_NE(cs, nullptr);
    EXPECT_TRUE(IsWindowVisible(w));
}

TEST_F(WindowLifecycle, DestroyGoesTopDownThenNcDestroyBottomUp)
{
    HWND parent = rec.Create(0, 0, 200, 200);
    HWND child = rec.Create(10, 10, 100, 100, parent, 1);
    HWND grandchild = rec.Create(5, 5, 20, 20, child, 2);
    HWND sibling = rec.Create(120, 10, 50, 50, parent, 3);
    rec.Clear();
    EXPECT_TRUE(DestroyWindow(parent));
    const std::vector<std::pair<HWND, UINT>> expected{
        {parent, WM_DESTROY},       {child, WM_DESTROY},        {grandchild, WM_DESTROY},
        {sibling, WM_DESTROY},      {grandchild, WM_NCDESTROY}, {child, WM_NCDESTROY},
        {sibling, WM_NCDESTROY},    {parent, WM_NCDESTROY}};
    EXPECT_EQ(rec.Trace({WM_DESTROY, WM_NCDESTROY}), expected);
    for (HWND h : {parent, child, grandchild, sibling}) {
        EXPECT_FALSE(IsWindow(h));
    }
}

TEST_F(WindowLifecycle, DeadHandlesFailWithTheWindowSystemsError)
{
    HWND w = rec.Create(0, 0, 50, 50);
    DestroyWindow(w);
    RECT rc{};
    SetLastError(0);
    EXPECT_FALSE(GetWindowRect(w, &rc));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(PostMessageA(w, WM_USER, 0, 0));
    EXPECT_EQ(SendMessageA(w, WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_FALSE(DestroyWindow(w));
    EXPECT_FALSE(ShowWindow(w, SW_SHOW));
    HWND again = rec.Create(0, 0, 50, 50);
    EXPECT_NE(again, w) << "a handle is never handed out twice";
}

TEST_F(WindowLifecycle, AFailingNcCreateOrCreateDestroysTheWindowAndGivesNull)
{
    struct Case {
        UINT refused;
        LRESULT answer;
        std::vector<UINT> sent;
    };
    for (const Case& c : {Case{WM_CREATE, -1, {WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}},
                          Case{WM_NCCREATE, FALSE, {WM_NCCREATE, WM_NCDESTROY}}}) {
        rec.On(c.refused, [answer = c.answer](const uitest::Message&, LRESULT& result) {
            result = answer;
            return true;
        });
        rec.Clear();
        EXPECT_EQ(rec.Create(0, 0, 40, 40), nullptr) << c.refused;
        EXPECT_EQ(rec.Sequence({WM_NCCREATE, WM_CREATE, WM_SIZE, WM_SHOWWINDOW, WM_DESTROY, WM_NCDESTROY}), c.sent)
            << c.refused;
        EXPECT_FALSE(IsWindow(rec.Log().front().hwnd)) << c.refused;
    }
}

TEST_F(WindowLifecycle, UnknownClassAndChildWithoutParentFail)
{
    SetLastError(0);
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
    EXPECT_EQ(CreateWindowExA(0, "UiTestRecorder", "", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_TLW_WITH_WSCHILD);
}

TEST_F(WindowClasses, RegisteredOnceByNameAndNotRemovedWhileInUse)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "LifecycleOnce";
    const ATOM atom = RegisterClassA(&wc);
    ASSERT_NE(atom, 0);
    wc.lpszClassName = "LIFECYCLEONCE";
    EXPECT_EQ(RegisterClassA(&wc), 0) << "names are compared without case";
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
    HWND w = CreateWindowExA(0, MAKEINTATOM(atom), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    char name[32] = {};
    EXPECT_EQ(GetClassNameA(w, name, sizeof name), 13);
    EXPECT_STREQ(name, "LifecycleOnce");
    EXPECT_FALSE(UnregisterClassA("LifecycleOnce", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
    DestroyWindow(w);
    EXPECT_TRUE(UnregisterClassA("LifecycleOnce", nullptr));
}

TEST_F(WindowTree, ChildrenComeInCreationOrderAnswerToTheirIdsAndOwnedPopupsDieFirst)
{
    HWND dlg = rec.Create(0, 0, 300, 200);
    HWND a = rec.Create(0, 0, 10, 10, dlg, 101);
    HWND b = rec.Create(20, 0, 10, 10, dlg, 102);
    HWND c = rec.Create(40, 0, 10, 10, dlg, 103);
    EXPECT_EQ(GetWindow(dlg, GW_CHILD), a);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
    EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), c);
    EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(GetWindow(c, GW_HWNDPREV), b);
    EXPECT_EQ(GetDlgItem(dlg, 102), b);
    EXPECT_EQ(GetDlgItem(dlg, 999), nullptr);
    EXPECT_EQ(GetDlgCtrlID(c), 103);
    EXPECT_EQ(GetParent(b), dlg);
    EXPECT_TRUE(IsChild(dlg, b));
    EXPECT_FALSE(IsChild(b, dlg));
    EXPECT_EQ(GetAncestor(b, GA_ROOT), dlg);

    SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(dlg, GW_CHILD), c);
    EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), a);
    SetWindowPos(c, b, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), c);

    DestroyWindow(b);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), c);

    // A pop-up answers GetParent with its owner, the top-level window of the
    // one given, and dies with it, first.
    HWND popup = CreateWindowExA(0, "UiTestRecorder", "", WS_POPUP, 0, 0, 10, 10, a, nullptr, nullptr, nullptr);
    EXPECT_EQ(GetParent(popup), dlg);
    EXPECT_EQ(GetWindow(popup, GW_OWNER), dlg);
    rec.Clear();
    DestroyWindow(dlg);
    EXPECT_FALSE(IsWindow(popup));
    const auto trace = rec.Trace({WM_DESTROY});
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front().first, popup);
}

TEST_F(WindowText, SetAndGetGoThroughTheWindowProcedure)
{
    HWND w = rec.Create(0, 0, 50, 20);
    EXPECT_TRUE(SetWindowTextA(w, "Track Pitch"));
    EXPECT_EQ(rec.Of(w, {WM_SETTEXT}).size(), 1u);
    EXPECT_EQ(GetWindowTextLengthA(w), 11);
    char text[6] = {};
    EXPECT_EQ(GetWindowTextA(w, text, sizeof text), 5);
    EXPECT_STREQ(text, "Track");
    HWND named = CreateWindowExA(0, "UiTestRecorder", "Intonara", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr,
                                 nullptr);
    char buffer[32] = {};
    GetWindowTextA(named, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "Intonara");
    DestroyWindow(named);
}

TEST_F(WindowValues, UserDataStylesIdsExtraBytesAndTheProcedure)
{
    HWND parent = rec.Create(0, 0, 100, 100);
    HWND w = rec.Create(0, 0, 10, 10, parent, 7, WS_TABSTOP);
    int object = 0;
    EXPECT_EQ(SetWindowLongPtrA(w, GWL_USERDATA, reinterpret_cast<LONG_PTR>(&object)), 0);
    EXPECT_EQ(reinterpret_cast<int*>(GetWindowLongPtrA(w, GWL_USERDATA)), &object);
    EXPECT_EQ(GetWindowLongA(w, GWL_ID), 7);
    EXPECT_NE(GetWindowLongA(w, GWL_STYLE) & WS_TABSTOP, 0);
    rec.Clear();
    SetWindowLongA(w, GWL_EXSTYLE, GetWindowLongA(w, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    EXPECT_EQ(rec.Sequence({WM_STYLECHANGING, WM_STYLECHANGED}),
              (std::vector<UINT>{WM_STYLECHANGING, WM_STYLECHANGED}));
    EXPECT_NE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_CONTROLPARENT, 0);

    SetLastError(0);
    EXPECT_EQ(SetWindowLongA(w, DWL_USER, 1), 0) << "a class without extra bytes has no DWL_USER";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);

    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.lpszClassName = "ValuesDialogLike";
    RegisterClassA(&wc);
    HWND dlg = CreateWindowExA(0, "ValuesDialogLike", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongA(dlg, DWL_USER, reinterpret_cast<LONG_PTR>(&object));
    SetWindowLongA(dlg, DWL_MSGRESULT, 5);
    EXPECT_EQ(reinterpret_cast<int*>(GetWindowLongA(dlg, DWL_USER)), &object) << "the pointer survives whole";
    EXPECT_EQ(GetWindowLongA(dlg, DWL_MSGRESULT), 5);
    DestroyWindow(dlg);

    // Subclassing replaces the procedure, which can call the old one.
    static WNDPROC s_previous = nullptr;
    static int s_seen = 0;
    s_seen = 0;
    s_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_USER) {
                ++s_seen;
            }
            return CallWindowProcA(s_previous, h, m, wp, lp);
        })));
    rec.Clear();
    SendMessageA(w, WM_USER, 0, 0);
    EXPECT_EQ(s_seen, 1);
    EXPECT_EQ(rec.Of(w, {WM_USER}).size(), 1u) << "the old procedure still ran";
}

}  // namespace

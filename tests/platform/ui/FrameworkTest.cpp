// The framework: message maps searched from a class to its bases, handlers
// called with their messages' arguments, default handling, attaching and
// subclassing, the end of a window object, the application's loop and idle
// time, module state and the drawing wrappers.

#include "UiFixture.h"

#include "platform/ui/AfxWin.h"

#include <string>
#include <vector>

namespace {

using MessageMaps = uitest::CUiTest;
using Subclassing = uitest::CUiTest;
using HandleMaps = uitest::CUiTest;
using Application = uitest::CUiTest;
using DrawingWrappers = uitest::CUiTest;

UINT g_uPing = 0;

class CBaseView : public CWnd {
public:
    std::vector<std::string> m_calls;

protected:
    void OnPaint()
    {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(&rc, RGB(0, 128, 0));
        m_calls.push_back("base paint");
    }
    void OnLButtonDown(UINT flags, CPoint point)
    {
        m_calls.push_back("base down " + std::to_string(point.x) + "," + std::to_string(point.y) +
                          ((flags & MK_CONTROL) != 0 ? " ctrl" : ""));
    }
    void OnZoom(UINT id) { m_calls.push_back("zoom " + std::to_string(id)); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseView, CWnd)
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_COMMAND_RANGE(13, 16, &CBaseView::OnZoom)
END_MESSAGE_MAP()

class CGraph : public CBaseView {
public:
    bool m_bEnded = false;
    bool* m_pDeleted = nullptr;

protected:
    int OnCreate(LPCREATESTRUCT cs)
    {
        m_calls.push_back(std::string("create ") + (cs->lpszName != nullptr ? cs->lpszName : ""));
        return CWnd::OnCreate(cs);
    }
    void OnLButtonDown(UINT flags, CPoint point)
    {
        m_calls.push_back("graph down");
        CBaseView::OnLButtonDown(flags, point);
    }
    void OnKeyDown(UINT key, UINT repeat, UINT)
    {
        m_calls.push_back("key " + std::to_string(key) + " x" + std::to_string(repeat));
    }
    BOOL OnSetCursor(CWnd* wnd, UINT hit, UINT message)
    {
        m_calls.push_back("cursor " + std::to_string(hit) + " " + std::to_string(message) +
                          (wnd == this ? " self" : ""));
        return CWnd::OnSetCursor(wnd, hit, message);
    }
    void OnMenu() { m_calls.push_back("menu 5"); }
    void OnClicked() { m_calls.push_back("clicked 1058"); }
    LRESULT OnPing(WPARAM w, LPARAM l) { return static_cast<LRESULT>(w * 10 + l); }
    LRESULT OnUser(WPARAM w, LPARAM) { return static_cast<LRESULT>(w + 1); }
    void OnTimer(UINT_PTR id) { m_calls.push_back("timer " + std::to_string(id)); }
    void OnDestroy()
    {
        m_calls.push_back("destroy");
        CWnd::OnDestroy();
    }
    void PostNcDestroy() override
    {
        m_bEnded = true;
        if (m_pDeleted != nullptr) {
            *m_pDeleted = true;
            delete this;
        }
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CGraph, CBaseView)
    ON_WM_CREATE()
    ON_WM_LBUTTONDOWN()
    ON_WM_KEYDOWN()
    ON_WM_SETCURSOR()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_COMMAND(5, &CGraph::OnMenu)
    ON_CONTROL(0, 1058, &CGraph::OnClicked)
    ON_MESSAGE(WM_USER + 7, &CGraph::OnUser)
    ON_REGISTERED_MESSAGE(g_uPing, &CGraph::OnPing)
END_MESSAGE_MAP()

TEST_F(MessageMaps, HandlersGetTheirArgumentsAndBasesAnswerWhatDerivedClassesDoNot)
{
    g_uPing = RegisterWindowMessageA("FrameworkTestPing");
    auto* graph = new CGraph;
    bool deleted = false;
    graph->m_pDeleted = &deleted;
    ASSERT_TRUE(graph->CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_CROSS)), "Pitch",
                                WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr, nullptr));
    const HWND hwnd = graph->m_hWnd;
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), graph);
    ui.Pump();
    EXPECT_EQ(graph->m_calls.front(), "create Pitch");
    EXPECT_EQ(ui.Pixel(hwnd, 5, 5), RGB(0, 128, 0)) << "the base class painted";

    graph->m_calls.clear();
    ui.Click(hwnd, 30, 40, uitest::kControl);
    EXPECT_EQ(graph->m_calls,
              (std::vector<std::string>{"key 17 x1", "cursor 1 512 self", "cursor 1 513 self", "graph down",
                                        "base down 30,40 ctrl", "cursor 1 514 self"}))
        << "the Ctrl key reaches the focus (the new active window) first";
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_CROSS)) << "the default handling set the class cursor";

    graph->m_calls.clear();
    SetFocus(hwnd);
    ui.Key(VK_ESCAPE);
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(15, 0), 0);
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(5, 0), 0);
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(1058, 0), 0);
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(1058, 5), 0);  // another notification: not mapped
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(17, 0), 0);    // outside the range
    EXPECT_EQ(graph->m_calls, (std::vector<std::string>{"key 27 x1", "zoom 15", "menu 5", "clicked 1058"}));
    EXPECT_EQ(SendMessageA(hwnd, WM_USER + 7, 41, 0), 42);
    EXPECT_EQ(SendMessageA(hwnd, g_uPing, 4, 2), 42);

    graph->m_calls.clear();
    graph->SetTimer(3, 50);
    ui.Advance(100);
    EXPECT_EQ(graph->m_calls, (std::vector<std::string>{"timer 3", "timer 3"}));

    // Unmapped messages get the default handling.
    graph->SetWindowText("Envelope");
    std::string text;
    graph->GetWindowText(text);
    EXPECT_EQ(text, "Envelope");

    graph->DestroyWindow();
    EXPECT_TRUE(deleted) << "PostNcDestroy ran after the window was gone";
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

class CRefuses : public CWnd {
public:
    int m_nCreates = 0;

protected:
    int OnCreate(LPCREATESTRUCT)
    {
        ++m_nCreates;
        return -1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRefuses, CWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

TEST_F(MessageMaps, AFailingOnCreateFailsCreateExAndDetachesTheObject)
{
    CRefuses refusing;
    EXPECT_FALSE(refusing.CreateEx(0, nullptr, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(refusing.m_nCreates, 1);
    EXPECT_EQ(refusing.m_hWnd, nullptr);
}

TEST_F(Subclassing, AWindowOfAnotherClassRoutesThroughTheObjectAndKeepsItsProcedure)
{
    HWND w = rec.Create(0, 0, 100, 100);
    ui.Pump();
    CBaseView view;
    ASSERT_TRUE(view.SubclassWindow(w));
    rec.Clear();
    ui.Click(w, 3, 4);
    EXPECT_EQ(view.m_calls, (std::vector<std::string>{"base down 3,4"}));
    EXPECT_TRUE(rec.Of(w, {WM_LBUTTONDOWN}).empty()) << "the map handled it";
    EXPECT_EQ(rec.Of(w, {WM_LBUTTONUP}).size(), 1u) << "unmapped: the window's own procedure";
    EXPECT_EQ(view.UnsubclassWindow(), w);
    view.m_calls.clear();
    ui.Click(w, 3, 4);
    EXPECT_TRUE(view.m_calls.empty());
    EXPECT_EQ(rec.Of(w, {WM_LBUTTONDOWN}).size(), 1u);
}

TEST_F(HandleMaps, TemporaryObjectsStandInForWindowsWithoutOne)
{
    HWND parent = rec.Create(0, 0, 100, 100);
    HWND child = rec.Create(0, 0, 10, 10, parent, 42);
    CWnd owner;
    owner.Attach(parent);
    CWnd* item = owner.GetDlgItem(42);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->m_hWnd, child);
    EXPECT_EQ(CWnd::FromHandle(child), item) << "the same temporary until idle time";
    EXPECT_EQ(item->GetParent(), &owner);
    EXPECT_EQ(CWnd::FromHandlePermanent(child), nullptr);
    CWnd::DeleteTempMap();
    EXPECT_TRUE(IsWindow(child)) << "dropping a temporary leaves its window alone";
    EXPECT_EQ(owner.Detach(), parent);
    EXPECT_TRUE(IsWindow(parent));
}

TEST_F(Application, RunGivesIdleTimeAndEndsWithTheQuitCode)
{
    struct CApp : CWinApp {
        CApp() : CWinApp("Sampler") {}
        std::vector<LONG> idleCounts;
        int initialised = 0;
        BOOL InitInstance() override
        {
            ++initialised;
            PostMessageA(nullptr, WM_APP, 0, 0);
            return TRUE;
        }
        BOOL OnIdle(LONG count) override
        {
            idleCounts.push_back(count);
            CWinApp::OnIdle(count);
            if (count == 1) {
                PostQuitMessage(3);
            }
            return count < 1;
        }
    } app;
    EXPECT_EQ(AfxGetApp(), &app);
    EXPECT_STREQ(AfxGetAppName(), "Sampler");
    EXPECT_EQ(AfxWinMain(), 3);
    EXPECT_EQ(app.initialised, 1);
    EXPECT_EQ(app.idleCounts, (std::vector<LONG>{0, 1}));
}

TEST(ModuleState, ManagingStateSwitchesTheResourceHandleForAScope)
{
    static AFX_MODULE_STATE other;
    static char tag;
    other.m_hCurrentResourceHandle = reinterpret_cast<HINSTANCE>(&tag);
    const HINSTANCE own = AfxGetResourceHandle();
    {
        AFX_MANAGE_STATE(&other);
        EXPECT_EQ(AfxGetResourceHandle(), reinterpret_cast<HINSTANCE>(&tag));
        EXPECT_EQ(AfxGetApp(), nullptr);
    }
    EXPECT_EQ(AfxGetResourceHandle(), own);
    EXPECT_EQ(AfxGetModuleState(), AfxGetStaticModuleState());
}

TEST_F(DrawingWrappers, ClientContextsPensAndRectangles)
{
    HWND w = rec.Create(0, 0, 60, 40);
    ui.Pump();
    CWnd wnd;
    wnd.Attach(w);
    {
        CClientDC dc(&wnd);
        CPen pen(PS_SOLID, 1, RGB(255, 0, 0));
        CPen* old = dc.SelectObject(&pen);
        ASSERT_NE(old, nullptr);
        dc.MoveTo(0, 5);
        dc.LineTo(10, 5);
        dc.SelectObject(old);
        CBrush blue(RGB(0, 0, 255));
        CRect box(20, 20, 30, 30);
        box.OffsetRect(CPoint(5, 0));
        dc.FillRect(&box, &blue);
        dc.Draw3dRect(CRect(40, 0, 50, 10), RGB(255, 255, 255), RGB(0, 0, 0));
    }
    EXPECT_EQ(ui.Pixel(w, 9, 5), RGB(255, 0, 0));
    EXPECT_EQ(ui.Pixel(w, 10, 5), GetSysColor(COLOR_WINDOW)) << "the end point is not drawn";
    EXPECT_EQ(ui.Pixel(w, 25, 20), RGB(0, 0, 255));
    EXPECT_EQ(ui.Pixel(w, 24, 20), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(ui.Pixel(w, 40, 0), RGB(255, 255, 255));
    EXPECT_EQ(ui.Pixel(w, 49, 9), RGB(0, 0, 0));
    wnd.Detach();

    CRect a(0, 0, 10, 10);
    CRect b(5, 5, 20, 20);
    EXPECT_EQ(a & b, CRect(5, 5, 10, 10));
    EXPECT_EQ(a | b, CRect(0, 0, 20, 20));
    EXPECT_EQ(b.Width(), 15);
    EXPECT_EQ(b.CenterPoint(), CPoint(12, 12));
    EXPECT_TRUE(b.PtInRect(CPoint(19, 19)));
    EXPECT_FALSE(b.PtInRect(CPoint(20, 19)));
    CRect flipped(10, 10, 0, 0);
    flipped.NormalizeRect();
    EXPECT_EQ(flipped, a);
}

}  // namespace

// A pop-up menu on screen: a small top-level window at the pointer, and the
// modal loop that tracks the mouse and keys until an item is chosen or the
// menu is dismissed.

#include "platform/ui/controls/Classes.h"
#include "platform/ui/controls/ControlBase.h"
#include "platform/ui/menus/MenuRecord.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace platform::ui::menus {

namespace {

using platform::ui::controls::DrawLabel;
using platform::ui::controls::FillSolid;
using platform::ui::controls::MessageFont;
using platform::ui::controls::MnemonicOf;

constexpr char kMenuClass[] = "#32768";
constexpr int kBorder = 3;          // raised edge and a pixel of face
constexpr int kTextLeft = 20;       // room for a check mark
constexpr int kTextRight = 16;
constexpr int kSeparatorHeight = 8;
constexpr int kMinWidth = 80;

class CMenuTracker {
public:
    CMenuTracker(std::vector<HMENU__::Item> items, UINT flags, HWND owner)
        : m_items(std::move(items)), m_uFlags(flags), m_hOwner(owner)
    {
    }

    // The chosen command, or nothing.
    bool Run(int x, int y, UINT_PTR* chosen);
    void Dismiss() { m_bDone = true; }
    // The loop may be waiting: a message makes it look again.
    void Wake() const { PostMessageA(m_hwnd, WM_NULL, 0, 0); }
    void Paint(HDC dc) const;

private:
    void Layout(int x, int y);
    int ItemAt(POINT pt) const;
    void SetHot(int item);
    void Mouse(const MSG& msg);
    void Key(UINT vk);
    void Char(char c);
    void Choose(int item);
    int Step(int from, int direction) const;

    std::vector<HMENU__::Item> m_items;
    std::vector<RECT> m_rects;
    UINT m_uFlags;
    HWND m_hOwner;
    HWND m_hwnd = nullptr;
    int m_nHot = -1;
    bool m_bArmed = false;  // a release may choose
    POINT m_ptOpened{};
    bool m_bDone = false;
    int m_nChosen = -1;
};

thread_local CMenuTracker* t_pTracking = nullptr;

CMenuTracker* TrackerOf(HWND hwnd)
{
    return reinterpret_cast<CMenuTracker*>(GetWindowLongPtrA(hwnd, 0));
}

LRESULT MenuWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CMenuTracker* tracker = TrackerOf(hwnd);
    switch (message) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(hwnd, &ps);
        if (tracker != nullptr) {
            tracker->Paint(dc);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
        if (tracker != nullptr) {
            tracker->Dismiss();
        }
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

void CMenuTracker::Layout(int x, int y)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, MessageFont());
    TEXTMETRIC tm{};
    GetTextMetrics(dc, &tm);
    const int rowHeight = tm.tmHeight + 5;
    int width = kMinWidth;
    int top = kBorder;
    m_rects.clear();
    for (const HMENU__::Item& item : m_items) {
        const int height = item.Separator() ? kSeparatorHeight : rowHeight;
        m_rects.push_back(RECT{kBorder, top, 0, top + height});
        top += height;
        RECT extent{0, 0, 0, 0};
        const std::string& text = item.m_strText;
        const std::size_t tab = text.find('\t');
        DrawText(dc, text.c_str(), static_cast<int>(std::min(tab, text.size())), &extent,
                 DT_SINGLELINE | DT_CALCRECT);
        int needed = kTextLeft + (extent.right - extent.left) + kTextRight;
        if (tab != std::string::npos) {
            RECT shortcut{0, 0, 0, 0};
            DrawText(dc, text.c_str() + tab + 1, -1, &shortcut, DT_SINGLELINE | DT_CALCRECT);
            needed += 2 * kTextRight + (shortcut.right - shortcut.left);
        }
        width = std::max(width, needed + 2 * kBorder);
    }
    for (RECT& rc : m_rects) {
        rc.right = width - kBorder;
    }
    const int height = top + kBorder;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);

    if ((m_uFlags & TPM_RIGHTALIGN) != 0) {
        x -= width;
    } else if ((m_uFlags & TPM_CENTERALIGN) != 0) {
        x -= width / 2;
    }
    if ((m_uFlags & TPM_BOTTOMALIGN) != 0) {
        y -= height;
    } else if ((m_uFlags & TPM_VCENTERALIGN) != 0) {
        y -= height / 2;
    }
    // A menu that would leave the screen opens toward the other side.
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (x + width > screenWidth) {
        x = x - width >= 0 ? x - width : screenWidth - width;
    }
    if (y + height > screenHeight) {
        y = y - height >= 0 ? y - height : screenHeight - height;
    }
    x = std::max(x, 0);
    y = std::max(y, 0);
    m_hwnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kMenuClass, "", WS_POPUP, x, y,
                             width, height, m_hOwner, nullptr, nullptr, nullptr);
}

void CMenuTracker::Paint(HDC dc) const
{
    RECT frame{};
    GetClientRect(m_hwnd, &frame);
    DrawEdge(dc, &frame, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    HGDIOBJ old = SelectObject(dc, MessageFont());
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const HMENU__::Item& item = m_items[i];
        const RECT& rc = m_rects[i];
        if (item.Separator()) {
            const int mid = (rc.top + rc.bottom) / 2;
            FillSolid(dc, RECT{rc.left + 1, mid - 1, rc.right - 1, mid}, GetSysColor(COLOR_BTNSHADOW));
            FillSolid(dc, RECT{rc.left + 1, mid, rc.right - 1, mid + 1}, GetSysColor(COLOR_BTNHIGHLIGHT));
            continue;
        }
        const bool hot = static_cast<int>(i) == m_nHot;
        const bool grey = (item.m_uFlags & (MF_GRAYED | MF_DISABLED)) != 0;
        FillSolid(dc, rc, GetSysColor(hot ? COLOR_HIGHLIGHT : COLOR_MENU));
        SetTextColor(dc, GetSysColor(hot ? (grey ? COLOR_GRAYTEXT : COLOR_HIGHLIGHTTEXT) : COLOR_MENUTEXT));
        if ((item.m_uFlags & MF_CHECKED) != 0) {
            const int x = rc.left + 6;
            const int y = (rc.top + rc.bottom) / 2 - 2;
            static constexpr int kRows[] = {2, 3, 4, 3, 2, 1, 0};
            for (int k = 0; k < 7; ++k) {
                FillSolid(dc, RECT{x + k, y + kRows[k] - 2, x + k + 1, y + kRows[k] + 1}, GetTextColor(dc));
            }
        }
        const std::string& text = item.m_strText;
        const std::size_t tab = std::min(text.find('\t'), text.size());
        RECT label{rc.left + kTextLeft, rc.top, rc.right - kTextRight, rc.bottom};
        const bool embossed = grey && !hot;
        DrawLabel(dc, text.substr(0, tab), label, DT_LEFT | DT_VCENTER | DT_SINGLELINE, !embossed);
        if (tab < text.size()) {
            DrawLabel(dc, text.substr(tab + 1), label, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX,
                      !embossed);
        }
    }
    SelectObject(dc, old);
}

int CMenuTracker::ItemAt(POINT pt) const
{
    for (std::size_t i = 0; i < m_rects.size(); ++i) {
        if (PtInRect(&m_rects[i], pt) && !m_items[i].Separator()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void CMenuTracker::SetHot(int item)
{
    if (item != m_nHot) {
        m_nHot = item;
        InvalidateRect(m_hwnd, nullptr, FALSE);
    }
}

void CMenuTracker::Choose(int item)
{
    if (item >= 0 && m_items[static_cast<std::size_t>(item)].Choosable()) {
        m_nChosen = item;
        m_bDone = true;
    }
}

void CMenuTracker::Mouse(const MSG& msg)
{
    const POINT pt{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
    RECT client{};
    GetClientRect(m_hwnd, &client);
    const bool inside = PtInRect(&client, pt) != FALSE;
    const int item = inside ? ItemAt(pt) : -1;
    const bool rightButton = msg.message == WM_RBUTTONDOWN || msg.message == WM_RBUTTONUP ||
                             msg.message == WM_RBUTTONDBLCLK;
    switch (msg.message) {
    case WM_MOUSEMOVE:
        if (item >= 0 && (msg.pt.x != m_ptOpened.x || msg.pt.y != m_ptOpened.y)) {
            m_bArmed = true;
        }
        SetHot(item);
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        if (!inside) {
            Dismiss();  // and the click goes no further
        } else {
            m_bArmed = true;
            SetHot(item);
        }
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (inside && m_bArmed && (!rightButton || (m_uFlags & TPM_RIGHTBUTTON) != 0)) {
            Choose(item);
        }
        break;
    default:
        break;
    }
}

int CMenuTracker::Step(int from, int direction) const
{
    const int count = static_cast<int>(m_items.size());
    int at = from;
    for (int i = 0; i < count; ++i) {
        at = at < 0 ? (direction > 0 ? 0 : count - 1) : (at + direction + count) % count;
        if (!m_items[static_cast<std::size_t>(at)].Separator()) {
            return at;
        }
    }
    return -1;
}

void CMenuTracker::Key(UINT vk)
{
    switch (vk) {
    case VK_ESCAPE:
    case VK_MENU:
    case VK_F10:
        Dismiss();
        break;
    case VK_UP:
        SetHot(Step(m_nHot, -1));
        break;
    case VK_DOWN:
        SetHot(Step(m_nHot, 1));
        break;
    case VK_HOME:
        SetHot(Step(-1, 1));
        break;
    case VK_END:
        SetHot(Step(-1, -1));
        break;
    case VK_RETURN:
        Choose(m_nHot);
        break;
    default:
        break;
    }
}

void CMenuTracker::Char(char c)
{
    const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::vector<int> matches;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (!m_items[i].Separator() && MnemonicOf(m_items[i].m_strText) == key) {
            matches.push_back(static_cast<int>(i));
        }
    }
    if (matches.size() == 1) {
        SetHot(matches.front());
        Choose(matches.front());
    } else if (!matches.empty()) {
        // Several items share the letter: each press moves to the next.
        auto next = std::upper_bound(matches.begin(), matches.end(), m_nHot);
        SetHot(next != matches.end() ? *next : matches.front());
    }
}

bool CMenuTracker::Run(int x, int y, UINT_PTR* chosen)
{
    Layout(x, y);
    if (m_hwnd == nullptr) {
        return false;
    }
    SetWindowLongPtrA(m_hwnd, 0, reinterpret_cast<LONG_PTR>(this));
    GetCursorPos(&m_ptOpened);
    CMenuTracker* outer = std::exchange(t_pTracking, this);
    ShowWindow(m_hwnd, SW_SHOWNA);
    SetCapture(m_hwnd);
    while (!m_bDone) {
        MSG msg{};
        if (!GetMessageA(&msg, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
            break;
        }
        if ((msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) ||
            (msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCRBUTTONDBLCLK)) {
            if (msg.hwnd == m_hwnd) {
                Mouse(msg);
            }
            continue;
        }
        switch (msg.message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            Key(static_cast<UINT>(msg.wParam));
            if (!m_bDone) {
                TranslateMessage(&msg);  // letters come back as WM_CHAR
            }
            continue;
        case WM_CHAR:
        case WM_SYSCHAR:
            Char(static_cast<char>(msg.wParam));
            continue;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            continue;
        default:
            DispatchMessageA(&msg);
            break;
        }
        if (GetCapture() != m_hwnd) {
            Dismiss();
        }
    }
    t_pTracking = outer;
    SetWindowLongPtrA(m_hwnd, 0, 0);
    DestroyWindow(m_hwnd);
    if (m_nChosen < 0) {
        return false;
    }
    *chosen = m_items[static_cast<std::size_t>(m_nChosen)].m_id;
    return true;
}

}  // namespace

}  // namespace platform::ui::menus

namespace platform::ui::controls {

void RegisterMenuClass()
{
    WNDCLASSA wc{};
    wc.style = CS_GLOBALCLASS | CS_SAVEBITS;
    wc.lpfnWndProc = &platform::ui::menus::MenuWindowProc;
    wc.cbWndExtra = static_cast<int>(sizeof(void*));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = platform::ui::menus::kMenuClass;
    RegisterClassA(&wc);
}

}  // namespace platform::ui::controls

using namespace platform::ui::menus;

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS /*params*/)
{
    std::vector<HMENU__::Item> items;
    if (!IsWindow(owner) || !SnapshotItems(menu, &items) || items.empty() || t_pTracking != nullptr) {
        return FALSE;
    }
    const bool notify = (flags & TPM_NONOTIFY) == 0;
    if (notify) {
        SendMessageA(owner, WM_ENTERMENULOOP, TRUE, 0);
        SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
        // The owner may have greyed or changed items just now.
        if (!SnapshotItems(menu, &items) || items.empty()) {
            return FALSE;
        }
    }
    CMenuTracker tracker(std::move(items), flags, owner);
    UINT_PTR chosen = 0;
    const bool picked = tracker.Run(x, y, &chosen);
    if (notify && IsWindow(owner)) {
        SendMessageA(owner, WM_EXITMENULOOP, TRUE, 0);
    }
    if (!picked) {
        return FALSE;
    }
    if ((flags & TPM_RETURNCMD) != 0) {
        return static_cast<BOOL>(chosen);
    }
    PostMessageA(owner, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(chosen), 0), 0);
    return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int /*reserved*/, HWND owner, LPCRECT /*ignored*/)
{
    return TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
}

BOOL EndMenu()
{
    if (t_pTracking == nullptr) {
        return FALSE;
    }
    t_pTracking->Dismiss();
    t_pTracking->Wake();
    return TRUE;
}

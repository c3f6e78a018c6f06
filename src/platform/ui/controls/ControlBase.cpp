#include "platform/ui/controls/ControlBase.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <vector>

namespace platform::ui::controls {

namespace {

// The state lives in the first pointer of the window's extra bytes.
constexpr int kStateSlot = 0;

// Filled once, when the classes are registered, and only read after.
std::vector<WNDPROC>& ControlProcs()
{
    static std::vector<WNDPROC> procs;
    return procs;
}

}  // namespace

LRESULT CControl::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETFONT:
        m_hFont = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(static_cast<std::uintptr_t>(lParam)) != 0) {
            Redraw();
        }
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(m_hFont);
    case WM_ENABLE:
        Redraw();
        return 0;
    case WM_SETTEXT: {
        const LRESULT result = Default(message, wParam, lParam);
        Redraw();
        return result;
    }
    default:
        return Default(message, wParam, lParam);
    }
}

RECT CControl::Client() const
{
    RECT rc{};
    GetClientRect(m_hwnd, &rc);
    return rc;
}

std::string CControl::Text() const
{
    std::string text(static_cast<std::size_t>(std::max(GetWindowTextLengthA(m_hwnd), 0)) + 1, '\0');
    const int n = GetWindowTextA(m_hwnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
    return text;
}

HFONT CControl::Font() const
{
    return m_hFont != nullptr ? m_hFont : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

void CControl::Notify(WORD code) const
{
    if (HWND parent = Parent()) {
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(Id()), code),
                     reinterpret_cast<LPARAM>(m_hwnd));
    }
}

void CControl::AskParentToDraw(UINT type, UINT state, HDC dc) const
{
    DRAWITEMSTRUCT item{};
    item.CtlType = type;
    item.CtlID = static_cast<UINT>(Id());
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state | (Enabled() ? 0 : ODS_DISABLED);
    item.hwndItem = m_hwnd;
    item.hDC = dc;
    item.rcItem = Client();
    if (HWND parent = Parent()) {
        SendMessageA(parent, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    }
}

HBRUSH CControl::ParentColors(HDC dc, UINT message) const
{
    HWND parent = m_hColorParent != nullptr ? m_hColorParent : Parent();
    HBRUSH brush = nullptr;
    if (parent != nullptr) {
        brush = reinterpret_cast<HBRUSH>(
            SendMessageA(parent, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hwnd)));
    }
    if (brush == nullptr) {
        // A parent that answers nothing gets the system's colours.
        brush = reinterpret_cast<HBRUSH>(
            DefWindowProcA(parent != nullptr ? parent : m_hwnd, message, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(m_hwnd)));
    }
    return brush;
}

LRESULT ControlWindowProc(CControl* (*make)(HWND, const CREATESTRUCTA*), HWND hwnd, UINT message, WPARAM wParam,
                          LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        CControl* made = make(hwnd, reinterpret_cast<const CREATESTRUCTA*>(lParam));
        SetWindowLongPtrA(hwnd, kStateSlot, reinterpret_cast<LONG_PTR>(made));
    }
    auto* control = reinterpret_cast<CControl*>(GetWindowLongPtrA(hwnd, kStateSlot));
    if (control == nullptr || control->m_bDestroyed) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    ++control->m_nDepth;
    LRESULT result = 0;
    try {
        result = control->Handle(message, wParam, lParam);
    } catch (...) {
        --control->m_nDepth;
        throw;
    }
    --control->m_nDepth;
    if (message == WM_NCDESTROY) {
        control->m_bDestroyed = true;
        SetWindowLongPtrA(hwnd, kStateSlot, 0);
    }
    // Deleted by the outermost call once the window is gone, so handlers
    // that notified a parent which destroyed the control can still look.
    if (control->m_bDestroyed && control->m_nDepth == 0) {
        delete control;
    }
    return result;
}

CControl* ControlOf(HWND hwnd)
{
    // Only windows of the standard classes keep a state in slot 0.
    const auto proc = reinterpret_cast<WNDPROC>(GetClassLongPtrA(hwnd, GCLP_WNDPROC));
    const std::vector<WNDPROC>& procs = ControlProcs();
    if (proc == nullptr || std::find(procs.begin(), procs.end(), proc) == procs.end()) {
        return nullptr;
    }
    return reinterpret_cast<CControl*>(GetWindowLongPtrA(hwnd, kStateSlot));
}

void RegisterControlClass(const char* name, WNDPROC proc, UINT style, int cursor)
{
    WNDCLASSA wc{};
    wc.style = style | CS_GLOBALCLASS;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = static_cast<int>(sizeof(void*));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(cursor));
    wc.lpszClassName = name;
    RegisterClassA(&wc);
    ControlProcs().push_back(proc);
}

std::vector<HWND> ChildrenOf(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

std::vector<HWND> GroupMembers(HWND control)
{
    const std::vector<HWND> siblings = ChildrenOf(GetParent(control));
    const auto at = std::find(siblings.begin(), siblings.end(), control);
    if (at == siblings.end()) {
        return {control};
    }
    auto isGroupStart = [](HWND h) { return (GetWindowLongPtrA(h, GWL_STYLE) & WS_GROUP) != 0; };
    auto first = at;
    while (first != siblings.begin() && !isGroupStart(*first)) {
        --first;
    }
    auto last = at + 1;
    while (last != siblings.end() && !isGroupStart(*last)) {
        ++last;
    }
    return std::vector<HWND>(first, last);
}

// ---------------------------------------------------------------------------

void FillSolid(HDC dc, const RECT& rc, COLORREF color)
{
    const COLORREF old = SetBkColor(dc, color);
    ExtTextOut(dc, 0, 0, ETO_OPAQUE, &rc, "", 0, nullptr);
    SetBkColor(dc, old);
}

void DrawLabel(HDC dc, const std::string& text, RECT rc, UINT format, bool enabled)
{
    const int mode = SetBkMode(dc, TRANSPARENT);
    if (enabled) {
        DrawText(dc, text.c_str(), static_cast<int>(text.size()), &rc, format);
    } else {
        const COLORREF old = SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        RECT shadow = rc;
        OffsetRect(&shadow, 1, 1);
        DrawText(dc, text.c_str(), static_cast<int>(text.size()), &shadow, format);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawText(dc, text.c_str(), static_cast<int>(text.size()), &rc, format);
        SetTextColor(dc, old);
    }
    SetBkMode(dc, mode);
}

void DrawButtonFace(HDC dc, const RECT& rc, bool pushed, bool defaultFrame)
{
    RECT face = rc;
    if (defaultFrame) {
        FrameRect(dc, &face, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&face, -1, -1);
    }
    if (pushed) {
        FrameRect(dc, &face, GetSysColorBrush(COLOR_BTNSHADOW));
        InflateRect(&face, -1, -1);
        FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
    } else {
        DrawEdge(dc, &face, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
}

void DrawArrowGlyph(HDC dc, const RECT& rc, int direction, bool enabled)
{
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    const int size = std::max(2, std::min(w, h) / 4);  // rows of the triangle
    const int cx = rc.left + w / 2;
    const int cy = rc.top + h / 2;
    auto draw = [&](int dx, int dy, COLORREF color) {
        for (int i = 0; i < size; ++i) {
            RECT line{};
            const int a = -i;
            const int b = i + 1;
            switch (direction) {
            case 0:  // up: the tip at the top
                line = RECT{cx + a, cy - size / 2 + i, cx + b, cy - size / 2 + i + 1};
                break;
            case 1:
                line = RECT{cx + a, cy + size / 2 - i, cx + b, cy + size / 2 - i + 1};
                break;
            case 2:
                line = RECT{cx - size / 2 + i, cy + a, cx - size / 2 + i + 1, cy + b};
                break;
            default:
                line = RECT{cx + size / 2 - i, cy + a, cx + size / 2 - i + 1, cy + b};
                break;
            }
            OffsetRect(&line, dx, dy);
            FillSolid(dc, line, color);
        }
    };
    if (!enabled) {
        draw(1, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    }
    draw(0, 0, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
}

HFONT MessageFont()
{
    static std::mutex mutex;
    static std::map<int, HFONT> fonts;  // by pixels per inch
    const int dpi = platform::gdi::GetLogicalDpi();
    std::lock_guard lock(mutex);
    HFONT& font = fonts[dpi];
    if (font == nullptr) {
        font = CreateFont(-(9 * dpi + 36) / 72, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "Arial");
    }
    return font;
}

char MnemonicOf(const std::string& text)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') {
            continue;
        }
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
    }
    return 0;
}

}  // namespace platform::ui::controls

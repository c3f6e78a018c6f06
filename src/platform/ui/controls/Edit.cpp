// The Edit control: one line of text with a caret and a selection.

#include "platform/ui/controls/Classes.h"
#include "platform/ui/controls/ControlBase.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace platform::ui::controls {

namespace {

constexpr int kMargin = 2;
constexpr std::size_t kDefaultLimit = 30000;

// What Ctrl+C, Ctrl+X and Ctrl+V share within the process.
std::string& Clipboard()
{
    static std::string text;
    return text;
}

class CEditControl final : public CControl {
public:
    CEditControl(HWND hwnd, const CREATESTRUCTA* cs) : CControl(hwnd)
    {
        if (cs->lpszName != nullptr && !IS_INTRESOURCE(cs->lpszName)) {
            m_text = cs->lpszName;
        }
    }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        switch (message) {
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        case WM_SETTEXT:
            m_text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
            m_text.resize(std::min(m_text.size(), m_nLimit));
            m_nAnchor = m_nCaret = 0;
            m_nScroll = 0;
            m_bModified = false;
            Default(message, wParam, lParam);
            Changed();
            return TRUE;
        case WM_GETTEXT: {
            auto* buffer = reinterpret_cast<char*>(lParam);
            if (buffer == nullptr || wParam == 0) {
                return 0;
            }
            const std::size_t n = std::min(m_text.size(), static_cast<std::size_t>(wParam) - 1);
            std::memcpy(buffer, m_text.data(), n);
            buffer[n] = '\0';
            return static_cast<LRESULT>(n);
        }
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(m_text.size());
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_SETFOCUS:
            Redraw();
            Notify(EN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            Redraw();
            Notify(EN_KILLFOCUS);
            return 0;
        case WM_LBUTTONDOWN:
            if (GetFocus() != m_hwnd) {
                SetFocus(m_hwnd);
            }
            MoveCaret(IndexAt(pt.x), (wParam & MK_SHIFT) != 0);
            m_bSelecting = true;
            SetCapture(m_hwnd);
            return 0;
        case WM_MOUSEMOVE:
            if (m_bSelecting) {
                MoveCaret(IndexAt(pt.x), true);
            }
            return 0;
        case WM_LBUTTONUP:
            if (m_bSelecting) {
                m_bSelecting = false;
                ReleaseCapture();
            }
            return 0;
        case WM_LBUTTONDBLCLK:
            SelectWordAt(IndexAt(pt.x));
            return 0;
        case WM_CAPTURECHANGED:
            m_bSelecting = false;
            return 0;
        case WM_KEYDOWN:
            return Key(static_cast<UINT>(wParam)) ? 0 : Default(message, wParam, lParam);
        case WM_CHAR:
            Char(static_cast<unsigned char>(wParam));
            return 0;
        case EM_GETSEL: {
            const auto [start, end] = Selection();
            if (wParam != 0) {
                *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(start);
            }
            if (lParam != 0) {
                *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(end);
            }
            return MAKELRESULT(static_cast<unsigned>(start), static_cast<unsigned>(end));
        }
        case EM_SETSEL:
            SetSelection(static_cast<int>(wParam), static_cast<int>(lParam));
            return 0;
        case EM_REPLACESEL:
            Replace(lParam != 0 ? reinterpret_cast<const char*>(lParam) : "");
            return 0;
        case EM_GETMODIFY:
            return m_bModified ? TRUE : FALSE;
        case EM_SETMODIFY:
            m_bModified = wParam != 0;
            return 0;
        case EM_LIMITTEXT:
            m_nLimit = wParam == 0 ? 0x7FFFFFFE : static_cast<std::size_t>(wParam);
            return 0;
        case EM_GETLIMITTEXT:
            return static_cast<LRESULT>(m_nLimit);
        case EM_SETREADONLY:
            SetWindowLongPtrA(m_hwnd, GWL_STYLE,
                              static_cast<LONG_PTR>(wParam != 0 ? (Style() | ES_READONLY) : (Style() & ~ES_READONLY)));
            Redraw();
            return TRUE;
        case WM_COPY:
            Copy();
            return 0;
        case WM_CUT:
            Copy();
            Replace("");
            return 0;
        case WM_PASTE:
            Replace(Clipboard());
            return 0;
        case WM_CLEAR:
            Replace("");
            return 0;
        case WM_SIZE:
            ScrollToCaret();
            return 0;
        default:
            return CControl::Handle(message, wParam, lParam);
        }
    }

private:
    bool ReadOnly() const { return (Style() & ES_READONLY) != 0; }
    std::pair<std::size_t, std::size_t> Selection() const
    {
        return {std::min(m_nAnchor, m_nCaret), std::max(m_nAnchor, m_nCaret)};
    }
    std::string Shown() const
    {
        return (Style() & ES_PASSWORD) != 0 ? std::string(m_text.size(), '*') : m_text;
    }
    RECT TextArea() const
    {
        RECT rc = Client();
        InflateRect(&rc, -kMargin, 0);
        return rc;
    }

    // The x of every character boundary of the text, from its start.
    std::vector<int> Offsets() const
    {
        HDC dc = GetDC(m_hwnd);
        HGDIOBJ old = SelectObject(dc, Font());
        const std::string shown = Shown();
        std::vector<int> offsets(shown.size() + 1, 0);
        for (std::size_t i = 1; i <= shown.size(); ++i) {
            SIZE size{};
            GetTextExtentPoint32(dc, shown.c_str(), static_cast<int>(i), &size);
            offsets[i] = size.cx;
        }
        SelectObject(dc, old);
        ReleaseDC(m_hwnd, dc);
        return offsets;
    }

    // Where the text starts in the client area.
    int Origin(const std::vector<int>& offsets) const
    {
        const RECT area = TextArea();
        const int width = area.right - area.left;
        const int textWidth = offsets.back();
        if (textWidth < width) {
            switch (Style() & (ES_CENTER | ES_RIGHT)) {
            case ES_RIGHT:
                return area.right - textWidth;
            case ES_CENTER:
                return area.left + (width - textWidth) / 2;
            default:
                break;
            }
        }
        return area.left - m_nScroll;
    }

    std::size_t IndexAt(int x) const
    {
        const std::vector<int> offsets = Offsets();
        const int origin = Origin(offsets);
        std::size_t best = 0;
        for (std::size_t i = 0; i < offsets.size(); ++i) {
            if (std::abs(origin + offsets[i] - x) < std::abs(origin + offsets[best] - x)) {
                best = i;
            }
        }
        return best;
    }

    void ScrollToCaret()
    {
        const std::vector<int> offsets = Offsets();
        const RECT area = TextArea();
        const int width = std::max<int>(1, area.right - area.left);
        const int caret = offsets[m_nCaret];
        if (offsets.back() <= width) {
            m_nScroll = 0;
        } else if (caret - m_nScroll < 0) {
            m_nScroll = std::max(0, caret - width / 4);
        } else if (caret - m_nScroll >= width) {
            m_nScroll = std::min(offsets.back() - width + 1, caret - width + width / 4);
        }
        m_nScroll = std::clamp(m_nScroll, 0, std::max(0, offsets.back() - width + 1));
    }

    void MoveCaret(std::size_t to, bool extend)
    {
        m_nCaret = std::min(to, m_text.size());
        if (!extend) {
            m_nAnchor = m_nCaret;
        }
        ScrollToCaret();
        Redraw();
    }

    void SetSelection(int start, int end)
    {
        const auto length = static_cast<int>(m_text.size());
        if (start < 0) {
            m_nAnchor = m_nCaret;
        } else {
            m_nAnchor = static_cast<std::size_t>(std::min(start, length));
            m_nCaret = end < 0 ? m_text.size() : static_cast<std::size_t>(std::min(end, length));
        }
        ScrollToCaret();
        Redraw();
    }

    void SelectWordAt(std::size_t at)
    {
        auto isWord = [&](std::size_t i) { return std::isalnum(static_cast<unsigned char>(m_text[i])) != 0; };
        std::size_t start = std::min(at, m_text.size());
        std::size_t end = start;
        while (start > 0 && isWord(start - 1)) {
            --start;
        }
        while (end < m_text.size() && isWord(end)) {
            ++end;
        }
        m_nAnchor = start;
        m_nCaret = end;
        ScrollToCaret();
        Redraw();
    }

    // The boundary a word step in `direction` reaches from the caret.
    std::size_t WordStep(int direction) const
    {
        auto isSpace = [&](std::size_t i) { return std::isspace(static_cast<unsigned char>(m_text[i])) != 0; };
        std::size_t i = m_nCaret;
        if (direction < 0) {
            while (i > 0 && isSpace(i - 1)) {
                --i;
            }
            while (i > 0 && !isSpace(i - 1)) {
                --i;
            }
        } else {
            while (i < m_text.size() && !isSpace(i)) {
                ++i;
            }
            while (i < m_text.size() && isSpace(i)) {
                ++i;
            }
        }
        return i;
    }

    bool Key(UINT vk)
    {
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        const bool control = GetKeyState(VK_CONTROL) < 0;
        const auto [start, end] = Selection();
        switch (vk) {
        case VK_LEFT:
        case VK_RIGHT: {
            const int direction = vk == VK_LEFT ? -1 : 1;
            std::size_t to = 0;
            if (control) {
                to = WordStep(direction);
            } else if (!shift && start != end) {
                to = direction < 0 ? start : end;  // the selection collapses to its side
            } else {
                to = direction < 0 ? (m_nCaret > 0 ? m_nCaret - 1 : 0) : std::min(m_nCaret + 1, m_text.size());
            }
            MoveCaret(to, shift);
            return true;
        }
        case VK_HOME:
            MoveCaret(0, shift);
            return true;
        case VK_END:
            MoveCaret(m_text.size(), shift);
            return true;
        case VK_DELETE:
            if (ReadOnly()) {
                MessageBeep(0);
            } else if (start == end) {
                if (end < m_text.size()) {
                    m_nAnchor = start;
                    m_nCaret = end + 1;
                    Replace("");
                }
            } else {
                if (shift) {
                    Copy();
                }
                Replace("");
            }
            return true;
        default:
            return false;
        }
    }

    void Char(unsigned char c)
    {
        const auto [start, end] = Selection();
        switch (c) {
        case 1:  // Ctrl+A
            SetSelection(0, -1);
            return;
        case 3:  // Ctrl+C
            Copy();
            return;
        case 22:  // Ctrl+V
            Replace(Clipboard());
            return;
        case 24:  // Ctrl+X
            Copy();
            Replace("");
            return;
        case 8:  // Backspace
            if (ReadOnly()) {
                MessageBeep(0);
            } else if (start != end) {
                Replace("");
            } else if (start > 0) {
                m_nAnchor = start - 1;
                m_nCaret = start;
                Replace("");
            }
            return;
        default:
            break;
        }
        if (c < 32 || c == 127) {
            return;
        }
        Replace(std::string(1, static_cast<char>(c)));
    }

    void Copy() const
    {
        const auto [start, end] = Selection();
        if (start != end && (Style() & ES_PASSWORD) == 0) {
            Clipboard() = m_text.substr(start, end - start);
        }
    }

    // Puts `text` in place of the selection as typing would: refused with
    // a beep when read-only, not a number in a number field, too long, or
    // too wide for a field that does not scroll.
    void Replace(std::string text)
    {
        const DWORD style = Style();
        if ((style & ES_READONLY) != 0) {
            MessageBeep(0);
            return;
        }
        for (char& ch : text) {
            if ((style & ES_UPPERCASE) != 0) {
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            } else if ((style & ES_LOWERCASE) != 0) {
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            }
        }
        if ((style & ES_NUMBER) != 0 &&
            !std::all_of(text.begin(), text.end(), [](char ch) { return std::isdigit(static_cast<unsigned char>(ch)); })) {
            MessageBeep(0);
            return;
        }
        const auto [start, end] = Selection();
        std::string next = m_text.substr(0, start) + text + m_text.substr(end);
        if (next.size() > m_nLimit) {
            Notify(EN_MAXTEXT);
            MessageBeep(0);
            return;
        }
        const std::string previous = std::exchange(m_text, next);
        if ((style & ES_AUTOHSCROLL) == 0) {
            const std::vector<int> offsets = Offsets();
            const RECT area = TextArea();
            if (offsets.back() > area.right - area.left) {
                m_text = previous;
                Notify(EN_MAXTEXT);
                MessageBeep(0);
                return;
            }
        }
        if (m_text == previous) {
            return;
        }
        m_nAnchor = m_nCaret = start + text.size();
        m_bModified = true;
        ScrollToCaret();
        Changed();
    }

    void Changed()
    {
        Redraw();
        Notify(EN_UPDATE);
        if (!Destroyed()) {
            Notify(EN_CHANGE);
        }
    }

    void Paint()
    {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(m_hwnd, &ps);
        const bool plain = ReadOnly() || !Enabled();
        HBRUSH background = ParentColors(dc, plain ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
        const RECT rc = Client();
        FillRect(dc, &rc, background);
        HGDIOBJ oldFont = SelectObject(dc, Font());
        TEXTMETRIC tm{};
        GetTextMetrics(dc, &tm);
        const int top = std::max<int>(0, (rc.bottom - tm.tmHeight) / 2);
        const std::vector<int> offsets = Offsets();
        const int origin = Origin(offsets);
        const std::string shown = Shown();
        const RECT area{rc.left + 1, rc.top, rc.right - 1, rc.bottom};
        if (!Enabled()) {
            SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        }
        SetBkMode(dc, TRANSPARENT);
        ExtTextOut(dc, origin, top, ETO_CLIPPED, &area, shown.c_str(), static_cast<UINT>(shown.size()), nullptr);
        const bool focused = Focused();
        const auto [start, end] = Selection();
        if (start != end && (focused || (Style() & ES_NOHIDESEL) != 0)) {
            const COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            const COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
            RECT band{origin + offsets[start], top, origin + offsets[end], top + tm.tmHeight};
            IntersectRect(&band, &band, &area);
            ExtTextOut(dc, origin + offsets[start], top, ETO_OPAQUE | ETO_CLIPPED, &band, shown.c_str() + start,
                       static_cast<UINT>(end - start), nullptr);
            SetTextColor(dc, oldText);
            SetBkColor(dc, oldBack);
        }
        if (focused) {
            const int x = origin + offsets[m_nCaret];
            const RECT caret{x, top, x + 1, top + tm.tmHeight};
            RECT shownCaret{};
            if (IntersectRect(&shownCaret, &caret, &rc)) {
                InvertRect(dc, &shownCaret);
            }
        }
        SelectObject(dc, oldFont);
        EndPaint(m_hwnd, &ps);
    }

    std::string m_text;
    std::size_t m_nAnchor = 0;  // the fixed end of the selection
    std::size_t m_nCaret = 0;   // the moving end, where the caret is
    int m_nScroll = 0;          // pixels of text scrolled off to the left
    std::size_t m_nLimit = kDefaultLimit;
    bool m_bModified = false;
    bool m_bSelecting = false;
};

}  // namespace

void RegisterEditClass()
{
    RegisterControlClass(WC_EDITA, &ProcOf<CEditControl>, CS_DBLCLKS, 32513);
}

}  // namespace platform::ui::controls

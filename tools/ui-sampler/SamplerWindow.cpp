#include "SamplerWindow.h"

#include <array>
#include <cstdio>
#include <vector>

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

const char* KeyName(UINT key)
{
    switch (key) {
    case VK_BACK: return "Backspace";
    case VK_TAB: return "Tab";
    case VK_RETURN: return "Return";
    case VK_SHIFT: return "Shift";
    case VK_CONTROL: return "Ctrl";
    case VK_MENU: return "Alt";
    case VK_ESCAPE: return "Escape";
    case VK_SPACE: return "Space";
    case VK_DELETE: return "Delete";
    case VK_LEFT: return "Left";
    case VK_RIGHT: return "Right";
    case VK_UP: return "Up";
    case VK_DOWN: return "Down";
    default: return nullptr;
    }
}

}  // namespace

BEGIN_MESSAGE_MAP(CSamplerWnd, CWnd)
    ON_WM_PAINT()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_MOUSEWHEEL()
    ON_WM_KEYDOWN()
    ON_WM_CHAR()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CSamplerWnd::CSamplerWnd()
{
    LOGFONT lf{};
    lf.lfHeight = -((8 * platform::gdi::GetLogicalDpi() + 36) / 72);
    lf.lfWeight = FW_NORMAL;
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", "Arial");
    m_dialogFont.CreateFontIndirect(&lf);
    lf.lfWeight = FW_BOLD;
    m_boldFont.CreateFontIndirect(&lf);
    m_fontSmall.CreateFont(14, 0, 0, 0, 500, 0, 0, 0, ANSI_CHARSET, OUT_DEVICE_PRECIS, CLIP_DEFAULT_PRECIS,
                           PROOF_QUALITY, VARIABLE_PITCH, "Times New Roman");
    m_fontMedium.CreateFont(16, 0, 0, 0, 500, 0, 0, 0, ANSI_CHARSET, OUT_DEVICE_PRECIS, CLIP_DEFAULT_PRECIS,
                            PROOF_QUALITY, VARIABLE_PITCH, "Times New Roman");
    m_fontLarge.CreateFont(28, 0, 0, 0, 500, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           PROOF_QUALITY, VARIABLE_PITCH, "Times New Roman");
    m_arial14.CreateFont(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                         PROOF_QUALITY, VARIABLE_PITCH, "Arial");
    m_strPointer = "Move the mouse over the window";
    m_strLast = "No input yet";
}

CSamplerWnd::~CSamplerWnd() = default;

BOOL CSamplerWnd::CreateSampler(int x, int y)
{
    RECT frame{0, 0, kWidth, kHeight};
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE;
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const LPCSTR cls = AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW),
                                           GetSysColorBrush(COLOR_BTNFACE));
    return CreateEx(0, cls, "Intonara UI sampler", style, x, y, frame.right - frame.left, frame.bottom - frame.top,
                    nullptr, nullptr);
}

void CSamplerWnd::OnDestroy()
{
    CWnd::OnDestroy();
    PostQuitMessage(0);
}

void CSamplerWnd::PostNcDestroy()
{
}

void CSamplerWnd::Report(const char* message, UINT flags, CPoint point)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s at %ld, %ld%s%s%s%s", message, static_cast<long>(point.x),
                  static_cast<long>(point.y), (flags & MK_LBUTTON) != 0 ? "  MK_LBUTTON" : "",
                  (flags & MK_RBUTTON) != 0 ? "  MK_RBUTTON" : "", (flags & MK_SHIFT) != 0 ? "  MK_SHIFT" : "",
                  (flags & MK_CONTROL) != 0 ? "  MK_CONTROL" : "");
    m_strLast = text;
    InvalidateRect(&m_rcStatus, TRUE);
}

void CSamplerWnd::OnMouseMove(UINT flags, CPoint point)
{
    char text[64];
    std::snprintf(text, sizeof text, "Mouse %ld, %ld", static_cast<long>(point.x), static_cast<long>(point.y));
    m_strPointer = text;
    if ((flags & (MK_LBUTTON | MK_RBUTTON)) != 0) {
        Report("WM_MOUSEMOVE", flags, point);
    }
    InvalidateRect(&m_rcStatus, TRUE);
}

void CSamplerWnd::OnLButtonDown(UINT flags, CPoint point)
{
    Report("WM_LBUTTONDOWN", flags, point);
}

void CSamplerWnd::OnLButtonUp(UINT flags, CPoint point)
{
    Report("WM_LBUTTONUP", flags, point);
}

void CSamplerWnd::OnLButtonDblClk(UINT flags, CPoint point)
{
    Report("WM_LBUTTONDBLCLK", flags, point);
}

void CSamplerWnd::OnRButtonDown(UINT flags, CPoint point)
{
    Report("WM_RBUTTONDOWN", flags, point);
}

BOOL CSamplerWnd::OnMouseWheel(UINT flags, short delta, CPoint point)
{
    char text[48];
    std::snprintf(text, sizeof text, "WM_MOUSEWHEEL %+d", delta);
    ScreenToClient(&point);
    Report(text, flags, point);
    return TRUE;
}

void CSamplerWnd::OnKeyDown(UINT key, UINT /*repeat*/, UINT /*flags*/)
{
    char text[96];
    const char* name = KeyName(key);
    if (name != nullptr) {
        std::snprintf(text, sizeof text, "WM_KEYDOWN %s", name);
    } else {
        std::snprintf(text, sizeof text, "WM_KEYDOWN 0x%02X", key);
    }
    m_strLast = text;
    InvalidateRect(&m_rcStatus, TRUE);
}

void CSamplerWnd::OnChar(UINT ch, UINT /*repeat*/, UINT /*flags*/)
{
    char text[64];
    if (ch >= 32 && ch < 256) {
        std::snprintf(text, sizeof text, "WM_CHAR '%c'", static_cast<char>(ch));
    } else {
        std::snprintf(text, sizeof text, "WM_CHAR %u", ch);
    }
    m_strLast = text;
    InvalidateRect(&m_rcStatus, TRUE);
}

void CSamplerWnd::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    m_rcStatus = CRect(0, client.bottom - 24, client.right, client.bottom);
    const int column = (client.Width() - 40) / 3;
    const int third = 30 + 2 * column + column;
    const CRect cells[] = {
        {10, 10, 10 + column, 150},
        {20 + column, 10, 20 + 2 * column, 150},
        {30 + 2 * column, 10, third, 150},
        {10, 160, 300, 300},
        {310, 160, third, 300},
        {10, 310, 180, m_rcStatus.top - 8},
        {190, 310, third, m_rcStatus.top - 8},
    };
    DrawPanel(dc, cells[0], "Lines, copy mode");
    DrawLines(dc, cells[0]);
    DrawPanel(dc, cells[1], "Lines, XOR mode");
    DrawXorLines(dc, cells[1]);
    DrawPanel(dc, cells[2], "Shapes and edges");
    DrawShapes(dc, cells[2]);
    DrawPanel(dc, cells[3], "Pattern blits");
    DrawPatterns(dc, cells[3]);
    DrawPanel(dc, cells[4], "Bitmap blits and masks");
    DrawBlits(dc, cells[4]);
    DrawPanel(dc, cells[5], "DIBs: 4-bit, 24-bit");
    DrawDibs(dc, cells[5]);
    DrawPanel(dc, cells[6], "Text");
    DrawText(dc, cells[6]);
    DrawStatus(dc);
}

void CSamplerWnd::DrawPanel(CDC& dc, const CRect& rc, const char* title)
{
    CRect frame = rc;
    dc.DrawEdge(&frame, EDGE_ETCHED, BF_RECT);
    CFont* old = dc.SelectObject(&m_boldFont);
    dc.SetBkMode(OPAQUE);
    dc.SetBkColor(GetSysColor(COLOR_BTNFACE));
    dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
    dc.TextOut(rc.left + 8, rc.top - 6 < 0 ? 0 : rc.top + 2, std::string(" ") + title + " ");
    dc.SelectObject(old);
}

void CSamplerWnd::DrawLines(CDC& dc, const CRect& rc)
{
    CRect area(rc.left + 8, rc.top + 20, rc.right - 8, rc.bottom - 8);
    dc.FillSolidRect(&area, kWhite);
    CPen black(PS_SOLID, 1, kBlack);
    CPen* old = dc.SelectObject(&black);
    const CPoint from(area.left + 4, area.bottom - 4);
    for (int i = 0; i <= 8; ++i) {
        dc.MoveTo(from);
        dc.LineTo(area.left + 4 + i * (area.Width() - 8) / 8, area.top + 4);
    }
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    CPen blue(PS_SOLID, 3, RGB(0, 0, 255));
    dc.SelectObject(&red);
    dc.MoveTo(area.right - 60, area.bottom - 30);
    dc.LineTo(area.right - 6, area.bottom - 30);
    dc.SelectObject(&blue);
    dc.MoveTo(area.right - 60, area.bottom - 16);
    dc.LineTo(area.right - 6, area.bottom - 16);
    dc.SelectObject(old);
}

void CSamplerWnd::DrawXorLines(CDC& dc, const CRect& rc)
{
    CRect area(rc.left + 8, rc.top + 20, rc.right - 8, rc.bottom - 8);
    // A gradient to show what XOR does to every colour under it.
    for (int x = area.left; x < area.right; ++x) {
        const int t = (x - area.left) * 255 / std::max(1, area.Width() - 1);
        dc.FillSolidRect(x, area.top, 1, area.Height(), RGB(t, 128, 255 - t));
    }
    CPen white(PS_SOLID, 1, kWhite);
    CPen* old = dc.SelectObject(&white);
    const int previous = dc.SetROP2(R2_XORPEN);
    for (int i = 0; i < 6; ++i) {
        dc.MoveTo(area.left + 4, area.top + 6 + i * 14);
        dc.LineTo(area.right - 4, area.top + 20 + i * 14);
    }
    // A rubber band drawn twice: nothing of it remains.
    dc.MoveTo(area.left + 10, area.bottom - 6);
    dc.LineTo(area.right - 10, area.top + 4);
    dc.MoveTo(area.left + 10, area.bottom - 6);
    dc.LineTo(area.right - 10, area.top + 4);
    dc.SetROP2(R2_NOT);
    dc.MoveTo(area.left + 4, area.bottom - 12);
    dc.LineTo(area.right - 4, area.bottom - 12);
    dc.SetROP2(previous);
    dc.SelectObject(old);
}

void CSamplerWnd::DrawShapes(CDC& dc, const CRect& rc)
{
    CBrush yellow(RGB(255, 255, 0));
    CPen black(PS_SOLID, 1, kBlack);
    CPen* oldPen = dc.SelectObject(&black);
    CBrush* oldBrush = dc.SelectObject(&yellow);
    dc.Rectangle(rc.left + 10, rc.top + 24, rc.left + 60, rc.top + 64);
    dc.Ellipse(rc.left + 70, rc.top + 24, rc.left + 120, rc.top + 64);
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);
    CBrush red(RGB(255, 0, 0));
    CRect filled(rc.left + 130, rc.top + 24, rc.left + 170, rc.top + 64);
    dc.FillRect(&filled, &red);
    CRect framed(rc.left + 178, rc.top + 24, rc.right - 10, rc.top + 64);
    dc.FrameRect(&framed, &red);
    CRect raised(rc.left + 10, rc.top + 74, rc.left + 60, rc.top + 104);
    dc.DrawEdge(&raised, EDGE_RAISED, BF_RECT);
    CRect sunken(rc.left + 70, rc.top + 74, rc.left + 120, rc.top + 104);
    dc.DrawEdge(&sunken, EDGE_SUNKEN, BF_RECT);
    CRect focus(rc.left + 130, rc.top + 74, rc.left + 170, rc.top + 104);
    dc.DrawFocusRect(&focus);
    CRect inverted(rc.left + 178, rc.top + 74, rc.right - 10, rc.top + 104);
    dc.FillSolidRect(&inverted, kWhite);
    CFont* oldFont = dc.SelectObject(&m_dialogFont);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kBlack);
    dc.DrawText("InvertRect", &inverted, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    CRect half = inverted;
    half.right = (half.left + half.right) / 2;
    dc.InvertRect(&half);
    CRect meter(rc.left + 10, rc.top + 112, rc.right - 10, rc.bottom - 10);
    dc.Draw3dRect(&meter, GetSysColor(COLOR_BTNSHADOW), kWhite);
    CBrush bar(RGB(255, 0, 0));
    CRect level(meter.left + 1, meter.top + 6, meter.left + 1 + meter.Width() * 2 / 3, meter.bottom - 6);
    dc.FillRect(&level, &bar);
    dc.SelectObject(oldFont);
}

void CSamplerWnd::DrawPatterns(CDC& dc, const CRect& rc)
{
    static const struct {
        DWORD rop;
        const char* name;
    } kRops[] = {{PATCOPY, "PATCOPY"}, {DSTINVERT, "DSTINVERT"}, {BLACKNESS, "BLACKNESS"}, {WHITENESS, "WHITENESS"}};
    CBrush green(RGB(0, 160, 0));
    CBrush* old = dc.SelectObject(&green);
    CFont* oldFont = dc.SelectObject(&m_dialogFont);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
    const int cell = (rc.Width() - 20) / 4;
    for (int i = 0; i < 4; ++i) {
        const int x = rc.left + 10 + i * cell;
        // Stripes under each cell, so inversion shows.
        for (int y = rc.top + 24; y < rc.top + 104; y += 8) {
            dc.FillSolidRect(x, y, cell - 6, 4, RGB(255, 200, 0));
            dc.FillSolidRect(x, y + 4, cell - 6, 4, RGB(40, 40, 160));
        }
        dc.PatBlt(x + 6, rc.top + 34, cell - 18, 60, kRops[i].rop);
        CRect label(x, rc.top + 108, x + cell - 6, rc.bottom - 6);
        dc.DrawText(kRops[i].name, &label, DT_CENTER | DT_SINGLELINE | DT_NOCLIP);
    }
    dc.SelectObject(oldFont);
    dc.SelectObject(old);
}

void CSamplerWnd::DrawBlits(CDC& dc, const CRect& rc)
{
    // Source: a picture with a black background; stencil: white where the
    // picture is clear, black where it is drawn (the AND/OR pair).
    constexpr int kSize = 48;
    CDC picture;
    picture.CreateCompatibleDC(&dc);
    CBitmap pictureBits;
    pictureBits.CreateCompatibleBitmap(&dc, kSize, kSize);
    CBitmap* oldPicture = picture.SelectObject(&pictureBits);
    picture.FillSolidRect(0, 0, kSize, kSize, kBlack);
    CBrush red(RGB(220, 30, 30));
    CPen none(PS_NULL, 0, kBlack);
    CBrush* oldBrush = picture.SelectObject(&red);
    CPen* oldPen = picture.SelectObject(&none);
    picture.Ellipse(4, 4, kSize - 4, kSize - 4);
    picture.FillSolidRect(kSize / 2 - 4, 0, 8, kSize, RGB(30, 200, 30));
    picture.SelectObject(oldBrush);
    picture.SelectObject(oldPen);

    CDC stencil;
    stencil.CreateCompatibleDC(&dc);
    CBitmap stencilBits;
    stencilBits.CreateCompatibleBitmap(&dc, kSize, kSize);
    CBitmap* oldStencil = stencil.SelectObject(&stencilBits);
    stencil.BitBlt(0, 0, kSize, kSize, &picture, 0, 0, SRCCOPY);
    // Black where anything is drawn, white elsewhere.
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            stencil.SetPixel(x, y, stencil.GetPixel(x, y) == kBlack ? kWhite : kBlack);
        }
    }

    static const struct {
        DWORD rop;
        const char* name;
    } kRops[] = {{SRCCOPY, "SRCCOPY"},     {SRCAND, "SRCAND"},         {SRCPAINT, "SRCPAINT"},
                 {SRCINVERT, "SRCINVERT"}, {NOTSRCCOPY, "NOTSRCCOPY"}, {0, "AND + OR"}};
    CFont* oldFont = dc.SelectObject(&m_dialogFont);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
    const int cell = (rc.Width() - 20) / 6;
    for (int i = 0; i < 6; ++i) {
        const int x = rc.left + 10 + i * cell + (cell - kSize) / 2;
        const int y = rc.top + 32;
        // Destination: diagonal stripes of two colours.
        for (int d = 0; d < kSize; ++d) {
            for (int e = 0; e < kSize; ++e) {
                dc.SetPixel(x + e, y + d, ((d + e) / 6) % 2 == 0 ? RGB(80, 120, 255) : RGB(255, 255, 200));
            }
        }
        if (kRops[i].rop != 0) {
            dc.BitBlt(x, y, kSize, kSize, &picture, 0, 0, kRops[i].rop);
        } else {
            dc.BitBlt(x, y, kSize, kSize, &stencil, 0, 0, SRCAND);
            dc.BitBlt(x, y, kSize, kSize, &picture, 0, 0, SRCPAINT);
        }
        // Every other name a line lower, so long ones do not run together.
        const int labelTop = y + kSize + 8 + (i % 2) * 14;
        CRect label(rc.left + 10 + i * cell, labelTop, rc.left + 10 + (i + 1) * cell, rc.bottom - 6);
        dc.DrawText(kRops[i].name, &label, DT_CENTER | DT_SINGLELINE | DT_NOCLIP);
    }
    dc.SelectObject(oldFont);
    picture.SelectObject(oldPicture);
    stencil.SelectObject(oldStencil);
}

void CSamplerWnd::DrawDibs(CDC& dc, const CRect& rc)
{
    // 4 bits per pixel: a 16 x 16 chart of its 16 colours (the classic
    // palette), rows bottom-up as DIBs store them.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[16];
    } four{};
    four.header.biSize = sizeof(BITMAPINFOHEADER);
    four.header.biWidth = 16;
    four.header.biHeight = 16;
    four.header.biPlanes = 1;
    four.header.biBitCount = 4;
    four.header.biCompression = BI_RGB;
    static const BYTE kClassic[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                         {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                         {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                         {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    for (int i = 0; i < 16; ++i) {
        four.colours[i] = RGBQUAD{kClassic[i][2], kClassic[i][1], kClassic[i][0], 0};
    }
    std::vector<BYTE> bits(16 * 8);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; x += 2) {
            const int a = (x / 4) + 4 * (y / 4);
            const int b = ((x + 1) / 4) + 4 * (y / 4);
            bits[static_cast<std::size_t>(y * 8 + x / 2)] = static_cast<BYTE>((a << 4) | b);
        }
    }
    HBITMAP chart = CreateDIBitmap(dc, &four.header, CBM_INIT, bits.data(),
                                   reinterpret_cast<const BITMAPINFO*>(&four), DIB_RGB_COLORS);
    // 24 bits per pixel, no colour table: a gradient.
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = 64;
    header.biHeight = 64;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    std::vector<BYTE> rgb(static_cast<std::size_t>(64 * 64 * 3));
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            BYTE* p = &rgb[static_cast<std::size_t>((y * 64 + x) * 3)];
            p[0] = static_cast<BYTE>(x * 4);        // blue
            p[1] = static_cast<BYTE>(y * 4);        // green
            p[2] = static_cast<BYTE>(255 - x * 4);  // red
        }
    }
    HBITMAP gradient = CreateDIBitmap(dc, &header, CBM_INIT, rgb.data(), reinterpret_cast<const BITMAPINFO*>(&header),
                                      DIB_RGB_COLORS);
    CDC memory;
    memory.CreateCompatibleDC(&dc);
    HGDIOBJ old = ::SelectObject(memory, chart);
    dc.StretchBlt(rc.left + 12, rc.top + 26, 64, 64, &memory, 0, 0, 16, 16, SRCCOPY);
    ::SelectObject(memory, gradient);
    dc.BitBlt(rc.left + 90, rc.top + 26, 64, 64, &memory, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
    DeleteObject(chart);
    DeleteObject(gradient);
}

void CSamplerWnd::DrawText(CDC& dc, const CRect& rc)
{
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kBlack);
    int y = rc.top + 22;
    CFont* old = dc.SelectObject(&m_fontLarge);
    dc.TextOut(rc.left + 12, y, "Intonara");
    const int width = dc.GetTextExtent("Intonara").cx;
    dc.SelectObject(&m_fontSmall);
    dc.TextOut(rc.left + 12 + width + 2, y + 2, "tm");
    y += 32;
    dc.SelectObject(&m_fontMedium);
    dc.TextOut(rc.left + 12, y, "Times New Roman 16: the credit line");
    y += 18;
    dc.SelectObject(&m_fontSmall);
    dc.TextOut(rc.left + 12, y, "Times New Roman 14, weight 500, proof quality");
    y += 18;
    dc.SelectObject(&m_arial14);
    dc.TextOut(rc.left + 12, y, "Arial 14: Track Pitch   Correct Pitch");
    y += 20;
    dc.SelectObject(&m_dialogFont);
    CRect line(rc.left + 12, y, rc.right - 12, y + 14);
    dc.DrawText("Arial 8 dialog text with a mnemonic: &Edit Scale   &Bypass   -100   +66", &line,
                DT_LEFT | DT_SINGLELINE);
    y += 16;
    CRect para(rc.left + 12, y, rc.left + 300, rc.bottom - 6);
    dc.DrawText("Hold the <Ctrl> key while dragging the Scale Detune slider for fine tuning.", &para,
                DT_LEFT | DT_WORDBREAK);
    CRect boxed(rc.right - 120, y, rc.right - 12, y + 20);
    dc.SetBkMode(OPAQUE);
    dc.SetBkColor(kWhite);
    dc.FillSolidRect(&boxed, kWhite);
    dc.Draw3dRect(&boxed, GetSysColor(COLOR_BTNSHADOW), kWhite);
    CRect number = boxed;
    number.DeflateRect(4, 2);
    dc.DrawText("48", &number, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    dc.SelectObject(old);
}

void CSamplerWnd::DrawStatus(CDC& dc)
{
    CRect bar = m_rcStatus;
    dc.FillSolidRect(&bar, GetSysColor(COLOR_BTNFACE));
    dc.DrawEdge(&bar, BDR_SUNKENOUTER, BF_RECT);
    CFont* old = dc.SelectObject(&m_dialogFont);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
    CRect left(bar.left + 8, bar.top, bar.left + 200, bar.bottom);
    dc.DrawText(m_strPointer, &left, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    CRect right(bar.left + 200, bar.top, bar.right - 8, bar.bottom);
    dc.DrawText("Last: " + m_strLast, &right, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    dc.SelectObject(old);
}

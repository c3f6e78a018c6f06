// The common base of the graph views: window class and creation, cursors,
// the mouse loop and its pumps, the time-range selection and the play
// cursor. The time axis is in GraphTimeAxis.cpp, drawing in GraphPaint.cpp.

#include "graph/GraphView.h"

#include "graph/GraphIds.h"
#include "modes/DspObject.h"
#include "platform/kernel/Kernel.h"

namespace {

// While a drag runs, this timer wakes the loop so that holding the pointer
// still outside the view keeps scrolling.
constexpr UINT_PTR kDragTimer = 0x4752;
constexpr UINT kDragTimerMs = 50;

// What each module cursor falls back to when the module has none.
const char* FallbackCursor(int resource)
{
    switch (resource) {
    case graph::kCursorNode: return IDC_SIZEALL;
    case graph::kCursorSegment: return IDC_UPARROW;
    case graph::kCursorZoom: return IDC_CROSS;
    default: return IDC_ARROW;
    }
}

} // namespace

BEGIN_MESSAGE_MAP(CGraphView, CWnd)
    ON_WM_LBUTTONDOWN()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CGraphView::CGraphView(IIntonaraDialog* pDialog, HWND hDialog) : m_pDialog(pDialog), m_hDialog(hDialog)
{
    m_hArrow = ::LoadCursorA(nullptr, IDC_ARROW);
    m_hWait = ::LoadCursorA(nullptr, IDC_WAIT);
    m_hIBeam = ::LoadCursorA(nullptr, IDC_IBEAM);
    m_hCross = ::LoadCursorA(nullptr, IDC_CROSS);
    m_hSizeWE = ::LoadCursorA(nullptr, IDC_SIZEWE);
    for (int i = 0; i < 4; ++i) {
        const int resource = graph::kCursorSpare + i;
        HCURSOR cursor = ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCE(resource));
        m_hModuleCursors[i] = cursor != nullptr ? cursor : ::LoadCursorA(nullptr, FallbackCursor(resource));
    }
}

CGraphView::~CGraphView() = default;

HCURSOR CGraphView::ModuleCursor(int nResource) const
{
    const int i = nResource - graph::kCursorSpare;
    return i >= 0 && i < 4 ? m_hModuleCursors[i] : m_hArrow;
}

BOOL CGraphView::CreateView(const RECT& rc, int nId)
{
    WNDCLASSA wc{};
    if (!::GetClassInfoA(AfxGetInstanceHandle(), ClassName(), &wc)) {
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &::DefWindowProcA;
        wc.hInstance = AfxGetInstanceHandle();
        wc.lpszClassName = ClassName();
        ::RegisterClassA(&wc);
    }
    return CreateEx(0, ClassName(), "", WS_CHILD | WS_VISIBLE | WS_BORDER, rc, CWnd::FromHandle(m_hDialog),
                    static_cast<UINT>(nId));
}

CFont* CGraphView::LabelFont()
{
    if (m_LabelFont.m_hObject == nullptr)
        m_LabelFont.CreateFont(graph::kLabelFontHeight, 0, 0, 0, graph::kLabelFontWeight, 0, 0, 0, ANSI_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH, "Arial");
    return &m_LabelFont;
}

void CGraphView::SetController(CParameterStore* pController)
{
    m_pController = pController;
}

void CGraphView::Initialize(int nHorizontalBarId, int nVerticalBarId)
{
    m_nHorizontalBarId = nHorizontalBarId;
    m_nVerticalBarId = nVerticalBarId;
    CRect rc;
    GetClientRect(&rc);
    m_nWidth = rc.Width();
    m_nHeight = rc.Height();
    m_nTimeCenter = (m_nWidth / 2) * m_nFramesPerPixel;
}

void CGraphView::SetFrameRate(float framesPerSecond)
{
    m_fFrameRate = framesPerSecond;
}

CursorHandle CGraphView::UpdateCursor()
{
    const CPoint pt = MousePosition();
    if (pt.x < 0 || pt.y < 0 || pt.x >= m_nWidth || pt.y >= m_nHeight)
        return nullptr;
    return ChooseCursor();
}

HCURSOR CGraphView::ChooseCursor()
{
    return nullptr;
}

void CGraphView::OnLButtonDown(UINT /*nFlags*/, CPoint point)
{
    OnLeftButtonDown(point);
}

// Clicking into the graph gives it the keyboard, so the Delete key reaches
// it afterwards.
void CGraphView::OnLeftButtonDown(CPoint point)
{
    if (m_bInDrag)
        return;
    m_bInDrag = true;
    SetFocus();
    m_ptDown = point;
    SetCapture();
    ::SetTimer(m_hWnd, kDragTimer, kDragTimerMs, nullptr);
    int more = BeginDrag();
    while (more != 0 && ::IsWindow(m_hWnd))
        more = TrackDrag();
    if (::IsWindow(m_hWnd)) {
        EndDrag();
        ::KillTimer(m_hWnd, kDragTimer);
    }
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    m_bInDrag = false;
}

int CGraphView::BeginDrag()
{
    return 0;
}

int CGraphView::TrackDrag()
{
    return 0;
}

void CGraphView::EndDrag() {}

bool CGraphView::TakeMessage(MSG* pMsg)
{
    for (;;) {
        if (!::IsWindow(m_hWnd))
            return false;
        if (::PeekMessageA(pMsg, nullptr, 0, 0, PM_REMOVE)) {
            if (pMsg->message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(pMsg->wParam));
                return false;
            }
            return true;
        }
        ::WaitMessage();
    }
}

bool CGraphView::Pump(bool bEscapable)
{
    MSG msg{};
    if (!TakeMessage(&msg))
        return true;
    if (msg.message == WM_LBUTTONUP)
        return true;
    if (bEscapable && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)
        return true;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
    return false;
}

CPoint CGraphView::MousePosition() const
{
    POINT pt{};
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hWnd, &pt);
    return CPoint(pt);
}

BOOL CGraphView::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd != nullptr && pWnd->m_hWnd == m_hWnd && ::GetFocus() == m_hWnd && m_pDialog != nullptr &&
        m_pDialog->GetPanelMode() == graph::kGraphicalPanelMode) {
        if (HCURSOR cursor = ChooseCursor()) {
            ::SetCursor(cursor);
            return TRUE;
        }
    }
    return CWnd::OnSetCursor(pWnd, nHitTest, message);
}

HWND CGraphView::DialogItem(int nId) const
{
    return m_hDialog != nullptr ? ::GetDlgItem(m_hDialog, nId) : nullptr;
}

bool CGraphView::IsPanelSwitchDown(int nControlId) const
{
    return m_pDialog != nullptr && m_pDialog->IsControlChecked(nControlId);
}

int CGraphView::CurrentTool() const
{
    return m_pDialog != nullptr ? m_pDialog->GetTool() : -1;
}

bool CGraphView::PointerOverWindow() const
{
    if (!::IsWindow(m_hWnd))
        return false;
    POINT pt{};
    ::GetCursorPos(&pt);
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    return ::PtInRect(&rc, pt) != FALSE;
}

bool CGraphView::IsShowing() const
{
    return m_hWnd != nullptr && ::IsWindowVisible(m_hWnd) != FALSE;
}

// --- Contexts ------------------------------------------------------------------

CGraphView::CViewDC::CViewDC(CGraphView* pView, CDC* pGiven) : m_pView(pView), m_pDC(pGiven), m_bOwned(false)
{
    if (m_pDC == nullptr && pView->IsShowing()) {
        m_pDC = pView->GetDC();
        m_bOwned = m_pDC != nullptr;
    }
}

CGraphView::CViewDC::~CViewDC()
{
    if (m_bOwned)
        m_pView->ReleaseDC(m_pDC);
}

void CGraphView::DrawVerticalXor(int x, COLORREF color, CDC* pDC)
{
    CPen pen(PS_SOLID, 1, color);
    CPen* old = pDC->SelectObject(&pen);
    const int oldRop = pDC->SetROP2(R2_XORPEN);
    pDC->MoveTo(x, 0);
    pDC->LineTo(x, m_nHeight);
    pDC->SetROP2(oldRop);
    pDC->SelectObject(old);
}

// --- Selection and play cursor ----------------------------------------------------

void CGraphView::InvertColumns(int x1, int x2, CDC* pDC)
{
    if (x1 > x2)
        std::swap(x1, x2);
    const CRect band(x1, 0, x2, m_nHeight);
    pDC->InvertRect(&band);
}

void CGraphView::DrawSelection(CDC* pDC)
{
    if (m_nSelStart == m_nSelEnd)
        return;
    InvertColumns(X(m_nSelStart), X(m_nSelEnd), pDC);
}

void CGraphView::SetTimeSelection(int nStart, int nEnd)
{
    if (nStart > nEnd)
        std::swap(nStart, nEnd);
    const bool hadRange = m_nSelStart != m_nSelEnd;
    const bool hasRange = nStart != nEnd;
    CViewDC dc(this, nullptr);
    if (dc) {
        if (!hadRange && hasRange) {
            InvertColumns(X(nStart), X(nEnd), dc.Get());
        } else if (hadRange && !hasRange) {
            InvertColumns(X(m_nSelStart), X(m_nSelEnd), dc.Get());
        } else if (hadRange && hasRange) {
            if (nStart != m_nSelStart)
                InvertColumns(X(m_nSelStart), X(nStart), dc.Get());
            if (nEnd != m_nSelEnd)
                InvertColumns(X(m_nSelEnd), X(nEnd), dc.Get());
        }
    }
    m_nSelStart = hasRange ? nStart : 0;
    m_nSelEnd = hasRange ? nEnd : 0;
}

void CGraphView::DrawPlayCursor(int nFrame, CDC* pDC)
{
    if (nFrame == -1) {
        auto* dsp = dynamic_cast<CDspObject*>(m_pController);
        if (dsp == nullptr)
            return;
        const double elapsed = static_cast<unsigned>(::GetTickCount() - static_cast<DWORD>(dsp->GetStartTick()));
        nFrame = static_cast<int>(elapsed * dsp->GetSampleRate() / 1000.0 / 200.0);
    }
    const int column = X(nFrame);
    if (column == m_nPlayColumn)
        return;
    CViewDC dc(this, pDC);
    if (dc) {
        if (m_nPlayColumn >= 0 && m_nPlayColumn < m_nWidth)
            DrawVerticalXor(m_nPlayColumn, graph::kWhite, dc.Get());
        if (column >= 0 && column < m_nWidth)
            DrawVerticalXor(column, graph::kWhite, dc.Get());
    }
    m_nPlayColumn = column;
}

void CGraphView::HidePlayCursor()
{
    if (m_nPlayColumn >= 0 && m_nPlayColumn < m_nWidth) {
        CViewDC dc(this, nullptr);
        if (dc)
            DrawVerticalXor(m_nPlayColumn, graph::kWhite, dc.Get());
    }
    m_nPlayColumn = -1;
}

// --- Scroll steps -------------------------------------------------------------

void CGraphView::LineUp() { ScrollUp(m_nHeight / 20); }
void CGraphView::LineLeft() { ScrollLeft(m_nWidth / 20); }
void CGraphView::LineDown() { ScrollDown(m_nHeight / 20); }
void CGraphView::LineRight() { ScrollRight(m_nWidth / 20); }
void CGraphView::PageUp() { ScrollUp(m_nHeight * 7 / 8); }
void CGraphView::PageLeft() { ScrollLeft(m_nWidth * 7 / 8); }
void CGraphView::PageDown() { ScrollDown(m_nHeight * 7 / 8); }
void CGraphView::PageRight() { ScrollRight(m_nWidth * 7 / 8); }

int CGraphView::ScrollUp(int nPixels)
{
    return nPixels;
}

int CGraphView::ScrollDown(int nPixels)
{
    return nPixels;
}

void CGraphView::IdleUpdate() {}

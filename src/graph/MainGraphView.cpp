// The main graph view as a window: construction and the panel's controls,
// messages (paint, Delete key, context menu, menu commands), cursors, the
// scroll-bar requests and the idle update.

#include "graph/MainGraphView.h"

#include "graph/BlockTable.h"
#include "graph/EnvelopeGraphView.h"
#include "graph/GraphControls.h"
#include "graph/GraphIds.h"
#include "settings/ParameterStore.h"

BEGIN_MESSAGE_MAP(CMainGraphView, CGraphView)
    ON_WM_PAINT()
    ON_WM_KEYDOWN()
    ON_WM_RBUTTONDOWN()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CMainGraphView::CMainGraphView(IIntonaraDialog* pDialog, HWND hDialog) : CGraphView(pDialog, hDialog)
{
    m_hUndo = DialogItem(graph::kUndoButton);
    m_hSelectAll = DialogItem(graph::kSelectAllButton);
    m_hCut = DialogItem(graph::kCutButton);
    m_hPaste = DialogItem(graph::kPasteButton);
    m_hCopy = DialogItem(graph::kCopyButton);
    m_hMakeCurve = DialogItem(graph::kMakeCurveButton);
    m_hMakeAuto = DialogItem(graph::kMakeAutoButton);
    m_hTrackPitch = DialogItem(graph::kTrackPitchButton);
    m_hCorrectPitch = DialogItem(graph::kCorrectPitchButton);
    m_hNoteReadout = DialogItem(graph::kNoteReadout);
    m_hDeviationReadout = DialogItem(graph::kDeviationReadout);
    m_hBufferField = DialogItem(graph::kBufferSecondsField);
    m_hEnvAll = DialogItem(graph::kEnvAllCheckBox);
}

CMainGraphView::~CMainGraphView()
{
    ReleaseDragBuffers();
    FreeCurveList(m_pClipboard);
    FreeCurveList(m_pCurves);
    FreeCurveList(m_pUndoCurves);
    // The bitmap can go only once it is no longer selected.
    if (m_hOldMaskBitmap != nullptr)
        ::SelectObject(m_MaskDC.m_hDC, m_hOldMaskBitmap);
}

const char* CMainGraphView::ClassName() const
{
    return graph::kMainGraphViewClass;
}

void CMainGraphView::OnDestroy()
{
    ReleaseDragBuffers();
    FreeCurveList(m_pClipboard);
    FreeCurveList(m_pCurves);
    FreeCurveList(m_pUndoCurves);
    m_pClipboard = m_pCurves = m_pUndoCurves = nullptr;
    CWnd::OnDestroy();
}

void CMainGraphView::SetController(CParameterStore* pController)
{
    CGraphView::SetController(pController);
}

void CMainGraphView::SetEnvelopeView(CEnvelopeGraphView* pEnvelope)
{
    m_pEnvelope = pEnvelope;
}

void CMainGraphView::Initialize(int nHorizontalBarId, int nVerticalBarId)
{
    CGraphView::Initialize(nHorizontalBarId, nVerticalBarId);
    m_nPitchCenter = (m_nHeight / 2) * m_nCentsPerPixel;
    graph::SetBarRange(DialogItem(m_nHorizontalBarId), 0, m_nWidth);
    graph::SetBarRange(DialogItem(m_nVerticalBarId), 0, m_nHeight);
    EnableButton(m_hUndo, false);
    EnableButton(m_hSelectAll, false);
    EnableButton(m_hPaste, false);
    EnableButton(m_hMakeCurve, false);
    EnableButton(m_hMakeAuto, false);
    if (m_hBufferField != nullptr)
        ::SetWindowTextA(m_hBufferField, "0");
    UpdateSelectionButtons();
}

// The buffer follows the rate: the same seconds hold a different number of
// frames.
void CMainGraphView::SetFrameRate(float framesPerSecond)
{
    CGraphView::SetFrameRate(framesPerSecond);
    SetBufferSeconds(m_nBufferSecs);
}

void CMainGraphView::OnPaint()
{
    CPaintDC dc(this);
    const CRect client(0, 0, m_nWidth, m_nHeight);
    Redraw(&client, &dc);
}

void CMainGraphView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK_DELETE) {
        Cut();
        return;
    }
    CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CMainGraphView::OnRButtonDown(UINT /*nFlags*/, CPoint point)
{
    SetFocus();
    int first = -1;
    int last = -1;
    GetSelectionRange(&first, &last);
    bool anySelected = false;
    const int count = NodeCount(m_pCurves);
    for (int i = 0; i < count && !anySelected; ++i)
        anySelected = m_pCurves[i].selected != 0;
    POINT screen = point;
    ::ClientToScreen(m_hWnd, &screen);
    graph::ShowContextMenu(m_hWnd, screen, anySelected);
}

BOOL CMainGraphView::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    if (lParam == 0 && id >= graph::kCommandSelectAll && id <= graph::kCommandMakeAuto) {
        if (m_pDialog == nullptr || !m_pDialog->RunGraphCommand(id))
            RunCommand(id);
        return TRUE;
    }
    return CGraphView::OnCommand(wParam, lParam);
}

void CMainGraphView::RunCommand(int nCommand)
{
    switch (nCommand) {
    case graph::kCommandSelectAll: SelectAll(); break;
    case graph::kCommandCopy: Copy(); break;
    case graph::kCommandCut: Cut(); break;
    case graph::kCommandPaste: Paste(); break;
    case graph::kCommandUndo: Undo(); break;
    case graph::kCommandMakeCurve: MakeCurveFromTrack(); break;
    case graph::kCommandMakeAuto: MakeAutoCurve(); break;
    default: break;
    }
}

bool CMainGraphView::ContainsPointer()
{
    return PointerOverWindow();
}

CursorHandle CMainGraphView::UpdateCursor()
{
    return CGraphView::UpdateCursor();
}

HCURSOR CMainGraphView::ChooseCursor()
{
    switch (CurrentTool()) {
    case graph::kToolLine:
    case graph::kToolFreehand: return m_hCross;
    case graph::kToolMove: {
        const CPoint pt = MousePosition();
        int kind = 0;
        if (HitTestCurves(pt.x, pt.y, m_pCurves, false, &kind) != 0)
            return ModuleCursor(kind == 1 ? graph::kCursorNode : graph::kCursorSegment);
        return m_hArrow;
    }
    case graph::kToolZoom: return ModuleCursor(graph::kCursorZoom);
    default: return nullptr;
    }
}

// --- Buttons and readouts ---------------------------------------------------------

void CMainGraphView::EnableButton(HWND hButton, bool bEnable)
{
    if (hButton != nullptr)
        ::EnableWindow(hButton, bEnable ? TRUE : FALSE);
}

bool CMainGraphView::IsButtonEnabled(HWND hButton) const
{
    return hButton != nullptr && ::IsWindowEnabled(hButton) != FALSE;
}

void CMainGraphView::SetButtonText(HWND hButton, const char* text)
{
    if (hButton != nullptr)
        ::SetWindowTextA(hButton, text);
}

void CMainGraphView::ShowReadouts(const char* note, const char* deviation)
{
    if (m_hNoteReadout != nullptr)
        ::SetWindowTextA(m_hNoteReadout, note);
    if (m_hDeviationReadout != nullptr)
        ::SetWindowTextA(m_hDeviationReadout, deviation);
}

void CMainGraphView::UpdateSelectionButtons()
{
    int first = -1;
    int last = -1;
    GetSelectionRange(&first, &last);
    const bool enable = first < last;
    EnableButton(m_hCopy, enable);
    EnableButton(m_hCut, enable);
}

void CMainGraphView::RedrawBoth()
{
    Redraw(nullptr, nullptr);
    if (m_pEnvelope != nullptr)
        m_pEnvelope->Redraw(nullptr, nullptr);
}

// --- The idle update -----------------------------------------------------------------

void CMainGraphView::IdleUpdate()
{
    const bool trackDown = IsPanelSwitchDown(graph::kTrackPitchButton);
    const bool correctDown = IsPanelSwitchDown(graph::kCorrectPitchButton);
    if (trackDown)
        TrackPassTick();
    if (correctDown)
        CorrectPassTick();

    if (m_pController != nullptr && !m_pController->IsShowingIdle())
        return;
    if (m_bRescalePending) {
        m_bRescalePending = false;
        UpdateHScrollBar();
        UpdateVScrollBar();
    }
    if (IsPanelSwitchDown(graph::kTrackPitchButton) || IsPanelSwitchDown(graph::kCorrectPitchButton))
        return;
    EnableButton(m_hPaste, m_pClipboard != nullptr);
    EnableButton(m_hSelectAll, m_pCurves != nullptr);
    EnableButton(m_hMakeCurve, m_nTrackedFrames > 0);
    EnableButton(m_hMakeAuto, m_nTrackedFrames > 0);

    const CPoint pt = MousePosition();
    if (pt.x < 0 || pt.y < 0 || pt.x >= m_nWidth || pt.y >= m_nHeight) {
        ShowReadouts("", "");
        m_nReadoutRow = -1;
    } else if (pt.y != m_nReadoutRow) {
        ShowNoteReadout(pt.y);
    }
}

// --- Scroll bars -------------------------------------------------------------------------

void CMainGraphView::HandleScrollRequest(int nBarId, int nCode, int nPosition)
{
    const bool vertical = nBarId == m_nVerticalBarId;
    switch (nCode) {
    case graph::kScrollLineUp: vertical ? LineUp() : LineLeft(); break;
    case graph::kScrollLineDown: vertical ? LineDown() : LineRight(); break;
    case graph::kScrollPageUp: vertical ? PageUp() : PageLeft(); break;
    case graph::kScrollPageDown: vertical ? PageDown() : PageRight(); break;
    case graph::kScrollThumbPosition:
    case graph::kScrollThumbTrack:
        OnScrollThumb(nPosition, nBarId);
        graph::SetBarPosition(DialogItem(nBarId), nPosition);
        (vertical ? m_VBar : m_HBar).nPos = nPosition;
        break;
    default: break;
    }
}

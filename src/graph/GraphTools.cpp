// The four mouse tools of the main view (line, freehand, select/move and
// zoom box) as steps of the base's modal mouse loop, with automatic
// scrolling while the pointer is outside the view. Transient drawing
// (rubber bands, the moving copy, sweep markers, the zoom frame) is XOR
// and taken off by drawing it again or by the repaint that ends the tool.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graph/BlockTable.h"
#include "graph/EnvelopeGraphView.h"
#include "graph/GraphIds.h"
#include "graph/MainGraphView.h"

namespace {

constexpr int kMaxVertices = 1000;

bool IsInputMessage(UINT message)
{
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

} // namespace

// --- Dispatch ------------------------------------------------------------------------

int CMainGraphView::BeginDrag()
{
    m_nDragTool = CurrentTool();
    switch (m_nDragTool) {
    case graph::kToolLine: return BeginLine();
    case graph::kToolFreehand: return BeginFreehand();
    case graph::kToolMove: return BeginMove();
    case graph::kToolZoom: return BeginZoomBox();
    default: return 0;
    }
}

int CMainGraphView::TrackDrag()
{
    IdleUpdate();
    switch (m_nDragTool) {
    case graph::kToolLine: return TrackLine();
    case graph::kToolFreehand: return TrackFreehand();
    case graph::kToolMove: return m_bSelecting != 0 ? TrackSelect() : TrackMove();
    case graph::kToolZoom: return TrackZoomBox();
    default: return 0;
    }
}

void CMainGraphView::EndDrag()
{
    switch (m_nDragTool) {
    case graph::kToolLine: EndLine(); break;
    case graph::kToolFreehand: EndFreehand(); break;
    case graph::kToolMove: m_bSelecting != 0 ? EndSelect() : EndMove(); break;
    case graph::kToolZoom: EndZoomBox(); break;
    default: break;
    }
    m_nDragTool = -1;
    UpdateTotalLength();
}

void CMainGraphView::ReleaseDragBuffers()
{
    g_Blocks.Free(m_pToolBuffer);
    m_pToolBuffer = nullptr;
    g_Blocks.Free(m_pMoveSaved);
    g_Blocks.Free(m_pMoveWork);
    m_pMoveSaved = m_pMoveWork = nullptr;
}

CSize CMainGraphView::AutoScroll(CPoint point)
{
    CSize shift;
    if (point.x < 0)
        shift.cx = ScrollLeft(m_nWidth / 20);
    else if (point.x >= m_nWidth)
        shift.cx = ScrollRight(m_nWidth / 20);
    else if (point.y < 0)
        shift.cy = ScrollUp(m_nHeight / 20);
    else if (point.y >= m_nHeight)
        shift.cy = ScrollDown(m_nHeight / 20);
    return shift;
}

void CMainGraphView::DrawRubberBand(CPoint from, CPoint to, CDC* pDC)
{
    CViewDC dc(this, pDC);
    if (!dc)
        return;
    CPen pen(PS_SOLID, 1, graph::kWhite);
    CPen* old = dc->SelectObject(&pen);
    const int oldRop = dc->SetROP2(R2_XORPEN);
    dc->MoveTo(from);
    dc->LineTo(to);
    dc->SetROP2(oldRop);
    dc->SelectObject(old);
}

void CMainGraphView::DrawZoomFrame(const RECT& rc, CDC* pDC)
{
    CViewDC dc(this, pDC);
    if (!dc)
        return;
    CPen pen(PS_SOLID, 1, graph::kWhite);
    CPen* old = dc->SelectObject(&pen);
    CGdiObject* oldBrush = dc->SelectStockObject(NULL_BRUSH);
    const int oldRop = dc->SetROP2(R2_XORPEN);
    dc->Rectangle(&rc);
    dc->SetROP2(oldRop);
    dc->SelectObject(oldBrush);
    dc->SelectObject(old);
}

// --- Line tool ---------------------------------------------------------------------

int CMainGraphView::BeginLine()
{
    SelectAllNodes(m_pCurves, 0);
    m_pToolBuffer = g_Blocks.Alloc(kMaxVertices * static_cast<int>(sizeof(POINT)));
    if (m_pToolBuffer == nullptr)
        return 0;
    m_nVertexCapacity = kMaxVertices;
    m_nVertexCount = 1;
    static_cast<POINT*>(m_pToolBuffer)[0] = m_ptDown;
    m_ptLast = m_ptDown;
    return 1;
}

int CMainGraphView::TrackLine()
{
    auto* vertices = static_cast<POINT*>(m_pToolBuffer);
    CPoint pt = MousePosition();
    if (IsKeyDown(VK_CONTROL) && m_nVertexCount > 0)
        pt.y = vertices[m_nVertexCount - 1].y;

    const CSize shift = AutoScroll(pt);
    const bool scrolled = shift.cx != 0 || shift.cy != 0;
    if (scrolled) {
        // The repaint took the polyline off; put it back where it now lies.
        for (int i = 0; i < m_nVertexCount; ++i) {
            vertices[i].x += shift.cx;
            vertices[i].y += shift.cy;
        }
        m_ptLast += shift;
        for (int i = 1; i < m_nVertexCount; ++i)
            DrawRubberBand(vertices[i - 1], vertices[i], nullptr);
        DrawRubberBand(vertices[m_nVertexCount - 1], m_ptLast, nullptr);
    }

    const POINT last = vertices[m_nVertexCount - 1];
    if (m_nVertexCount == 1) {
        if (pt.x == last.x)
            pt.x += 1;
    } else {
        const bool rightward = vertices[1].x > vertices[0].x;
        if (rightward && pt.x <= last.x)
            pt.x = last.x + 1;
        if (!rightward && pt.x >= last.x)
            pt.x = last.x - 1;
    }
    const int rightLimit = std::max(m_nWidth, X(m_nTotalFrames));
    pt.x = std::clamp(static_cast<int>(pt.x), X(0), std::max(X(0), rightLimit));
    pt.y = std::clamp(static_cast<int>(pt.y), CentsToRow(kHighestCents), CentsToRow(kLowestCents));

    if (pt != m_ptLast) {
        DrawRubberBand(last, m_ptLast, nullptr);
        DrawRubberBand(last, pt, nullptr);
        m_ptLast = pt;
    }

    MSG msg{};
    if (!TakeMessage(&msg))
        return 0;
    switch (msg.message) {
    case WM_LBUTTONDOWN:
        if (scrolled)
            return 1;
        if (std::abs(m_ptLast.x - last.x) <= 1 && std::abs(m_ptLast.y - last.y) <= 1)
            return 0;
        vertices[m_nVertexCount++] = m_ptLast;
        if (m_nVertexCount >= 2) {
            const bool rightward = vertices[1].x > vertices[0].x;
            if ((rightward && m_ptLast.x >= rightLimit) || (!rightward && m_ptLast.x <= X(0)))
                return 0;
        }
        return m_nVertexCount < m_nVertexCapacity ? 1 : 0;
    case WM_LBUTTONDBLCLK: return 0;
    case WM_KEYDOWN:
        if (msg.wParam == VK_ESCAPE)
            return 0;
        if (msg.wParam == VK_BACK && !scrolled) {
            DrawRubberBand(last, m_ptLast, nullptr);
            if (m_nVertexCount == 1)
                return 0;
            DrawRubberBand(vertices[m_nVertexCount - 2], last, nullptr);
            --m_nVertexCount;
            DrawRubberBand(vertices[m_nVertexCount - 1], m_ptLast, nullptr);
        }
        return 1;
    default:
        if (!IsInputMessage(msg.message)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        return 1;
    }
}

void CMainGraphView::EndLine()
{
    if (m_pToolBuffer == nullptr)
        return;
    SaveUndo();
    MakeLineCurve(static_cast<POINT*>(m_pToolBuffer), m_nVertexCount);
    g_Blocks.Free(m_pToolBuffer);
    m_pToolBuffer = nullptr;
    m_nVertexCount = 0;
    UpdateTotalLength();
    Redraw(nullptr, nullptr);
    UpdateHScrollBar();
    UpdateSelectionButtons();
}

// --- Freehand tool -----------------------------------------------------------------

int CMainGraphView::BeginFreehand()
{
    SelectAllNodes(m_pCurves, 0);
    if (m_nWidth <= 0)
        return 0;
    m_pToolBuffer = AllocFreehand(m_nFramesPerPixel, m_nWidth);
    if (m_pToolBuffer == nullptr)
        return 0;
    int32_t* rows = static_cast<FreehandData*>(m_pToolBuffer)->Offsets();
    std::fill(rows, rows + m_nWidth, -1);
    m_nDrawDirection = 0;
    m_ptLast = m_ptDown;
    return 1;
}

int CMainGraphView::TrackFreehand()
{
    const CPoint pt = MousePosition();
    if (pt.x < 1 || pt.x >= m_nWidth || pt.y < 1 || pt.y >= m_nHeight)
        return 0;
    const int dx = pt.x - m_ptLast.x;
    if (m_nDrawDirection == 0 && dx != 0)
        m_nDrawDirection = dx > 0 ? 1 : -1;
    if (m_nDrawDirection != 0 && dx * m_nDrawDirection > 0) {
        DrawRubberBand(m_ptLast, pt, nullptr);
        int32_t* rows = static_cast<FreehandData*>(m_pToolBuffer)->Offsets();
        const int x0 = m_ptLast.x;
        const int y0 = m_ptLast.y;
        for (int x = std::min(x0, static_cast<int>(pt.x)); x <= std::max(x0, static_cast<int>(pt.x)); ++x) {
            if (x < 0 || x >= m_nWidth)
                continue;
            const double y = y0 + static_cast<double>(x - x0) * (pt.y - y0) / dx;
            rows[x] = static_cast<int32_t>(std::lround(y));
        }
        m_ptLast = pt;
    }
    return PumpPlain() ? 0 : 1;
}

void CMainGraphView::EndFreehand()
{
    if (m_pToolBuffer == nullptr)
        return;
    SaveUndo();
    auto* data = static_cast<FreehandData*>(m_pToolBuffer);
    m_pToolBuffer = nullptr;
    const int32_t* rows = data->Offsets();
    int s = 0;
    while (s < m_nWidth && rows[s] < 0)
        ++s;
    int n = 0;
    int e = s;
    if (s < m_nWidth - 1) {
        e = s + 1;
        while (e < m_nWidth && rows[e] >= 0)
            ++e;
        n = e - 1 - s;
    }
    if (n >= 1) {
        const int base = RowToCents(rows[s]);
        const int endPitch = RowToCents(rows[e - 1]);
        const int startTime = T(s);
        const int endTime = T(e - 1);
        for (int k = 0; k < n; ++k)
            data->Offsets()[k] = RowToCents(rows[s + 1 + k]) - base;
        data->step = m_nFramesPerPixel;
        data->count = n;
        auto* fitted = static_cast<FreehandData*>(g_Blocks.Resize(data, FreehandData::BytesFor(n)));
        MakeFreehandCurve(fitted != nullptr ? fitted : data, base, endPitch, startTime, endTime);
        UpdateTotalLength();
        Redraw(nullptr, nullptr);
        UpdateSelectionButtons();
    } else {
        g_Blocks.Free(data);
        Redraw(nullptr, nullptr);
    }
}

// --- Select and move ---------------------------------------------------------------

int CMainGraphView::BeginMove()
{
    int kind = 0;
    if (HitTestCurves(m_ptDown.x, m_ptDown.y, m_pCurves, true, &kind) == 0) {
        m_bSelecting = 1;
        return BeginSelect();
    }
    m_bSelecting = 0;
    m_pMoveSaved = CopySelectedSpan(m_pCurves);
    m_pMoveWork = CopySelectedSpan(m_pCurves);
    if (m_pMoveSaved == nullptr || m_pMoveWork == nullptr)
        return 0;
    GetMoveLimits(m_pMoveSaved, &m_nMoveMin, &m_nMoveMax);
    m_nMoveStartFrame = T(m_ptDown.x);
    m_nMoveStartPitch = RowToCents(m_ptDown.y);
    m_ptLast = m_ptDown;
    DrawCurveList(m_pMoveWork, graph::kWhite, graph::kLabelBlue, nullptr);
    return 1;
}

int CMainGraphView::TrackMove()
{
    CPoint pt = MousePosition();
    if (IsKeyDown(VK_CONTROL))
        pt.x = m_ptLast.x;
    const CSize shift = AutoScroll(pt);
    if (shift.cx != 0 || shift.cy != 0) {
        m_ptLast += shift;
        DrawCurveList(m_pMoveWork, graph::kWhite, graph::kLabelBlue, nullptr);
    }
    const int dt = std::clamp(T(pt.x) - m_nMoveStartFrame, m_nMoveMin, std::max(m_nMoveMin, m_nMoveMax));
    const int y = std::clamp(static_cast<int>(pt.y), CentsToRow(kHighestCents), CentsToRow(kLowestCents));
    const int dp = RowToCents(y) - m_nMoveStartPitch;
    if (pt.x != m_ptLast.x || y != m_ptLast.y) {
        DrawCurveList(m_pMoveWork, graph::kWhite, graph::kLabelBlue, nullptr);
        ApplyMove(m_pMoveSaved, m_pMoveWork, dt, dp);
        DrawCurveList(m_pMoveWork, graph::kWhite, graph::kLabelBlue, nullptr);
        m_ptLast = CPoint(pt.x, y);
    }
    return PumpPlain() ? 0 : 1;
}

void CMainGraphView::EndMove()
{
    if (m_pMoveSaved != nullptr && m_pMoveWork != nullptr) {
        SaveUndo();
        RestoreSpan(m_pMoveWork, m_pCurves);
        UpdateTotalLength();
        Redraw(nullptr, nullptr);
        UpdateHScrollBar();
        UpdateSelectionButtons();
    }
    // The freehand runs now belong to the curves; only the span blocks go.
    g_Blocks.Free(m_pMoveSaved);
    g_Blocks.Free(m_pMoveWork);
    m_pMoveSaved = m_pMoveWork = nullptr;
}

int CMainGraphView::BeginSelect()
{
    const int t = T(m_ptDown.x);
    if (!IsKeyDown(VK_SHIFT)) {
        SelectAllNodes(m_pCurves, 0);
        m_nSelAnchor = t;
    } else {
        m_nSelAnchor = ExtendSelectionTo(t);
        CViewDC dc(this, nullptr);
        if (dc) {
            DrawVerticalXor(X(m_nSelAnchor), graph::kWhite, dc.Get());
            DrawVerticalXor(m_ptDown.x, graph::kWhite, dc.Get());
        }
    }
    m_nLastSweepFrame = t;
    m_nSweepColumn = -1;
    return 1;
}

int CMainGraphView::TrackSelect()
{
    const CPoint pt = MousePosition();
    const CSize shift = AutoScroll(pt);
    if (shift.cx != 0 || shift.cy != 0)
        m_nSweepColumn = -1;
    const int frame = T(pt.x);
    if (frame != m_nLastSweepFrame) {
        CViewDC dc(this, nullptr);
        if (dc) {
            if (m_nSweepColumn >= 0)
                DrawVerticalXor(m_nSweepColumn, graph::kMarkerGrey, dc.Get());
            DrawVerticalXor(pt.x, graph::kMarkerGrey, dc.Get());
            m_nSweepColumn = pt.x;
        }
        ToggleTimeRange(frame, m_nLastSweepFrame);
        m_nLastSweepFrame = frame;
    }
    return PumpPlain() ? 0 : 1;
}

void CMainGraphView::EndSelect()
{
    m_bSelecting = 0;
    Redraw(nullptr, nullptr);
    UpdateSelectionButtons();
}

// --- Zoom box ------------------------------------------------------------------------

int CMainGraphView::BeginZoomBox()
{
    m_rcZoom = CRect(m_ptDown, m_ptDown);
    DrawZoomFrame(m_rcZoom, nullptr);
    return 1;
}

int CMainGraphView::TrackZoomBox()
{
    CPoint pt = MousePosition();
    const CSize shift = AutoScroll(pt);
    if (shift.cx != 0 || shift.cy != 0) {
        m_ptDown += shift;
        m_rcZoom = CRect(m_ptDown, m_ptDown);
    }
    const int rightLimit = std::max(m_nWidth, X(m_nTotalFrames));
    pt.x = std::clamp(static_cast<int>(pt.x), X(0), std::max(X(0), rightLimit));
    pt.y = std::clamp(static_cast<int>(pt.y), CentsToRow(kHighestCents), CentsToRow(kLowestCents));
    CRect next(m_ptDown, pt);
    next.NormalizeRect();
    if (next != m_rcZoom) {
        DrawZoomFrame(m_rcZoom, nullptr);
        m_rcZoom = next;
        DrawZoomFrame(m_rcZoom, nullptr);
    }
    return PumpEscapable() ? 0 : 1;
}

void CMainGraphView::EndZoomBox()
{
    DrawZoomFrame(m_rcZoom, nullptr);
    const CRect rc = m_rcZoom;
    if (rc.Width() < 3 || rc.Height() < 3 || m_nWidth <= 0 || m_nHeight <= 0)
        return;
    const int t1 = T(rc.left);
    const int t2 = T(rc.right);
    const int p1 = RowToCents(rc.bottom);
    const int p2 = RowToCents(rc.top);
    m_nTimeCenter = (t1 + t2) / 2;
    m_nPitchCenter = (p1 + p2) / 2;
    m_nFramesPerPixel = std::max(1, (t2 - t1) / m_nWidth);
    if (X(t1) < 0)
        ++m_nFramesPerPixel;
    m_nCentsPerPixel = std::max(2, (p2 - p1) / m_nHeight);
    if (CentsToRow(p2) < 0)
        ++m_nCentsPerPixel;
    ApplyZoomLimits();
    ApplyTimeLimits();
    Redraw(nullptr, nullptr);
    UpdateHScrollBar();
    UpdateVScrollBar();
    if (m_pEnvelope != nullptr && m_pEnvelope->IsTied())
        m_pEnvelope->Redraw(nullptr, nullptr);
}

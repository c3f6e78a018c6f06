// The editing commands of the main view. Each runs only while its button on
// the panel is enabled, so the panel's buttons, the context menu and the
// Delete key all meet the same rules.

#include <algorithm>

#include "graph/BlockTable.h"
#include "graph/MainGraphView.h"

void CMainGraphView::Undo()
{
    if (!IsButtonEnabled(m_hUndo))
        return;
    std::swap(m_pCurves, m_pUndoCurves);
    UpdateTotalLength();
    Redraw(nullptr, nullptr);
    UpdateHScrollBar();
    UpdateSelectionButtons();
}

void CMainGraphView::Copy()
{
    if (!IsButtonEnabled(m_hCopy))
        return;
    int first = -1;
    int last = -1;
    GetSelectionRange(&first, &last);
    FreeCurveList(m_pClipboard);
    m_pClipboard = CopyNodeRange(m_pCurves, first, last);
    EnableButton(m_hPaste, m_pClipboard != nullptr);
}

void CMainGraphView::Cut()
{
    if (!IsButtonEnabled(m_hCut))
        return;
    SaveUndo();
    int first = -1;
    int last = -1;
    GetSelectionRange(&first, &last);
    FreeCurveList(m_pClipboard);
    m_pClipboard = CopyNodeRange(m_pCurves, first, last);
    if (m_pClipboard != nullptr) {
        m_pCurves = DeleteNodeRange(m_pCurves, first, last);
        UpdateTotalLength();
        Redraw(nullptr, nullptr);
        UpdateHScrollBar();
        SelectAllNodes(m_pCurves, 0);
        EnableButton(m_hCopy, false);
        EnableButton(m_hCut, false);
    }
    EnableButton(m_hPaste, m_pClipboard != nullptr);
}

void CMainGraphView::Paste()
{
    if (!IsButtonEnabled(m_hPaste) || m_pClipboard == nullptr)
        return;
    SaveUndo();
    UpdateTotalLength();
    int last = 0;
    int first = 0;
    int highest = 0;
    int lowest = 0;
    GetCurveBounds(m_pClipboard, &last, &first, &highest, &lowest);
    int dt = m_nTimeCenter - (first + last) / 2;
    int dp = m_nPitchCenter - (lowest + highest) / 2;
    if (last + dt > m_nTotalFrames)
        dt = m_nTotalFrames - last;
    if (first + dt < 0)
        dt = -first;
    if (highest + dp > kHighestCents)
        dp = kHighestCents - highest;
    if (lowest + dp < kLowestCents)
        dp = kLowestCents - lowest;

    OffsetCurveList(m_pClipboard, dt, dp);
    SelectAllNodes(m_pCurves, 0);
    if (CurveNode* merged = MergeCurves(m_pClipboard, m_pCurves)) {
        g_Blocks.Free(m_pCurves);
        m_pCurves = merged;
    }
    OffsetCurveList(m_pClipboard, -dt, -dp);

    UpdateTotalLength();
    Redraw(nullptr, nullptr);
    UpdateHScrollBar();
    EnableButton(m_hCopy, true);
    EnableButton(m_hCut, true);
    EnableButton(m_hPaste, true);
    EnableButton(m_hUndo, true);
    EnableButton(m_hSelectAll, true);
}

void CMainGraphView::SelectAll()
{
    if (!IsButtonEnabled(m_hSelectAll))
        return;
    SelectAllNodes(m_pCurves, 1);
    Redraw(nullptr, nullptr);
    if (m_pCurves != nullptr) {
        EnableButton(m_hCopy, true);
        EnableButton(m_hCut, true);
    }
}

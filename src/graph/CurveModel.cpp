// Curve lists as blocks of the block table: copies, undo, the selected
// run, cutting a range out, bounds and offsets, node selection, the total
// length and the pitch/period conversions.

#include <algorithm>
#include <cstring>

#include "engine/PitchUnits.h"
#include "graph/BlockTable.h"
#include "graph/EnvelopeGraphView.h"
#include "graph/GraphIds.h"
#include "graph/MainGraphView.h"
#include "log/Exceptions.h"

int NodeCount(const CurveNode* list)
{
    return g_Blocks.SizeOf(list) / static_cast<int>(sizeof(CurveNode));
}

FreehandData* AllocFreehand(int step, int count)
{
    if (count < 1)
        return nullptr;
    auto* data = static_cast<FreehandData*>(g_Blocks.Alloc(FreehandData::BytesFor(count)));
    if (data != nullptr) {
        data->step = step;
        data->count = count;
    }
    return data;
}

namespace {

// A deep copy of nodes a..b, freehand runs duplicated; null when the
// memory cannot be had (nothing is left behind then).
CurveNode* CopyNodes(const CurveNode* list, int a, int b)
{
    const int n = b - a + 1;
    auto* copy = static_cast<CurveNode*>(g_Blocks.Alloc(n * static_cast<int>(sizeof(CurveNode))));
    if (copy == nullptr)
        return nullptr;
    std::memcpy(copy, list + a, static_cast<size_t>(n) * sizeof(CurveNode));
    for (int i = 0; i < n; ++i) {
        if (copy[i].segment != SEGMENT_FREEHAND || copy[i].freehand == nullptr)
            continue;
        copy[i].freehand = static_cast<FreehandData*>(g_Blocks.Duplicate(copy[i].freehand));
        if (copy[i].freehand == nullptr) {
            for (int j = 0; j < i; ++j)
                if (copy[j].segment == SEGMENT_FREEHAND)
                    g_Blocks.Free(copy[j].freehand);
            g_Blocks.Free(copy);
            return nullptr;
        }
    }
    return copy;
}

} // namespace

void CMainGraphView::FreeCurveList(CurveNode* pList)
{
    const int count = NodeCount(pList);
    for (int i = 0; i < count; ++i)
        if (pList[i].segment == SEGMENT_FREEHAND)
            g_Blocks.Free(pList[i].freehand);
    g_Blocks.Free(pList);
}

CurveNode* CMainGraphView::CopyNodeRange(const CurveNode* pList, int a, int b)
{
    if (pList == nullptr || b <= a || a < 0 || b >= NodeCount(pList))
        return nullptr;
    return CopyNodes(pList, a, b);
}

void CMainGraphView::SaveUndo()
{
    FreeCurveList(m_pUndoCurves);
    const int count = NodeCount(m_pCurves);
    m_pUndoCurves = count > 0 ? CopyNodes(m_pCurves, 0, count - 1) : nullptr;
    EnableButton(m_hUndo, m_pUndoCurves != nullptr);
}

void CMainGraphView::GetSelectionRange(int* pFirst, int* pLast)
{
    const int count = NodeCount(m_pCurves);
    int first = -1;
    for (int i = 0; i < count && first < 0; ++i)
        if (m_pCurves[i].selected != 0 && m_pCurves[i].segment != SEGMENT_END)
            first = i;
    int last = -1;
    if (first >= 0) {
        last = count - 1;
        for (int i = first + 1; i < count; ++i) {
            if (m_pCurves[i].selected == 0) {
                last = i - 1;
                break;
            }
        }
        if (last > 0 && m_pCurves[last - 1].segment == SEGMENT_END)
            --last;
    }
    *pFirst = first;
    *pLast = last;
}

CurveNode* CMainGraphView::DeleteNodeRange(CurveNode* pList, int a, int b)
{
    const int count = NodeCount(pList);
    if (count == 0 || a < 0 || b >= count || b < a)
        return pList;
    if (b < count - 1 && pList[b].segment == SEGMENT_END)
        ++b;
    if (a > 0 && pList[a - 1].segment == SEGMENT_END)
        --a;
    int remaining = count - (b - a - 1);
    if (a == 0)
        --remaining;
    if (b == count - 1)
        --remaining;
    if (remaining <= 0) {
        FreeCurveList(pList);
        return nullptr;
    }

    for (int i = a; i < b; ++i) {
        if (pList[i].segment == SEGMENT_FREEHAND) {
            g_Blocks.Free(pList[i].freehand);
            pList[i].freehand = nullptr;
        }
    }
    const size_t tail = static_cast<size_t>(count - b) * sizeof(CurveNode);
    if (a == 0) {
        std::memmove(pList, pList + b, tail);
    } else {
        pList[a].segment = SEGMENT_END;
        pList[a].freehand = nullptr;
        std::memmove(pList + a + 1, pList + b, tail);
    }
    // A lone node after the last curve is no curve.
    if (remaining >= 2 && pList[remaining - 2].segment == SEGMENT_END)
        --remaining;
    auto* resized = static_cast<CurveNode*>(g_Blocks.Resize(pList, remaining * static_cast<int>(sizeof(CurveNode))));
    return resized != nullptr ? resized : pList;
}

void CMainGraphView::FindSelectedSpan(const CurveNode* pList, int nCount, int* pFirst, int* pLast)
{
    int first = 0;
    for (int i = 0; i < nCount; ++i) {
        if (pList[i].selected != 0) {
            first = i > 0 ? i - 1 : 0;
            break;
        }
    }
    int last = nCount - 1;
    for (int i = first + 1; i < nCount; ++i) {
        if (pList[i].selected == 0) {
            last = i;
            break;
        }
    }
    *pFirst = first;
    *pLast = last;
}

CurveNode* CMainGraphView::CopySelectedSpan(const CurveNode* pList)
{
    const int count = NodeCount(pList);
    if (count == 0)
        return nullptr;
    int first = 0;
    int last = 0;
    FindSelectedSpan(pList, count, &first, &last);
    const int n = last - first + 1;
    auto* span = static_cast<CurveNode*>(g_Blocks.Alloc(n * static_cast<int>(sizeof(CurveNode))));
    if (span != nullptr)
        std::memcpy(span, pList + first, static_cast<size_t>(n) * sizeof(CurveNode));
    return span;
}

void CMainGraphView::RestoreSpan(const CurveNode* pSpan, CurveNode* pList)
{
    const int count = NodeCount(pList);
    if (count == 0 || pSpan == nullptr)
        return;
    int first = 0;
    int last = 0;
    FindSelectedSpan(pList, count, &first, &last);
    const int n = std::min(last - first + 1, NodeCount(pSpan));
    for (int i = 0; i < n; ++i) {
        CurveNode& node = pList[first + i];
        if (node.segment == SEGMENT_FREEHAND && node.freehand != pSpan[i].freehand)
            g_Blocks.Free(node.freehand);
        node = pSpan[i];
    }
}

void CMainGraphView::GetMoveLimits(const CurveNode* pSpan, int* pMinOffset, int* pMaxOffset)
{
    const int n = NodeCount(pSpan);
    if (n == 0) {
        *pMinOffset = *pMaxOffset = 0;
        return;
    }
    if (n > 1 && pSpan[0].selected == 0)
        *pMinOffset = pSpan[0].time - pSpan[1].time + 1;
    else
        *pMinOffset = -pSpan[0].time;
    if (n > 1 && pSpan[n - 1].selected == 0)
        *pMaxOffset = pSpan[n - 1].time - pSpan[n - 2].time - 1;
    else
        *pMaxOffset = std::max(m_nTotalFrames, T(m_nWidth)) - pSpan[n - 1].time;
}

void CMainGraphView::GetCurveBounds(const CurveNode* pList, int* pLastTime, int* pFirstTime, int* pHighest,
                                    int* pLowest)
{
    const int count = NodeCount(pList);
    int highest = kLowestCents;
    int lowest = kHighestCents;
    for (int i = 0; i < count; ++i) {
        highest = std::max(highest, static_cast<int>(pList[i].pitch));
        lowest = std::min(lowest, static_cast<int>(pList[i].pitch));
    }
    *pLastTime = count > 0 ? pList[count - 1].time : 0;
    *pFirstTime = count > 0 ? pList[0].time : 0;
    *pHighest = highest;
    *pLowest = lowest;
}

void CMainGraphView::OffsetCurveList(CurveNode* pList, int dt, int dp)
{
    const int count = NodeCount(pList);
    for (int i = 0; i < count; ++i) {
        pList[i].time += dt;
        pList[i].pitch += dp;
    }
}

// --- Selection -------------------------------------------------------------------

void CMainGraphView::SetNodeSelected(CurveNode* pNode, int flag)
{
    if (pNode->selected == flag)
        return;
    pNode->selected = flag;
    DrawNodeMarker(pNode, nullptr);
}

void CMainGraphView::SelectAllNodes(CurveNode* pList, int flag)
{
    const int count = NodeCount(pList);
    for (int i = 0; i < count; ++i)
        SetNodeSelected(&pList[i], flag);
}

void CMainGraphView::SelectTimeRange(int t1, int t2, int flag)
{
    if (t1 > t2)
        std::swap(t1, t2);
    const int count = NodeCount(m_pCurves);
    for (int i = 0; i < count && m_pCurves[i].time <= t2; ++i)
        if (m_pCurves[i].time >= t1)
            SetNodeSelected(&m_pCurves[i], flag);
}

void CMainGraphView::ToggleTimeRange(int t1, int t2)
{
    if (t1 > t2)
        std::swap(t1, t2);
    const int count = NodeCount(m_pCurves);
    for (int i = 0; i < count; ++i)
        if (m_pCurves[i].time > t1 && m_pCurves[i].time <= t2)
            SetNodeSelected(&m_pCurves[i], m_pCurves[i].selected != 0 ? 0 : 1);
}

int CMainGraphView::ExtendSelectionTo(int t)
{
    const int count = NodeCount(m_pCurves);
    int f = -1;
    int l = -1;
    for (int i = 0; i < count; ++i) {
        if (m_pCurves[i].selected != 0) {
            if (f < 0)
                f = i;
            l = i;
        }
    }
    if (f < 0)
        return t;
    const int margin = X(2) - X(0);
    const int tf = m_pCurves[f].time;
    const int tl = m_pCurves[l].time;
    if (t > tl) {
        SelectTimeRange(tf, t, 1);
        return tf - margin;
    }
    if (t < tf) {
        SelectTimeRange(tl, t, 1);
        return tl + margin;
    }
    if (std::abs(tl - t) < std::abs(tf - t)) {
        SelectTimeRange(tl, t, 0);
        SelectTimeRange(tf, t, 1);
        return tf - margin;
    }
    SelectTimeRange(tf, t, 0);
    SelectTimeRange(tl, t, 1);
    return tl + margin;
}

// --- Lengths and units -------------------------------------------------------------

void CMainGraphView::UpdateTotalLength()
{
    const int count = NodeCount(m_pCurves);
    int total = count > 0 ? m_pCurves[count - 1].time : 0;
    total = std::max({total, m_nTrackedFrames, 1});
    if (total != m_nTotalFrames)
        m_bRescalePending = true;
    m_nTotalFrames = total;
    if (m_pEnvelope != nullptr)
        m_pEnvelope->m_nTotalFrames = total;
}

float CMainGraphView::CentsToPeriod(double cents)
{
    return ::CentsToPeriod(cents, m_fFrameRate);
}

int CMainGraphView::PeriodToCents(float period)
{
    return ::PeriodToCents(period, m_fFrameRate);
}

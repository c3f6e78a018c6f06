// Moving the selected run of a curve and refitting the freehand runs at its
// fixed ends, and finding what lies under the pointer.

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "graph/BlockTable.h"
#include "graph/MainGraphView.h"
#include "platform/Messages.h"

FreehandData* CMainGraphView::ResampleFreehand(FreehandData* pData, int nSpan, int nEnd)
{
    if (nSpan == 0 && nEnd == 0)
        return pData;
    if (pData == nullptr) {
        AfxMessageBox("Error making curve object.  SourceCurve NULL!!");
        return nullptr;
    }
    const int step = T(1) - T(0);
    const int n = std::max(1, step > 0 ? nSpan / step : 1);
    FreehandData* fitted = AllocFreehand(step, n);
    if (fitted == nullptr)
        return pData;
    const int oldCount = pData->count;
    const int32_t* old = pData->Offsets();
    int32_t* offsets = fitted->Offsets();
    const double ratio = static_cast<double>(oldCount) / n;
    const double ramp = static_cast<double>(nEnd - old[oldCount - 1]) / n;
    for (int k = 0; k <= n - 2; ++k) {
        const double pos = (k + 1) * ratio;
        const int i = static_cast<int>(pos);
        const double a = i == 0 ? 0.0 : old[i - 1];
        const double b = old[std::min(i, oldCount - 1)];
        offsets[k] = static_cast<int32_t>(std::lround((i + 1 - pos) * a + (pos - i) * b + k * ramp));
    }
    offsets[n - 1] = nEnd;
    return fitted;
}

void CMainGraphView::ApplyMove(const CurveNode* pSaved, CurveNode* pWorking, int dt, int dp)
{
    const int n = NodeCount(pWorking);
    if (n == 0 || NodeCount(pSaved) < n)
        return;
    // Refits made by the previous step go; the saved originals stay.
    if (pWorking[0].segment == SEGMENT_FREEHAND && pWorking[0].freehand != pSaved[0].freehand)
        g_Blocks.Free(pWorking[0].freehand);
    if (n >= 2 && pWorking[n - 2].segment == SEGMENT_FREEHAND && pWorking[n - 2].freehand != pSaved[n - 2].freehand &&
        n - 2 != 0)
        g_Blocks.Free(pWorking[n - 2].freehand);

    for (int i = 0; i < n; ++i) {
        pWorking[i] = pSaved[i];
        if (pWorking[i].selected != 0) {
            pWorking[i].time += dt;
            pWorking[i].pitch += dp;
        }
    }
    auto refit = [&](int i) {
        CurveNode& from = pWorking[i];
        const CurveNode& to = pWorking[i + 1];
        from.freehand = ResampleFreehand(from.freehand, to.time - from.time, to.pitch - from.pitch);
    };
    if (n == 2) {
        if (pWorking[0].segment == SEGMENT_FREEHAND)
            refit(0);
    } else if (n > 2) {
        if (pWorking[0].segment == SEGMENT_FREEHAND && pWorking[0].selected == 0)
            refit(0);
        if (pWorking[n - 2].segment == SEGMENT_FREEHAND && pWorking[n - 1].selected == 0)
            refit(n - 2);
    }
}

bool CMainGraphView::IsNearSegment(int dx, int dy, int px, int py)
{
    const int64_t m = std::max({std::abs(dx), std::abs(dy), std::abs(px), std::abs(py)});
    const int64_t cross = static_cast<int64_t>(dx) * py - static_cast<int64_t>(px) * dy;
    return std::llabs(cross) < 3 * m;
}

int CMainGraphView::HitTestCurves(int x, int y, CurveNode* pList, bool bSelect, int* pKind)
{
    *pKind = 0;
    const int count = NodeCount(pList);
    if (count == 0)
        return 0;
    const int left = T(0);
    const int right = T(m_nWidth);
    int first = 0;
    while (first < count && pList[first].time <= left)
        ++first;
    first = std::max(0, first - 1);
    int last = 0;
    while (last < count && pList[last].time <= right)
        ++last;
    last = std::min(last + 1, count - 1);

    for (int i = first; i <= last; ++i) {
        if (std::abs(X(pList[i].time) - x) < 3 && std::abs(CentsToRow(pList[i].pitch) - y) < 3) {
            if (pList[i].selected == 0 && bSelect) {
                SelectAllNodes(pList, 0);
                SetNodeSelected(&pList[i], 1);
            }
            *pKind = 1;
            return 1;
        }
    }

    for (int i = first; i < last; ++i) {
        const CurveNode& a = pList[i];
        const CurveNode& b = pList[i + 1];
        const int x0 = X(a.time);
        const int x1 = X(b.time);
        if (x < x0 || x > x1 || a.segment == SEGMENT_END)
            continue;
        bool hit = false;
        if (a.segment == SEGMENT_LINE) {
            const int y0 = CentsToRow(a.pitch);
            hit = IsNearSegment(x1 - x0, CentsToRow(b.pitch) - y0, x - x0, y - y0);
        } else if (a.segment == SEGMENT_FREEHAND && a.freehand != nullptr) {
            int t = a.time;
            int rowFrom = CentsToRow(a.pitch);
            for (int k = 0; k < a.freehand->count && !hit; ++k) {
                const int tNext = t + a.freehand->step;
                const int rowTo = CentsToRow(a.pitch + a.freehand->Offsets()[k]);
                if (x >= X(t) && x <= X(tNext))
                    hit = y > std::min(rowFrom, rowTo) - 3 && y < std::max(rowFrom, rowTo) + 3;
                t = tNext;
                rowFrom = rowTo;
            }
        }
        if (hit) {
            if (bSelect && (a.selected == 0 || b.selected == 0)) {
                SelectAllNodes(pList, 0);
                SetNodeSelected(&pList[i], 1);
                SetNodeSelected(&pList[i + 1], 1);
            }
            *pKind = 2;
            return 1;
        }
    }
    return 0;
}

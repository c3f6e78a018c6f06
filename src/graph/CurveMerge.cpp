// Putting a new curve list into the existing one: whatever the existing
// curves did over the new list's time range is replaced, a line cut before
// it ends on its own pitch at that time, and a freehand run cut before or
// after it is shortened to whole steps (the part after re-based to start
// one frame after the new curve). The line and freehand tools and Paste
// all come through here.

#include <cmath>
#include <cstring>
#include <vector>

#include "graph/BlockTable.h"
#include "graph/MainGraphView.h"
#include "platform/Messages.h"

namespace {

constexpr char kCannotDraw[] = "Cannot draw curve!";

// The pitch of the line from a to b at time t, rounded (halves away from zero).
int32_t LinePitchAt(const CurveNode& a, const CurveNode& b, int t)
{
    if (b.time == a.time)
        return a.pitch;
    const double p = a.pitch + static_cast<double>(t - a.time) * (b.pitch - a.pitch) / (b.time - a.time);
    return static_cast<int32_t>(std::lround(p));
}

// Sub-points of a freehand run of `step` that fit in `distance` frames, to
// the nearest whole step and at most `count`; a run shorter than one step
// keeps one sub-point stretched over the whole distance.
int KeptSteps(int distance, int* step, int count)
{
    int kept = *step > 0 ? (distance + *step / 2) / *step : 0;
    if (kept > count)
        kept = count;
    if (kept < 1) {
        kept = 1;
        *step = distance;
    }
    return kept;
}

} // namespace

CurveNode* CMainGraphView::MergeCurves(const CurveNode* pNew, CurveNode* pExisting)
{
    const int nNew = NodeCount(pNew);
    const int nOld = NodeCount(pExisting);
    if (nNew == 0)
        return nullptr;
    const int margin = X(2) - X(0);
    auto* result = static_cast<CurveNode*>(g_Blocks.Alloc((nNew + nOld + 3) * static_cast<int>(sizeof(CurveNode))));
    if (result == nullptr)
        return nullptr;
    int out = 0;

    // Blocks of the existing list nobody has taken yet; what is left at the
    // end is no longer referenced and goes.
    std::vector<FreehandData*> unclaimed(static_cast<size_t>(nOld), nullptr);
    for (int i = 0; i < nOld; ++i)
        if (pExisting[i].segment == SEGMENT_FREEHAND)
            unclaimed[static_cast<size_t>(i)] = pExisting[i].freehand;

    // 2. The existing curves before the new list, cut where it begins.
    int shift = 0;
    int j = 0;
    while (j < nOld && pExisting[j].time < pNew[0].time - margin) {
        result[out++] = pExisting[j];
        unclaimed[static_cast<size_t>(j)] = nullptr;
        ++j;
    }
    if (j > 0) {
        CurveNode& node = result[out - 1];
        const int32_t nextSelected = j < nOld ? pExisting[j].selected : node.selected;
        if (node.segment == SEGMENT_LINE && j < nOld) {
            const int t = pNew[0].time - 1;
            result[out++] = CurveNode{t, LinePitchAt(pExisting[j - 1], pExisting[j], t), nextSelected, SEGMENT_END,
                                      nullptr};
        } else if (node.segment == SEGMENT_FREEHAND && node.freehand != nullptr) {
            // The copy keeps its original for the part after the new list.
            unclaimed[static_cast<size_t>(j - 1)] = node.freehand;
            auto* head = static_cast<FreehandData*>(g_Blocks.Duplicate(node.freehand));
            if (head == nullptr) {
                AfxMessageBox(kCannotDraw);
                node.segment = SEGMENT_END;
                node.freehand = nullptr;
            } else {
                int step = head->step;
                const int kept = KeptSteps(pNew[0].time - node.time, &step, head->count);
                const int32_t endPitch = node.pitch + head->Offsets()[kept - 1];
                head->step = step;
                head->count = kept;
                auto* fitted = static_cast<FreehandData*>(g_Blocks.Resize(head, FreehandData::BytesFor(kept)));
                node.freehand = fitted != nullptr ? fitted : head;
                const int endTime = node.time + step * kept;
                result[out++] = CurveNode{endTime, endPitch, nextSelected, SEGMENT_END, nullptr};
                shift = endTime + 1 - pNew[0].time;
            }
        } else if (node.segment != SEGMENT_END) {
            // A list that ended without closing its last curve.
            node.segment = SEGMENT_END;
            node.freehand = nullptr;
        }
    }

    // 3. The new list.
    for (int i = 0; i < nNew; ++i) {
        CurveNode node = pNew[i];
        node.time += shift;
        if (node.segment == SEGMENT_FREEHAND && node.freehand != nullptr) {
            node.freehand = static_cast<FreehandData*>(g_Blocks.Duplicate(node.freehand));
            if (node.freehand == nullptr) {
                AfxMessageBox(kCannotDraw);
                node.segment = SEGMENT_LINE;
            }
        }
        result[out++] = node;
    }

    // 4. The existing curves after it, resumed one frame later.
    const int lastNew = result[out - 1].time;
    while (j < nOld && pExisting[j].time <= lastNew + margin)
        ++j;
    int tail = 0;
    if (j < nOld && j > 0) {
        const CurveNode& prev = pExisting[j - 1];
        const int t = lastNew + 1;
        if (prev.segment == SEGMENT_LINE) {
            result[out++] = CurveNode{t, LinePitchAt(prev, pExisting[j], t), prev.selected, SEGMENT_LINE, nullptr};
        } else if (prev.segment == SEGMENT_FREEHAND && prev.freehand != nullptr) {
            FreehandData* data = prev.freehand;
            unclaimed[static_cast<size_t>(j - 1)] = nullptr;
            int step = data->step;
            const int kept = KeptSteps(pExisting[j].time - t, &step, data->count);
            const int dropped = data->count - kept;
            const int32_t pitch = prev.pitch + (dropped > 0 ? data->Offsets()[dropped - 1] : 0);
            int32_t* offsets = data->Offsets();
            for (int k = 0; k < kept; ++k)
                offsets[k] = prev.pitch + offsets[dropped + k] - pitch;
            data->step = step;
            data->count = kept;
            auto* fitted = static_cast<FreehandData*>(g_Blocks.Resize(data, FreehandData::BytesFor(kept)));
            result[out++] = CurveNode{t, pitch, prev.selected, SEGMENT_FREEHAND, fitted != nullptr ? fitted : data};
            tail = t + step * kept - pExisting[j].time;
        }
    }
    for (; j < nOld; ++j) {
        CurveNode node = pExisting[j];
        node.time += tail;
        unclaimed[static_cast<size_t>(j)] = nullptr;
        result[out++] = node;
    }

    // 5. Blocks of the existing list the result does not reference.
    for (FreehandData* block : unclaimed)
        g_Blocks.Free(block);

    auto* fitted = static_cast<CurveNode*>(g_Blocks.Resize(result, out * static_cast<int>(sizeof(CurveNode))));
    return fitted != nullptr ? fitted : result;
}

void CMainGraphView::MakeLineCurve(const POINT* pPoints, int nCount)
{
    if (nCount < 2)
        return;
    std::vector<int> times(static_cast<size_t>(nCount));
    std::vector<int> pitches(static_cast<size_t>(nCount));
    const bool leftward = pPoints[1].x < pPoints[0].x;
    for (int i = 0; i < nCount; ++i) {
        const POINT& p = pPoints[leftward ? nCount - 1 - i : i];
        times[static_cast<size_t>(i)] = T(p.x);
        pitches[static_cast<size_t>(i)] = RowToCents(p.y);
    }
    MakeLineCurveAt(times.data(), pitches.data(), nCount);
}

void CMainGraphView::MakeLineCurveAt(const int* pTimes, const int* pPitches, int nCount)
{
    if (nCount < 2)
        return;
    auto* list = static_cast<CurveNode*>(g_Blocks.Alloc(nCount * static_cast<int>(sizeof(CurveNode))));
    if (list == nullptr)
        return;
    for (int i = 0; i < nCount; ++i)
        list[i] = CurveNode{pTimes[i], pPitches[i], 1, SEGMENT_LINE, nullptr};
    list[nCount - 1].segment = SEGMENT_END;
    if (CurveNode* merged = MergeCurves(list, m_pCurves)) {
        g_Blocks.Free(m_pCurves);
        m_pCurves = merged;
    }
    FreeCurveList(list);
}

void CMainGraphView::MakeFreehandCurve(FreehandData* pData, int nStartPitch, int nEndPitch, int nStartTime,
                                       int nEndTime)
{
    auto* list = static_cast<CurveNode*>(g_Blocks.Alloc(2 * static_cast<int>(sizeof(CurveNode))));
    if (list == nullptr) {
        g_Blocks.Free(pData);
        return;
    }
    list[0] = CurveNode{nStartTime, nStartPitch, 1, SEGMENT_FREEHAND, pData};
    list[1] = CurveNode{nEndTime, nEndPitch, 1, SEGMENT_END, nullptr};
    if (CurveNode* merged = MergeCurves(list, m_pCurves)) {
        g_Blocks.Free(m_pCurves);
        m_pCurves = merged;
    }
    FreeCurveList(list);
}

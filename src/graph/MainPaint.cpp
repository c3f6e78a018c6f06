// Painting the main view: note lines and labels, the title, the tracked
// pitch in red and the curves in XOR, with a marker on every selected node;
// and the cursor readout that names the note under the pointer.

#include <algorithm>
#include <bit>
#include <cstdio>
#include <string>

#include "graph/BlockTable.h"
#include "graph/GraphIds.h"
#include "graph/MainGraphView.h"
#include "graph/NoteTable.h"
#include "settings/ParameterIds.h"
#include "settings/ParameterStore.h"

namespace {

struct Tuning
{
    int nScale = 2;
    int nKey = 0;
    int nDetuneCents = 0;
};

Tuning CurrentTuning(CParameterStore* store)
{
    Tuning t;
    if (store == nullptr)
        return t;
    int detune = 100;
    store->GetParameter(PARAM_SCALE, &t.nScale);
    store->GetParameter(PARAM_KEY, &t.nKey);
    store->GetParameter(PARAM_DETUNE, &detune);
    t.nDetuneCents = detune - 100;
    return t;
}

std::string NoteLabel(CScaleSet& scales, const Tuning& t, int note, int octave)
{
    std::string name = scales.GetNoteName(static_cast<short>(t.nKey), static_cast<short>(t.nScale),
                                          static_cast<short>(note));
    if (!name.empty())
        name += std::to_string(octave);
    return name;
}

// Pixels of one curve gathered before they reach the screen.
struct MaskExtent
{
    int nLeft = INT32_MAX;
    int nTop = INT32_MAX;
    int nRight = INT32_MIN;
    int nBottom = INT32_MIN;
    void Add(int x, int y)
    {
        nLeft = std::min(nLeft, x);
        nRight = std::max(nRight, x);
        nTop = std::min(nTop, y);
        nBottom = std::max(nBottom, y);
    }
};

} // namespace

void CMainGraphView::Redraw(const RECT* pRect, CDC* pDC)
{
    m_nVisibleStart = T(0);
    m_nVisibleEnd = T(m_nWidth);
    CGraphView::Redraw(pRect, pDC);
}

void CMainGraphView::PaintGrid(CDC* pDC)
{
    DrawTimeRuler(true, false, pDC);
    DrawNoteLines(true, false, pDC);
}

void CMainGraphView::PaintLabels(CDC* pDC)
{
    DrawTimeRuler(false, true, pDC);
    DrawNoteLines(false, true, pDC);
    DrawTitle(pDC);
}

void CMainGraphView::PaintContent(CDC* pDC)
{
    CGraphView::PaintContent(pDC);
    DrawTrackedPitch(pDC);
    DrawCurveList(m_pCurves, graph::kWhite, graph::kWhite, pDC);
    DrawSelection(pDC);
}

void CMainGraphView::DrawTitle(CDC* pDC)
{
    if (m_pController == nullptr)
        return;
    const Tuning t = CurrentTuning(m_pController);
    CScaleSet& scales = m_pController->GetScaleSet();
    char title[128];
    std::snprintf(title, sizeof title, "%s  %s  Detune: %d", scales.GetScaleNameText(static_cast<short>(t.nScale)),
                  CScaleSet::GetKeyName(t.nKey), t.nDetuneCents);
    CFont* oldFont = pDC->SelectObject(LabelFont());
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    const COLORREF oldColor = pDC->SetTextColor(graph::kBlack);
    const int oldRop = pDC->SetROP2(R2_COPYPEN);
    pDC->TextOut(50, 7, title);
    pDC->SetROP2(oldRop);
    pDC->SetTextColor(oldColor);
    pDC->SetBkMode(oldMode);
    pDC->SelectObject(oldFont);
}

void CMainGraphView::DrawNoteLines(bool bLines, bool bLabels, CDC* pDC)
{
    if (m_pController == nullptr)
        return;
    const Tuning tuning = CurrentTuning(m_pController);
    CScaleSet& scales = m_pController->GetScaleSet();
    const graph::NoteTable table = graph::BuildNoteTable(scales, tuning.nScale, tuning.nKey, tuning.nDetuneCents);
    const int n = table.Count();
    if (n == 0)
        return;

    CPen pen(PS_SOLID, 1, graph::kLightGrey);
    CPen* oldPen = pDC->SelectObject(&pen);
    const int oldRop = pDC->SetROP2(R2_COPYPEN);
    CFont* oldFont = pDC->SelectObject(LabelFont());
    const COLORREF oldColor = pDC->SetTextColor(graph::kLabelBlue);
    const int oldMode = pDC->SetBkMode(TRANSPARENT);

    int p = RowToCents(m_nHeight);
    int octave = graph::FoldOctave(table, &p);
    int m = 0;
    while (m < n && table.cents[static_cast<size_t>(table.NoteAt(m))] < p)
        ++m;
    if (m == n) {
        m = 0;
        ++octave;
    }
    const int top = RowToCents(0);
    // Enough for the whole pitch range of the finest scale at any zoom.
    for (int guard = 0; guard < 100000; ++guard) {
        const int note = table.NoteAt(m);
        const int cents = table.cents[static_cast<size_t>(note)] + (octave - 3) * 1200;
        if (cents > top)
            break;
        const int y = CentsToRow(cents);
        if (bLines) {
            pDC->MoveTo(0, y);
            pDC->LineTo(m_nWidth, y);
        }
        if (bLabels && y < m_nHeight - graph::kRulerTextRise) {
            const std::string label = NoteLabel(scales, tuning, note, octave);
            if (!label.empty())
                pDC->TextOut(2, y - 6, label);
        }
        if (++m == n) {
            m = 0;
            ++octave;
        }
    }

    pDC->SetBkMode(oldMode);
    pDC->SetTextColor(oldColor);
    pDC->SelectObject(oldFont);
    pDC->SetROP2(oldRop);
    pDC->SelectObject(oldPen);
}

void CMainGraphView::RebuildNoteTable()
{
    const Tuning t = CurrentTuning(m_pController);
    if (m_pController == nullptr)
        return;
    const graph::NoteTable table =
        graph::BuildNoteTable(m_pController->GetScaleSet(), t.nScale, t.nKey, t.nDetuneCents);
    m_ReadoutNotes = table.cents;
    m_nReadoutLowest = table.nLowest;
    m_nReadoutScale = t.nScale;
    m_nReadoutKey = t.nKey;
    m_nReadoutDetune = t.nDetuneCents;
}

void CMainGraphView::ShowNoteReadout(int nRow)
{
    m_nReadoutRow = nRow;
    if (m_pController == nullptr)
        return;
    const Tuning t = CurrentTuning(m_pController);
    if (t.nScale != m_nReadoutScale || t.nKey != m_nReadoutKey || t.nDetuneCents != m_nReadoutDetune)
        RebuildNoteTable();
    graph::NoteTable table;
    table.cents = m_ReadoutNotes;
    table.nLowest = m_nReadoutLowest;
    const graph::NoteReading reading = graph::ReadNote(table, RowToCents(nRow));
    if (reading.nNote < 0) {
        ShowReadouts("", "");
        return;
    }
    const std::string name = NoteLabel(m_pController->GetScaleSet(), t, reading.nNote, reading.nOctave);
    char deviation[24];
    std::snprintf(deviation, sizeof deviation, "%s%d", reading.nDeviation > 0 ? "+" : "-",
                  std::abs(reading.nDeviation));
    ShowReadouts(name.c_str(), deviation);
}

void CMainGraphView::DrawTrackedPitch(CDC* pDC)
{
    const TrackRecord* records = TrackBuffer();
    const int frames = std::min(m_nTrackedFrames, m_nBufferFrames);
    if (records == nullptr || frames <= 0)
        return;
    CPen pen(PS_SOLID, 1, graph::kTrackRed);
    CPen* oldPen = pDC->SelectObject(&pen);
    const int oldRop = pDC->SetROP2(R2_COPYPEN);
    const int d = m_nFramesPerPixel;
    for (int x = 0; x < m_nWidth; ++x) {
        const int first = std::max(0, T(x));
        const int end = std::min(frames, T(x) + d);
        int lo = 0;
        int hi = 0;
        bool voiced = false;
        for (int f = first; f < end; ++f) {
            const int32_t low = std::bit_cast<int32_t>(records[f].fMaxPeriod);
            if (low == kUnvoicedMark)
                continue;
            const int32_t high = std::bit_cast<int32_t>(records[f].fMinPeriod);
            lo = voiced ? std::min(lo, low) : low;
            hi = voiced ? std::max(hi, high) : high;
            voiced = true;
        }
        if (!voiced)
            continue;
        // Both ends belong to the span, so a steady frame shows as a dot.
        const int yLow = CentsToRow(lo);
        const int yHigh = CentsToRow(hi);
        pDC->MoveTo(x, std::max(yLow, yHigh));
        pDC->LineTo(x, std::min(yLow, yHigh) - 1);
    }
    pDC->SetROP2(oldRop);
    pDC->SelectObject(oldPen);
}

void CMainGraphView::DrawNodeMarker(const CurveNode* pNode, CDC* pDC)
{
    if (pNode->time < m_nVisibleStart || pNode->time > m_nVisibleEnd)
        return;
    CViewDC dc(this, pDC);
    if (!dc)
        return;
    const int x = X(pNode->time);
    const int y = CentsToRow(pNode->pitch);
    const CRect marker(x - 2, y - 2, x + 3, y + 3);
    dc->InvertRect(&marker);
}

// Curves are drawn into a mask first and the mask is then XORed onto the
// view, so every pixel of a curve flips exactly once wherever segments meet
// or a zoomed-out freehand run folds back on itself, and drawing the same
// list again takes it off.
void CMainGraphView::DrawCurveList(const CurveNode* pList, COLORREF color, COLORREF selectedColor, CDC* pDC)
{
    const int count = NodeCount(pList);
    if (count == 0 || m_nWidth <= 0 || m_nHeight <= 0)
        return;
    CViewDC dc(this, pDC);
    if (!dc)
        return;
    if (m_MaskDC.m_hDC == nullptr) {
        m_MaskDC.CreateCompatibleDC(dc.Get());
    }
    BITMAP info{};
    if (m_MaskBitmap.m_hObject == nullptr || !m_MaskBitmap.GetBitmap(&info) || info.bmWidth != m_nWidth ||
        info.bmHeight != m_nHeight) {
        if (m_hOldMaskBitmap != nullptr)
            ::SelectObject(m_MaskDC.m_hDC, m_hOldMaskBitmap);
        m_MaskBitmap.DeleteObject();
        m_MaskBitmap.CreateCompatibleBitmap(dc.Get(), m_nWidth, m_nHeight);
        m_hOldMaskBitmap = ::SelectObject(m_MaskDC.m_hDC, m_MaskBitmap.m_hObject);
        m_MaskDC.PatBlt(0, 0, m_nWidth, m_nHeight, BLACKNESS);
    }

    CPen plain(PS_SOLID, 1, color);
    CPen selected(PS_SOLID, 1, selectedColor);
    CPen* oldPen = m_MaskDC.SelectObject(&plain);
    MaskExtent extent;
    const int left = T(0);
    const int right = T(m_nWidth);

    auto line = [&](int x0, int y0, int x1, int y1) {
        m_MaskDC.MoveTo(x0, y0);
        m_MaskDC.LineTo(x1, y1);
        extent.Add(x0, y0);
        extent.Add(x1, y1);
    };
    for (int i = 0; i + 1 < count && pList[i].time <= right; ++i) {
        const CurveNode& a = pList[i];
        const CurveNode& b = pList[i + 1];
        if (a.segment == SEGMENT_END || b.time <= left)
            continue;
        const bool both = a.selected != 0 && b.selected != 0;
        const COLORREF ink = both ? selectedColor : color;
        m_MaskDC.SelectObject(both ? &selected : &plain);
        const int x0 = X(a.time);
        const int y0 = CentsToRow(a.pitch);
        if (a.segment == SEGMENT_LINE) {
            const int x1 = X(b.time);
            const int y1 = CentsToRow(b.pitch);
            line(x0, y0, x1, y1);
            if (b.segment != SEGMENT_END && i + 2 < count)
                m_MaskDC.SetPixel(x1, y1, ink);
        } else if (a.segment == SEGMENT_FREEHAND && a.freehand != nullptr && a.freehand->count > 0) {
            const FreehandData& data = *a.freehand;
            const int32_t* offsets = data.Offsets();
            int col = X(a.time + data.step);
            int row = CentsToRow(a.pitch + offsets[0]);
            line(x0, y0, col, row);
            int lo = row;
            int hi = row;
            auto flush = [&]() {
                m_MaskDC.MoveTo(col, lo);
                m_MaskDC.LineTo(col, hi + 1);
                extent.Add(col, lo);
                extent.Add(col, hi);
            };
            for (int k = 1; k < data.count; ++k) {
                const int x = X(a.time + (k + 1) * data.step);
                const int y = CentsToRow(a.pitch + offsets[k]);
                if (x == col) {
                    lo = std::min(lo, y);
                    hi = std::max(hi, y);
                } else if (x == col + 1) {
                    const int mid = (row + y) / 2;
                    lo = std::min(lo, mid);
                    hi = std::max(hi, mid);
                    flush();
                    col = x;
                    lo = std::min(mid, y);
                    hi = std::max(mid, y);
                } else {
                    flush();
                    line(col, row, x, y);
                    col = x;
                    lo = hi = y;
                }
                row = y;
            }
            flush();
        }
    }
    m_MaskDC.SelectObject(oldPen);

    if (extent.nLeft <= extent.nRight) {
        const CRect dirty(std::max(0, extent.nLeft - 1), std::max(0, extent.nTop - 1),
                          std::min(m_nWidth, extent.nRight + 2), std::min(m_nHeight, extent.nBottom + 2));
        if (!dirty.IsRectEmpty()) {
            dc->BitBlt(dirty.left, dirty.top, dirty.Width(), dirty.Height(), &m_MaskDC, dirty.left, dirty.top,
                       SRCINVERT);
            m_MaskDC.PatBlt(dirty.left, dirty.top, dirty.Width(), dirty.Height(), BLACKNESS);
        }
    }

    for (int i = 0; i < count && pList[i].time <= right; ++i)
        if (pList[i].selected != 0)
            DrawNodeMarker(&pList[i], dc.Get());
}

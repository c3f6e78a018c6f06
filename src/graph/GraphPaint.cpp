// What every graph view draws: the white ground with its black border and
// the time ruler (light grey lines in XOR, blue labels under them).

#include <string>

#include "graph/GraphIds.h"
#include "graph/GraphView.h"
#include "graph/TimeFormat.h"

namespace {

// Labels may stick out past the right edge by about half a label.
constexpr int kRulerOverhang = 40;
// A ruler never needs more lines than this; the cap only guards against a
// time axis gone wrong.
constexpr int kMaxRulerLines = 2000;

} // namespace

void CGraphView::Redraw(const RECT* pRect, CDC* pDC)
{
    CViewDC dc(this, pDC);
    if (!dc)
        return;
    CRect rc(0, 0, m_nWidth, m_nHeight);
    if (pRect != nullptr)
        rc = *pRect;
    const int saved = dc->SaveDC();
    dc->IntersectClipRect(&rc);
    PaintBackground(rc, dc.Get());
    PaintGrid(dc.Get());
    PaintLabels(dc.Get());
    PaintContent(dc.Get());
    dc->RestoreDC(saved);
}

void CGraphView::PaintBackground(const RECT& rc, CDC* pDC)
{
    CBrush white(graph::kWhite);
    CBrush black(graph::kBlack);
    pDC->FillRect(&rc, &white);
    const CRect client(0, 0, m_nWidth, m_nHeight);
    pDC->FrameRect(&client, &black);
}

void CGraphView::PaintGrid(CDC* pDC)
{
    DrawTimeRuler(true, false, pDC);
}

void CGraphView::PaintLabels(CDC* pDC)
{
    DrawTimeRuler(false, true, pDC);
}

void CGraphView::PaintContent(CDC* /*pDC*/)
{
    // Whatever play cursor was on screen has just been painted over.
    m_nPlayColumn = -1;
}

void CGraphView::DrawTimeRuler(bool bLines, bool bLabels, CDC* pDC)
{
    const int leftMs = graph::FrameToMilliseconds(T(0), m_fFrameRate);
    const int rightMs = graph::FrameToMilliseconds(T(m_nWidth), m_fFrameRate);
    const graph::RulerSteps steps = graph::ChooseRulerSteps(leftMs, rightMs);
    if (steps.nStepMs <= 0)
        return;

    CPen pen(PS_SOLID, 1, graph::kLightGrey);
    CPen* oldPen = pDC->SelectObject(&pen);
    const int oldRop = pDC->SetROP2(R2_XORPEN);
    CFont* oldFont = pDC->SelectObject(LabelFont());
    const COLORREF oldColor = pDC->SetTextColor(graph::kLabelBlue);
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    TEXTMETRIC tm{};
    pDC->GetTextMetrics(&tm);

    int64_t v = steps.nFirstMs;
    for (int line = 0; line < kMaxRulerLines; ++line, v += steps.nStepMs) {
        const float scaled = static_cast<float>(v) * m_fFrameRate / 1000.0f;
        const int frame = static_cast<int>(scaled);
        const int x = X(frame);
        if (x > m_nWidth + kRulerOverhang)
            break;
        if (bLines) {
            pDC->MoveTo(x, 0);
            pDC->LineTo(x, m_nHeight);
        }
        if (bLabels) {
            const std::string text = graph::FormatTime(frame, m_fFrameRate).sText;
            const int width = static_cast<int>(text.size()) * tm.tmAveCharWidth;
            pDC->TextOut(x - width / 2, m_nHeight - graph::kRulerTextRise, text);
        }
    }

    pDC->SetBkMode(oldMode);
    pDC->SetTextColor(oldColor);
    pDC->SelectObject(oldFont);
    pDC->SetROP2(oldRop);
    pDC->SelectObject(oldPen);
}

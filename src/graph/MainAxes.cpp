// The main view's axes: cents to rows and back, the pitch zooms and
// scrolls with their limits (-3200 .. 3600 cents), the time zooms and
// scrolls that also move the scroll bars and a tied envelope view, fitting
// to a tracked passage, and the two scroll bars.

#include <algorithm>
#include <bit>

#include "graph/EnvelopeGraphView.h"
#include "graph/GraphControls.h"
#include "graph/MainGraphView.h"

namespace {

// Past this the horizontal bar counts in steps of 8, 64, ... frames.
constexpr int kLargestBarValue = 32000;

} // namespace

int CMainGraphView::RowToCents(int y)
{
    return -(y - m_nHeight / 2) * m_nCentsPerPixel + m_nPitchCenter;
}

int CMainGraphView::CentsToRow(int cents)
{
    const int k = m_nCentsPerPixel;
    if (cents > m_nPitchCenter)
        return -((cents - m_nPitchCenter + k / 2) / k) + m_nHeight / 2;
    return (m_nPitchCenter - cents + k / 2) / k + m_nHeight / 2;
}

void CMainGraphView::SetPitchAxis(int nCentsPerPixel, int nPitchCenter)
{
    m_nCentsPerPixel = std::max(2, nCentsPerPixel);
    m_nPitchCenter = nPitchCenter;
}

// Keeps -3200 .. 3600 cents in reach: neither edge beyond it, and the whole
// range when the zoom is too coarse for the view.
void CMainGraphView::ApplyZoomLimits()
{
    const int h = m_nHeight;
    if (h <= 0)
        return;
    if (RowToCents(h) < kLowestCents)
        m_nPitchCenter = (h - h / 2) * m_nCentsPerPixel + kLowestCents;
    if (RowToCents(0) > kHighestCents) {
        m_nPitchCenter = kHighestCents - (h / 2) * m_nCentsPerPixel;
        if (RowToCents(h) < kLowestCents) {
            m_nCentsPerPixel = (h + (kHighestCents - kLowestCents - 1)) / h;
            m_nPitchCenter = (h - h / 2) * m_nCentsPerPixel + kLowestCents;
        }
    }
}

void CMainGraphView::ZoomPitchIn()
{
    if (m_nCentsPerPixel > 1)
        m_nCentsPerPixel = std::max(2, m_nCentsPerPixel / 2);
    Redraw(nullptr, nullptr);
    UpdateVScrollBar();
}

void CMainGraphView::ZoomPitchOut()
{
    m_nCentsPerPixel *= 2;
    ApplyZoomLimits();
    Redraw(nullptr, nullptr);
    UpdateVScrollBar();
}

int CMainGraphView::ScrollDown(int nPixels)
{
    const int h = m_nHeight;
    if (RowToCents(h) <= kLowestCents)
        return 0;
    const int oldCentre = m_nPitchCenter;
    m_nPitchCenter -= nPixels * m_nCentsPerPixel;
    if (RowToCents(h) < kLowestCents + 1)
        m_nPitchCenter = (h - h / 2) * m_nCentsPerPixel + kLowestCents;
    Redraw(nullptr, nullptr);
    UpdateVScrollPos();
    return CentsToRow(oldCentre) - h / 2;
}

int CMainGraphView::ScrollUp(int nPixels)
{
    const int h = m_nHeight;
    if (RowToCents(0) >= kHighestCents)
        return 0;
    const int oldCentre = m_nPitchCenter;
    m_nPitchCenter += nPixels * m_nCentsPerPixel;
    if (RowToCents(0) > kHighestCents - 1)
        m_nPitchCenter = kHighestCents - (h / 2) * m_nCentsPerPixel;
    Redraw(nullptr, nullptr);
    UpdateVScrollPos();
    return CentsToRow(oldCentre) - h / 2;
}

void CMainGraphView::ZoomTimeIn()
{
    CGraphView::ZoomTimeIn();
    UpdateHScrollBar();
    if (m_pEnvelope != nullptr && m_pEnvelope->IsTied())
        m_pEnvelope->Redraw(nullptr, nullptr);
}

void CMainGraphView::ZoomTimeOut()
{
    CGraphView::ZoomTimeOut();
    UpdateHScrollBar();
    if (m_pEnvelope != nullptr && m_pEnvelope->IsTied())
        m_pEnvelope->Redraw(nullptr, nullptr);
}

int CMainGraphView::ScrollLeft(int nPixels)
{
    const int shift = CGraphView::ScrollLeft(nPixels);
    UpdateHScrollPos();
    if (shift != 0 && m_pEnvelope != nullptr && m_pEnvelope->IsTied())
        m_pEnvelope->Redraw(nullptr, nullptr);
    return shift;
}

int CMainGraphView::ScrollRight(int nPixels)
{
    const int shift = CGraphView::ScrollRight(nPixels);
    UpdateHScrollPos();
    if (shift != 0 && m_pEnvelope != nullptr && m_pEnvelope->IsTied())
        m_pEnvelope->Redraw(nullptr, nullptr);
    return shift;
}

// The main view's fit is a reset of both axes.
void CMainGraphView::FitTime(bool bRedraw)
{
    m_nCentsPerPixel = 8;
    m_nPitchCenter = (m_nHeight / 2) * 8;
    FitWholeLength();
    UpdateHScrollBar();
    UpdateVScrollBar();
    if (bRedraw) {
        Redraw(nullptr, nullptr);
        if (m_pEnvelope != nullptr && m_pEnvelope->IsTied())
            m_pEnvelope->Redraw(nullptr, nullptr);
    }
}

void CMainGraphView::FitPitchToTrack(bool bRedrawEnvelope)
{
    const int h = m_nHeight;
    TrackRecord* records = TrackBuffer();
    int hi = 0;
    int lo = 0;
    bool voiced = false;
    const int frames = std::min(m_nTrackedFrames, m_nBufferFrames);
    for (int i = 0; records != nullptr && i < frames; ++i) {
        if (!IsVoiced(i))
            continue;
        const int high = RecordCents(records[i], true);
        const int low = RecordCents(records[i], false);
        hi = voiced ? std::max(hi, high) : high;
        lo = voiced ? std::min(lo, low) : low;
        voiced = true;
    }
    if (h > 0) {
        if (!voiced) {
            m_nCentsPerPixel = (h + (kHighestCents - kLowestCents - 1)) / h;
            m_nPitchCenter = (h - h / 2) * m_nCentsPerPixel + kLowestCents;
        } else {
            m_nCentsPerPixel = std::max(2, ((hi - lo) - 1 + h) / h);
            m_nPitchCenter = (hi + lo) / 2;
        }
    }
    FitWholeLength();
    UpdateHScrollBar();
    UpdateVScrollBar();
    if (bRedrawEnvelope && m_pEnvelope != nullptr && m_pEnvelope->IsTied())
        m_pEnvelope->Redraw(nullptr, nullptr);
}

void CMainGraphView::SetScrollBar(int nBarId, BarState& state, int nMin, int nMax, int nPos)
{
    state = BarState{nMin, nMax, nPos};
    graph::SetBar(DialogItem(nBarId), nMin, nMax, nPos);
}

void CMainGraphView::SetScrollPosition(int nBarId, BarState& state, int nPos)
{
    state.nPos = nPos;
    graph::SetBarPosition(DialogItem(nBarId), nPos);
}

void CMainGraphView::UpdateVScrollBar()
{
    const int h = m_nHeight;
    const int lowest = (h - h / 2) * m_nCentsPerPixel + kLowestCents;
    const int highest = kHighestCents - (h / 2) * m_nCentsPerPixel;
    SetScrollBar(m_nVerticalBarId, m_VBar, lowest, highest, lowest + highest - m_nPitchCenter);
}

void CMainGraphView::UpdateVScrollPos()
{
    SetScrollPosition(m_nVerticalBarId, m_VBar, m_VBar.nMin + m_VBar.nMax - m_nPitchCenter);
}

void CMainGraphView::UpdateHScrollBar()
{
    const int w = m_nWidth;
    int maximum = m_nTotalFrames - (w - w / 2) * m_nFramesPerPixel;
    int minimum = (w / 2) * m_nFramesPerPixel;
    int position = m_nTimeCenter;
    m_nScrollUnit = 1;
    while (maximum > kLargestBarValue) {
        maximum /= 8;
        minimum /= 8;
        position /= 8;
        m_nScrollUnit *= 8;
    }
    SetScrollBar(m_nHorizontalBarId, m_HBar, minimum, maximum, position);
}

void CMainGraphView::UpdateHScrollPos()
{
    SetScrollPosition(m_nHorizontalBarId, m_HBar, m_nTimeCenter / m_nScrollUnit);
}

void CMainGraphView::OnScrollThumb(int nPosition, int nBarId)
{
    if (nBarId == m_nVerticalBarId) {
        m_nPitchCenter = m_VBar.nMin + m_VBar.nMax - nPosition;
    } else {
        m_nTimeCenter = nPosition * m_nScrollUnit;
        if (T(0) < 1)
            m_nTimeCenter = (m_nWidth / 2) * m_nFramesPerPixel;
    }
    Redraw(nullptr, nullptr);
    if (m_pEnvelope != nullptr && m_pEnvelope->IsTied())
        m_pEnvelope->Redraw(nullptr, nullptr);
}

int CMainGraphView::RecordCents(const TrackRecord& rec, bool bHigh) const
{
    return std::bit_cast<int32_t>(bHigh ? rec.fMinPeriod : rec.fMaxPeriod);
}

bool CMainGraphView::IsVoiced(int frame) const
{
    const TrackRecord* records = TrackBuffer();
    return std::bit_cast<int32_t>(records[frame].fMaxPeriod) != kUnvoicedMark;
}

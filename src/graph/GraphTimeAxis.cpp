// The time axis every graph view shares: frames to columns and back, the
// time zooms, fitting and the horizontal scrolls. Integer division
// truncates toward zero throughout; a column is the nearest pixel, halves
// away from the centre.

#include <algorithm>
#include <cstdint>

#include "graph/GraphView.h"

namespace {

constexpr int64_t kColumnLimit = 30000;

} // namespace

int CGraphView::T(int x) const
{
    return (x - m_nWidth / 2) * m_nFramesPerPixel + m_nTimeCenter;
}

int CGraphView::X(int t) const
{
    const int64_t d = m_nFramesPerPixel;
    const int64_t centre = m_nTimeCenter;
    int64_t x;
    if (t >= centre)
        x = (t - centre + d / 2) / d + m_nWidth / 2;
    else
        x = -((centre - t + d / 2) / d) + m_nWidth / 2;
    return static_cast<int16_t>(std::clamp(x, -kColumnLimit, kColumnLimit));
}

int CGraphView::ColumnToFrame(int x)
{
    return T(x);
}

short CGraphView::FrameToColumn(int nFrame)
{
    return static_cast<short>(X(nFrame));
}

int CGraphView::GetTotalFrames()
{
    return m_nTotalFrames;
}

void CGraphView::SetTimeAxis(int nFramesPerPixel, int nTimeCenter)
{
    m_nFramesPerPixel = std::max(1, nFramesPerPixel);
    m_nTimeCenter = nTimeCenter;
}

bool CGraphView::IsTimeZoomed()
{
    if (m_nWidth == 0)
        return false;
    return m_nFramesPerPixel != std::max(1, (m_nTotalFrames - 1 + m_nWidth) / m_nWidth);
}

void CGraphView::FitWholeLength()
{
    if (m_nWidth > 0)
        m_nFramesPerPixel = std::max(1, (m_nTotalFrames - 1 + m_nWidth) / m_nWidth);
    m_nTimeCenter = (m_nWidth / 2) * m_nFramesPerPixel;
}

void CGraphView::FitTime(bool bRedraw)
{
    FitWholeLength();
    if (bRedraw)
        Redraw(nullptr, nullptr);
}

void CGraphView::ZoomTimeIn()
{
    if (m_nFramesPerPixel <= 1)
        return;
    m_nFramesPerPixel /= 2;
    if (T(m_nWidth) > m_nTotalFrames) {
        m_nTimeCenter = m_nTotalFrames - (m_nWidth - m_nWidth / 2) * m_nFramesPerPixel;
        if (T(0) < 0)
            FitWholeLength();
    }
    Redraw(nullptr, nullptr);
}

void CGraphView::ApplyTimeLimits()
{
    if (T(0) < 0)
        m_nTimeCenter = (m_nWidth / 2) * m_nFramesPerPixel;
    if (T(m_nWidth) > m_nTotalFrames) {
        m_nTimeCenter = m_nTotalFrames - (m_nWidth - m_nWidth / 2) * m_nFramesPerPixel;
        if (T(0) < 0)
            FitWholeLength();
    }
}

void CGraphView::ZoomTimeOut()
{
    m_nFramesPerPixel *= 2;
    ApplyTimeLimits();
    Redraw(nullptr, nullptr);
}

int CGraphView::ScrollLeft(int nPixels)
{
    if (T(0) <= 0)
        return 0;
    const int oldCentre = m_nTimeCenter;
    m_nTimeCenter -= nPixels * m_nFramesPerPixel;
    if (T(0) < 1)
        m_nTimeCenter = (m_nWidth / 2) * m_nFramesPerPixel;
    Redraw(nullptr, nullptr);
    return X(oldCentre) - m_nWidth / 2;
}

int CGraphView::ScrollRight(int nPixels)
{
    if (T(m_nWidth) >= m_nTotalFrames)
        return 0;
    const int oldCentre = m_nTimeCenter;
    m_nTimeCenter += nPixels * m_nFramesPerPixel;
    if (T(m_nWidth) >= m_nTotalFrames)
        m_nTimeCenter = m_nTotalFrames - (m_nWidth - m_nWidth / 2) * m_nFramesPerPixel;
    Redraw(nullptr, nullptr);
    return X(oldCentre) - m_nWidth / 2;
}

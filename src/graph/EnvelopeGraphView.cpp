// The envelope view: the waveform's outline of the tracked passage, its
// time axis tied to the main view's or fitted to the whole length, and the
// time-range selection the zoom-box tool sweeps here.

#include "graph/EnvelopeGraphView.h"

#include <algorithm>
#include <cmath>

#include "graph/GraphIds.h"
#include "graph/MainGraphView.h"

namespace {

// Samples reach the graph as floats at full scale 1.0; the envelope counts
// in 16-bit steps.
constexpr double kSampleScale = 32768.0;
constexpr int kLargestAmplitude = 32767;

int ToAmplitude(float sample)
{
    const double scaled = std::trunc(static_cast<double>(sample) * kSampleScale);
    if (!(scaled >= -32768.0))
        return -32768;
    return static_cast<int>(std::min(scaled, 32767.0));
}

} // namespace

BEGIN_MESSAGE_MAP(CEnvelopeGraphView, CGraphView)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CEnvelopeGraphView::CEnvelopeGraphView(IIntonaraDialog* pDialog, HWND hDialog) : CGraphView(pDialog, hDialog) {}

CEnvelopeGraphView::~CEnvelopeGraphView() = default;

const char* CEnvelopeGraphView::ClassName() const
{
    return graph::kEnvelopeViewClass;
}

void CEnvelopeGraphView::SetMainView(CMainGraphView* pMain)
{
    m_pMain = pMain;
}

int CEnvelopeGraphView::MaxAmplitudePerPixel() const
{
    return m_nHeight / 2 > 0 ? kLargestAmplitude / (m_nHeight / 2) : kLargestAmplitude;
}

void CEnvelopeGraphView::Initialize(int nHorizontalBarId, int nVerticalBarId)
{
    CGraphView::Initialize(nHorizontalBarId, nVerticalBarId);
    m_nAmplitudePerPixel = static_cast<int16_t>(MaxAmplitudePerPixel());
}

void CEnvelopeGraphView::OnPaint()
{
    CPaintDC dc(this);
    const CRect client(0, 0, m_nWidth, m_nHeight);
    Redraw(&client, &dc);
}

HCURSOR CEnvelopeGraphView::ChooseCursor()
{
    return CurrentTool() == graph::kToolZoom ? m_hIBeam : m_hArrow;
}

bool CEnvelopeGraphView::ContainsPointer()
{
    return PointerOverWindow();
}

// --- Tie -------------------------------------------------------------------------------

void CEnvelopeGraphView::ZoomTimeIn()
{
    m_bTied = 1;
    Redraw(nullptr, nullptr);
}

void CEnvelopeGraphView::ZoomTimeOut()
{
    m_bTied = 0;
    Redraw(nullptr, nullptr);
}

void CEnvelopeGraphView::SetTied(int tied)
{
    if (tied != 0)
        ZoomTimeIn();
    else
        ZoomTimeOut();
}

void CEnvelopeGraphView::SyncTimeAxis()
{
    if (m_bTied != 0 && m_pMain != nullptr) {
        m_nFramesPerPixel = m_pMain->FramesPerPixel();
        m_nTimeCenter = m_pMain->TimeCenter();
    } else {
        FitWholeLength();
    }
}

// --- Amplitude ---------------------------------------------------------------------------

int CEnvelopeGraphView::RowToAmplitude(int y)
{
    return -(y - m_nHeight / 2) * m_nAmplitudePerPixel;
}

int CEnvelopeGraphView::AmplitudeToRow(int amplitude)
{
    const int s = m_nAmplitudePerPixel;
    if (amplitude > 0)
        return -((amplitude + s / 2) / s) + m_nHeight / 2;
    return (s / 2 - amplitude) / s + m_nHeight / 2;
}

void CEnvelopeGraphView::ZoomAmplitudeIn()
{
    if (m_nAmplitudePerPixel > 1)
        m_nAmplitudePerPixel = static_cast<int16_t>(m_nAmplitudePerPixel / 2);
    Redraw(nullptr, nullptr);
}

void CEnvelopeGraphView::ZoomAmplitudeOut()
{
    m_nAmplitudePerPixel = static_cast<int16_t>(std::min(2 * m_nAmplitudePerPixel, MaxAmplitudePerPixel()));
    Redraw(nullptr, nullptr);
}

// --- Painting ------------------------------------------------------------------------------

void CEnvelopeGraphView::PaintGrid(CDC* pDC)
{
    SyncTimeAxis();
    DrawTimeRuler(true, false, pDC);
}

void CEnvelopeGraphView::PaintLabels(CDC* pDC)
{
    DrawTimeRuler(false, true, pDC);
}

void CEnvelopeGraphView::PaintContent(CDC* pDC)
{
    CGraphView::PaintContent(pDC);
    CPen pen(PS_SOLID, 1, graph::kLightGrey);
    CPen* old = pDC->SelectObject(&pen);
    const int oldRop = pDC->SetROP2(R2_COPYPEN);
    const int zero = AmplitudeToRow(0);
    pDC->MoveTo(0, zero);
    pDC->LineTo(m_nWidth, zero);
    pDC->SetROP2(oldRop);
    pDC->SelectObject(old);
    DrawEnvelope(pDC);
    DrawSelection(pDC);
}

void CEnvelopeGraphView::DrawEnvelope(CDC* pDC)
{
    if (m_pMain == nullptr)
        return;
    const TrackRecord* records = m_pMain->TrackBuffer();
    const int frames = std::min(m_pMain->TrackedFrames(), m_pMain->BufferFrames());
    if (records == nullptr || frames <= 0)
        return;
    CPen pen(PS_SOLID, 1, graph::kBlack);
    CPen* old = pDC->SelectObject(&pen);
    const int oldRop = pDC->SetROP2(R2_COPYPEN);
    for (int x = 0; x < m_nWidth; ++x) {
        const int first = std::max(0, T(x));
        const int end = std::min(frames, T(x) + m_nFramesPerPixel);
        if (first >= end)
            continue;
        int lo = ToAmplitude(records[first].fMinSample);
        int hi = ToAmplitude(records[first].fMaxSample);
        for (int f = first + 1; f < end; ++f) {
            lo = std::min(lo, ToAmplitude(records[f].fMinSample));
            hi = std::max(hi, ToAmplitude(records[f].fMaxSample));
        }
        const int yLow = AmplitudeToRow(lo);
        const int yHigh = AmplitudeToRow(hi);
        pDC->MoveTo(x, std::max(yLow, yHigh));
        pDC->LineTo(x, std::min(yLow, yHigh) - 1);
    }
    pDC->SetROP2(oldRop);
    pDC->SelectObject(old);
}

// --- The selection tool ----------------------------------------------------------------------

int CEnvelopeGraphView::BeginDrag()
{
    return CurrentTool() == graph::kToolZoom ? SelectBegin() : 0;
}

int CEnvelopeGraphView::TrackDrag()
{
    return SelectTrack();
}

void CEnvelopeGraphView::EndDrag()
{
    SelectEnd();
}

int CEnvelopeGraphView::SelectBegin()
{
    if (m_pMain == nullptr)
        return 0;
    m_pMain->SelectAllNodes(m_pMain->m_pCurves, 0);
    const int t = T(m_ptDown.x);
    if (!IsKeyDown(VK_SHIFT) || m_nSelStart == m_nSelEnd) {
        SetTimeSelection(0, 0);
        m_pMain->SetTimeSelection(0, 0);
        m_nSelectAnchor = t;
    } else {
        m_nSelectAnchor = std::abs(m_nSelStart - t) > std::abs(m_nSelEnd - t) ? m_nSelStart : m_nSelEnd;
        SetTimeSelection(m_nSelectAnchor, t);
        m_pMain->SetTimeSelection(m_nSelectAnchor, t);
        m_pMain->ToggleTimeRange(m_nSelectAnchor, t);
    }
    m_nSelectFrame = t;
    m_ptSelectLast = m_ptDown;
    return 1;
}

int CEnvelopeGraphView::AutoScrollMain(CPoint point)
{
    if (m_bTied == 0 || m_pMain == nullptr)
        return 0;
    if (point.x < 0)
        return m_pMain->ScrollLeft(m_pMain->Width() / 20);
    if (point.x >= m_nWidth)
        return m_pMain->ScrollRight(m_pMain->Width() / 20);
    return 0;
}

int CEnvelopeGraphView::SelectTrack()
{
    if (m_pMain == nullptr)
        return 0;
    CPoint pt = MousePosition();
    const int shift = AutoScrollMain(pt);
    pt.x = std::clamp(static_cast<int>(pt.x), X(0), std::max(X(0), std::max(m_nWidth, X(m_nTotalFrames))));
    const int frame = T(pt.x);
    if (frame != m_nSelectFrame || shift != 0) {
        m_pMain->ToggleTimeRange(m_nSelectFrame, frame);
        SetTimeSelection(m_nSelectAnchor, frame);
        m_pMain->SetTimeSelection(m_nSelectAnchor, frame);
        m_nSelectFrame = frame;
        m_ptSelectLast = pt;
    }
    return PumpEscapable() ? 0 : 1;
}

void CEnvelopeGraphView::SelectEnd()
{
    if (m_pMain != nullptr)
        m_pMain->UpdateSelectionButtons();
}

// The main view's side of the two passes: the track buffer's length, the
// start, progress and end of tracking and correcting with the texts on the
// panel's two switches, the correction targets written from the curves,
// the play cursor and the reset of the graph.

#include <algorithm>
#include <atomic>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "graph/BlockTable.h"
#include "graph/EnvelopeGraphView.h"
#include "graph/GraphIds.h"
#include "graph/MainGraphView.h"
#include "modes/DspObject.h"
#include "platform/kernel/Kernel.h"
#include "settings/ParameterIds.h"

namespace {

constexpr int kRecordBytes = static_cast<int>(sizeof(TrackRecord));
constexpr char kTrackPitchText[] = "Track Pitch";
constexpr char kTrackingText[] = "Tracking...";
constexpr char kFinishingText[] = "processing...";
constexpr char kCorrectPitchText[] = "Correct Pitch";
constexpr char kPreparingText[] = "Processing....";
constexpr char kCorrectingText[] = "Correcting...";

// The streaming thread may hold the buffer while the view writes it, so
// every slot is stored whole.
void StoreSlot(float& slot, float value)
{
    std::atomic_ref<float>(slot).store(value, std::memory_order_relaxed);
}

// Where the controller shows a pass's status: the text of a switch.
class CSwitchText : public IStatusWindow
{
public:
    explicit CSwitchText(HWND hButton) : m_hButton(hButton) {}
    void SetStatusText(const char* text) override
    {
        if (m_hButton != nullptr)
            ::SetWindowTextA(m_hButton, text);
    }

private:
    HWND m_hButton;
};

} // namespace

TrackRecord* CMainGraphView::TrackBuffer() const
{
    return m_pController != nullptr ? static_cast<TrackRecord*>(m_pController->GetTrackBuffer()) : nullptr;
}

void CMainGraphView::ClearTrackRecords(int nFirst, int nEnd)
{
    TrackRecord* records = TrackBuffer();
    if (records == nullptr)
        return;
    const float unvoiced = std::bit_cast<float>(kUnvoicedMark);
    for (int i = std::max(0, nFirst); i < nEnd; ++i) {
        StoreSlot(records[i].fMinSample, 0.0f);
        StoreSlot(records[i].fMaxSample, 0.0f);
        StoreSlot(records[i].fMinPeriod, 0.0f);
        StoreSlot(records[i].fMaxPeriod, unvoiced);
        StoreSlot(records[i].fTargetPeriod, 0.0f);
    }
}

int CMainGraphView::SetBufferSeconds(int nSeconds)
{
    m_nBufferSecs = nSeconds;
    if (m_hBufferField != nullptr) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", nSeconds);
        ::SetWindowTextA(m_hBufferField, text);
    }
    const double wanted = static_cast<float>(nSeconds) * m_fFrameRate;
    if (m_pController == nullptr || !(wanted >= 1.0) || wanted > INT_MAX / kRecordBytes)
        return nSeconds;
    const int frames = static_cast<int>(wanted);
    if (frames == m_nBufferFrames)
        return nSeconds;

    // The engine may be reading the old buffer: the new one is handed over
    // complete, and the old one goes only once the store has taken it back.
    auto* old = static_cast<TrackRecord*>(m_pController->GetTrackBuffer());
    const int oldCapacity = g_Blocks.SizeOf(old) / kRecordBytes;
    auto* fresh = static_cast<TrackRecord*>(g_Blocks.Alloc(frames * kRecordBytes));
    int capacity = oldCapacity;
    if (fresh != nullptr) {
        const int kept = std::min(frames, oldCapacity);
        if (kept > 0)
            std::memcpy(fresh, old, static_cast<size_t>(kept) * sizeof(TrackRecord));
        m_pController->SetTrackBuffer(fresh);
        g_Blocks.Free(old);
        capacity = frames;
        ClearTrackRecords(kept, capacity);
    }
    m_nBufferFrames = capacity;
    if (capacity < m_nTrackedFrames) {
        m_nTrackedFrames = capacity;
        UpdateTotalLength();
        RedrawBoth();
    }
    return static_cast<int>(capacity / m_fFrameRate + 0.1);
}

void CMainGraphView::FillCorrectionTargets()
{
    TrackRecord* records = TrackBuffer();
    const int capacity = std::min(m_nBufferFrames, g_Blocks.SizeOf(records) / kRecordBytes);
    if (records == nullptr)
        return;
    for (int i = 0; i < capacity; ++i)
        StoreSlot(records[i].fTargetPeriod, 0.0f);
    UpdatePeriodCache();

    auto write = [&](int frame, double cents) {
        if (frame >= capacity)
            throw finished_init();
        if (frame < 0)
            return;
        float period;
        const double whole = std::floor(cents);
        const int index = static_cast<int>(whole) - kLowestCents;
        if (whole == cents && index >= 0 && index < static_cast<int>(m_PeriodCache.size()))
            period = m_PeriodCache[static_cast<size_t>(index)];
        else
            period = CentsToPeriod(cents);
        StoreSlot(records[frame].fTargetPeriod, period);
    };
    // The pitch at frame t on the line through (t0, p0) and (t1, p1).
    auto onLine = [](int t, int t0, double p0, int t1, double p1) {
        const double span = static_cast<double>(t1) - t0;
        return t * (p1 - p0) / span + (p0 * t1 - p1 * t0) / span;
    };

    const int count = NodeCount(m_pCurves);
    try {
        for (int i = 0; i + 1 < count; ++i) {
            const CurveNode& node = m_pCurves[i];
            if (node.segment == SEGMENT_LINE) {
                const CurveNode& next = m_pCurves[i + 1];
                for (int t = node.time; t <= next.time && node.time < next.time; ++t)
                    write(t, onLine(t, node.time, node.pitch, next.time, next.pitch));
            } else if (node.segment == SEGMENT_FREEHAND && node.freehand != nullptr && node.freehand->step > 0) {
                const FreehandData& data = *node.freehand;
                int t = node.time;
                double p = node.pitch;
                for (int k = 0; k < data.count; ++k) {
                    const int tNext = t + data.step;
                    const double pNext = static_cast<double>(node.pitch) + data.Offsets()[k];
                    for (int f = t; f < tNext; ++f)
                        write(f, onLine(f, t, p, tNext, pNext));
                    t = tNext;
                    p = pNext;
                }
            }
        }
    } catch (const finished_init&) {
        // The curves run past the buffer: what fits is written.
    }
}

void CMainGraphView::UpdatePeriodCache()
{
    if (m_fPeriodCacheRate == m_fFrameRate && !m_PeriodCache.empty())
        return;
    m_PeriodCache.resize(kHighestCents - kLowestCents + 1);
    for (int i = 0; i < static_cast<int>(m_PeriodCache.size()); ++i)
        m_PeriodCache[static_cast<size_t>(i)] = CentsToPeriod(static_cast<double>(kLowestCents + i));
    m_fPeriodCacheRate = m_fFrameRate;
}

// --- The passes ---------------------------------------------------------------------

void CMainGraphView::SetTracking(int on)
{
    if (on != 0) {
        BeginTrackPass();
        RedrawBoth();
        m_bTracking = 1;
    } else if (m_bTracking != 0) {
        EndTrackPass();
        m_bTracking = 0;
        if (m_nTrackedFrames > 0) {
            RedrawBoth();
            UpdateHScrollBar();
        }
    }
}

void CMainGraphView::SetCorrecting(int on)
{
    if (on != 0) {
        m_bCorrecting = 1;
        BeginCorrectPass();
    } else if (m_bCorrecting != 0) {
        m_bCorrecting = 0;
        EndCorrectPass();
    }
}

void CMainGraphView::BeginTrackPass()
{
    m_nTrackedFrames = 0;
    if (m_pController != nullptr)
        m_pController->StartTracking(TrackBuffer(), m_nBufferFrames);
    SetButtonText(m_hTrackPitch, kTrackingText);
    EnableButton(m_hMakeCurve, false);
    EnableButton(m_hMakeAuto, false);
}

void CMainGraphView::TrackPassTick()
{
    if (m_bTracking == 0 || m_pController == nullptr || TrackBuffer() == nullptr)
        return;
    CSwitchText status(m_hTrackPitch);
    const int pos = m_pController->GetTrackingStatus(&m_nTrackBlinkTime, &m_nTrackBlink, m_nBufferFrames, &status);
    if (pos != m_nBufferFrames - 1)
        return;
    // The buffer is full: the pass ends as if the switch had been released.
    m_pController->SetParameter(PARAM_TRACK_PITCH, 0);
    if (m_pDialog != nullptr)
        m_pDialog->CheckControl(graph::kTrackPitchButton, false);
    EnableButton(m_hBufferField, true);
    EnableButton(m_hEnvAll, true);
    EnableButton(m_hTrackPitch, true);
    if (m_pDialog != nullptr)
        m_pDialog->SetTrackPitchState(0);
}

void CMainGraphView::EndTrackPass()
{
    SetButtonText(m_hTrackPitch, kFinishingText);
    if (m_pController != nullptr) {
        int unused[3] = {};
        int count = 0;
        m_pController->FinishTracking(&unused[0], &unused[1], &unused[2], &count, m_nBufferFrames, TrackBuffer());
        // A pass that never saw audio reports no frame at all.
        m_nTrackedFrames = std::clamp(count, 0, m_nBufferFrames);
    }
    UpdateTotalLength();
    if (m_nTrackedFrames > 0)
        FitPitchToTrack(false);
    SetButtonText(m_hTrackPitch, kTrackPitchText);
}

void CMainGraphView::BeginCorrectPass()
{
    SetButtonText(m_hCorrectPitch, kPreparingText);
    if (TrackBuffer() != nullptr)
        FillCorrectionTargets();
    m_nPlayColumn = -1;
    DrawPlayCursor(0, nullptr);
    if (m_pEnvelope != nullptr) {
        m_pEnvelope->m_nPlayColumn = -1;
        m_pEnvelope->DrawPlayCursor(0, nullptr);
    }
    EnableButton(m_hMakeCurve, false);
    EnableButton(m_hMakeAuto, false);
    SetButtonText(m_hCorrectPitch, kCorrectingText);
    if (m_pController != nullptr)
        m_pController->StartCorrecting(TrackBuffer(), m_nBufferFrames);
}

void CMainGraphView::CorrectPassTick()
{
    if (m_bCorrecting == 0 || m_pController == nullptr)
        return;
    const int frames = m_pController->PollStatus();
    CSwitchText status(m_hCorrectPitch);
    m_pController->GetCorrectingStatus(&m_nCorrectBlinkTime, &m_nCorrectBlink, 0, &m_nCorrectPosition, &status);
    if (m_nCorrectPosition < m_nTrackedFrames - 1) {
        if (frames != 0) {
            auto* dsp = dynamic_cast<CDspObject*>(m_pController);
            if (dsp == nullptr)
                return;
            const DWORD elapsed = ::GetTickCount() - static_cast<DWORD>(dsp->GetStartTick());
            const int frame = static_cast<int>(static_cast<double>(elapsed) * dsp->GetSampleRate() / 1000.0 / 200.0);
            DrawPlayCursor(frame, nullptr);
            if (m_pEnvelope != nullptr)
                m_pEnvelope->DrawPlayCursor(frame, nullptr);
        }
        return;
    }
    // The passage is over.
    m_pController->SetParameter(PARAM_CORRECT_PITCH, 0);
    if (m_pDialog != nullptr)
        m_pDialog->CheckControl(graph::kCorrectPitchButton, false);
    EnableButton(m_hBufferField, true);
    EnableButton(m_hEnvAll, true);
    EnableButton(m_hCorrectPitch, true);
    if (m_pDialog != nullptr)
        m_pDialog->SetCorrectPitchState(0);
}

void CMainGraphView::EndCorrectPass()
{
    // Both cursors leave the graph.
    HidePlayCursor();
    if (m_pEnvelope != nullptr)
        m_pEnvelope->HidePlayCursor();
    SetButtonText(m_hCorrectPitch, kCorrectPitchText);
}

void CMainGraphView::ResetGraph()
{
    FreeCurveList(m_pCurves);
    FreeCurveList(m_pUndoCurves);
    m_pCurves = m_pUndoCurves = nullptr;
    m_nTrackedFrames = 0;
    ClearTrackRecords(0, m_nBufferFrames);
    UpdateTotalLength();
    FitTime(true);
    if (m_pEnvelope != nullptr && !m_pEnvelope->IsTied())
        m_pEnvelope->Redraw(nullptr, nullptr);
    m_bTracking = 0;
    m_bCorrecting = 0;
}

// The two passes of graphical mode: arming them, reporting their progress to
// the graph (with a blinking status while the pass waits for audio), and
// turning a finished tracking pass into the cents the graph draws.

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>

#include "engine/PitchUnits.h"
#include "modes/DspObject.h"

namespace {

constexpr unsigned kBlinkIntervalMs = 200;
constexpr unsigned kMsPerHour = 3600u * 1000u;
constexpr float kNoPeriodMark = -1.0f;  // fMaxPeriod of a frame without a period

// The period slots are floats while the engine writes them and integer
// cents afterwards. Small negative integers are NaN bit patterns as floats,
// so the slots are only ever copied, never used in float arithmetic.
void StoreCents(float& slot, int32_t cents)
{
    std::atomic_ref<float>(slot).store(std::bit_cast<float>(cents), std::memory_order_relaxed);
}

float LoadPeriod(float& slot)
{
    return std::atomic_ref<float>(slot).load(std::memory_order_relaxed);
}

} // namespace

void CDspObject::SetStartTick(int nTick)
{
    SetRelaxed(m_nStartTick, nTick);
}

int CDspObject::GetStartTick() const
{
    return Relaxed(m_nStartTick);
}

int CDspObject::GetPrerollFrames()
{
    return m_nPrerollFrames.load(std::memory_order_relaxed);
}

void CDspObject::SetPrerollFrames(int n)
{
    m_nPrerollFrames.store(n, std::memory_order_relaxed);
}

void CDspObject::StartTracking(TrackRecord* p, int nCapacity)
{
    // Records first: once the flag is up the streaming thread may write.
    m_Engine.AttachTrackRecords(p, nCapacity);
    m_bRecordsInCents.store(0, std::memory_order_relaxed);
    m_Engine.EnableTracking(1);
    m_Engine.SetFrameIndex(-1);
}

void CDspObject::StartCorrecting(TrackRecord* p, int nCapacity)
{
    if (p == nullptr)
        return;
    m_Engine.AttachTrackRecords(p, nCapacity);
    m_Engine.EnableCorrecting(1);
    m_Engine.SetFrameIndex(-1);
}

void CDspObject::OnTrackBufferReplaced(TrackBufferHandle previous)
{
    if (m_Engine.LentTrackRecords() == previous)
        m_Engine.AttachTrackRecords(nullptr, 0);
}

// Wall-clock milliseconds into the current UTC hour (minutes, seconds and
// milliseconds of the time of day). The Unix epoch starts on a whole hour,
// so this is the time since the epoch modulo one hour.
unsigned CDspObject::StatusClockMs() const
{
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
    return static_cast<unsigned>(((ms % kMsPerHour) + kMsPerHour) % kMsPerHour);
}

int CDspObject::PassStatus(unsigned* pLastToggle, short* pBlink, IStatusWindow* pWindow,
                           const char* text)
{
    float ratio = 0.0f;
    int frames = 0;
    m_Engine.GetStatus(&ratio, &frames);

    const int index = m_Engine.GetFrameIndex();
    if (index == -1) {
        // Armed, but no audio has reached the engine yet: blink, so the user
        // sees the pass is waiting for playback to start.
        if (pLastToggle != nullptr && pBlink != nullptr) {
            const unsigned now = StatusClockMs();
            // Unsigned on purpose: in the first 200 ms of an hour now - 200
            // wraps to a huge value, so the text toggles at once and the
            // last toggle time moves into the new hour.
            if (*pLastToggle < now - kBlinkIntervalMs) {
                *pLastToggle = now;
                const bool showText = *pBlink == 1;
                *pBlink = showText ? 0 : 1;
                if (pWindow != nullptr)
                    pWindow->SetStatusText(showText ? text : "");
            }
        }
    } else if (pWindow != nullptr) {
        pWindow->SetStatusText(text);
    }
    return index;
}

int CDspObject::GetTrackingStatus(unsigned* pLastToggle, short* pBlink, int /*nCapacity*/,
                                  IStatusWindow* pWindow)
{
    return PassStatus(pLastToggle, pBlink, pWindow, kTrackingText);
}

void CDspObject::GetCorrectingStatus(unsigned* pLastToggle, short* pBlink, int /*nUnused*/,
                                     int* pIndex, IStatusWindow* pWindow)
{
    const int index = PassStatus(pLastToggle, pBlink, pWindow, kCorrectingText);
    if (pIndex != nullptr)
        *pIndex = index;
}

int32_t CDspObject::TrackedPeriodToCents(float period) const
{
    // The graph view converts at its own frame rate; without one the stream's
    // rate gives the same result.
    if (IMainGraphView* view = MainView())
        return view->PeriodToCents(period);
    return PeriodToCents(period, m_fSampleRate.load(std::memory_order_relaxed) / 200.0f);
}

void CDspObject::FinishTracking(int* /*pUnused1*/, int* /*pUnused2*/, int* /*pUnused3*/,
                                int* pCount, int nCapacity, TrackRecord* p)
{
    // The flag goes down before the index is read: the streaming thread
    // checks it on every sample, so no record below the index is written
    // while it is being converted.
    m_Engine.EnableTracking(0);
    const int count = m_Engine.GetFrameIndex();
    if (pCount != nullptr)
        *pCount = count;
    // A second call for the same pass would read cents as periods.
    if (p == nullptr || m_bRecordsInCents.load(std::memory_order_relaxed) != 0)
        return;

    // The engine never runs past the capacity it was given; the bound only
    // protects against a caller passing a shorter array than it attached.
    const int convert = std::min(count, nCapacity);
    for (int i = 0; i < convert; ++i) {
        TrackRecord& rec = p[i];
        const float maxPeriod = LoadPeriod(rec.fMaxPeriod);
        if (maxPeriod == kNoPeriodMark) {
            StoreCents(rec.fMaxPeriod, kUnvoicedCents);
        } else {
            const float minPeriod = LoadPeriod(rec.fMinPeriod);
            StoreCents(rec.fMaxPeriod, TrackedPeriodToCents(maxPeriod));
            StoreCents(rec.fMinPeriod, TrackedPeriodToCents(minPeriod));
        }
    }
    m_bRecordsInCents.store(1, std::memory_order_relaxed);
}

// After the engine ring has been cleared and the graphical threshold and
// retune speed applied: a pass that filled its records while the other mode
// was in force is ended and parked on the last record; a correcting pass
// still running carries on at the frame the clock has reached.
void CDspObject::ApplyGraphicalPassBookkeeping()
{
    const int capacity = m_Engine.GetTrackCapacity();
    if (m_Engine.GetFrameCount() >= capacity) {
        m_Engine.EnableTracking(0);
        m_Engine.EnableCorrecting(0);
        m_Engine.SetFrameIndex(capacity - 1);
    }
    if (m_Engine.IsCorrecting() != 0)
        m_Engine.SetFrameIndex(m_Engine.GetFrameCount());
}

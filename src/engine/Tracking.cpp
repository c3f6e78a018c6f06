// The frame clock and the per-frame track records of the graphical passes.
// The graph reads the records while they are written, so every field goes
// through a relaxed atomic_ref: a reader sees the old or the new value of
// each field, never a torn one.

#include <atomic>

#include "engine/PitchEngine.h"

namespace {

constexpr float kNoMinPeriod = 3000.0f;
constexpr float kNoMaxPeriod = -1.0f;

inline float Get(float& field)
{
    return std::atomic_ref<float>(field).load(std::memory_order_relaxed);
}

inline void Put(float& field, float v)
{
    std::atomic_ref<float>(field).store(v, std::memory_order_relaxed);
}

} // namespace

TrackRecord* CPitchEngine::RecordAt(int nIndex) const
{
    if (m_pTrack == nullptr || nIndex < 0 || nIndex >= m_nTrackCapacity)
        return nullptr;
    return m_pTrack + nIndex;
}

void CPitchEngine::FrameTick(float x)
{
    // Unsigned increment: after years of streaming the count wraps instead
    // of overflowing.
    Store(m_nFrameCount, static_cast<int32_t>(static_cast<uint32_t>(Load(m_nFrameCount)) + 1u));

    if (Load(m_bAutoCorrect) != 0 && Load(m_bVibrato) != 0)
        AdvanceVibratoClock();

    const bool tracking = m_Now.bTracking != 0;
    if (!tracking && Load(m_bCorrecting) == 0)
        return;

    int index = Load(m_nFrameIndex) + 1;
    const int capacity = m_nTrackCapacity;
    if (index >= capacity) {
        // The array is full: stay on the last record (never overwrite it)
        // and end whichever pass was running.
        index = capacity - 1;
        PublishPassEnded();
        Store(m_nFrameIndex, index);
        return;
    }
    Store(m_nFrameIndex, index);
    if (tracking)
        OpenRecord(index, x);
}

void CPitchEngine::OpenRecord(int nIndex, float x)
{
    TrackRecord* rec = RecordAt(nIndex);
    if (rec == nullptr)
        return;
    const bool valid = Load(m_bPeriodValid) != 0;
    const float period = Load(m_fPeriod);
    Put(rec->fMinSample, x);
    Put(rec->fMaxSample, x);
    Put(rec->fMinPeriod, valid ? period : kNoMinPeriod);
    Put(rec->fMaxPeriod, valid ? period : kNoMaxPeriod);
}

void CPitchEngine::UpdateRecordRange(float x)
{
    TrackRecord* rec = RecordAt(Load(m_nFrameIndex));
    if (rec == nullptr)
        return;
    if (Get(rec->fMinSample) <= x) {
        if (Get(rec->fMaxSample) < x)
            Put(rec->fMaxSample, x);
    } else {
        Put(rec->fMinSample, x);
    }
}

void CPitchEngine::FoldPeriodIntoRecord(float fPeriod)
{
    TrackRecord* rec = RecordAt(Load(m_nFrameIndex));
    if (rec == nullptr)
        return;
    if (Get(rec->fMinPeriod) > fPeriod)
        Put(rec->fMinPeriod, fPeriod);
    if (Get(rec->fMaxPeriod) < fPeriod)
        Put(rec->fMaxPeriod, fPeriod);
}

// The drawn target of the frame being played; no record means no target.
float CPitchEngine::CurrentTargetPeriod() const
{
    TrackRecord* rec = RecordAt(Load(m_nFrameIndex));
    if (rec == nullptr)
        return 0.0f;
    return Get(rec->fTargetPeriod);
}

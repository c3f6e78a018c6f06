#include "engine/PitchEngine.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <thread>

#include "engine/DetectorStep.h"
#include "engine/ShifterStep.h"
#include "engine/WideCode.h"

namespace {

// Decimation pre-filter, the same four coefficients for both sections.
constexpr float kA1 = 1.9370038509368896f;
constexpr float kA2 = -0.959801197052002f;
constexpr float kB1 = -1.9465265274047852f;
constexpr float kB2 = 0.9923696517944336f;

#if INTONARA_WIDE_CODE
bool ProcessorHasWideVectors()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
#else
bool ProcessorHasWideVectors()
{
    return false;
}
#endif

} // namespace

// Until this initialiser has run (static construction order), the baseline
// code is used, which gives the same results.
std::atomic<bool> CPitchEngine::s_bWideCode{ProcessorHasWideVectors()};

CPitchEngine::CPitchEngine()
    : m_bSearching(1)
    , m_bResetDetectorPending(0)
    , m_bNoteSearchReady(0)
    , m_bPeriodValid(0)
    , m_bBypass(0)
    , m_bAutoCorrect(1)
    , m_bWaitForSignal(0)
    , m_bTracking(0)
    , m_bCorrecting(0)
    , m_bVibrato(0)
    , m_nFrameIndex(0)
    , m_fPreFilter{kA1, kA2, kB1, kB2, kA1, kA2, kB1, kB2}
    , m_fPreFilterState{}
    , m_nCoarseCount(0)
    , m_nCoarseWrite(0)
    , m_fPeriod(-1.0f)
    , m_nWrite(0)
    , m_nBaseLag(0)
    , m_nUpdateCount(0)
    , m_fRatioSmoothed(1.0f)
    , m_fRatio(1.0f)
    , m_fRetuneCoef(0.0f)
    , m_fDetune(1.0f)
    , m_fReadFrac(0.0f)
    , m_nRead(kInitialRead)
    , m_fTrackThreshold(0.0f)
    , m_fDecorrelation(0.1f)
    , m_fAcceptThreshold(-0.5f)
    , m_nSampleInFrame(0)
    , m_nFrameCount(0)
    , m_nZeroRun(0)
    , m_nNote(0)
    , m_fOctave(1.0f)
    , m_nNotes(0)
    , m_pVibTable(nullptr)
    , m_nVibLength(0)
    , m_fVibPhase(0.0f)
    , m_fVibIncrement(0.0f)
    , m_fVibDepth(0.0f)
    , m_nVibDelay(0)
    , m_nNoteFrames(0)
    , m_fCoarseEnergy{}
    , m_fCoarseCorr{}
    , m_fFineEnergy{}
    , m_fFineCorr{}
    , m_fCoarseRing{}
    , m_fCoarseRingReversed{}
    , m_fRing{}
    , m_pTrack(nullptr)
    , m_nTrackCapacity(0)
    , m_nLoan(0)
    , m_nLoanInUse(0)
    , m_nRequests(0)
    , m_Now{}
    , m_fRingReversed{}
{
    for (int i = 0; i < kMaxNotes; ++i)
        Store(m_nTarget[i], 0);
    for (int i = 0; i <= kMaxNotes; ++i)
        Store(m_nBound[i], 0);
    ReloadShared();
    ResetDetector();
}

CPitchEngine::~CPitchEngine() = default;

void CPitchEngine::ClearBuffer()
{
    Post(kClearRequest);
}

void CPitchEngine::Reset()
{
    Store(m_fRatioSmoothed, 1.0f);
    Store(m_fRatio, 1.0f);
    Store(m_bPeriodValid, 0);
    Store(m_fPeriod, -1.0f);
    // Pending first: a streaming thread that sees the search state then also
    // sees the request to restart the coarse history.
    Store(m_bResetDetectorPending, 1);
    Store(m_bSearching, 1);
    Post(kReloadRequest);
}

void CPitchEngine::SetScaleTable(short nNotes, const int* pTargets, const int* pBounds)
{
    int n = nNotes;
    if (n < 0 || pTargets == nullptr || pBounds == nullptr)
        n = 0;
    n = std::min(n, static_cast<int>(kMaxNotes)); // the arrays end there

    // Automatic correction is off while the words are copied, so the
    // streaming thread never walks a half-written table.
    const int32_t wasAuto = Load(m_bAutoCorrect);
    const int32_t framesBefore = Load(m_nFrameCount);
    Store(m_bAutoCorrect, 0);

    Store(m_nNotes, n);
    for (int i = 0; i < n; ++i)
        Store(m_nTarget[i], pTargets[i]);
    if (n > 0) {
        for (int i = 0; i <= n; ++i)
            Store(m_nBound[i], pBounds[i]);
    }
    Store(m_bNoteSearchReady, 0);

    if (wasAuto != 0) {
        Store(m_bAutoCorrect, 1);
        // Audio ran during the copy: whatever it derived from the table may
        // be stale, so start the pitch state over.
        if (Load(m_nFrameCount) != framesBefore)
            Reset();
    }
}

void CPitchEngine::SetDetune(float f)
{
    Store(m_fDetune, f);
}

void CPitchEngine::SetRetuneCoefficient(float fCoef)
{
    Store(m_fRetuneCoef, fCoef);
}

void CPitchEngine::SetThresholds(float /*fUnused*/, float fAccept, float fTrack)
{
    Store(m_fAcceptThreshold, fAccept);
    Store(m_fTrackThreshold, fTrack);
}

void CPitchEngine::GetStatus(float* pRatio, int* pFrameCount) const
{
    if (pRatio != nullptr)
        *pRatio = Load(m_fRatio);
    if (pFrameCount != nullptr)
        *pFrameCount = Load(m_nFrameCount);
}

void CPitchEngine::SetBypass(int on)
{
    if (on != 0) {
        Store(m_bBypass, 1);
        Store(m_fRatioSmoothed, 1.0f);
        Store(m_fRatio, 1.0f);
    } else {
        Store(m_bBypass, 0);
    }
    Post(kReloadRequest);
}

void CPitchEngine::SetVibrato(float* pTable, int nLength, float fIncrement, float fDepth, int nDelayFrames)
{
    Store(m_pVibTable, pTable);
    Store(m_nVibLength, nLength);
    Store(m_fVibIncrement, fIncrement);
    Store(m_fVibDepth, fDepth);
    Store(m_nVibDelay, nDelayFrames);
}

void CPitchEngine::EnableVibrato(int on)
{
    Store(m_bVibrato, on);
    Post(kReloadRequest);
}

void CPitchEngine::EnableAutoCorrect(int on)
{
    Store(m_bAutoCorrect, on);
}

void CPitchEngine::EnableTracking(int on)
{
    Store(m_bTracking, on);
    Post(kReloadRequest);
}

void CPitchEngine::EnableCorrecting(int on)
{
    Store(m_bCorrecting, on);
    Post(kReloadRequest);
}

void CPitchEngine::SetWaitForSignal(int on)
{
    Store(m_bWaitForSignal, on);
    if (on != 0)
        Store(m_nFrameCount, 0);
    Post(kReloadRequest);
}

void CPitchEngine::SetTrackHigh(int /*on*/)
{
}

void CPitchEngine::AttachTrackRecords(TrackRecord* p, int nCapacity)
{
    // Generations count modulo 2^31, so that the in-use mark never wraps
    // onto 0, the mark of no block.
    const uint32_t generation = (m_nLoan.load(std::memory_order_relaxed) + 1u) & 0x7FFFFFFFu;
    TrackLoan& loan = m_Loans[generation & 1u];
    loan.pRecords.store(p, std::memory_order_relaxed);
    loan.nCapacity.store(nCapacity, std::memory_order_relaxed);
    m_nLoan.store(generation, std::memory_order_seq_cst);
    Store(m_nFrameIndex, 0);
    // Either the streaming thread sees the new generation when it checks
    // again at the start of its block, or this load sees its announcement
    // of the old one and waits for that block to end.
    for (;;) {
        const uint32_t inUse = m_nLoanInUse.load(std::memory_order_seq_cst);
        if (inUse == 0 || inUse == InUseMark(generation))
            break;
        std::this_thread::yield();
    }
}

void CPitchEngine::BeginBlock()
{
    uint32_t generation = m_nLoan.load(std::memory_order_acquire);
    for (;;) {
        m_nLoanInUse.store(InUseMark(generation), std::memory_order_seq_cst);
        const uint32_t now = m_nLoan.load(std::memory_order_seq_cst);
        if (now == generation)
            break;
        generation = now;
    }
    const TrackLoan& loan = m_Loans[generation & 1u];
    m_pTrack = loan.pRecords.load(std::memory_order_relaxed);
    m_nTrackCapacity = loan.nCapacity.load(std::memory_order_relaxed);
    // Whatever was written between blocks, by a setter or by a test
    // placing the engine by hand, is taken now.
    ReloadShared();
}

void CPitchEngine::EndBlock()
{
    m_nLoanInUse.store(0, std::memory_order_release);
}

float CPitchEngine::RingSample(int nIndex) const
{
    if ((m_nRequests.load(std::memory_order_relaxed) & kClearRequest) != 0)
        return 0.0f;
    return m_fRing[nIndex & kRingMask];
}

void CPitchEngine::ReloadShared()
{
    m_Now.bTracking = Load(m_bTracking);
    m_Now.bFrameClock = m_Now.bTracking | Load(m_bCorrecting) | Load(m_bVibrato);
    m_Now.bWaitForSignal = Load(m_bWaitForSignal);
    m_Now.bSearching = Load(m_bSearching);
    m_Now.bResetDetectorPending = Load(m_bResetDetectorPending);
    m_Now.bBypass = Load(m_bBypass);
    m_Now.fRatio = Load(m_fRatio);
}

void CPitchEngine::TakeRequests()
{
    // Acquire: the values the setters stored before posting are seen below.
    const uint32_t requests = m_nRequests.exchange(0, std::memory_order_acquire);
    if ((requests & kClearRequest) != 0) {
        std::memset(m_fRing, 0, sizeof m_fRing);
        std::memset(m_fRingReversed, 0, sizeof m_fRingReversed);
    }
    ReloadShared();
}

void CPitchEngine::PublishSearching(int32_t on)
{
    m_Now.bSearching = on;
    Store(m_bSearching, on);
}

void CPitchEngine::PublishRatio(float r)
{
    m_Now.fRatio = r;
    Store(m_fRatio, r);
}

// The record array is full: both passes end on their own.
void CPitchEngine::PublishPassEnded()
{
    Store(m_bTracking, 0);
    Store(m_bCorrecting, 0);
    m_Now.bTracking = 0;
    m_Now.bFrameClock = Load(m_bVibrato);
}

namespace {

// The smallest float whose value, taken as a double, is at least 1e-10: a
// magnitude compares with 1e-10 in double exactly as with this in float.
constexpr float SmallestAudible()
{
    const float f = static_cast<float>(1e-10);
    return static_cast<double>(f) >= 1e-10 ? f : std::bit_cast<float>(std::bit_cast<uint32_t>(f) + 1u);
}
constexpr uint32_t kSmallestAudibleBits = std::bit_cast<uint32_t>(SmallestAudible());
constexpr uint32_t kLargestFiniteBits = std::bit_cast<uint32_t>(FLT_MAX);

} // namespace

// Near-silence becomes exact silence (it then counts toward the zero run and
// keeps denormals out of every sum); anything not finite would poison the
// running sums for good, so it is silenced too. The magnitude's bits order
// like the magnitudes themselves (NaNs above infinity), so one unsigned
// range test decides.
inline float CPitchEngine::FlushSample(float x)
{
    const uint32_t magnitude = std::bit_cast<uint32_t>(x) & 0x7FFFFFFFu;
    return magnitude - kSmallestAudibleBits <= kLargestFiniteBits - kSmallestAudibleBits ? x : 0.0f;
}

inline void CPitchEngine::WriteRing(int w, float x)
{
    m_fRing[w] = x;
    m_fRingReversed[kRingMask - w] = x;
    m_fRingReversed[kRingSize + kRingMask - w] = x;
}

inline void CPitchEngine::FrameClockStep(float x)
{
    if (m_Now.bWaitForSignal != 0) {
        // An armed pass starts its frame 0 at the first audible sample.
        m_nSampleInFrame = 0;
        Store(m_nFrameCount, 0);
        Store(m_nFrameIndex, 0);
        if (x != 0.0f) {
            m_Now.bWaitForSignal = 0;
            Store(m_bWaitForSignal, 0);
            if (m_Now.bTracking != 0)
                OpenRecord(0, x);
        }
        return;
    }
    if (++m_nSampleInFrame >= kFrameLength) {
        m_nSampleInFrame = 0;
        FrameTick(x);
    }
    if (m_Now.bTracking != 0)
        UpdateRecordRange(x);
}

// The bank reads back 2 (B + 7) samples; a run writes up to four samples
// ahead of the one it updates the bank for, and all of them must still find
// their windows in the ring. Longer lags go one sample at a time.
constexpr int kLongestRunBase = (CPitchEngine::kRingSize - 2 * 7 - (CPitchEngine::kUpdateInterval - 1)) / 2 - 1;

// In locked state the samples up to the next period update are taken in two
// passes: first each one into the ring and the bank (and the frame clock),
// then the update, then the shifter over all of them. Nothing the first pass
// or the update writes is read by the shifter for an earlier sample except
// the ratio and the period, which it takes as they were; so the samples are
// the same as one at a time, and the shifter no longer waits for the update
// before it can go on with the samples that precede it.
template <bool kWide>
[[gnu::always_inline]] inline int CPitchEngine::LockedRun(const float* pIn, float* pOut, int i, int nCount, int& w,
                                                          ReadPosition& pos)
{
    const int length = std::min(nCount - i, kUpdateInterval - m_nUpdateCount);
    const float ratioBefore = m_Now.bBypass != 0 ? 1.0f : m_Now.fRatio;
    const float periodBefore = Load(m_fPeriod);
    const int wBefore = w;
    fine_bank::Sums<kWide> sums;
    sums.Load(m_fFineEnergy, m_fFineCorr);
    for (int k = 0; k < length; ++k) {
        const float x = FlushSample(pIn[i + k]);
        if (m_Now.bFrameClock != 0)
            FrameClockStep(x);
        w = (w + 1) & kRingMask;
        WriteRing(w, x);
        sums.Add(m_fRingReversed + (kRingMask - w), m_nBaseLag, x);
    }
    sums.Store(m_fFineEnergy, m_fFineCorr);
    m_nUpdateCount += length;
    const bool update = m_nUpdateCount >= kUpdateInterval;
    if (update) {
        m_nUpdateCount = 0;
        PeriodUpdate(w);
        if (m_Now.bBypass != 0)
            PublishRatio(1.0f);
    }
    const int before = update ? length - 1 : length;
    int wk = wBefore;
    for (int k = 0; k < before; ++k) {
        wk = (wk + 1) & kRingMask;
        pOut[i + k] = ShiftStep(ratioBefore, [periodBefore] { return periodBefore; }, wk, pos);
    }
    if (update)
        pOut[i + length - 1] = ShiftStep(m_Now.fRatio, [this] { return Load(m_fPeriod); }, w, pos);
    return i + length;
}

template <bool kWide>
[[gnu::always_inline]] inline void CPitchEngine::ProcessSamples(const float* pIn, float* pOut, int nCount)
{
    int w = m_nWrite;
    ReadPosition pos{m_nRead, m_fReadFrac};

    for (int i = 0; i < nCount;) {
        if (m_nRequests.load(std::memory_order_relaxed) != 0) [[unlikely]]
            TakeRequests();

        if (m_Now.bSearching == 0 && m_nBaseLag <= kLongestRunBase) {
            i = LockedRun<kWide>(pIn, pOut, i, nCount, w, pos);
            continue;
        }

        const float x = FlushSample(pIn[i]);

        if (m_Now.bFrameClock != 0)
            FrameClockStep(x);

        w = (w + 1) & kRingMask;
        WriteRing(w, x);

        if (m_Now.bSearching != 0) {
            if (x == 0.0f) {
                if (m_nZeroRun <= kZeroRunLimit)
                    ++m_nZeroRun;
            } else {
                m_nZeroRun = 0;
            }
            if (m_nZeroRun <= kZeroRunLimit) {
                m_nWrite = w;
                CoarseStep<kWide>(x, w);
            } else {
                // Long silence: nothing to search for, and the coarse history
                // is stale by now. Writing keeps landing in slot 1. The read
                // position is parked 30 samples behind it (the ring holds
                // nothing but zeros by now, so the output does not change):
                // when sound returns it comes out at the engine's stated
                // latency, which hosts compensate, instead of wherever the
                // read position had drifted to.
                if (m_Now.bResetDetectorPending == 0)
                    PublishResetPending(1);
                w = 0;
                pos.nIndex = kInitialRead - 1;
                pos.fFrac = 0.0f;
            }
        } else {
            FineStep<kWide>(x, w);
        }

        if (m_Now.bBypass != 0)
            PublishRatio(1.0f);

        pOut[i] = ShiftStep(m_Now.fRatio, [this] { return Load(m_fPeriod); }, w, pos);
        ++i;
    }

    m_nWrite = w;
    m_nRead = pos.nIndex;
    m_fReadFrac = pos.fFrac;
}

void CPitchEngine::ProcessBaseline(const float* pIn, float* pOut, int nCount)
{
    ProcessSamples<false>(pIn, pOut, nCount);
}

#if INTONARA_WIDE_CODE
INTONARA_WIDE_TARGET void CPitchEngine::ProcessWide(const float* pIn, float* pOut, int nCount)
{
    ProcessSamples<true>(pIn, pOut, nCount);
}
#else
void CPitchEngine::ProcessWide(const float* pIn, float* pOut, int nCount)
{
    ProcessSamples<false>(pIn, pOut, nCount);
}
#endif

void CPitchEngine::Process(const float* pIn, float* pOut, int nCount)
{
    if (nCount <= 0)
        return;
    BeginBlock();
    if (s_bWideCode.load(std::memory_order_relaxed))
        ProcessWide(pIn, pOut, nCount);
    else
        ProcessBaseline(pIn, pOut, nCount);
    EndBlock();
}

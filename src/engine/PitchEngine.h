#pragma once

#include <atomic>
#include <cstdint>

#include "engine/TrackRecord.h"

// The sample-by-sample pitch corrector: it measures the period of a
// monophonic signal, turns it into a read-speed ratio and reads its own input
// ring at that speed. It knows nothing of sample rates, scales or
// milliseconds; the controller hands everything over in samples and factors.
//
// Threads: Process runs on the streaming thread. Every other public operation
// may run on the UI side at the same time, without a lock. Fields that both
// sides touch are relaxed atomics (plain moves on x86); fields that only the
// streaming thread touches are plain, so the per-sample loops stay cheap.
// The few shared values the per-sample path tests are mirrored in plain
// copies of the streaming thread's own; every UI-side write raises a flag
// that makes it take the shared values again before its next sample.
class CPitchEngine
{
public:
    static constexpr int kRingSize = 2048;
    static constexpr int kRingMask = kRingSize - 1;
    static constexpr int kCoarseRingSize = 220;
    static constexpr int kCoarseLags = 110;
    static constexpr int kBankSize = 8;
    static constexpr int kMaxNotes = 54;
    static constexpr int kFrameLength = 200;
    static constexpr int kUpdateInterval = 5;
    static constexpr int kZeroRunLimit = 2048;
    static constexpr int kInitialRead = 2018;
    // How late an unshifted input comes out: the read position's start
    // behind the write position.
    static constexpr int kLatency = kRingSize - kInitialRead;

    CPitchEngine();
    CPitchEngine(const CPitchEngine&) = delete;
    CPitchEngine& operator=(const CPitchEngine&) = delete;

    // Virtual operations. Their order is the object's table layout, which
    // callers built against it rely on: new ones go after the last.
    virtual ~CPitchEngine();
    // Deferred: the ring belongs to the streaming thread, so the request is
    // carried out at the start of the next processed sample (see RingSample).
    virtual void ClearBuffer();
    // Streaming-side only (or while no block is processed): it rewrites the
    // coarse search state in place. The UI side uses Reset, which defers it.
    virtual void ResetDetector();
    virtual void Reset();
    virtual void SetScaleTable(short nNotes, const int* pTargets, const int* pBounds);
    virtual void SetDetune(float f);
    virtual void SetRetuneCoefficient(float fCoef);
    virtual void SetThresholds(float fUnused, float fAccept, float fTrack);
    virtual void GetStatus(float* pRatio, int* pFrameCount) const;
    virtual void SetBypass(int on);
    virtual void SetVibrato(float* pTable, int nLength, float fIncrement, float fDepth, int nDelayFrames);
    virtual void EnableVibrato(int on);
    virtual void EnableAutoCorrect(int on);
    virtual void EnableTracking(int on);
    virtual void EnableCorrecting(int on);
    virtual void SetWaitForSignal(int on);
    virtual void SetTrackHigh(int on);

    // Lends the engine the records of the graphical passes (null: none).
    // The array and its capacity are handed over as one unit, and the call
    // returns only once the streaming thread can no longer be reading the
    // array lent before, so the caller may free that one straight away.
    // Calls come from one thread at a time; the wait lasts at most the
    // block being processed.
    void AttachTrackRecords(TrackRecord* p, int nCapacity);
    const TrackRecord* LentTrackRecords() const { return PublishedLoan().pRecords.load(std::memory_order_relaxed); }
    void Process(const float* pIn, float* pOut, int nCount);

    // Single relaxed accesses for the controller, which reads and writes
    // these directly while a pass runs.
    int GetFrameIndex() const { return Load(m_nFrameIndex); }
    void SetFrameIndex(int n) { Store(m_nFrameIndex, n); }
    int GetFrameCount() const { return Load(m_nFrameCount); }
    int GetTrackCapacity() const { return PublishedLoan().nCapacity.load(std::memory_order_relaxed); }
    int IsAutoCorrect() const { return Load(m_bAutoCorrect); }
    int IsTracking() const { return Load(m_bTracking); }
    int IsCorrecting() const { return Load(m_bCorrecting); }
    int IsVibrato() const { return Load(m_bVibrato); }
    int IsWaitingForSignal() const { return Load(m_bWaitForSignal); }
    int IsBypassed() const { return Load(m_bBypass); }

    // Detector state, for meters and diagnostics.
    int IsSearching() const { return Load(m_bSearching); }
    int IsPeriodValid() const { return Load(m_bPeriodValid); }
    float GetPeriod() const { return Load(m_fPeriod); }

    // Input ring slot (index taken modulo 2048) as the next sample will see
    // it: a ClearBuffer not yet carried out reads as 0.0. Call it only while
    // no block is being processed.
    float RingSample(int nIndex) const;

private:
    template <class T>
    static T Load(const std::atomic<T>& a) { return a.load(std::memory_order_relaxed); }
    template <class T, class U>
    static void Store(std::atomic<T>& a, U v) { a.store(static_cast<T>(v), std::memory_order_relaxed); }

    // The block loop exists twice: built for the x86-64 baseline and, where
    // the processor has them, for 256-bit vector instructions, which carry
    // the eight fine lags in one register. Both do the same arithmetic lane
    // for lane, so they produce the same bits.
    template <bool kWide>
    void ProcessSamples(const float* pIn, float* pOut, int nCount);
    void ProcessBaseline(const float* pIn, float* pOut, int nCount);
    void ProcessWide(const float* pIn, float* pOut, int nCount);
    static std::atomic<bool> s_bWideCode;

    // The records lent for the graphical passes. Two slots: a new loan goes
    // into the slot the streaming thread is not reading, and the generation
    // names the slot in force. The streaming thread copies the loan at the
    // start of each block and announces, in m_nLoanInUse, which generation
    // it copied (0 between blocks); a hand-over waits until no block runs
    // on an older one.
    struct TrackLoan
    {
        std::atomic<TrackRecord*> pRecords{nullptr};
        std::atomic<int32_t> nCapacity{0};
    };
    static uint32_t InUseMark(uint32_t nGeneration) { return (nGeneration << 1) | 1u; }
    const TrackLoan& PublishedLoan() const { return m_Loans[m_nLoan.load(std::memory_order_acquire) & 1u]; }
    void BeginBlock();
    void EndBlock();

    // Requests from the UI side, carried out by the streaming thread before
    // its next sample: clear the input ring, and take the shared values
    // again (a setter has written one that the streaming thread mirrors).
    static constexpr uint32_t kClearRequest = 1u;
    static constexpr uint32_t kReloadRequest = 2u;
    void Post(uint32_t nRequest) { m_nRequests.fetch_or(nRequest, std::memory_order_release); }
    void TakeRequests();
    void ReloadShared();

    // Streaming-side writes of shared values: the mirror and the shared field.
    void PublishSearching(int32_t on);
    void PublishResetPending(int32_t on)
    {
        m_Now.bResetDetectorPending = on;
        Store(m_bResetDetectorPending, on);
    }
    void PublishRatio(float r);
    void PublishPassEnded();

    // Per-sample steps; the hot ones are defined inline in the private
    // headers DetectorStep.h and ShifterStep.h, which only PitchEngine.cpp
    // includes.
    static float FlushSample(float x);
    void WriteRing(int w, float x);
    void FrameClockStep(float x);
    float PreFilterStep(float x);
    template <bool kWide>
    void CoarseStep(float x, int w);
    template <bool kWide>
    void FineStep(float x, int w);
    struct ReadPosition
    {
        int nIndex;  // ring slot at the centre of the interpolation
        float fFrac; // offset from it, in [-0.5, 0.5)
    };
    // period() gives the period a splice jumps by; it is asked only when a
    // splice happens.
    template <class Period>
    float ShiftStep(float r, Period period, int w, ReadPosition& pos);
    // Locked state, up to and including the next period update.
    template <bool kWide>
    int LockedRun(const float* pIn, float* pOut, int i, int nCount, int& w, ReadPosition& pos);
    float Interpolate(int rd, float f) const;

    // Detector (Detector.cpp).
    void CoarseDecimatedStep(float y, int w, bool bWide);
    bool FindCandidate(int nMaxLag, int& nStart, int& nIndex, int& nPeriod) const;
    bool LowerOctaveWins(int w, int nShort, int nLong, float& fSeedShort, float& fSeedLong) const;
    // pEnergy: the seed energy when already known (else it is summed here).
    bool SeedBank(int w, const float* pEnergy);
    void PeriodUpdate(int w);
    bool CanMoveBankDown() const;
    void MoveBankDown(int w);
    bool CanMoveBankUp() const;
    void MoveBankUp(int w);
    void LoseLock();
    float SumSquares(int w, int nFrom, int nCount) const;
    float LagCorrelation(int w, int nLag) const;

    // Shifter (Shifter.cpp).
    // By value: the read position lives in registers for a whole block, and
    // passing it by reference to an out-of-line call would pin it to memory.
    // fPeriod: the period in force at the sample being shifted.
    static ReadPosition SpliceBack(ReadPosition pos, float fPeriod);
    static ReadPosition SpliceForwardIfBehind(int w, ReadPosition pos, float fPeriod);

    // Target ratio, retune smoothing and vibrato (Target.cpp).
    float TargetRatio(float fPeriod);
    float CorrectionRatio(float fPeriod) const;
    float NoteRatio(float fPeriod);
    void ApplyRatio(float fTarget);
    float VibratoGain() const;
    void AdvanceVibratoClock();

    // Track records and the frame clock (Tracking.cpp).
    TrackRecord* RecordAt(int nIndex) const;
    void FrameTick(float x);
    void OpenRecord(int nIndex, float x);
    void UpdateRecordRange(float x);
    void FoldPeriodIntoRecord(float fPeriod);
    float CurrentTargetPeriod() const;

    friend struct CEngineProbe; // white-box access for the engine's tests

    // Engine state. Flags are signed 32-bit integers, non-zero meaning true.
    std::atomic<int32_t> m_bSearching;
    std::atomic<int32_t> m_bResetDetectorPending;
    std::atomic<int32_t> m_bNoteSearchReady;
    std::atomic<int32_t> m_bPeriodValid;
    std::atomic<int32_t> m_bBypass;
    std::atomic<int32_t> m_bAutoCorrect;
    std::atomic<int32_t> m_bWaitForSignal;
    std::atomic<int32_t> m_bTracking;
    std::atomic<int32_t> m_bCorrecting;
    std::atomic<int32_t> m_bVibrato;
    std::atomic<int32_t> m_nFrameIndex;
    float m_fPreFilter[8];      // a1, a2, b1, b2 of section 1, then of section 2
    float m_fPreFilterState[4]; // w1, w2 of section 1, then of section 2
    int32_t m_nCoarseCount;
    int32_t m_nCoarseWrite;
    std::atomic<float> m_fPeriod;
    int32_t m_nWrite;
    int32_t m_nBaseLag;
    int32_t m_nUpdateCount;
    std::atomic<float> m_fRatioSmoothed;
    std::atomic<float> m_fRatio;
    std::atomic<float> m_fRetuneCoef;
    std::atomic<float> m_fDetune;
    float m_fReadFrac;
    int32_t m_nRead;
    std::atomic<float> m_fTrackThreshold;
    float m_fDecorrelation;
    std::atomic<float> m_fAcceptThreshold;
    int32_t m_nSampleInFrame;
    std::atomic<int32_t> m_nFrameCount;
    int32_t m_nZeroRun;
    int32_t m_nNote;
    float m_fOctave;
    std::atomic<int32_t> m_nNotes;
    std::atomic<int32_t> m_nTarget[kMaxNotes];
    std::atomic<int32_t> m_nBound[kMaxNotes + 1];
    std::atomic<float*> m_pVibTable;
    std::atomic<int32_t> m_nVibLength;
    float m_fVibPhase;
    std::atomic<float> m_fVibIncrement;
    std::atomic<float> m_fVibDepth;
    std::atomic<int32_t> m_nVibDelay;
    int32_t m_nNoteFrames;
    float m_fCoarseEnergy[kCoarseLags];
    float m_fCoarseCorr[kCoarseLags];
    alignas(32) float m_fFineEnergy[kBankSize];
    alignas(32) float m_fFineCorr[kBankSize];
    float m_fCoarseRing[kCoarseRingSize];
    // The coarse ring again, time-reversed and written twice like the input
    // ring's copy below: lag k of the newest decimated sample is k entries
    // on, so the 110 lags' sums are contiguous loads.
    float m_fCoarseRingReversed[2 * kCoarseRingSize];
    float m_fRing[kRingSize];
    // The loan in force for the block being processed (streaming thread).
    TrackRecord* m_pTrack;
    int32_t m_nTrackCapacity;
    TrackLoan m_Loans[2];
    std::atomic<uint32_t> m_nLoan;
    std::atomic<uint32_t> m_nLoanInUse;

    // Requests not yet carried out (kClearRequest, kReloadRequest). On a
    // cache line of its own: the streaming thread reads it every sample, and
    // writes of its own nearby would slow down every setter that posts.
    alignas(64) std::atomic<uint32_t> m_nRequests;
    // The streaming thread's copies of what its per-sample path tests.
    struct alignas(64) SampleFlags
    {
        int32_t bFrameClock; // tracking, correcting or vibrato: the frame clock runs
        int32_t bTracking;
        int32_t bWaitForSignal;
        int32_t bSearching;
        int32_t bResetDetectorPending;
        int32_t bBypass;
        float fRatio;
    } m_Now;
    // The input ring again, time-reversed and written twice: the sample that
    // went into ring slot s sits at [2047 - s] and [4095 - s]. Counting back
    // from the newest sample then walks forward through memory without a
    // wrap, so the fine bank's eight lags are contiguous loads.
    alignas(64) float m_fRingReversed[2 * kRingSize];
};

static_assert(std::atomic<int32_t>::is_always_lock_free && sizeof(std::atomic<int32_t>) == 4);
static_assert(std::atomic<float>::is_always_lock_free && sizeof(std::atomic<float>) == 4);
static_assert(std::atomic<float*>::is_always_lock_free);

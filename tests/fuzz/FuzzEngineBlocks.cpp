// The engine, behind its controller, fed whatever the fuzzer makes up: raw
// float blocks (NaN, infinities, denormals, huge values), sung tones it can
// lock onto, long silences, bursts of special values, and between blocks
// settings changes through SetParameter, sample-rate changes and graphical
// passes with arbitrary target periods. Whatever comes in, every output
// sample must be a finite number, and nothing may hang or touch memory it
// does not own.
//
// Input layout: a sequence of operations, each an opcode byte followed by
// its arguments (see the switch below). Running out of bytes ends the run.

#include <algorithm>
#include <array>
#include <atomic>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <numbers>
#include <vector>

#include "FuzzInput.h"
#include "engine/TrackRecord.h"
#include "modes/DspObject.h"
#include "settings/ParameterIds.h"

namespace {

using fuzz::CFuzzInput;

constexpr int kMaxBlock = 4096;
constexpr int kMaxOperations = 400;
constexpr int kRecords = 48;
// Samples one input may push through the engine, so that every input runs
// in a fraction of a second.
constexpr int kSampleBudget = 1 << 18;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// The automatic-mode settings of a freshly created filter.
constexpr int kDefaultBlock[9] = {2, 0, 100, 126, 0, 30, 55, 300, 25};

const std::array<float, 16> kSpecialValues = {
    std::numeric_limits<float>::quiet_NaN(),
    -std::numeric_limits<float>::quiet_NaN(),
    std::numeric_limits<float>::infinity(),
    -std::numeric_limits<float>::infinity(),
    std::numeric_limits<float>::denorm_min(),
    -FLT_MIN / 2.0f,
    FLT_MAX,
    -FLT_MAX,
    1e-10f,
    -9.99e-11f,
    1e30f,
    -1e20f,
    0.0f,
    1.0f,
    -1.0f,
    32767.0f,
};

class CEngineRun
{
public:
    CEngineRun()
        : m_pDsp(std::make_unique<CDspObject>()), m_Records(kRecords), m_In(kMaxBlock), m_Out(kMaxBlock)
    {
        m_pDsp->Initialise();
        m_pDsp->SetAutomaticSettings(kDefaultBlock);
        m_pDsp->SetSampleRate(44100.0f);
        m_pDsp->ResetEngine();
    }

    void Run(CFuzzInput& in)
    {
        for (int op = 0; op < kMaxOperations && !in.Empty() && m_nBudget > 0; ++op) {
            switch (in.Byte() % 10) {
            case 0:
            case 1: RawBlock(in); break;
            case 2: ToneBlock(in); break;
            case 3: Silence(in); break;
            case 4: SpecialValues(in); break;
            case 5:
            case 6: SetParameter(in); break;
            case 7: SampleRate(in); break;
            case 8: Pass(in); break;
            case 9: InPlaceBlock(in); break;
            }
        }
    }

private:
    void Process(const float* pIn, float* pOut, int n)
    {
        n = std::min(n, m_nBudget);
        m_nBudget -= n;
        m_pDsp->m_Engine.Process(pIn, pOut, n);
        fuzz::RequireFinite(pOut, n, "engine");
    }

    // As many floats as are left, up to the length asked for.
    void RawBlock(CFuzzInput& in)
    {
        const int asked = in.U16() % kMaxBlock + 1;
        int n = 0;
        while (n < asked && in.Left() >= 4)
            m_In[static_cast<size_t>(n++)] = in.Float();
        Process(m_In.data(), m_Out.data(), n);
    }

    // A voiced tone with a few harmonics, continuing the phase of the last
    // one, so the detector locks and the correction runs. The amplitude is
    // a byte-chosen level or, rarely, any float at all.
    void ToneBlock(CFuzzInput& in)
    {
        const double period = 16.0 + in.U16() % 1200;
        const uint8_t level = in.Byte();
        const float amplitude = level == 255 ? in.Float() : std::pow(10.0f, -static_cast<float>(level) / 40.0f);
        const int n = in.U16() % kMaxBlock + 1;
        for (int i = 0; i < n; ++i) {
            m_dPhase += kTwoPi / period;
            if (m_dPhase > kTwoPi)
                m_dPhase -= kTwoPi;
            const double v = 0.6 * std::sin(m_dPhase) + 0.25 * std::sin(2.0 * m_dPhase) + 0.1 * std::sin(3.0 * m_dPhase);
            m_In[static_cast<size_t>(i)] = static_cast<float>(v) * amplitude;
        }
        Process(m_In.data(), m_Out.data(), n);
    }

    // Up to a few seconds of exact zeros, or of near-silence below the
    // engine's flush level, in blocks.
    void Silence(CFuzzInput& in)
    {
        const int total = in.U16() * 2;
        const float floor = (in.Byte() & 1) ? 5e-11f : 0.0f;
        for (int i = 0; i < kMaxBlock; ++i)
            m_In[static_cast<size_t>(i)] = (i & 1) ? floor : -floor;
        for (int done = 0; done < total && m_nBudget > 0;) {
            const int n = std::min(kMaxBlock, total - done);
            Process(m_In.data(), m_Out.data(), n);
            done += n;
        }
    }

    // Special values, alone or as spikes on top of a tone.
    void SpecialValues(CFuzzInput& in)
    {
        const int n = in.Byte() + 1;
        const bool onTone = (in.Byte() & 1) != 0;
        for (int i = 0; i < n; ++i) {
            const uint8_t b = in.Byte();
            if (onTone && (b & 0x80) == 0) {
                m_dPhase += kTwoPi / 100.0;
                m_In[static_cast<size_t>(i)] = static_cast<float>(0.5 * std::sin(m_dPhase));
            } else {
                m_In[static_cast<size_t>(i)] = kSpecialValues[b % kSpecialValues.size()];
            }
        }
        Process(m_In.data(), m_Out.data(), n);
    }

    // Any ID near the table, with a small value, a 16-bit one or any 32-bit
    // one.
    void SetParameter(CFuzzInput& in)
    {
        const int id = static_cast<int>(in.Byte() % 40) - 2;
        int value = 0;
        switch (in.Byte() % 4) {
        case 0: value = static_cast<int8_t>(in.Byte()); break;
        case 1: value = static_cast<int16_t>(in.U16()); break;
        case 2: value = in.I32(); break;
        case 3: value = in.Byte() & 1 ? INT_MAX : INT_MIN; break;
        }
        m_pDsp->SetParameter(id, value);
    }

    // Format negotiation hands over any 32-bit rate the upstream offers.
    void SampleRate(CFuzzInput& in)
    {
        static constexpr uint32_t kRates[] = {8000, 11025, 22050, 44100, 48000, 96000, 192000, 768000};
        const uint8_t b = in.Byte();
        const uint32_t rate = b < 200 ? kRates[b % 8] : in.U32();
        m_pDsp->SetSampleRate(static_cast<float>(rate));
        if (in.Byte() & 1)
            m_pDsp->ResetEngine();
    }

    // What the graph does around a pass: arming, drawing target periods
    // (any float at all), polling, finishing.
    void Pass(CFuzzInput& in)
    {
        const int capacity = in.Byte() % kRecords + 1;
        switch (in.Byte() % 6) {
        case 0:
            m_pDsp->StartTracking(m_Records.data(), capacity);
            break;
        case 1:
            m_pDsp->StartCorrecting(m_Records.data(), capacity);
            break;
        case 2: {
            int count = 0;
            m_pDsp->FinishTracking(nullptr, nullptr, nullptr, &count, capacity, m_Records.data());
            break;
        }
        case 3: {
            const int first = in.Byte() % kRecords;
            const int n = in.Byte() % 8 + 1;
            for (int i = first; i < first + n && i < kRecords; ++i) {
                const float target = in.Float();
                std::atomic_ref<float>(m_Records[static_cast<size_t>(i)].fTargetPeriod)
                    .store(target, std::memory_order_relaxed);
            }
            break;
        }
        case 4: {
            unsigned lastToggle = 0;
            short blink = 1;
            m_pDsp->GetTrackingStatus(&lastToggle, &blink, capacity, nullptr);
            m_pDsp->PollStatus();
            break;
        }
        case 5:
            m_pDsp->SetControlValue(0, in.Byte() & 1);
            break;
        }
    }

    // Input and output in the same buffer, as the filter's float path does.
    void InPlaceBlock(CFuzzInput& in)
    {
        const int n = in.U16() % kMaxBlock + 1;
        for (int i = 0; i < n; ++i)
            m_Out[static_cast<size_t>(i)] = m_In[static_cast<size_t>(i)];
        Process(m_Out.data(), m_Out.data(), n);
    }

    std::unique_ptr<CDspObject> m_pDsp;
    std::vector<TrackRecord> m_Records;
    std::vector<float> m_In;
    std::vector<float> m_Out;
    double m_dPhase = 0.0;
    int m_nBudget = kSampleBudget;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    CFuzzInput in(pData, nSize);
    CEngineRun run;
    run.Run(in);
    return 0;
}

#include "settings/RetuneTaper.h"

#include <atomic>
#include <cmath>
#include <cstdint>

namespace retune_taper {
namespace {

struct Curve
{
    double fK;  // exponent at t = 1
    double fG;  // scale, so that value = low + g * (e^(k t) - 1)
};

Curve DeriveCurve(double low, double middle, double high)
{
    const double a = middle - low;
    const double b = high - low;
    const double k = 2.0 * std::log(b / a - 1.0);
    return {k, b / (std::exp(k) - 1.0)};
}

// The constants of the last (low, middle, high) seen, shared by every
// thread without a lock and without per-thread storage: an even sequence
// number brackets a consistent copy. A caller that finds the cache being
// refreshed, or refreshed under it, derives the constants itself.
class CCurveCache
{
public:
    Curve Get(double low, double middle, double high)
    {
        uint32_t seq = m_nSeq.load(std::memory_order_acquire);
        if (seq != 0 && seq % 2 == 0) {
            // Acquire loads keep the second look at the sequence number
            // after every read of the copy (a fence would too, but the
            // thread sanitizer cannot follow fences).
            const double l = m_fLow.load(std::memory_order_acquire);
            const double m = m_fMiddle.load(std::memory_order_acquire);
            const double h = m_fHigh.load(std::memory_order_acquire);
            const Curve c{m_fK.load(std::memory_order_acquire), m_fG.load(std::memory_order_acquire)};
            if (m_nSeq.load(std::memory_order_relaxed) == seq && l == low && m == middle && h == high)
                return c;
        }
        const Curve c = DeriveCurve(low, middle, high);
        if (seq % 2 == 0 && m_nSeq.compare_exchange_strong(seq, seq + 1, std::memory_order_acquire)) {
            m_fLow.store(low, std::memory_order_relaxed);
            m_fMiddle.store(middle, std::memory_order_relaxed);
            m_fHigh.store(high, std::memory_order_relaxed);
            m_fK.store(c.fK, std::memory_order_relaxed);
            m_fG.store(c.fG, std::memory_order_relaxed);
            m_nSeq.store(seq + 2, std::memory_order_release);
        }
        return c;
    }

private:
    std::atomic<uint32_t> m_nSeq{0};
    std::atomic<double> m_fLow{0.0}, m_fMiddle{0.0}, m_fHigh{0.0}, m_fK{0.0}, m_fG{0.0};
};

CCurveCache g_Forward;
CCurveCache g_Inverse;

} // namespace

double IndexToValue(int index, int steps, double low, double middle, double high)
{
    if (steps < 2)
        return low;
    if (index < 0)
        index = 0;
    if (index > steps - 1)
        index = steps - 1;
    const Curve c = g_Forward.Get(low, middle, high);
    const double t = static_cast<double>(index) / (steps - 1);
    return low + c.fG * (std::exp(c.fK * t) - 1.0);
}

int ValueToIndex(double value, int steps, double low, double middle, double high)
{
    if (steps < 2)
        return 0;
    const Curve c = g_Inverse.Get(low, middle, high);
    const double arg = (value - low) / c.fG + 1.0;
    // Below the curve's reach (or NaN): the first step.
    if (!(arg > 0.0))
        return 0;
    const double t = std::log(arg) / c.fK;
    const double index = (steps - 1) * t + 0.5;
    if (!(index >= 0.0))
        return 0;
    if (index >= steps - 1)
        return steps - 1;
    return static_cast<int>(index);
}

int IndexToMs(int index)
{
    // The curve's midpoint comes out a hair under 50; the nudge keeps such
    // values on their whole millisecond when truncated.
    return static_cast<int>(IndexToValue(index, kSteps, kLowMs, kMiddleMs, kHighMs) + 1e-13);
}

int MsToIndex(int ms)
{
    return ValueToIndex(ms, kSteps, kLowMs, kMiddleMs, kHighMs);
}

} // namespace retune_taper

#include "settings/RetuneTaper.h"

#include <cmath>

namespace retune_taper {
namespace {

struct CurveCache
{
    bool bValid = false;
    double fLow = 0.0, fMiddle = 0.0, fHigh = 0.0;
    double fK = 0.0;  // exponent at t = 1
    double fG = 0.0;  // scale, so that value = low + g * (e^(k t) - 1)
    unsigned nMisses = 0;

    void Refresh(double low, double middle, double high)
    {
        if (bValid && low == fLow && middle == fMiddle && high == fHigh)
            return;
        const double a = middle - low;
        const double b = high - low;
        fK = 2.0 * std::log(b / a - 1.0);
        fG = b / (std::exp(fK) - 1.0);
        fLow = low;
        fMiddle = middle;
        fHigh = high;
        bValid = true;
        ++nMisses;
    }
};

// The UI thread is the only regular user; per-thread caches keep a second
// caller (a host thread, a test) from racing on them without a lock.
thread_local CurveCache t_Forward;
thread_local CurveCache t_Inverse;

} // namespace

double IndexToValue(int index, int steps, double low, double middle, double high)
{
    if (steps < 2)
        return low;
    if (index < 0)
        index = 0;
    if (index > steps - 1)
        index = steps - 1;
    t_Forward.Refresh(low, middle, high);
    const double t = static_cast<double>(index) / (steps - 1);
    return low + t_Forward.fG * (std::exp(t_Forward.fK * t) - 1.0);
}

int ValueToIndex(double value, int steps, double low, double middle, double high)
{
    if (steps < 2)
        return 0;
    t_Inverse.Refresh(low, middle, high);
    const double arg = (value - low) / t_Inverse.fG + 1.0;
    // Below the curve's reach (or NaN): the first step.
    if (!(arg > 0.0))
        return 0;
    const double t = std::log(arg) / t_Inverse.fK;
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

unsigned ForwardCacheMisses()
{
    return t_Forward.nMisses;
}

unsigned InverseCacheMisses()
{
    return t_Inverse.nMisses;
}

} // namespace retune_taper

#pragma once
// Pitch as the graph shows it (integer cents relative to middle C, 900 cents
// being 440 Hz) against pitch as the engine measures it (a period in
// samples). Both directions take the frame rate, sample rate / 200, because
// that is the rate the graph knows; 200 * frameRate is the sample rate.
//
// Header-only and free of state: the controller converts tracked periods with
// it when no graph view is attached, and the graph view uses the same
// functions, so both always agree on what a period means in cents.

#include <cmath>
#include <cstdint>

namespace pitch_units {

inline constexpr double kReferenceHz = 440.0;
inline constexpr double kReferenceCents = 900.0;  // A above middle C
inline constexpr double kCentsPerOctave = 1200.0;
inline constexpr double kSamplesPerFrame = 200.0;

// Far beyond any audible pitch, yet well inside int32: the clamp only keeps
// a degenerate period (0, negative, infinite) from overflowing the rounding.
inline constexpr double kCentsLimit = 1.0e6;

} // namespace pitch_units

// Period in samples to cents, rounded to the nearest integer with halves away
// from zero. A period that is not a positive finite number has no pitch; it
// lands on one of the clamp ends (non-positive periods read as the top end)
// rather than on undefined behaviour.
inline int32_t PeriodToCents(float period, float frameRate)
{
    using namespace pitch_units;
    const double hz = kSamplesPerFrame * static_cast<double>(frameRate)
                      / static_cast<double>(period);
    double cents = kCentsPerOctave * std::log2(hz / kReferenceHz) + kReferenceCents;
    if (std::isnan(cents))
        cents = kCentsLimit;
    if (cents > kCentsLimit)
        cents = kCentsLimit;
    if (cents < -kCentsLimit)
        cents = -kCentsLimit;
    return static_cast<int32_t>(std::lround(cents));
}

// Cents to a period in samples, as the engine's target periods are stored.
inline float CentsToPeriod(double cents, float frameRate)
{
    using namespace pitch_units;
    const double period = (kSamplesPerFrame * static_cast<double>(frameRate) / kReferenceHz)
                          * std::pow(2.0, (kReferenceCents - cents) / kCentsPerOctave);
    return static_cast<float>(period);
}

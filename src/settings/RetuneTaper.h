#pragma once
// The retune-speed taper: a three-point exponential curve through
// (0, low), (0.5, middle), (1, high) sampled in a fixed number of steps.
// Retune speeds are exchanged as a step index and stored as milliseconds,
// so the slider spends most of its travel on the short, audible times.

namespace retune_taper {

inline constexpr int kSteps = 401;
inline constexpr double kLowMs = 0.0;
inline constexpr double kMiddleMs = 50.0;
inline constexpr double kHighMs = 400.0;

// The curve needs middle - low < (high - low) / 2, i.e. it bends towards the
// low end, as it does with the constants above.
// Index (clamped to 0 .. steps - 1) to value on the curve.
double IndexToValue(int index, int steps, double low, double middle, double high);
// Value to the nearest index, clamped to 0 .. steps - 1.
int ValueToIndex(double value, int steps, double low, double middle, double high);

// The store's conversions: whole milliseconds from an index, and back.
int IndexToMs(int index);
int MsToIndex(int ms);

} // namespace retune_taper

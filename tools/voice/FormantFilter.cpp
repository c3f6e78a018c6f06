#include "voice/VoiceParts.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace voice::detail {

namespace {

// Resonances of the tract above the named formants, about one every
// 1100 Hz as in a uniform tube. A cascade that stopped at the fifth formant
// would fall off a cliff above it and leave the voice muffled.
constexpr double kUpperSpacingHz = 1100.0;
constexpr double kUpperBandwidthHz = 600.0;
constexpr double kUpperLimitHz = 20000.0;

}  // namespace

CFormantFilter::CFormantFilter(const VoiceOptions& options)
{
    const double fs = options.sampleRate;
    const double scale = options.formantScale;
    // A resonance at or above this cannot be represented; the voice simply
    // loses it at low sample rates.
    const double ceiling = 0.45 * fs;
    double highest = 0.0;
    for (const Formant& formant : options.formants) {
        highest = std::max(highest, formant.hz * scale);
        AddResonator(formant.hz * scale, formant.bandwidthHz * scale, fs, ceiling);
    }
    for (double hz = highest + kUpperSpacingHz * scale; hz < std::min(ceiling, kUpperLimitHz * scale);
         hz += kUpperSpacingHz * scale)
        AddResonator(hz, kUpperBandwidthHz * scale, fs, ceiling);
}

void CFormantFilter::AddResonator(double hz, double bandwidth, double sampleRate, double ceiling)
{
    if (hz <= 0.0 || bandwidth <= 0.0 || hz >= ceiling)
        return;
    const double radius = std::exp(-std::numbers::pi * bandwidth / sampleRate);
    Resonator r;
    r.c = -radius * radius;
    r.b = 2.0 * radius * std::cos(2.0 * std::numbers::pi * hz / sampleRate);
    r.a = 1.0 - r.b - r.c;
    m_vResonators.push_back(r);
}

double CFormantFilter::Process(double x)
{
    for (Resonator& r : m_vResonators) {
        const double y = r.a * x + r.b * r.y1 + r.c * r.y2;
        r.y2 = r.y1;
        r.y1 = y;
        x = y;
    }
    return x;
}

void CFormantFilter::Reset()
{
    for (Resonator& r : m_vResonators)
        r.y1 = r.y2 = 0.0;
}

}  // namespace voice::detail

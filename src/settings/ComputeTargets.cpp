#include <cmath>
#include <cstdlib>

#include "settings/ScaleSet.h"
#include "settings/ScaleTables.h"

namespace {

static_assert(kMaxScaleEntries == CScaleSet::kMaxEntries);

// Sums of up to three doubled periods must stay within 32 bits.
constexpr double kFoldLimit = 268435456.0;

} // namespace

void CScaleSet::ApplyNoteFlags(short scale, int* count, int* degrees, int* tonicNotTracked)
{
    if (!count || !degrees)
        return;
    const int entries = *count;
    int notTracked = 0;
    if (entries <= 0) {
        *count = 0;
        if (tonicNotTracked)
            *tonicNotTracked = 0;
        return;
    }

    const bool edited = IsValidScale(scale) && m_pRemove[scale] && m_pDoNotTrack[scale];
    if (!edited) {
        *count = entries - 1;
        if (tonicNotTracked)
            *tonicNotTracked = 0;
        return;
    }

    const int32_t* doNotTrack = m_pDoNotTrack[scale];
    const int32_t* remove = m_pRemove[scale];
    int flags = m_nDoNotTrackBytes[scale] < m_nRemoveBytes[scale] ? m_nDoNotTrackBytes[scale]
                                                                   : m_nRemoveBytes[scale];
    flags /= static_cast<int>(sizeof(int32_t));

    // The sign carries "do not track" through the removal pass below; the
    // tonic's 0 has no sign, so it is reported separately.
    for (int d = 1; d <= entries - 2 && d < flags; ++d)
        if (doNotTrack[d])
            degrees[d] = -degrees[d];
    // A removed tonic has no zone left to leave uncorrected.
    if (flags > 0 && doNotTrack[0] && !remove[0])
        notTracked = 1;

    int n = entries;
    for (int d = entries - 2; d >= 0; --d) {
        if (d >= flags || !remove[d])
            continue;
        for (int j = d; j < n - 1; ++j)
            degrees[j] = degrees[j + 1];
        --n;
    }
    *count = n - 1;
    if (tonicNotTracked)
        *tonicNotTracked = notTracked;
}

int CScaleSet::ComputeTargets(short key, double sampleRate, short* count, const int** periods,
                              const int** bounds)
{
    if (key < 0 || key > 11)
        return 1;
    if (!std::isfinite(sampleRate) || !(sampleRate > 0.0))
        return 1;
    const int scale = m_nScale.load(std::memory_order_relaxed);
    if (!IsValidScale(scale))
        return 1;

    const double tonicHz = 440.0 * std::exp(std::log(2.0) * (key - 9) / 12.0);
    double fold = sampleRate / tonicHz;
    while (fold < kFoldLow)
        fold *= 2.0;
    if (!(fold < kFoldLimit))
        return 1;

    const ScaleDefinition& def = g_ScaleDefinitions[scale];
    for (int i = 0; i < def.nEntries; ++i)
        m_nDegrees[i] = def.pDegrees[i];
    int n = def.nEntries;
    int tonicNotTracked = 0;
    ApplyNoteFlags(static_cast<short>(scale), &n, m_nDegrees, &tonicNotTracked);
    if (n <= 0)
        return 1;

    // Highest note first, so the periods ascend and the key note comes last.
    for (int i = 0; i < n; ++i) {
        const int d = std::abs(m_nDegrees[n - 1 - i]);
        m_nPeriods[i] =
            static_cast<int32_t>(std::pow(2.0, (kOctaveDegree - d) / static_cast<double>(kOctaveDegree)) *
                                     fold +
                                 0.5);
    }

    for (int i = 1; i < n; ++i)
        m_nBounds[i] = (m_nPeriods[i - 1] + m_nPeriods[i]) / 2;
    m_nBounds[n] = (m_nPeriods[n - 1] + 2 * m_nPeriods[0]) / 2;
    m_nBounds[0] = m_nBounds[n] / 2;

    // The zone stays (its boundaries were set above) but gets no target. The
    // period that belongs to degree j sits at n - 1 - j.
    for (int j = 0; j < n; ++j)
        if (m_nDegrees[j] < 0)
            m_nPeriods[n - 1 - j] = 0;
    if (tonicNotTracked)
        m_nPeriods[n - 1] = 0;

    if (count)
        *count = static_cast<short>(n);
    if (periods)
        *periods = m_nPeriods;
    if (bounds)
        *bounds = m_nBounds;
    return 0;
}

#include "job/PitchRange.h"

#include <algorithm>
#include <cmath>

#include "host/SampleConversion.h"
#include "job/TextFormat.h"

namespace job {

namespace {

// The longest period the detector follows, measured with steady voiced
// tones at rates from 22.05 to 192 kHz.
constexpr double kLongestPeriod = 860.0;
// The analysis runs near this rate, at which 20 Hz is a lag of 551.
constexpr int kAnalysisRate = 11025;
constexpr size_t kFrame = 1024;
constexpr double kLowestHz = 20.0;
// A frame counts as voiced when it is this loud (RMS) and its best lag
// repeats it this closely (normalised autocorrelation).
constexpr double kVoicedRms = 0.01;
constexpr double kVoicedCorrelation = 0.6;
// Fewer voiced frames than this (about a second) say nothing.
constexpr int kMinVoiced = 10;

} // namespace

double LowestCorrectedHz(int sampleRate)
{
    return sampleRate / kLongestPeriod;
}

CLowPitchCheck::CLowPitchCheck(int sampleRate)
    : m_nRate(sampleRate), m_nDecimation(std::max(1, sampleRate / kAnalysisRate)), m_Frame(kFrame)
{
}

void CLowPitchCheck::Add(const float* pMono, int nFrames)
{
    for (int i = 0; i < nFrames; ++i)
        AddDecimated(pMono[i]);
}

void CLowPitchCheck::Add(const int16_t* pMono, int nFrames)
{
    for (int i = 0; i < nFrames; ++i)
        AddDecimated(Pcm16ToFloat(pMono[i]));
}

// Averaging groups of samples is a crude low-pass, enough for the
// fundamental of a voice.
void CLowPitchCheck::AddDecimated(float x)
{
    m_fSum += std::isfinite(x) ? x : 0.0f;
    if (++m_nSummed < m_nDecimation)
        return;
    m_Frame[m_nFilled++] = m_fSum / static_cast<float>(m_nDecimation);
    m_fSum = 0.0f;
    m_nSummed = 0;
    if (m_nFilled == kFrame) {
        AnalyseFrame();
        m_nFilled = 0;
    }
}

void CLowPitchCheck::AnalyseFrame()
{
    const double rate = static_cast<double>(m_nRate) / m_nDecimation;
    const size_t maxLag = std::min(kFrame / 2, static_cast<size_t>(rate / kLowestHz));
    const size_t minLag = std::max<size_t>(2, static_cast<size_t>(rate / 1000.0));
    const size_t span = kFrame - maxLag;
    double energy = 0.0;
    for (size_t i = 0; i < kFrame; ++i)
        energy += static_cast<double>(m_Frame[i]) * m_Frame[i];
    if (std::sqrt(energy / kFrame) < kVoicedRms)
        return;
    // The shortest lag within 10 % of the best correlation, so that a
    // multiple of the period does not win.
    std::vector<double> corr(maxLag + 1, 0.0);
    double best = 0.0;
    for (size_t lag = minLag; lag <= maxLag; ++lag) {
        double xy = 0.0, xx = 0.0, yy = 0.0;
        for (size_t i = 0; i < span; ++i) {
            xy += static_cast<double>(m_Frame[i]) * m_Frame[i + lag];
            xx += static_cast<double>(m_Frame[i]) * m_Frame[i];
            yy += static_cast<double>(m_Frame[i + lag]) * m_Frame[i + lag];
        }
        corr[lag] = xy / std::sqrt(xx * yy + 1e-30);
        best = std::max(best, corr[lag]);
    }
    if (best < kVoicedCorrelation)
        return;
    size_t lag = minLag;
    while (lag < maxLag && !(corr[lag] >= 0.9 * best && corr[lag] >= corr[lag - 1] && corr[lag] >= corr[lag + 1]))
        ++lag;
    ++m_nVoiced;
    if (rate / static_cast<double>(lag) < LowestCorrectedHz(m_nRate))
        ++m_nBelow;
}

std::string CLowPitchCheck::Warning() const
{
    if (m_nVoiced < kMinVoiced || m_nBelow * 2 <= m_nVoiced)
        return {};
    return Printf("most of the voice lies below %.0f Hz, the lowest pitch corrected at %d Hz; "
                  "those notes pass through uncorrected",
                  LowestCorrectedHz(m_nRate), m_nRate);
}

} // namespace job

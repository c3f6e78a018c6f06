#include "analysis/PitchAnalysis.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>

namespace analysis {

namespace {

struct PitchDeleter {
    void operator()(aubio_pitch_t* pitch) const { del_aubio_pitch(pitch); }
};
struct VectorDeleter {
    void operator()(fvec_t* vector) const { del_fvec(vector); }
};
using PitchPtr = std::unique_ptr<aubio_pitch_t, PitchDeleter>;
using VectorPtr = std::unique_ptr<fvec_t, VectorDeleter>;

bool IsYinFamily(const std::string& method)
{
    return method == "yin" || method == "yinfast";
}

unsigned SmallestPowerOfTwoAtLeast(double n)
{
    unsigned size = 32;
    while (size < n)
        size *= 2;
    return size;
}

// One detector, fed hop by hop.
class CDetector {
public:
    CDetector(const AnalysisOptions& options, unsigned bufferSize, unsigned hopSize, unsigned sampleRate)
        : m_pPitch(new_aubio_pitch(options.method.c_str(), bufferSize, hopSize, sampleRate)),
          m_pIn(new_fvec(hopSize)),
          m_pOut(new_fvec(1))
    {
        if (!m_pPitch || !m_pIn || !m_pOut)
            throw std::runtime_error("analysis: the pitch detector could not be created");
        aubio_pitch_set_unit(m_pPitch.get(), "Hz");
        aubio_pitch_set_silence(m_pPitch.get(), static_cast<smpl_t>(options.silenceDb));
        aubio_pitch_set_tolerance(m_pPitch.get(), static_cast<smpl_t>(options.tolerance));
    }

    // Hz for the hop just given (0 when the detector hears nothing), and its confidence.
    std::pair<double, double> Step(const float* hop)
    {
        for (uint_t i = 0; i < m_pIn->length; ++i)
            m_pIn->data[i] = static_cast<smpl_t>(hop[i]);
        aubio_pitch_do(m_pPitch.get(), m_pIn.get(), m_pOut.get());
        return {m_pOut->data[0], aubio_pitch_get_confidence(m_pPitch.get())};
    }

private:
    PitchPtr m_pPitch;
    VectorPtr m_pIn;
    VectorPtr m_pOut;
};

}  // namespace

std::vector<PitchFrame> AnalysePitch(const float* samples, size_t count, double sampleRate,
                                     const AnalysisOptions& options)
{
    if (!(sampleRate >= 1000.0 && sampleRate <= 1.0e6) || std::round(sampleRate) != sampleRate)
        throw std::invalid_argument("analysis: sample rate must be a whole number of Hz, 1000 to 1000000");
    if (options.method != "yin" && options.method != "yinfast" && options.method != "yinfft")
        throw std::invalid_argument("analysis: unknown method '" + options.method + "'");
    if (count > 0 && samples == nullptr)
        throw std::invalid_argument("analysis: no samples");

    const unsigned bufferSize = options.bufferSize ? options.bufferSize : SmallestPowerOfTwoAtLeast(0.04 * sampleRate);
    const unsigned hopSize = options.hopSize ? options.hopSize : bufferSize / 8;
    if (bufferSize < 64 || hopSize < 1 || hopSize > bufferSize)
        throw std::invalid_argument("analysis: buffer must be at least 64 samples and the hop within it");

    CDetector detector(options, bufferSize, hopSize, static_cast<unsigned>(sampleRate));
    const bool yin = IsYinFamily(options.method);

    std::vector<PitchFrame> frames;
    for (size_t start = 0; start + hopSize <= count; start += hopSize) {
        const auto [hz, confidence] = detector.Step(samples + start);
        const size_t end = start + hopSize;
        // Until the buffer has filled, the detector is partly looking at
        // the zeros it started with.
        if (end < bufferSize)
            continue;
        if (!(hz >= options.minHz && hz <= options.maxHz) || confidence < options.minConfidence)
            continue;
        // Yin compares the first half of its buffer with itself one period
        // later, so that stretch is what the answer describes. The FFT
        // method looks at the whole buffer.
        const double windowStart = static_cast<double>(end) - bufferSize;
        const double centre = yin ? windowStart + 0.5 * (0.5 * bufferSize + sampleRate / hz)
                                  : windowStart + 0.5 * bufferSize;
        frames.push_back({centre / sampleRate, hz, confidence});
    }
    return frames;
}

std::vector<PitchFrame> AnalysePitch(const std::vector<float>& samples, double sampleRate,
                                     const AnalysisOptions& options)
{
    return AnalysePitch(samples.data(), samples.size(), sampleRate, options);
}

double CentsBetween(double hz, double referenceHz)
{
    if (!(hz > 0.0) || !(referenceHz > 0.0))
        return std::numeric_limits<double>::quiet_NaN();
    return 1200.0 * std::log2(hz / referenceHz);
}

double CentsFromNearestNote(double hz)
{
    const double fromA4 = CentsBetween(hz, 440.0);
    return fromA4 - 100.0 * std::floor(fromA4 / 100.0 + 0.5);
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return std::numeric_limits<double>::quiet_NaN();
    std::sort(values.begin(), values.end());
    const double position = std::clamp(p, 0.0, 100.0) / 100.0 * static_cast<double>(values.size() - 1);
    const size_t below = static_cast<size_t>(std::floor(position));
    const size_t above = std::min(below + 1, values.size() - 1);
    const double fraction = position - static_cast<double>(below);
    return values[below] + fraction * (values[above] - values[below]);
}

PitchSummary SummarisePitch(const std::vector<PitchFrame>& frames)
{
    std::vector<double> deviations;
    deviations.reserve(frames.size());
    for (const PitchFrame& frame : frames)
        deviations.push_back(std::fabs(CentsFromNearestNote(frame.hz)));
    return {Percentile(deviations, 50.0), Percentile(deviations, 90.0), frames.size()};
}

TargetDeviation DeviationFromTarget(const std::vector<PitchFrame>& frames, double targetHz, double fromSeconds,
                                    double toSeconds)
{
    std::vector<double> cents;
    std::vector<double> magnitudes;
    double sum = 0.0;
    for (const PitchFrame& frame : frames) {
        if (frame.seconds < fromSeconds || frame.seconds > toSeconds)
            continue;
        const double c = CentsBetween(frame.hz, targetHz);
        cents.push_back(c);
        magnitudes.push_back(std::fabs(c));
        sum += c;
    }
    const double mean = cents.empty() ? std::numeric_limits<double>::quiet_NaN() : sum / cents.size();
    return {Percentile(cents, 50.0), mean, Percentile(magnitudes, 90.0), cents.size()};
}

}  // namespace analysis

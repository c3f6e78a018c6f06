#pragma once

// Pitch measurement that shares nothing with Intonara's own detector, so
// tests can check the engine against an outside opinion. The detector
// underneath is aubio's; nothing of it shows through this header.

#include <cstddef>
#include <string>
#include <vector>

namespace analysis {

struct PitchFrame {
    double seconds;      // the moment the frame speaks for, from the first sample
    double hz;
    double confidence;   // 0..1, as the detector reports it
};

struct AnalysisOptions {
    // "yin" or "yinfast" (same results, the latter quicker), or "yinfft".
    // Prefer the yin family: in the aubio we build against, yinfft always
    // reports zero confidence and reads pure or nearly pure tones several
    // cents sharp.
    std::string method = "yin";
    unsigned bufferSize = 0;      // 0: the power of two nearest 40 ms
    unsigned hopSize = 0;         // 0: an eighth of the buffer
    double tolerance = 0.10;      // yin's dip threshold; lower means fewer octave-up answers
    double minConfidence = 0.9;   // frames below this count as unvoiced
    double silenceDb = -60.0;     // frames quieter than this count as unvoiced
    double minHz = 50.0;          // and so do answers outside this range
    double maxHz = 2000.0;
};

// The voiced frames of a mono signal, in time order.
std::vector<PitchFrame> AnalysePitch(const float* samples, size_t count, double sampleRate,
                                     const AnalysisOptions& options = {});
std::vector<PitchFrame> AnalysePitch(const std::vector<float>& samples, double sampleRate,
                                     const AnalysisOptions& options = {});

// Signed distance in cents from the nearest note of 12-tone equal
// temperament with A4 = 440 Hz, in [-50, 50).
double CentsFromNearestNote(double hz);

// Signed distance in cents from hz to a reference frequency.
double CentsBetween(double hz, double referenceHz);

// Linear interpolation between order statistics (p in 0..100). The values
// need not be sorted. NaN for an empty list.
double Percentile(std::vector<double> values, double p);

struct PitchSummary {
    double medianAbsCents;   // of |CentsFromNearestNote| over the voiced frames; NaN if none
    double p90AbsCents;
    size_t voicedFrames;
};
PitchSummary SummarisePitch(const std::vector<PitchFrame>& frames);

// How the frames between fromSeconds and toSeconds sit against targetHz.
struct TargetDeviation {
    double medianCents;   // signed; NaN if no frame falls in the window
    double meanCents;
    double p90AbsCents;
    size_t frames;
};
TargetDeviation DeviationFromTarget(const std::vector<PitchFrame>& frames, double targetHz,
                                    double fromSeconds, double toSeconds);

}  // namespace analysis

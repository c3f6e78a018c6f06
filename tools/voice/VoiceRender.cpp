#include "voice/VoiceParts.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace voice::detail {

namespace {

void Require(bool condition, const char* what)
{
    if (!condition)
        throw std::invalid_argument(std::string("voice: ") + what);
}

bool InRange(double value, double low, double high)
{
    return std::isfinite(value) && value >= low && value <= high;
}

}  // namespace

void ValidateOptions(const VoiceOptions& o)
{
    Require(InRange(o.sampleRate, 8000.0, 384000.0), "sample rate must be between 8000 and 384000 Hz");
    Require(InRange(o.level, 1e-6, 1.0) , "level must be above 0 and at most 1");
    Require(InRange(o.vibratoCents, 0.0, 1200.0), "vibrato depth must be 0 to 1200 cents");
    Require(InRange(o.vibratoHz, 0.0, 50.0), "vibrato rate must be 0 to 50 Hz");
    Require(InRange(o.vibratoDelay, 0.0, 60.0) && InRange(o.vibratoOnset, 0.0, 60.0),
            "vibrato delay and onset must be 0 to 60 seconds");
    Require(InRange(o.portamentoMs, 0.0, 10000.0) && InRange(o.attackMs, 0.0, 10000.0) &&
                InRange(o.releaseMs, 0.0, 10000.0),
            "portamento, attack and release must be 0 to 10000 ms");
    Require(InRange(o.leadIn, 0.0, 3600.0), "lead-in must be 0 to 3600 seconds");
    Require(InRange(o.jitter, 0.0, 0.1), "jitter must be 0 to 0.1");
    Require(InRange(o.shimmer, 0.0, 0.5), "shimmer must be 0 to 0.5");
    Require(InRange(o.breath, 0.0, 1.0), "breath must be 0 to 1");
    Require(InRange(o.formantScale, 0.25, 4.0), "formant scale must be 0.25 to 4");
}

std::vector<float> RenderVoice(const std::vector<double>& hz, const std::vector<double>& amplitude,
                               const VoiceOptions& options)
{
    ValidateOptions(options);
    Require(hz.size() == amplitude.size(), "pitch and amplitude lengths differ");

    const size_t count = hz.size();
    CGlottalSource source(options);
    CFormantFilter filter(options);

    // Once the source has been silent this long the resonators have rung
    // down below anything a float can show, so rests come out as exact zeros.
    const size_t ringOut = static_cast<size_t>(std::ceil(0.05 * options.sampleRate));

    std::vector<double> voice(count, 0.0);
    double lastHz = 100.0;
    for (double h : hz) {
        if (h > 0.0) {
            lastHz = h;
            break;
        }
    }
    size_t silentRun = ringOut;   // the filter starts at rest
    for (size_t i = 0; i < count; ++i) {
        if (hz[i] > 0.0 && std::isfinite(hz[i]))
            lastHz = hz[i];
        if (amplitude[i] > 0.0) {
            silentRun = 0;
        } else if (++silentRun >= ringOut) {
            if (silentRun == ringOut)
                filter.Reset();
            source.SkipSample(lastHz);
            continue;
        }
        voice[i] = filter.Process(source.Next(lastHz, std::max(0.0, amplitude[i])));
    }

    double peak = 0.0;
    for (double v : voice)
        peak = std::max(peak, std::fabs(v));
    const double gain = peak > 0.0 ? options.level / peak : 0.0;

    std::vector<float> out(count);
    for (size_t i = 0; i < count; ++i)
        out[i] = static_cast<float>(std::clamp(voice[i] * gain, -1.0, 1.0));
    return out;
}

}  // namespace voice::detail

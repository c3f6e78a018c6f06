#include "job/CorrectionJob.h"

#include <algorithm>

#include "job/JobError.h"
#include "job/OptionParsing.h"
#include "job/OutputFile.h"
#include "job/TextFormat.h"
#include "settings/RetuneTaper.h"
#include "settings/ScaleSet.h"

namespace job {

void AverageChannels(const float* pInterleaved, int nFrames, int nChannels, float* pOut)
{
    // The plain average: a signal present in every channel keeps its
    // level, and nothing can clip that did not clip before.
    for (int i = 0; i < nFrames; ++i) {
        double sum = 0.0;
        const float* frame = &pInterleaved[static_cast<size_t>(i) * static_cast<size_t>(nChannels)];
        for (int c = 0; c < nChannels; ++c)
            sum += frame[c];
        pOut[i] = static_cast<float>(sum / nChannels);
    }
}

void CheckRequest(const CorrectionRequest& request)
{
    if (request.nBlockFrames < 1)
        ThrowUsage("the block size must be at least one frame");
    CheckInputAndOutput(request.sInPath, request.sOutPath);
}

CorrectionSummary PlanCorrection(const CorrectionRequest& request, const SoundFormat& format)
{
    CheckCorrectable(format, request.sInPath);
    CorrectionSummary summary;
    summary.sInPath = request.sInPath;
    summary.sOutPath = request.sOutPath;
    summary.input = format;
    summary.path = ChoosePath(format, request.bMixdown, request.sInPath);
    summary.nOutputFormat =
        ChooseOutputFormat(request.sOutPath, format.nFormat, format.nSampleRate, summary.path);
    summary.bBypass = request.settings.bBypass;
    summary.dA4Hz = request.settings.dA4Hz;
    return summary;
}

std::string FormatSummary(const CorrectionSummary& s)
{
    const double seconds =
        s.input.nSampleRate > 0 ? static_cast<double>(s.nFrames) / s.input.nSampleRate : 0.0;
    std::string line = Printf("corrected %s into %s: %.1f s of %s at %d Hz", s.sInPath.c_str(),
                              s.sOutPath.c_str(), seconds, DescribePath(s.path), s.input.nSampleRate);
    const SettingsBlock& a = s.applied;
    if (s.bBypass) {
        line += ", bypassed (only delayed)";
    } else {
        const std::string a4 = s.dA4Hz ? Printf(" (for A4 = %g Hz)", *s.dA4Hz) : "";
        line += Printf(", scale \"%s\", key %s, detune %s cents%s, retune %d ms, threshold %d, vibrato %s",
                       CScaleSet::GetDisplayName(a[0]), CScaleSet::GetKeyName(a[1]),
                       a[2] == 100 ? "0" : Printf("%+d", a[2] - 100).c_str(), a4.c_str(),
                       retune_taper::IndexToMs(a[3]), a[8], VibratoTypeName(a[4]));
        if (a[4] != 0)
            line += Printf(" (%d cents, %d.%d Hz, after %d ms)", a[5], a[6] / 10, a[6] % 10, a[7]);
    }
    line += Printf("; took %.2f s", s.dWallSeconds);
    if (s.dWallSeconds > 0.0 && seconds > 0.0)
        line += Printf(", %.0fx real time", seconds / s.dWallSeconds);
    return line;
}

} // namespace job

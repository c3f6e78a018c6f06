#include "job/CorrectionJob.h"

#include <sndfile.h>

#include <filesystem>

#include "job/JobError.h"
#include "job/OptionParsing.h"
#include "job/OutputFile.h"
#include "job/TextFormat.h"
#include "settings/RetuneTaper.h"
#include "settings/ScaleSet.h"

namespace job {

// Two significant figures below ten, whole numbers above: a tiny file read
// in a few milliseconds is "0.35x", not "0x".
std::string Speed(double times)
{
    return Printf(times >= 10.0 ? "%.0fx" : times >= 1.0 ? "%.1fx" : "%.2fx", times);
}

ChannelChoice ParseChannelChoice(bool bMixdown, const std::optional<std::string>& channel)
{
    ChannelChoice choice;
    if (bMixdown) {
        choice.eMode = ChannelMode::Mixdown;
    } else if (channel) {
        choice.eMode = ChannelMode::One;
        choice.nChannel = ParseWholeNumber(*channel, "--channel", 1, 65535, "(1 is the first)") - 1;
    }
    return choice;
}

std::string DisplayName(const std::string& path, bool bOutput)
{
    if (path == kStandardStream)
        return bOutput ? "standard output" : "standard input";
    return path;
}

void CheckRequest(const CorrectionRequest& request)
{
    if (request.nBlockFrames < 1)
        ThrowUsage("the block size must be at least one frame");
    if (request.sInPath == kStandardStream)
        return;
    if (request.sOutPath == kStandardStream) {
        CheckInputAndOutput(request.sInPath, "");
        return;
    }
    CheckInputAndOutput(request.sInPath, request.sOutPath);
}

ProcessingPath ChooseProcessing(const SoundFormat& format, const ChannelChoice& channels,
                                const std::string& displayPath)
{
    if (channels.eMode == ChannelMode::One && (channels.nChannel < 0 || channels.nChannel >= format.nChannels))
        ThrowFailure(Printf("%s has %d channel%s; --channel takes 1%s", displayPath.c_str(), format.nChannels,
                            format.nChannels == 1 ? "" : "s",
                            format.nChannels == 1 ? "" : Printf(" to %d", format.nChannels).c_str()));
    return (format.nFormat & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16 && channels.eMode != ChannelMode::Mixdown
               ? ProcessingPath::Pcm16
               : ProcessingPath::Float32;
}

CorrectionSummary PlanCorrection(const CorrectionRequest& request, const SoundFormat& format)
{
    const std::string in = DisplayName(request.sInPath, false);
    CheckCorrectable(format, in);
    CorrectionSummary summary;
    summary.sInPath = request.sInPath;
    summary.sOutPath = request.sOutPath;
    summary.input = format;
    summary.channels = request.channels;
    summary.path = ChooseProcessing(format, request.channels, in);
    summary.nChannels = ProcessedChannels(request.channels, format.nChannels);
    summary.nOutputFormat =
        ResolveOutputFormat(request.output, format, summary.nChannels, DisplayName(request.sOutPath, true));
    summary.bKeepLatency = request.bKeepLatency;
    summary.bBypass = request.settings.bBypass;
    summary.dA4Hz = request.settings.dA4Hz;
    return summary;
}

std::string DescribeOutput(const CorrectionSummary& s)
{
    std::string text;
    switch (s.channels.eMode) {
    case ChannelMode::Mixdown: text += ", mixed down to one channel"; break;
    case ChannelMode::One: text += Printf(", channel %d only", s.channels.nChannel + 1); break;
    case ChannelMode::Each:
        if (s.nChannels > 1)
            text += Printf(", each channel through a processor of its own (%d at a time)", s.nThreads);
        break;
    }
    SoundFormat output = s.input;
    output.nChannels = s.nChannels;
    output.nFormat = s.nOutputFormat;
    text += "; written as " + DescribeFormat(output) +
            (s.bKeepLatency ? Printf(", %d samples late as a host receives it", s.nLatency)
                            : std::string(", lined up with the input"));
    return text;
}

std::string FormatSummary(const CorrectionSummary& s)
{
    const int rate = s.input.nSampleRate;
    const double seconds = rate > 0 ? static_cast<double>(s.nFrames) / rate : 0.0;
    std::string line = Printf("corrected %s into %s: %.1f s of %s at %d Hz", DisplayName(s.sInPath, false).c_str(),
                              DisplayName(s.sOutPath, true).c_str(), seconds, DescribeFormat(s.input).c_str(), rate);
    line += DescribeOutput(s);

    const SettingsBlock& a = s.applied;
    if (s.bBypass) {
        line += "; bypassed (not corrected)";
    } else {
        const std::string a4 = s.dA4Hz ? Printf(" (for A4 = %g Hz)", *s.dA4Hz) : "";
        line += Printf("; scale \"%s\", key %s, detune %s cents%s, retune %d ms, threshold %d, vibrato %s",
                       CScaleSet::GetDisplayName(a[0]), CScaleSet::GetKeyName(a[1]),
                       a[2] == 100 ? "0" : Printf("%+d", a[2] - 100).c_str(), a4.c_str(),
                       retune_taper::IndexToMs(a[3]), a[8], VibratoTypeName(a[4]));
        if (a[4] != 0)
            line += Printf(" (%d cents, %d.%d Hz, after %d ms)", a[5], a[6] / 10, a[6] % 10, a[7]);
    }
    line += Printf("; took %.2f s", s.dWallSeconds);
    if (s.dWallSeconds > 0.0 && seconds > 0.0)
        line += ", " + Speed(seconds / s.dWallSeconds) + " real time";
    return line;
}

std::string FormatLogEntry(const CorrectionSummary& s)
{
    const int rate = s.input.nSampleRate;
    std::string entry = Printf("corrected %s into %s\n", DisplayName(s.sInPath, false).c_str(),
                               DisplayName(s.sOutPath, true).c_str());
    entry += Printf("input: %s, %d Hz, %lld frames (%.3f s)\n", DescribeFormat(s.input).c_str(), rate,
                    static_cast<long long>(s.input.nFrames), rate > 0 ? static_cast<double>(s.input.nFrames) / rate : 0.0);
    std::string channels = "one channel";
    if (s.channels.eMode == ChannelMode::Mixdown)
        channels = "the average of all channels";
    else if (s.channels.eMode == ChannelMode::One)
        channels = Printf("channel %d", s.channels.nChannel + 1);
    else if (s.nChannels > 1)
        channels = Printf("%d channels, each through a filter of its own, %d at a time", s.nChannels, s.nThreads);
    entry += Printf("processing: %s, through the filter's %s path\n", channels.c_str(),
                    s.path == ProcessingPath::Pcm16 ? "16-bit" : "float");
    const SettingsBlock& a = s.applied;
    entry += Printf("settings: scale %d \"%s\", key %d (%s), detune %d (%+d cents), retune step %d (%d ms), vibrato "
                    "%d (%s; depth %d cents, rate %d.%d Hz, delay %d ms), threshold %d, bypass %s\n",
                    a[0], CScaleSet::GetDisplayName(a[0]), a[1], CScaleSet::GetKeyName(a[1]), a[2], a[2] - 100, a[3],
                    retune_taper::IndexToMs(a[3]), a[4], VibratoTypeName(a[4]), a[5], a[6] / 10, a[6] % 10, a[7],
                    a[8], s.bBypass ? "on" : "off");
    SoundFormat output = s.input;
    output.nChannels = s.nChannels;
    output.nFormat = s.nOutputFormat;
    entry += Printf("output: %s, %lld frames, %s\n", DescribeFormat(output).c_str(), static_cast<long long>(s.nFrames),
                    s.bKeepLatency ? Printf("%d samples late (delay kept)", s.nLatency).c_str()
                                   : Printf("lined up with the input (the %d-sample delay trimmed)", s.nLatency).c_str());
    const double seconds = rate > 0 ? static_cast<double>(s.nFrames) / rate : 0.0;
    entry += Printf("took %.3f s", s.dWallSeconds);
    if (s.dWallSeconds > 0.0 && seconds > 0.0)
        entry += ", " + Speed(seconds / s.dWallSeconds) + " real time";
    if (!s.sWarning.empty())
        entry += "\nwarning: " + s.sWarning;
    return entry;
}

std::string OutputPathInFolder(const std::string& inPath, const std::string& folder,
                               const std::optional<std::string>& format)
{
    std::filesystem::path name = std::filesystem::path(inPath).filename();
    if (format)
        name.replace_extension(OutputExtension(*format));
    return (std::filesystem::path(folder) / name).string();
}

} // namespace job

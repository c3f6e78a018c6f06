#include "job/SoundFormat.h"

#include <sndfile.h>

#include <cctype>
#include <filesystem>

#include "job/JobError.h"

namespace job {

namespace {

std::string LibraryFormatName(int format)
{
    SF_FORMAT_INFO info{};
    info.format = format;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name)
        return info.name;
    return "unknown format";
}

std::string Lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::string DescribeEncoding(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8: return "8-bit signed PCM";
    case SF_FORMAT_PCM_U8: return "8-bit unsigned PCM";
    case SF_FORMAT_PCM_16: return "16-bit PCM";
    case SF_FORMAT_PCM_24: return "24-bit PCM";
    case SF_FORMAT_PCM_32: return "32-bit integer PCM";
    case SF_FORMAT_FLOAT: return "32-bit float";
    case SF_FORMAT_DOUBLE: return "64-bit float";
    case SF_FORMAT_ULAW: return "u-law";
    case SF_FORMAT_ALAW: return "A-law";
    default: return LibraryFormatName(format & SF_FORMAT_SUBMASK);
    }
}

std::string DescribeContainer(int format)
{
    switch (format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV: return "WAV";
    case SF_FORMAT_WAVEX: return "WAV";
    case SF_FORMAT_AIFF: return "AIFF";
    case SF_FORMAT_AU: return "AU";
    case SF_FORMAT_FLAC: return "FLAC";
    case SF_FORMAT_CAF: return "CAF";
    case SF_FORMAT_W64: return "W64";
    case SF_FORMAT_RF64: return "RF64";
    case SF_FORMAT_OGG: return "Ogg";
    default: return LibraryFormatName(format & SF_FORMAT_TYPEMASK);
    }
}

std::string DescribeFormat(const SoundFormat& format)
{
    std::string channels;
    if (format.nChannels == 1)
        channels = "mono";
    else if (format.nChannels == 2)
        channels = "stereo";
    else
        channels = std::to_string(format.nChannels) + "-channel";
    return channels + " " + DescribeEncoding(format.nFormat) + " " + DescribeContainer(format.nFormat);
}

const char* DescribePath(ProcessingPath path)
{
    switch (path) {
    case ProcessingPath::Pcm16: return "mono 16-bit PCM";
    case ProcessingPath::Float32: return "mono 32-bit float";
    case ProcessingPath::Mixdown: return "mixed to mono 32-bit float";
    }
    return "";
}

void CheckCorrectable(const SoundFormat& format, const std::string& displayPath)
{
    if (format.nSampleRate < kMinCorrectionSampleRate || format.nSampleRate > kMaxCorrectionSampleRate)
        ThrowFailure(displayPath + " is sampled at " + std::to_string(format.nSampleRate) +
                     " Hz; intonara corrects audio sampled at " + std::to_string(kMinCorrectionSampleRate) +
                     " to " + std::to_string(kMaxCorrectionSampleRate) + " Hz");
    if (format.nFrames == 0)
        ThrowFailure(displayPath + " holds no audio: its header is sound but it has no sample frames");
}

ProcessingPath ChoosePath(const SoundFormat& format, bool bMixdown, const std::string& displayPath)
{
    if (bMixdown)
        return ProcessingPath::Mixdown;
    const int encoding = format.nFormat & SF_FORMAT_SUBMASK;
    if (format.nChannels == 1 && encoding == SF_FORMAT_PCM_16)
        return ProcessingPath::Pcm16;
    if (format.nChannels == 1 && encoding == SF_FORMAT_FLOAT)
        return ProcessingPath::Float32;
    ThrowFailure(displayPath + " is " + DescribeFormat(format) +
                 ", but only mono 16-bit PCM or mono 32-bit float can be corrected as it is; "
                 "add --mixdown to convert it to mono 32-bit float first");
}

int ChooseOutputFormat(const std::string& outPath, int inputFormat, int sampleRate, ProcessingPath path)
{
    const int encoding = path == ProcessingPath::Pcm16 ? SF_FORMAT_PCM_16 : SF_FORMAT_FLOAT;

    int container = inputFormat & SF_FORMAT_TYPEMASK;
    std::string extension = Lowered(std::filesystem::path(outPath).extension().string());
    if (!extension.empty())
        extension.erase(0, 1);
    if (extension == "aif")
        extension = "aiff";
    if (!extension.empty()) {
        int count = 0;
        sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
        for (int i = 0; i < count; ++i) {
            SF_FORMAT_INFO info{};
            info.format = i;
            if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info) == 0 && info.extension &&
                extension == info.extension) {
                container = info.format & SF_FORMAT_TYPEMASK;
                break;
            }
        }
    }

    SF_INFO check{};
    check.channels = 1;
    check.samplerate = sampleRate;
    check.format = container | encoding;
    if (!sf_format_check(&check))
        ThrowUsage(outPath + ": a " + DescribeContainer(container) + " file cannot hold " +
                   DescribeEncoding(encoding) + " at " + std::to_string(sampleRate) +
                   " Hz; name the output with a .wav extension");
    return check.format;
}

} // namespace job

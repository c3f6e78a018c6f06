#include "job/SoundFormat.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>

#include "job/JobError.h"
#include "job/Suggest.h"
#include "job/TextFormat.h"

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

void CheckCorrectable(const SoundFormat& format, const std::string& displayPath)
{
    if (format.nSampleRate < kMinCorrectionSampleRate || format.nSampleRate > kMaxCorrectionSampleRate)
        ThrowFailure(displayPath + " is sampled at " + std::to_string(format.nSampleRate) +
                     " Hz; intonara corrects audio sampled at " + std::to_string(kMinCorrectionSampleRate) +
                     " to " + std::to_string(kMaxCorrectionSampleRate) + " Hz");
    if (format.nFrames == 0)
        ThrowFailure(displayPath + " holds no audio: its header is sound but it has no sample frames");
}

namespace {

struct ContainerName
{
    const char* pszName;       // for --format
    const char* pszExtensions; // blank-separated, without dots
    int nFormat;               // major | the one codec, when there is one
    const char* pszDisplay;
};

constexpr ContainerName kContainers[] = {
    {"wav", "wav wave", SF_FORMAT_WAV, "WAV"},
    {"aiff", "aif aiff aifc", SF_FORMAT_AIFF, "AIFF"},
    {"flac", "flac", SF_FORMAT_FLAC, "FLAC"},
    {"ogg", "ogg oga", SF_FORMAT_OGG | SF_FORMAT_VORBIS, "Ogg Vorbis"},
    {"opus", "opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, "Opus"},
    {"mp3", "mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, "MP3"},
    {"caf", "caf", SF_FORMAT_CAF, "CAF"},
    {"w64", "w64", SF_FORMAT_W64, "W64"},
    {"rf64", "rf64", SF_FORMAT_RF64, "RF64"},
    {"au", "au snd", SF_FORMAT_AU, "AU"},
};

struct BitsName
{
    const char* pszName;
    int nEncoding;
};

// 8-bit is unsigned in WAV and signed elsewhere; both stand for "8".
constexpr BitsName kBits[] = {{"8", SF_FORMAT_PCM_U8}, {"16", SF_FORMAT_PCM_16},  {"24", SF_FORMAT_PCM_24},
                              {"32", SF_FORMAT_PCM_32}, {"float", SF_FORMAT_FLOAT}, {"double", SF_FORMAT_DOUBLE}};

const ContainerName* FindContainer(int major)
{
    for (const ContainerName& c : kContainers)
        if ((c.nFormat & SF_FORMAT_TYPEMASK) == major)
            return &c;
    return nullptr;
}

std::string ContainerDisplay(int format)
{
    const ContainerName* c = FindContainer(format & SF_FORMAT_TYPEMASK);
    return c ? c->pszDisplay : DescribeContainer(format);
}

// The rates the two lossy codecs are defined for.
bool RateAllowed(int container, int rate, std::string* pRates)
{
    static constexpr int kOpus[] = {8000, 12000, 16000, 24000, 48000};
    static constexpr int kMpeg[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    std::vector<int> rates;
    if ((container & SF_FORMAT_SUBMASK) == SF_FORMAT_OPUS)
        rates.assign(std::begin(kOpus), std::end(kOpus));
    else if ((container & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG)
        rates.assign(std::begin(kMpeg), std::end(kMpeg));
    else
        return true;
    for (size_t i = 0; i < rates.size(); ++i)
        *pRates += (i == 0 ? "" : i + 1 == rates.size() ? " or " : ", ") + std::to_string(rates[i]);
    return std::find(rates.begin(), rates.end(), rate) != rates.end();
}

bool Holds(int format, int channels, int rate)
{
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = rate;
    info.format = format;
    return sf_format_check(&info) != 0;
}

bool IsDeep(int encoding)
{
    switch (encoding) {
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_ALAC_20:
    case SF_FORMAT_ALAC_24:
    case SF_FORMAT_ALAC_32:
        return true;
    default:
        return false;
    }
}

} // namespace

std::string DescribeFormat(const SoundFormat& format)
{
    std::string channels;
    if (format.nChannels == 1)
        channels = "mono";
    else if (format.nChannels == 2)
        channels = "stereo";
    else
        channels = std::to_string(format.nChannels) + "-channel";
    // A container with one codec is named by it alone: "Ogg Vorbis", "MP3".
    for (const ContainerName& c : kContainers)
        if ((c.nFormat & SF_FORMAT_SUBMASK) != 0 &&
            c.nFormat == (format.nFormat & (SF_FORMAT_TYPEMASK | SF_FORMAT_SUBMASK)))
            return channels + " " + c.pszDisplay;
    return channels + " " + DescribeEncoding(format.nFormat) + " " + DescribeContainer(format.nFormat);
}

std::string OutputExtension(const std::string& formatName)
{
    const std::string name = Lowered(formatName) == "vorbis" ? "ogg" : Lowered(formatName);
    std::string extension = ".";
    for (const ContainerName& c : kContainers)
        if (name == c.pszName) {
            const std::string_view all(c.pszExtensions);
            return extension.append(all.substr(0, all.find(' ')));
        }
    return extension.append(name);
}

std::vector<std::string> OutputFormatNames()
{
    std::vector<std::string> names;
    for (const ContainerName& c : kContainers)
        names.push_back(c.pszName);
    return names;
}

OutputRequest ParseOutputRequest(const std::string& outPath, const std::optional<std::string>& format,
                                 const std::optional<std::string>& bits)
{
    std::string list;
    for (const ContainerName& c : kContainers)
        list += (list.empty() ? "" : ", ") + std::string(c.pszName);

    OutputRequest request;
    if (format) {
        std::string name = Lowered(*format);
        if (name == "vorbis")
            name = "ogg";
        for (const ContainerName& c : kContainers)
            if (name == c.pszName)
                request.nContainer = c.nFormat;
        if (request.nContainer == 0)
            ThrowUsage("--format: intonara does not write \"" + *format + "\"" +
                       DidYouMean(name, OutputFormatNames()) + " Give " + list);
    } else if (outPath == "-") {
        request.nContainer = SF_FORMAT_WAV;
    } else {
        std::string extension = Lowered(std::filesystem::path(outPath).extension().string());
        if (!extension.empty()) {
            extension.erase(0, 1);
            for (const ContainerName& c : kContainers) {
                const std::string extensions = std::string(" ") + c.pszExtensions + " ";
                if (extensions.find(" " + extension + " ") != std::string::npos)
                    request.nContainer = c.nFormat;
            }
            if (request.nContainer == 0)
                ThrowUsage(outPath + ": intonara cannot tell a sound format from \"." + extension +
                           "\"; name the file .wav, .aiff, .flac, .ogg, .opus, .mp3, .caf, .w64, .rf64 or .au, "
                           "or give --format");
        }
    }

    if (bits) {
        const std::string name = Lowered(*bits);
        for (const BitsName& b : kBits)
            if (name == b.pszName)
                request.nEncoding = b.nEncoding;
        if (request.nEncoding == 0)
            ThrowUsage("--bits: \"" + *bits + "\" is not a sample size; give 8, 16, 24, 32, float or double");
        if ((request.nContainer & SF_FORMAT_SUBMASK) != 0)
            ThrowUsage("--bits: " + ContainerDisplay(request.nContainer) +
                       " is compressed and has no bit depth; leave --bits out");
        request.sBits = name;
    }
    return request;
}

int ResolveOutputFormat(const OutputRequest& request, const SoundFormat& input, int channels,
                        const std::string& outPath)
{
    const int rate = input.nSampleRate;
    int container = request.nContainer != 0 ? request.nContainer : (input.nFormat & SF_FORMAT_TYPEMASK);
    if ((container & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAVEX && request.nContainer == 0)
        container = SF_FORMAT_WAVEX;
    const std::string display = ContainerDisplay(container);

    std::string rates;
    if (!RateAllowed(container, rate, &rates))
        ThrowUsage(outPath + ": " + display + " holds audio at " + rates + " Hz, and the input is at " +
                   std::to_string(rate) + " Hz; intonara does not resample, so choose another format");

    // Containers with one codec.
    if ((container & SF_FORMAT_SUBMASK) != 0) {
        if (!Holds(container, channels, rate))
            ThrowUsage(outPath + ": " + display + " cannot hold " + std::to_string(channels) + " channels at " +
                       std::to_string(rate) + " Hz");
        return container;
    }

    std::vector<int> candidates;
    const int wanted = request.nEncoding != 0 ? request.nEncoding : (input.nFormat & SF_FORMAT_SUBMASK);
    candidates.push_back(wanted);
    if (wanted == SF_FORMAT_PCM_U8 || wanted == SF_FORMAT_PCM_S8)
        candidates.push_back(wanted == SF_FORMAT_PCM_U8 ? SF_FORMAT_PCM_S8 : SF_FORMAT_PCM_U8);
    if (request.nEncoding == 0) {
        const int deep[] = {SF_FORMAT_PCM_24, SF_FORMAT_FLOAT, SF_FORMAT_PCM_16};
        const int plain[] = {SF_FORMAT_PCM_16, SF_FORMAT_PCM_24, SF_FORMAT_FLOAT};
        for (const int encoding : IsDeep(wanted) ? deep : plain)
            candidates.push_back(encoding);
    }
    for (const int encoding : candidates)
        if (Holds(container | encoding, channels, rate))
            return container | encoding;

    if (request.nEncoding != 0) {
        std::string possible;
        for (const BitsName& b : kBits)
            if (Holds(container | b.nEncoding, channels, rate) ||
                (b.nEncoding == SF_FORMAT_PCM_U8 && Holds(container | SF_FORMAT_PCM_S8, channels, rate)))
                possible += (possible.empty() ? "" : ", ") + std::string(b.pszName);
        ThrowUsage(outPath + ": a " + display + " file cannot hold " + DescribeEncoding(request.nEncoding) +
                   " samples" + (possible.empty() ? "" : "; give --bits " + possible));
    }
    ThrowUsage(outPath + ": a " + display + " file cannot hold " + std::to_string(channels) + " channels at " +
               std::to_string(rate) + " Hz");
}

} // namespace job

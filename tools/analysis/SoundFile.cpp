#include "analysis/SoundFile.h"

#include <sndfile.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace analysis {

namespace {

struct FileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFilePtr = std::unique_ptr<SNDFILE, FileCloser>;

// Keeps a single line even when libsndfile's message ends with a newline.
std::string OneLine(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

}  // namespace

MonoSound ReadMonoSound(const std::string& path)
{
    SF_INFO info{};
    SoundFilePtr file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file)
        throw std::runtime_error(path + ": " + OneLine(sf_strerror(nullptr)));
    if (info.channels < 1 || info.samplerate < 1)
        throw std::runtime_error(path + ": no audio in the file");
    // Four hours of audio at 192 kHz; beyond that the file is not a recording we want.
    constexpr sf_count_t maxFrames = sf_count_t{192000} * 3600 * 4;
    if (info.frames < 0 || info.frames > maxFrames)
        throw std::runtime_error(path + ": unreasonable length");

    const size_t channels = static_cast<size_t>(info.channels);
    std::vector<float> interleaved(static_cast<size_t>(info.frames) * channels);
    const sf_count_t got = sf_readf_float(file.get(), interleaved.data(), info.frames);
    if (got < 0)
        throw std::runtime_error(path + ": " + OneLine(sf_strerror(file.get())));

    MonoSound sound;
    sound.sampleRate = info.samplerate;
    sound.samples.resize(static_cast<size_t>(got));
    for (size_t frame = 0; frame < sound.samples.size(); ++frame) {
        double sum = 0.0;
        for (size_t c = 0; c < channels; ++c)
            sum += interleaved[frame * channels + c];
        sound.samples[frame] = static_cast<float>(sum / static_cast<double>(channels));
    }
    return sound;
}

void WriteMonoPcm16Wav(const std::string& path, const std::vector<float>& samples, int sampleRate)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    if (!sf_format_check(&info))
        throw std::runtime_error(path + ": cannot write a WAV file at " + std::to_string(sampleRate) + " Hz");

    // Written beside the target and renamed over it, so a failure never
    // leaves a truncated file under the real name.
    const std::string partial = path + ".part";
    {
        SoundFilePtr file(sf_open(partial.c_str(), SFM_WRITE, &info));
        if (!file)
            throw std::runtime_error(path + ": " + OneLine(sf_strerror(nullptr)));
        sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
        const sf_count_t count = static_cast<sf_count_t>(samples.size());
        if (sf_writef_float(file.get(), samples.data(), count) != count) {
            const std::string reason = OneLine(sf_strerror(file.get()));
            file.reset();
            std::remove(partial.c_str());
            throw std::runtime_error(path + ": " + reason);
        }
        if (sf_close(file.release()) != 0) {
            std::remove(partial.c_str());
            throw std::runtime_error(path + ": could not finish writing");
        }
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        throw std::runtime_error(path + ": cannot replace the file");
    }
}

}  // namespace analysis

// bench_job: the correction job in process, file to file, so that the cost
// of reading, converting and writing can be set against the engine's own
// (bench_engine), and a four-channel file on one thread against as many as
// the cores allow. x_realtime is seconds of 44.1 kHz audio per second.

#include <sndfile.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "job/GraphCorrection.h"
#include "voice/DemoPhrase.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRate = 44100;

// The demo phrase in every channel, each a little later than the one
// before, so no two channels are the same.
std::string MakeInput(int format, int channels = 1)
{
    static const std::vector<float> phrase = voice::SynthesizeDemoPhrase(kRate);
    const fs::path path = fs::temp_directory_path() / ("intonara-bench-job-" + std::to_string(::getpid()) + "-" +
                                                       std::to_string(format) + "-" + std::to_string(channels) + ".wav");
    std::vector<float> frames(phrase.size() * static_cast<size_t>(channels));
    for (size_t i = 0; i < phrase.size(); ++i)
        for (int c = 0; c < channels; ++c)
            frames[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] =
                i >= static_cast<size_t>(c) * 100 ? phrase[i - static_cast<size_t>(c) * 100] : 0.0f;
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = kRate;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    sf_writef_float(file, frames.data(), static_cast<sf_count_t>(phrase.size()));
    sf_close(file);
    return path.string();
}

void CorrectFile(benchmark::State& state, int format, int channels = 1, int threads = 0)
{
    job::CorrectionRequest request;
    request.sInPath = MakeInput(format, channels);
    request.sOutPath = request.sInPath + ".out.wav";
    request.nMaxThreads = threads;
    int64_t frames = 0;
    for (auto _ : state)
        frames += job::RunGraphCorrection(request, {}).nFrames;
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(frames) / kRate, benchmark::Counter::kIsRate);
    state.counters["channels"] = channels;
    fs::remove(request.sInPath);
    fs::remove(request.sOutPath);
}

void BM_CorrectPcm16(benchmark::State& state)
{
    CorrectFile(state, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
}
void BM_CorrectFloat(benchmark::State& state)
{
    CorrectFile(state, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
}

// Four channels, on at most state.range(0) threads.
void BM_CorrectFourChannels(benchmark::State& state)
{
    CorrectFile(state, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 4, static_cast<int>(state.range(0)));
}

} // namespace

BENCHMARK(BM_CorrectPcm16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrectFloat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrectFourChannels)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();

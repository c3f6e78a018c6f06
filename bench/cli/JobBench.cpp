// bench_job: the correction job in process, file to file, so that the cost
// of reading, converting and writing can be set against the engine's own
// (bench_engine). x_realtime is seconds of 44.1 kHz audio per second.

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

std::string MakeInput(int format)
{
    static const std::vector<float> phrase = voice::SynthesizeDemoPhrase(kRate);
    const fs::path path = fs::temp_directory_path() /
                          ("intonara-bench-job-" + std::to_string(::getpid()) + "-" + std::to_string(format) + ".wav");
    SF_INFO info{};
    info.channels = 1;
    info.samplerate = kRate;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    sf_write_float(file, phrase.data(), static_cast<sf_count_t>(phrase.size()));
    sf_close(file);
    return path.string();
}

void CorrectFile(benchmark::State& state, int format)
{
    job::CorrectionRequest request;
    request.sInPath = MakeInput(format);
    request.sOutPath = request.sInPath + ".out.wav";
    int64_t frames = 0;
    for (auto _ : state)
        frames += job::RunGraphCorrection(request, {}).nFrames;
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(frames) / kRate, benchmark::Counter::kIsRate);
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

} // namespace

BENCHMARK(BM_CorrectPcm16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrectFloat)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

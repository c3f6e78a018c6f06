// Throughput of CPitchEngine::Process in its three typical states. The
// x_realtime counter is seconds of 44.1 kHz mono audio processed per second.

#include <cmath>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/EngineProbe.h"
#include "engine/EngineSignals.h"
#include "engine/PitchEngine.h"

using namespace enginetest;

namespace {

constexpr int kBlock = 512;

void Configure(CPitchEngine& e)
{
    e.SetThresholds(kThresholdU, kThresholdU - 0.5f, kThresholdU * 1.1f);
    const auto t = ChromaticTable(0);
    e.SetScaleTable(static_cast<short>(t.targets.size()), t.targets.data(), t.bounds.data());
    e.SetRetuneCoefficient(static_cast<float>(std::pow(0.5, 1.0 / ((kRate / 5.0) * 0.020))));
}

// One second of signal; every one used here loops without a seam.
void RunEngine(benchmark::State& state, const std::vector<float>& signal, bool expectLocked, bool vibrato = false)
{
    CPitchEngine e;
    Configure(e);
    std::vector<float> vib(1000);
    for (int i = 0; i < 1000; ++i)
        vib[i] = static_cast<float>(std::pow(2.0, std::sin(kTwoPi * i / 1000.0) / 12.0) - 1.0);
    if (vibrato) {
        e.SetVibrato(vib.data(), 1000, static_cast<float>(1000.0 / ((kRate * 10.0 / 200.0) / 55.0)), 0.3f, 66);
        e.EnableVibrato(1);
    }
    std::vector<float> out(signal.size());
    const int n = static_cast<int>(signal.size());
    e.Process(signal.data(), out.data(), n); // settle into the state being measured

    int pos = 0;
    int64_t samples = 0;
    int64_t lockedBlocks = 0;
    for (auto _ : state) {
        e.Process(signal.data() + pos, out.data() + pos, kBlock);
        benchmark::DoNotOptimize(out.data() + pos);
        pos += kBlock;
        if (pos + kBlock > n)
            pos = 0;
        samples += kBlock;
        lockedBlocks += e.IsSearching() == 0;
    }
    // Most blocks, not the last one: where the signal starts over the lock is
    // lost and found again, and a run may well end in between.
    const int64_t blocks = samples / kBlock;
    if ((lockedBlocks * 2 > blocks) != expectLocked)
        state.SkipWithError(expectLocked ? "engine lost its lock" : "engine locked unexpectedly");
    state.SetItemsProcessed(samples);
    state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(samples) / kRate, benchmark::Counter::kIsRate);
}

// A noise floor 60 dB down, as in any recording.
std::vector<float> WithFloor(std::vector<float> v)
{
    const auto n = Noise(1e-3, static_cast<int>(v.size()), 5);
    for (size_t i = 0; i < v.size(); ++i)
        v[i] += n[i];
    return v;
}

// 200 Hz is 220.5 samples: 200 periods in one second.
std::vector<float> Voice()
{
    return WithFloor(Tone(Shape::Harmonics, kRate / 200.0, 0.4, static_cast<int>(kRate)));
}

void BM_SearchWhiteNoise(benchmark::State& state)
{
    RunEngine(state, Noise(0.3, static_cast<int>(kRate), 17), false);
}

void BM_SearchSilence(benchmark::State& state)
{
    RunEngine(state, std::vector<float>(static_cast<int>(kRate), 0.0f), false);
}

void BM_LockedVoice200Hz(benchmark::State& state)
{
    RunEngine(state, Voice(), true);
}

void BM_LockedSawtooth200Hz(benchmark::State& state)
{
    std::vector<float> v(static_cast<int>(kRate));
    const double period = kRate / 200.0;
    for (size_t i = 0; i < v.size(); ++i) {
        const double phase = i / period;
        v[i] = static_cast<float>(0.4 * (2.0 * (phase - std::floor(phase)) - 1.0));
    }
    RunEngine(state, WithFloor(v), true);
}

void BM_LockedVoiceWithVibrato(benchmark::State& state)
{
    RunEngine(state, Voice(), true, true);
}

// The same with the x86-64 baseline build of the block loop, which every
// processor without 256-bit vectors runs.
void BM_LockedVoice200HzBaselineCode(benchmark::State& state)
{
    const bool wide = CEngineProbe::UsesWideCode();
    CEngineProbe::UseWideCode(false);
    RunEngine(state, Voice(), true);
    CEngineProbe::UseWideCode(wide);
}

} // namespace

BENCHMARK(BM_SearchWhiteNoise);
BENCHMARK(BM_SearchSilence);
BENCHMARK(BM_LockedVoice200Hz);
BENCHMARK(BM_LockedSawtooth200Hz);
BENCHMARK(BM_LockedVoiceWithVibrato);
BENCHMARK(BM_LockedVoice200HzBaselineCode);
BENCHMARK_MAIN();

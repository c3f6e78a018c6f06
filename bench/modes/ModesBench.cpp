// Automatic mode as the filter runs it: a controller set up with its
// defaults, settings sent as the panel sends them, and a held sung note
// streamed through its engine in 512-sample blocks. x_realtime is seconds of
// 44.1 kHz audio processed per second of one core.

#include <vector>

#include <benchmark/benchmark.h>

#include "modes/DspObject.h"
#include "settings/ParameterIds.h"
#include "voice/VoiceSynth.h"

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 512;

// Four seconds of a held A3 with a singer's vibrato, its fade-out cut off.
// The loop's seam costs one re-lock every four seconds.
const std::vector<float>& HeldNote()
{
    static const std::vector<float> note = [] {
        voice::VoiceOptions o;
        o.sampleRate = kRate;
        o.vibratoCents = 15.0;
        o.vibratoDelay = 0.0;
        o.seed = 3;
        std::vector<float> v = voice::SynthesizeSteadyVowel(220.0 * 1.012, 4.2, o);
        v.resize(static_cast<size_t>(4.0 * kRate));
        return v;
    }();
    return note;
}

void RunAutomatic(benchmark::State& state, int vibratoType)
{
    CDspObject dsp;
    dsp.Initialise();
    dsp.SetSampleRate(static_cast<float>(kRate));
    dsp.SetParameter(PARAM_VIBRATO_TYPE, vibratoType);
    dsp.ResetEngine();

    const std::vector<float>& in = HeldNote();
    std::vector<float> out(in.size());
    const int n = static_cast<int>(in.size());
    int pos = 0;
    int64_t samples = 0;
    int64_t lockedBlocks = 0, blocks = 0;
    for (auto _ : state) {
        dsp.m_Engine.Process(in.data() + pos, out.data() + pos, kBlock);
        benchmark::DoNotOptimize(out.data() + pos);
        pos += kBlock;
        if (pos + kBlock > n)
            pos = 0;
        samples += kBlock;
        lockedBlocks += dsp.m_Engine.IsSearching() == 0;
        ++blocks;
    }
    if (blocks > 100 && lockedBlocks < blocks * 9 / 10)
        state.SkipWithError("the engine spent too long without a lock");
    state.SetItemsProcessed(samples);
    state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(samples) / kRate, benchmark::Counter::kIsRate);
    state.counters["locked"] = blocks > 0 ? static_cast<double>(lockedBlocks) / blocks : 0.0;
}

void BM_AutomaticSineVibrato(benchmark::State& state)
{
    RunAutomatic(state, 1);
}

void BM_AutomaticNoVibrato(benchmark::State& state)
{
    RunAutomatic(state, 0);
}

} // namespace

BENCHMARK(BM_AutomaticSineVibrato);
BENCHMARK(BM_AutomaticNoVibrato);
BENCHMARK_MAIN();

// Sequences of SetParameter calls with any ID and any value on a processing
// controller, each followed by a short block of a sung tone (with gaps) so
// that every change meets a running engine: locked, searching, in a pass or
// not. The store checks no ranges, so the controller's hooks and the engine
// must cope with whatever values arrive; every output sample must stay
// finite.
//
// Input layout, repeated: an ID byte (0xF0 and above: a full 32-bit ID
// follows), a value-kind byte and the value, then a block-length byte
// (8 to 512 samples).

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

#include "FuzzInput.h"
#include "modes/DspObject.h"

namespace {

using fuzz::CFuzzInput;

constexpr int kRate = 44100;
constexpr int kMaxCalls = 300;
constexpr int kDefaultBlock[9] = {2, 0, 100, 126, 0, 30, 55, 300, 25};

// Two seconds of a voice-like tone gliding across a few semitones, with a
// short gap every half second (longer than the detector's silence limit),
// played in a loop.
const std::vector<float>& Voice()
{
    static const std::vector<float> samples = [] {
        std::vector<float> v(2 * kRate);
        double phase = 0.0;
        for (size_t i = 0; i < v.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            const double hz = 196.0 * std::pow(2.0, (3.0 * std::sin(2.0 * std::numbers::pi * 0.7 * t) + 0.3) / 12.0);
            phase += 2.0 * std::numbers::pi * hz / kRate;
            const bool gap = std::fmod(t, 0.5) > 0.44;
            const double s = 0.5 * std::sin(phase) + 0.2 * std::sin(2.0 * phase) + 0.1 * std::sin(3.0 * phase);
            v[i] = gap ? 0.0f : static_cast<float>(s);
        }
        return v;
    }();
    return samples;
}

int ReadId(CFuzzInput& in)
{
    const uint8_t b = in.Byte();
    if (b >= 0xF0)
        return in.I32();
    return static_cast<int>(b % 38) - 1;  // -1 .. 36, around the table's 1 .. 34
}

int ReadValue(CFuzzInput& in)
{
    switch (in.Byte() % 5) {
    case 0: return in.Byte() % 4;                   // flags, modes, types
    case 1: return static_cast<int8_t>(in.Byte());
    case 2: return static_cast<int16_t>(in.U16());
    case 3: return in.I32();
    default: {
        static constexpr int kEdges[] = {INT_MIN, INT_MIN + 1, -1, 0, 1, 400, 401, 3000, INT_MAX - 1, INT_MAX};
        return kEdges[in.Byte() % 10];
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    CFuzzInput in(pData, nSize);
    const std::vector<float>& voice = Voice();

    auto dsp = std::make_unique<CDspObject>();
    dsp->Initialise();
    dsp->SetAutomaticSettings(kDefaultBlock);
    dsp->SetSampleRate(static_cast<float>(kRate));
    dsp->ResetEngine();

    std::vector<float> out(1024);
    size_t cursor = 0;
    for (int call = 0; call < kMaxCalls && !in.Empty(); ++call) {
        const int id = ReadId(in);
        const int value = ReadValue(in);
        dsp->SetParameter(id, value);

        const int n = (in.Byte() % 64 + 1) * 8;
        for (int done = 0; done < n;) {
            const int chunk = static_cast<int>(std::min<size_t>(static_cast<size_t>(n - done), voice.size() - cursor));
            dsp->m_Engine.Process(&voice[cursor], out.data(), chunk);
            fuzz::RequireFinite(out.data(), chunk, "SetParameter sequence");
            cursor = (cursor + static_cast<size_t>(chunk)) % voice.size();
            done += chunk;
        }
    }
    return 0;
}

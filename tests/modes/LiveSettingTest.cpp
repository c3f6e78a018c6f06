// A setting changed while audio streams reaches the engine at once, not at
// the next stream start. F sharp is no note of C major, so the engine bends
// it; in D-flat major it is a note, so the same tone must pass unbent.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "modes/DspObject.h"
#include "settings/ParameterIds.h"

namespace {

float RatioAfter(CDspObject& dsp, const std::vector<float>& tone)
{
    std::vector<float> out(tone.size());
    dsp.m_Engine.Process(tone.data(), out.data(), static_cast<int>(tone.size()));
    float ratio = 0.0f;
    dsp.m_Engine.GetStatus(&ratio, nullptr);
    return ratio;
}

TEST(LiveSettings, AKeyChangeMovesTheTargetsWhileStreaming)
{
    constexpr double kRate = 44100.0;
    std::vector<float> tone(static_cast<size_t>(kRate / 2));
    for (size_t i = 0; i < tone.size(); ++i) {
        const double phase = 2.0 * M_PI * 369.99 * static_cast<double>(i) / kRate;  // F sharp 4
        tone[i] = static_cast<float>(0.4 * std::sin(phase) + 0.2 * std::sin(2.0 * phase));
    }
    auto dsp = std::make_unique<CDspObject>();
    dsp->Initialise();
    dsp->SetParameter(PARAM_SCALE, 0);  // Major
    dsp->SetParameter(PARAM_RETUNE, 0);
    dsp->SetSampleRate(static_cast<float>(kRate));
    dsp->ResetEngine();
    // A semitone's half either way: about 3 % off 1.
    EXPECT_GT(std::fabs(RatioAfter(*dsp, tone) - 1.0f), 0.02f);
    dsp->SetParameter(PARAM_KEY, 1);
    EXPECT_NEAR(RatioAfter(*dsp, tone), 1.0f, 0.003f);
}

} // namespace

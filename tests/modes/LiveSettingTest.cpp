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

namespace {

int Get(CDspObject& dsp, int id)
{
    int value = -12345;
    dsp.GetParameter(id, &value);
    return value;
}

// Values the store keeps in its own forms, read back as the panel reads
// them.
TEST(StoredValues, ReadBackInThePanelsUnits)
{
    auto dsp = std::make_unique<CDspObject>();
    dsp->Initialise();
    // A stored detune of 1 or -1 becomes 0; one cent either side of no
    // detune stays what it is.
    for (auto [sent, kept] : {std::pair{1, 0}, {-1, 0}, {99, 99}, {101, 101}, {0, 0}}) {
        dsp->SetParameter(PARAM_DETUNE, sent);
        EXPECT_EQ(Get(*dsp, PARAM_DETUNE), kept) << sent;
    }
    // The retune speed goes in as a taper index and is kept in whole
    // milliseconds: index 200 is 50 ms and comes back as 200, index 5 is
    // 0 ms and comes back as 0.
    dsp->SetParameter(PARAM_RETUNE, 200);
    EXPECT_EQ(Get(*dsp, PARAM_RETUNE), 200);
    dsp->SetParameter(PARAM_RETUNE, 5);
    EXPECT_EQ(Get(*dsp, PARAM_RETUNE), 0);
    // Buffer Size is reported minus one; 200 seconds by default.
    EXPECT_EQ(Get(*dsp, PARAM_BUFFER_SIZE), 199);
    // IDs outside 1 to 34 write nothing.
    EXPECT_EQ(Get(*dsp, 35), -12345);
    EXPECT_EQ(Get(*dsp, 0), -12345);
}

} // namespace

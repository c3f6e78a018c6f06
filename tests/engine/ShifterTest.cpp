// The shifter with period and ratio placed by hand (the detector is held in
// search state, where it leaves both alone).

#include <gtest/gtest.h>

#include "EngineProbe.h"
#include "EngineSignals.h"

using namespace enginetest;

namespace {

// How far the read position trails the write position after each sample.
std::vector<double> TraceTrailing(CPitchEngine& e, const std::vector<float>& in, std::vector<float>& out)
{
    std::vector<double> trailing;
    out.resize(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        e.Process(&in[i], &out[i], 1);
        const float f = CEngineProbe::ReadFrac(e);
        EXPECT_TRUE(f >= -0.5f && f < 0.5f) << i;
        trailing.push_back(((CEngineProbe::Write(e) - CEngineProbe::Read(e)) & CPitchEngine::kRingMask) - double(f));
    }
    return trailing;
}

void HandSet(CPitchEngine& e, float period, float ratio)
{
    NeverLock(e);
    CEngineProbe::SetPeriod(e, period);
    CEngineProbe::SetRatio(e, ratio);
}

} // namespace

TEST(Shifter, OctaveUpAndDownSpliceAtTheirDistances)
{
    // Double speed gains a sample per output sample and goes back one period
    // when 23 behind the write position; half speed loses half a sample and
    // goes forward one period once P + 40 behind.
    for (float ratio : {2.0f, 0.5f}) {
        const int period = ratio > 1.0f ? 100 : 120;
        const auto in = Tone(Shape::Sawtooth, period, 0.5, 8000);
        CPitchEngine e;
        HandSet(e, period, ratio);
        std::vector<float> out;
        const auto t = TraceTrailing(e, in, out);
        int splices = 0, last = -1;
        for (size_t i = 1; i < t.size(); ++i) {
            const double expected = t[i - 1] + (1.0 - ratio); // without a splice
            if (std::fabs(t[i] - expected) < 1e-9)
                continue;
            if (ratio > 1.0f) {
                EXPECT_EQ(expected, 23.0) << i;
                EXPECT_EQ(t[i], 23.0 + period) << i;
                if (last >= 0) {
                    EXPECT_EQ(int(i) - last, period) << "one splice per output period";
                }
            } else {
                EXPECT_EQ(expected, period + 40.0) << i;
                EXPECT_EQ(t[i], 40.0) << i;
            }
            last = static_cast<int>(i);
            ++splices;
        }
        EXPECT_GE(splices, ratio > 1.0f ? 75 : 30);
        EXPECT_NEAR(MeasurePeriod(out, 2000, 4000, 30, 300), period / ratio, 0.1) << ratio;
    }
}

TEST(Shifter, SplicesMoveByTheFractionalPeriodWithoutAClick)
{
    for (float ratio : {1.37f, 0.71f}) {
        const float period = 97.3f;
        CPitchEngine e;
        HandSet(e, period, ratio);
        std::vector<float> out;
        const auto t = TraceTrailing(e, Tone(Shape::Sine, period, 0.5, 5000), out);
        int splices = 0;
        for (size_t i = 1; i < t.size(); ++i) {
            const double jump = t[i] - (t[i - 1] + (1.0 - ratio));
            if (std::fabs(jump) > 0.5) {
                EXPECT_NEAR(std::fabs(jump), period, 1e-3) << i;
                ++splices;
            }
        }
        EXPECT_GT(splices, 10);
        // The steepest the shifted sine can be is 0.5 * 2 pi * 1.37 / 97.3.
        for (size_t i = 200; i + 1 < out.size(); ++i)
            ASSERT_LT(std::fabs(out[i + 1] - out[i]), 0.046f) << ratio << " at " << i;
    }
}

TEST(Shifter, FractionEdgesAndTheParabola)
{
    float x = 0.0f;
    CPitchEngine up; // +0.5 at r >= 1 takes the extra step
    HandSet(up, 100.0f, 1.5f);
    up.Process(&x, &x, 1);
    EXPECT_EQ(CEngineProbe::Read(up), CPitchEngine::kInitialRead + 2);
    EXPECT_EQ(CEngineProbe::ReadFrac(up), -0.5f);
    CPitchEngine down; // -0.5 at r < 1 does not
    HandSet(down, 100.0f, 0.5f);
    down.Process(&x, &x, 1);
    EXPECT_EQ(CEngineProbe::Read(down), CPitchEngine::kInitialRead + 1);
    EXPECT_EQ(CEngineProbe::ReadFrac(down), -0.5f);

    // With the fraction held at 0.25 (ratio 1.0 never moves it) each output
    // is the quadratic through the three samples around the read index,
    // here in Lagrange form.
    const auto in = Noise(0.8, 400, 21);
    CPitchEngine e;
    HandSet(e, 100.0f, 1.0f);
    const double f = 0.25;
    CEngineProbe::SetReadFrac(e, float(f));
    const auto out = ProcessAll(e, in);
    for (size_t n = 31; n < in.size(); ++n) {
        const double s0 = in[n - 31], s1 = in[n - 30], s2 = in[n - 29];
        ASSERT_NEAR(out[n], s0 * f * (f - 1) / 2 + s1 * (1 - f * f) + s2 * f * (f + 1) / 2, 1e-6) << n;
    }
}

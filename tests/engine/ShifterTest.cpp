// The shifter, with period and ratio placed by hand (the detector is held in
// search state, where it leaves both alone).

#include <gtest/gtest.h>

#include "EngineProbe.h"
#include "EngineSignals.h"

using namespace enginetest;

namespace {

// How far the read position trails the write position after each sample.
std::vector<double> Trailing(float period, float ratio, const std::vector<float>& in, std::vector<float>& out)
{
    CPitchEngine e;
    NeverLock(e);
    CEngineProbe::SetPeriod(e, period);
    CEngineProbe::SetRatio(e, ratio);
    std::vector<double> t;
    out.resize(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        e.Process(&in[i], &out[i], 1);
        const float f = CEngineProbe::ReadFrac(e);
        EXPECT_TRUE(f >= -0.5f && f < 0.5f) << i;
        t.push_back(((CEngineProbe::Write(e) - CEngineProbe::Read(e)) & CPitchEngine::kRingMask) - double(f));
    }
    return t;
}

} // namespace

TEST(Shifter, OctaveUpAndDownSpliceAtTheirDistances)
{
    // Double speed gains a sample per output sample and goes back a period
    // on reaching 23 behind the write position; half speed loses half a
    // sample and goes forward a period once P + 40 behind.
    for (float ratio : {2.0f, 0.5f}) {
        const int period = ratio > 1.0f ? 100 : 120;
        std::vector<float> out;
        const auto t = Trailing(float(period), ratio, Tone(Shape::Sawtooth, period, 0.5, 8000), out);
        int splices = 0, last = -1;
        for (size_t i = 1; i < t.size(); ++i) {
            const double drifted = t[i - 1] + (1.0 - ratio);
            if (t[i] == drifted)
                continue;
            EXPECT_EQ(drifted, ratio > 1.0f ? 23.0 : period + 40.0) << i;
            EXPECT_EQ(t[i], ratio > 1.0f ? 23.0 + period : 40.0) << i;
            if (last >= 0 && ratio > 1.0f) {
                EXPECT_EQ(int(i) - last, period) << "one splice per output period";
            }
            last = int(i);
            ++splices;
        }
        EXPECT_GE(splices, ratio > 1.0f ? 75 : 30);
        EXPECT_NEAR(MeasurePeriod(out, 2000, 4000, 30, 300), period / ratio, 0.1) << ratio;
    }
}

TEST(Shifter, SplicesMoveByTheFractionalPeriodWithoutAClick)
{
    for (float ratio : {1.37f, 0.71f}) {
        std::vector<float> out;
        const auto t = Trailing(97.3f, ratio, Tone(Shape::Sine, 97.3, 0.5, 5000), out);
        int splices = 0;
        for (size_t i = 1; i < t.size(); ++i) {
            const double jump = t[i] - (t[i - 1] + (1.0 - ratio));
            if (std::fabs(jump) > 0.5) {
                EXPECT_NEAR(std::fabs(jump), 97.3, 1e-3) << i;
                ++splices;
            }
        }
        EXPECT_GT(splices, 10);
        // No step steeper than the shifted sine itself: 0.5 * 2 pi * 1.37 / 97.3.
        for (size_t i = 200; i + 1 < out.size(); ++i)
            ASSERT_LT(std::fabs(out[i + 1] - out[i]), 0.046f) << ratio << " at " << i;
    }
}


// The shifter, with period and ratio placed by hand (the detector is held in
// search state, where it leaves both alone).

#include <gtest/gtest.h>

#include "EngineProbe.h"
#include "EngineSignals.h"
#include "analysis/PitchAnalysis.h"

using namespace enginetest;

TEST(Shifter, OctaveUpAndDownSpliceAtTheirDistances)
{
    // Double speed gains a sample per output sample and goes back a period
    // on reaching 23 behind the write position; half speed loses half a
    // sample and goes forward a period once P + 40 behind.
    for (float ratio : {2.0f, 0.5f}) {
        const int period = ratio > 1.0f ? 100 : 120;
        const auto in = Tone(Shape::Sawtooth, period, 0.5, 8000);
        std::vector<float> out(in.size());
        CPitchEngine e;
        NeverLock(e);
        CEngineProbe::SetPeriodAndRatio(e, float(period), ratio);
        int splices = 0, last = -1;
        for (int i = 0; i < int(in.size()); ++i) {
            const double before = CEngineProbe::Trailing(e);
            e.Process(&in[i], &out[i], 1);
            const float f = CEngineProbe::ReadFrac(e);
            ASSERT_TRUE(f >= -0.5f && f < 0.5f) << i;
            const double drifted = before + (1.0 - ratio), now = CEngineProbe::Trailing(e);
            if (i == 0 || now == drifted)
                continue;
            EXPECT_EQ(std::pair(drifted, now), ratio > 1.0f ? std::pair(23.0, 23.0 + period) : std::pair(period + 40.0, 40.0)) << i;
            if (last >= 0 && ratio > 1.0f) {
                EXPECT_EQ(i - last, period) << "one splice per output period";
            }
            last = i;
            ++splices;
        }
        EXPECT_GE(splices, ratio > 1.0f ? 75 : 30);
        // An octave away from the input, by ear.
        const auto heard = analysis::DeviationFromTarget(analysis::AnalysePitch(out, kRate), kRate * ratio / period, 0.05, 0.18);
        EXPECT_NEAR(heard.medianCents, 0.0, 2.0) << ratio;
    }
}

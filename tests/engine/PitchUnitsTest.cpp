// Cents against periods, the conversion the graph and the controller share:
// 0 cents is middle C, 900 is 440 Hz, at a frame rate of sample rate / 200.

#include <gtest/gtest.h>

#include <cmath>

#include "engine/PitchUnits.h"

TEST(PitchUnits, KnownPitchesRoundTripsAndDegeneratePeriods)
{
    EXPECT_EQ(CentsToPeriod(900.0, 220.5f), static_cast<float>(44100.0 / 440.0));
    EXPECT_EQ(PeriodToCents(static_cast<float>(44100.0 / 261.6256), 220.5f), 0);
    EXPECT_NEAR(CentsToPeriod(-1200.0, 240.0f), 48000.0 / 130.8128, 1e-3);
    EXPECT_EQ(PeriodToCents(static_cast<float>(48000.0 / 880.0), 240.0f), 2100);
    EXPECT_EQ(PeriodToCents(100.0f, 220.5f), 904);   // 441 Hz, 3.93 cents sharp of A4
    EXPECT_EQ(PeriodToCents(400.0f, 220.5f), -1496); // 110.25 Hz
    // Half cents round away from zero, on both sides of middle C.
    auto period = [](double cents) { return static_cast<float>(44100.0 / (440.0 * std::exp2((cents - 900.0) / 1200.0))); };
    for (double c : {10.52, 10.48, -10.52, -10.48})
        EXPECT_EQ(PeriodToCents(period(c), 220.5f), std::lround(c)) << c;
    for (const float frameRate : {220.5f, 240.0f, 160.0f, 40.0f, 960.0f})
        for (int cents = -3200; cents <= 3600; ++cents)
            ASSERT_EQ(PeriodToCents(CentsToPeriod(cents, frameRate), frameRate), cents) << cents;
    // No pitch at all must not overflow the integer result.
    EXPECT_EQ(PeriodToCents(0.0f, 220.5f), 1000000);
    EXPECT_EQ(PeriodToCents(NAN, 220.5f), 1000000);
    EXPECT_EQ(PeriodToCents(INFINITY, 220.5f), -1000000);
}

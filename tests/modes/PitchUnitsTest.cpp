// Cents against periods, the conversion the graph and the controller share.

#include <gtest/gtest.h>

#include <cmath>

#include "engine/PitchUnits.h"

TEST(PitchUnits, KnownPitchesAtBothRates)
{
    // Frame rate 220.5 is 44100 Hz. A4 has a period of 100.227 samples.
    EXPECT_NEAR(CentsToPeriod(900.0, 220.5f), 44100.0 / 440.0, 1e-4);
    EXPECT_EQ(PeriodToCents(static_cast<float>(44100.0 / 440.0), 220.5f), 900);
    // Middle C, the octave below it and the A an octave up.
    EXPECT_NEAR(CentsToPeriod(0.0, 220.5f), 44100.0 / 261.6256, 1e-3);
    EXPECT_NEAR(CentsToPeriod(-1200.0, 240.0f), 48000.0 / 130.8128, 1e-3);
    EXPECT_EQ(PeriodToCents(static_cast<float>(48000.0 / 880.0), 240.0f), 2100);
    // 441 Hz is 3.93 cents sharp of A4.
    EXPECT_EQ(PeriodToCents(100.0f, 220.5f), 904);
    // 110.25 Hz: 2396.07 cents below A4.
    EXPECT_EQ(PeriodToCents(400.0f, 220.5f), -1496);
}

TEST(PitchUnits, RoundTripsEveryCentOfTheEditorsRange)
{
    for (const float frameRate : {220.5f, 240.0f, 160.0f})
        for (int cents = -3200; cents <= 3600; ++cents)
            ASSERT_EQ(PeriodToCents(CentsToPeriod(cents, frameRate), frameRate), cents) << cents;
}

TEST(PitchUnits, RoundsToTheNearestCentOnBothSidesOfZero)
{
    // Periods a hair either side of a half cent, both signs.
    auto period = [](double cents) { return static_cast<float>(44100.0 / (440.0 * std::exp2((cents - 900.0) / 1200.0))); };
    EXPECT_EQ(PeriodToCents(period(10.52), 220.5f), 11);
    EXPECT_EQ(PeriodToCents(period(10.48), 220.5f), 10);
    EXPECT_EQ(PeriodToCents(period(-10.52), 220.5f), -11);
    EXPECT_EQ(PeriodToCents(period(-10.48), 220.5f), -10);
}

TEST(PitchUnits, DegeneratePeriodsStayInRange)
{
    // No pitch at all must not overflow the integer result.
    EXPECT_EQ(PeriodToCents(0.0f, 220.5f), 1000000);
    EXPECT_EQ(PeriodToCents(-5.0f, 220.5f), 1000000);
    EXPECT_EQ(PeriodToCents(NAN, 220.5f), 1000000);
    EXPECT_EQ(PeriodToCents(INFINITY, 220.5f), -1000000);
}

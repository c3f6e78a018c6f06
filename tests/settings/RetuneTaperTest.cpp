#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "settings/RetuneTaper.h"

namespace rt = retune_taper;

namespace {

// The curve through (0, 0), (0.5, 50), (1, 400) in closed form:
// 50 = g (e^(k/2) - 1) and 400 = g (e^k - 1) give e^(k/2) = 7, g = 25/3.
double ReferenceMs(int index)
{
    return (std::pow(49.0, index / 400.0) - 1.0) * 25.0 / 3.0;
}

} // namespace

TEST(RetuneTaper, KnownConversionsAndClamping)
{
    const int indexToMs[][2] = {{0, 0},     {1, 0},     {11, 0},    {12, 1},  {126, 20},
                                {200, 50},  {300, 146}, {400, 400}, {-3, 0},  {500, 400},
                                {INT_MIN, 0}};
    for (auto [index, ms] : indexToMs)
        EXPECT_EQ(rt::IndexToMs(index), ms) << index;
    const int msToIndex[][2] = {{0, 0},     {1, 12},    {20, 126}, {50, 200}, {100, 264},
                                {146, 300}, {400, 400}, {5000, 400}, {-1, 0}, {-1000, 0}};
    for (auto [ms, index] : msToIndex)
        EXPECT_EQ(rt::MsToIndex(ms), index) << ms;
    // The midpoint comes out a hair off 50 in doubles and must still store 50.
    EXPECT_NEAR(rt::IndexToValue(200, rt::kSteps, 0.0, 50.0, 400.0), 50.0, 1e-12);
}

TEST(RetuneTaper, RoundTripLosesOnlyTheFastEnd)
{
    int exact = 0;
    for (int i = 1; i <= 400; ++i) {
        // Whole milliseconds never move an index up ...
        EXPECT_LE(rt::MsToIndex(rt::IndexToMs(i)), i) << i;
        // ... and where the curve climbs over 2 ms per step, dropping the
        // fraction costs under half a step, so the index comes back.
        if (ReferenceMs(i) - ReferenceMs(i - 1) > 2.0) {
            EXPECT_EQ(rt::MsToIndex(rt::IndexToMs(i)), i) << i;
            ++exact;
        }
    }
    EXPECT_GT(exact, 50);
}

TEST(RetuneTaper, AnotherCurveInBetweenLeavesNoTrace)
{
    // Whatever the constants, the middle step lands on the middle value and
    // the ends on the ends.
    for (int round = 0; round < 2; ++round) {
        EXPECT_NEAR(rt::IndexToValue(200, 401, 0.0, 50.0, 400.0), 50.0, 1e-9);
        EXPECT_NEAR(rt::IndexToValue(200, 401, 10.0, 100.0, 1000.0), 100.0, 1e-9);
        EXPECT_NEAR(rt::IndexToValue(400, 401, 10.0, 100.0, 1000.0), 1000.0, 1e-9);
        EXPECT_EQ(rt::ValueToIndex(100.0, 401, 10.0, 100.0, 1000.0), 200);
        EXPECT_EQ(rt::MsToIndex(50), 200);
    }
}

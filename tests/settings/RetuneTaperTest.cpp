#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <thread>

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

TEST(RetuneTaper, EveryStepMatchesClosedForm)
{
    for (int i = 0; i <= 400; ++i)
        EXPECT_EQ(rt::IndexToMs(i), static_cast<int>(std::floor(ReferenceMs(i) + 1e-9))) << i;
    for (int ms = 0; ms <= 400; ++ms) {
        const double index = 400.0 * std::log(ms * 3.0 / 25.0 + 1.0) / std::log(49.0);
        EXPECT_EQ(rt::MsToIndex(ms), static_cast<int>(std::floor(index + 0.5))) << ms;
    }
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

TEST(RetuneTaper, EachDirectionCachesItsOwnConstantsPerThread)
{
    rt::IndexToMs(5);  // warm this thread's caches
    rt::MsToIndex(5);
    // A fresh thread starts empty, whatever this one did.
    std::thread([] {
        EXPECT_EQ(rt::ForwardCacheMisses(), 0u);
        EXPECT_EQ(rt::InverseCacheMisses(), 0u);
        rt::IndexToMs(10);
        rt::IndexToMs(300);
        EXPECT_EQ(rt::ForwardCacheMisses(), 1u);
        EXPECT_EQ(rt::InverseCacheMisses(), 0u);
        rt::MsToIndex(10);
        rt::MsToIndex(20);
        EXPECT_EQ(rt::InverseCacheMisses(), 1u);

        // Another curve of the family (through 10, 20, 100) replaces only
        // the forward constants; the retune curve then needs them again.
        EXPECT_NEAR(rt::IndexToValue(50, 101, 10.0, 20.0, 100.0), 20.0, 1e-9);
        EXPECT_NEAR(rt::IndexToValue(100, 101, 10.0, 20.0, 100.0), 100.0, 1e-9);
        EXPECT_EQ(rt::ForwardCacheMisses(), 2u);
        EXPECT_EQ(rt::IndexToMs(200), 50);
        EXPECT_EQ(rt::ForwardCacheMisses(), 3u);
        EXPECT_EQ(rt::MsToIndex(50), 200);
        EXPECT_EQ(rt::InverseCacheMisses(), 1u);
    }).join();
}

// Period detection: acquisition time and accuracy, the octave check, and
// what ends a lock.

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "EngineProbe.h"
#include "EngineSignals.h"

using namespace enginetest;

class DetectorLock : public ::testing::TestWithParam<std::tuple<Shape, int>>
{};

TEST_P(DetectorLock, LocksInTimeAndHoldsThePeriod)
{
    // The coarse scan first sees the valley at decimated lag m = P / 8 when
    // lag m + 1 is below maxLag = (count - 6) / 2: after 2m + 10 decimated
    // samples of 8. A valley below lag 45 also waits for the next one near
    // 2m (the octave check): 480 samples for P = 100, while P = 800 takes
    // 1680. Six decimated samples of slack.
    const auto [shape, period] = GetParam();
    const int firstValley = 8 * (2 * (period / 8) + 10);
    const int expected = period / 8 < 45 ? 8 * (4 * (period / 8) + 10) : firstValley;
    const auto in = WithFloor(Tone(shape, period, 0.5, 2 * expected + 12 * period));
    CPitchEngine e;
    Prepare(e, false);
    const int lock = RunUntilLocked(e, in);
    ASSERT_GE(lock, firstValley - 48);
    EXPECT_LE(lock, expected + 48);
    for (size_t i = lock + 1; i < in.size(); ++i) {
        float out = 0.0f;
        e.Process(&in[i], &out, 1);
        ASSERT_EQ(e.IsSearching(), 0) << i;
        ASSERT_NEAR(e.GetPeriod(), period, 1.0) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Waves, DetectorLock,
    ::testing::Combine(::testing::Values(Shape::Sine, Shape::Sawtooth), ::testing::Values(40, 100, 150, 300, 500, 800)),
    [](const auto& info) {
        return (std::get<0>(info.param) == Shape::Sine ? "Sine" : "Sawtooth") + std::to_string(std::get<1>(info.param));
    });

// Near the longest period the coarse search covers (decimated lags up to
// 109): a smooth wave still locks there.
INSTANTIATE_TEST_SUITE_P(LongestPeriod, DetectorLock, ::testing::Values(std::tuple{Shape::Sine, 860}),
    [](const auto& info) { return "Sine" + std::to_string(std::get<1>(info.param)); });

TEST(Detector, OctaveCheckWeighsTheCandidatesTwoToFive)
{
    // Period P, a component of amplitude b an octave below, a noise floor of
    // variance s^2. The difference value at lag P is about b^2 P + P s^2, at
    // 2P about 2P s^2; the longer period wins when 2 (b^2 + s^2) > 5 (2 s^2),
    // that is when b exceeds 2 s. Over forty noise floors: well below 2 s
    // hardly ever, at 1.8 s mostly not (weighed two to four it would, from
    // 1.7 s on), well above always.
    const double s = 1e-3 / std::sqrt(3.0); // the floor is uniform in +-1e-3
    for (auto [factor, least, most] : {std::tuple{0.7, 0, 2}, {0.9, 0, 15}, {1.4, 40, 40}}) {
        int lower = 0;
        for (int period : {100, 150, 200, 250, 300})
            for (unsigned seed = 1; seed <= 8; ++seed) {
                auto in = Tone(Shape::Sine, period, 0.5, 4000);
                const auto sub = Tone(Shape::Sine, 2 * period, factor * 2.0 * s, 4000);
                std::transform(in.begin(), in.end(), sub.begin(), in.begin(), std::plus<>());
                CPitchEngine e;
                Prepare(e, false);
                ProcessAll(e, WithFloor(in, seed));
                lower += std::fabs(e.GetPeriod() - 2 * period) < 2.0;
            }
        EXPECT_TRUE(lower >= least && lower <= most) << "b = " << 2 * factor << " s: " << lower << " of 40 lower";
    }
}

TEST(Detector, LockEndsWhereTheEnergyFallsBelowTheFloor)
{
    // A slow fade stays periodic enough for the tracking test, so the floor
    // of 1.5e-5 over the lock's window of two periods ends it, and the ratio
    // falls back to exactly 1.0 at once. (It starts quiet: float running
    // sums carry an error relative to the loudest level they have held.)
    std::vector<float> in(20000);
    for (int i = 0; i < 20000; ++i)
        in[i] = float(0.01 * std::pow(0.9995, std::max(0, i - 2000)) * std::sin(kTwoPi * i / 100.0));
    CPitchEngine e;
    Prepare(e); // 441 Hz is no exact note: the ratio moves off 1.0
    float out = 0.0f, ratio = 1.0f, period = 0.0f;
    int dropped = -1;
    for (int i = 0; i < 20000 && dropped < 0; ++i) {
        const bool locked = e.IsPeriodValid() != 0;
        if (locked) {
            e.GetStatus(&ratio, nullptr);
            period = e.GetPeriod();
        }
        e.Process(&in[i], &out, 1);
        dropped = locked && e.IsPeriodValid() == 0 ? i : -1;
    }
    ASSERT_GT(dropped, 0);
    ASSERT_NE(ratio, 1.0f);
    auto energy = [&](int end) {
        double sum = 0.0;
        for (int k = 0; k < 2 * std::lround(period); ++k)
            sum += double(in[end - k]) * in[end - k];
        return sum;
    };
    EXPECT_LT(energy(dropped), 1.5e-5 * 1.01);
    EXPECT_GT(energy(dropped - 5), 1.5e-5 * 0.99);
    e.GetStatus(&ratio, nullptr);
    EXPECT_EQ(ratio, 1.0f) << "no smoothing back to 1.0";

    // Seeding needs 1.65e-5 over the first window, 2 (P - 4) samples of a
    // sine: (P - 4) a^2. A fifth below never locks; a quarter above does.
    // P = 400 is past the range where a lower octave is weighed, so the
    // window is the one this counts.
    for (const auto& [share, locks] : {std::pair{0.8, false}, {1.25, true}}) {
        CPitchEngine e2;
        Prepare(e2, false);
        const double amplitude = std::sqrt(share * 1.65e-5 / 396.0);
        EXPECT_EQ(RunUntilLocked(e2, Tone(Shape::Sine, 400, amplitude, 20000)) >= 0, locks) << share;
    }
}

TEST(Detector, SilenceEndsAtTheFloatJustBelowTheThreshold)
{
    // The comparison is made in double: the largest float below 1e-10 is
    // silence, the next one up is sound. More zeros in a row than the limit
    // make a search start over.
    float below = static_cast<float>(1e-10);
    if (static_cast<double>(below) >= 1e-10)
        below = std::nextafter(below, 0.0f);
    for (const float v : {below, -below, std::nextafter(below, 1.0f)}) {
        CPitchEngine e;
        NeverLock(e);
        ProcessAll(e, std::vector<float>(CPitchEngine::kZeroRunLimit + 1, v));
        EXPECT_EQ(CEngineProbe::ResetPending(e), v == std::nextafter(below, 1.0f) ? 0 : 1) << v;
    }
}

// Period detection: acquisition time and accuracy, glides, the octave check,
// the candidate scan, the bank's rules, and what ends a lock.

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "EngineProbe.h"
#include "EngineSignals.h"

using namespace enginetest;

namespace {

// The coarse scan first sees the valley at decimated lag m = P / 8 when lag
// m + 1 is below maxLag = (count - 6) / 2: after 2m + 10 decimated samples
// of 8. A valley below lag 45 also waits for the next one near 2m (the
// octave check): 480 samples for P = 100, while P = 800 takes 1680.
// More zeros in a row than this make a search start over.
constexpr int kSilentRun = CPitchEngine::kZeroRunLimit + 1;

int FirstValley(int period) { return 8 * (2 * (period / 8) + 10); }
int ExpectedLock(int period) { return period / 8 < 45 ? 8 * (4 * (period / 8) + 10) : FirstValley(period); }

class DetectorLock : public ::testing::TestWithParam<std::tuple<Shape, int>>
{};

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Shape, int>>& info)
{
    const char* names[] = {"Sine", "Sawtooth", "Pulses"};
    return names[static_cast<int>(std::get<0>(info.param))] + std::to_string(std::get<1>(info.param));
}

} // namespace

TEST_P(DetectorLock, LocksInTimeAndHoldsThePeriod)
{
    const auto [shape, period] = GetParam();
    const auto in = WithFloor(Tone(shape, period, 0.5, 2 * ExpectedLock(period) + 12 * period));
    CPitchEngine e;
    SetDefaultThresholds(e);
    const int lock = RunUntilLocked(e, in);
    // Six decimated samples of slack; a harmonic-rich wave may offer an
    // earlier second valley, but nothing locks before the first is visible.
    ASSERT_GE(lock, FirstValley(period) - 48);
    EXPECT_LE(lock, ExpectedLock(period) + 48);
    float out = 0.0f;
    for (size_t i = lock + 1; i < in.size(); ++i) {
        e.Process(&in[i], &out, 1);
        ASSERT_EQ(e.IsSearching(), 0) << i;
        ASSERT_NEAR(e.GetPeriod(), period, 1.0) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Waves, DetectorLock,
    ::testing::Combine(::testing::Values(Shape::Sine, Shape::Sawtooth, Shape::Pulses),
        ::testing::Values(40, 64, 100, 150, 200, 300, 400, 500, 600, 800)),
    CaseName);

// Near the longest period the coarse search covers (decimated lags up to
// 109): smooth waves still lock there.
INSTANTIATE_TEST_SUITE_P(LongestPeriods, DetectorLock,
    ::testing::Combine(::testing::Values(Shape::Sine, Shape::Pulses), ::testing::Values(860)), CaseName);

TEST(Detector, FollowsGlidesUpAndDownOneLagPerUpdate)
{
    for (auto [from, to] : {std::pair{200.0, 300.0}, std::pair{300.0, 200.0}}) {
        std::vector<double> periods;
        const auto in = WithFloor(Glide(from, to, 0.5, 40000, &periods));
        CPitchEngine e;
        SetDefaultThresholds(e);
        const int lock = RunUntilLocked(e, in);
        ASSERT_GE(lock, 0);
        float out = 0.0f;
        for (int i = lock + 1, base = CEngineProbe::BaseLag(e); i < 40000; ++i) {
            e.Process(&in[i], &out, 1);
            ASSERT_EQ(e.IsSearching(), 0) << i;
            // The sums span two periods, so the estimate describes the signal
            // one period back; the sawtooth's V-shaped valley adds up to half
            // a sample of bias to the parabola.
            ASSERT_NEAR(e.GetPeriod(), periods[i - int(periods[i])], 2.0) << i;
            ASSERT_LE(std::abs(CEngineProbe::BaseLag(e) - base), 1) << i;
            base = CEngineProbe::BaseLag(e);
        }
    }
}

TEST(Detector, OctaveCheckWeighsTheCandidatesTwoToFive)
{
    // Period P, a component of amplitude b an octave below, a noise floor of
    // variance s^2. The difference value at lag P is b^2 P + P s^2, at 2P it
    // is 2P s^2; the longer period wins when 2 (b^2 + s^2) > 10 s^2, that
    // is when b exceeds 2 s.
    const double s = 1e-3 / std::sqrt(3.0); // the floor is uniform in +-1e-3
    for (int period : {100, 150, 250}) {
        for (double factor : {0.7, 1.4}) {
            auto in = Tone(Shape::Sine, period, 0.5, 4000);
            const auto sub = Tone(Shape::Sine, 2 * period, factor * 2.0 * s, 4000);
            std::transform(in.begin(), in.end(), sub.begin(), in.begin(), std::plus<>());
            CPitchEngine e;
            SetDefaultThresholds(e);
            ProcessAll(e, WithFloor(in));
            EXPECT_NEAR(e.GetPeriod(), factor > 1.0 ? 2 * period : period, 1.0) << period << " x" << factor;
        }
    }
}

TEST(Detector, LockEndsWhereTheEnergyFallsBelowTheFloor)
{
    // A slow fade stays periodic enough for the tracking test, so the floor
    // of 1.5e-5 over the lock's window of two periods ends it. (It starts
    // quiet: float running sums carry an error relative to the loudest level
    // they have held.)
    std::vector<float> in(20000);
    for (int i = 0; i < 20000; ++i)
        in[i] = float(0.01 * std::pow(0.9995, std::max(0, i - 2000)) * std::sin(kTwoPi * i / 100.0));
    CPitchEngine e;
    SetDefaultThresholds(e);
    LoadTable(e, ChromaticTable(0)); // 441 Hz is no exact note: the ratio moves off 1.0
    float out = 0.0f, period = -1.0f, ratio = 1.0f;
    int dropped = -1;
    for (int i = 0; i < 20000 && dropped < 0; ++i) {
        e.Process(&in[i], &out, 1);
        if (e.IsPeriodValid() != 0) {
            period = e.GetPeriod();
            e.GetStatus(&ratio, nullptr);
        } else if (period > 0.0f) {
            dropped = i;
        }
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

    // Too quiet to seed from the start: 2 (P - 4) a^2 / 2 below 1.65e-5.
    CPitchEngine quiet;
    SetDefaultThresholds(quiet);
    ASSERT_LT(96 * 2e-4 * 2e-4, 1.65e-5);
    EXPECT_EQ(RunUntilLocked(quiet, Tone(Shape::Sine, 100, 2e-4, 20000)), -1);
}

TEST(Detector, ZeroTrackingThresholdDropsEveryLockAtItsFirstUpdate)
{
    // The default before the controller sets one. A period of 100.37 never
    // repeats exactly, so no difference value is 0, and every lock ends at
    // the next sample, the first update.
    CPitchEngine e;
    e.SetThresholds(kThresholdU, kThresholdU - 0.5f, 0.0f);
    const auto in = Tone(Shape::Sine, 100.37, 0.5, 20000);
    float out = 0.0f, ratio = 0.0f;
    int locks = 0;
    for (size_t i = 0; i < in.size(); ++i) {
        const bool before = e.IsSearching() == 0;
        e.Process(&in[i], &out, 1);
        ASSERT_FALSE(before && e.IsSearching() == 0) << i;
        locks += e.IsSearching() == 0;
        e.GetStatus(&ratio, nullptr);
        ASSERT_EQ(ratio, 1.0f);
    }
    EXPECT_GE(locks, 3);
}

TEST(Detector, LongSilenceAndAbsurdInput)
{
    CPitchEngine e;
    NeverLock(e);
    ProcessAll(e, Noise(0.3, 1000));
    ProcessAll(e, std::vector<float>(2048, 5e-11f)); // below 1e-10 is silence
    EXPECT_EQ(CEngineProbe::ResetPending(e), 0);
    ProcessAll(e, std::vector<float>(300, 0.0f));
    EXPECT_EQ(std::pair(CEngineProbe::ResetPending(e), CEngineProbe::Write(e)), std::pair(1, 0));
    ProcessAll(e, std::vector<float>(8, 0.1f));
    EXPECT_EQ(CEngineProbe::CoarseCount(e), 1) << "the coarse history restarts";

    // At the edge itself (the comparison is made in double): the largest
    // float below 1e-10 is silence, the next one up is sound.
    float below = static_cast<float>(1e-10);
    if (static_cast<double>(below) >= 1e-10)
        below = std::nextafter(below, 0.0f);
    for (const float v : {below, -below, std::nextafter(below, 1.0f)}) {
        CPitchEngine edge;
        NeverLock(edge);
        ProcessAll(edge, std::vector<float>(kSilentRun, v));
        EXPECT_EQ(CEngineProbe::ResetPending(edge), v == std::nextafter(below, 1.0f) ? 0 : 1) << v;
    }

    // Huge, infinite and NaN samples: the output stays finite, and once the
    // burst has left the ring an ordinary acquisition follows.
    auto in = WithFloor(Tone(Shape::Sawtooth, 150, 0.5, 3000), 1);
    const float wild[] = {1e30f, -3e38f, 2e19f, std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity()};
    for (int i = 0; i < 450; ++i)
        in.push_back(wild[i % 5]);
    const auto tone = WithFloor(Tone(Shape::Sawtooth, 150, 0.5, 8000), 2);
    in.insert(in.end(), tone.begin(), tone.end());
    CPitchEngine f;
    SetDefaultThresholds(f);
    LoadTable(f, ChromaticTable(0));
    for (float x : ProcessAll(f, in))
        ASSERT_TRUE(std::isfinite(x));
    EXPECT_NEAR(f.GetPeriod(), 150.0, 1.0);
}

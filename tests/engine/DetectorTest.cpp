// Period detection: acquisition time and accuracy, glides, the octave check,
// the candidate scan, the bank's rules, and what ends a lock.

#include <array>
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

TEST(Detector, CandidateScanOnHandMadeSums)
{
    // All energies 1, so D(k) = 0.5 - C(k); a lag is decorrelated once
    // C < -0.1 and accepted once C > 0.45 (the default controller threshold).
    std::vector<float> energy(CPitchEngine::kCoarseLags, 1.0f), corr(CPitchEngine::kCoarseLags, 0.3f);
    corr[3] = -0.2f;
    corr[5] = 0.46f; // D from here: 0.04, 0.02, 0.01, 0.01 (a tie), 0.10
    corr[6] = 0.48f;
    corr[7] = corr[8] = 0.49f;
    corr[9] = 0.40f;
    corr[11] = -0.15f;
    corr[13] = 0.46f;
    corr[14] = corr[16] = 0.47f;
    corr[15] = 0.495f; // a symmetric valley at 15
    CPitchEngine e;
    SetDefaultThresholds(e);
    int start = 1, index = 0, period = 0;
    auto scan = [&](int maxLag) { return CEngineProbe::FindCandidate(e, energy, corr, maxLag, start, index, period); };
    // The tie goes on to 8; the parabola through 0.01, 0.01, 0.10 has its
    // vertex half a lag lower: 7.5 lags, 60 samples.
    ASSERT_TRUE(scan(109));
    EXPECT_EQ(std::tuple(index, period, start), std::tuple(8, 60, 10));
    ASSERT_TRUE(scan(109)); // continuing from there
    EXPECT_EQ(std::tuple(index, period), std::tuple(15, 120));
    EXPECT_FALSE(scan(109));
    start = 1;
    EXPECT_FALSE(scan(9)) << "the first valley does not end below maxLag";
    corr[3] = -0.09f; // not clearly negative, so the scan starts after 11
    start = 1;
    ASSERT_TRUE(scan(109));
    EXPECT_EQ(index, 15);
}

TEST(Detector, PeriodUpdateRulesOnAPlantedBank)
{
    // Hand-made difference values (energies 1; accepted while d <= 0.055),
    // then one zero sample, which changes no sum.
    struct Case { const char* name; int base; std::array<float, 8> d; bool keeps; };
    const Case cases[] = {
        {"interior", 100, {0.30f, 0.20f, 0.10f, 0.02f, 0.05f, 0.12f, 0.20f, 0.30f}, true},
        {"flat bottom", 100, {0.30f, 0.20f, 0.03f, 0.03f, 0.03f, 0.12f, 0.20f, 0.30f}, true},
        {"moves down", 50, {0.30f, 0.02f, 0.10f, 0.20f, 0.25f, 0.30f, 0.35f, 0.40f}, true},
        {"first lag", 100, {0.01f, 0.02f, 0.10f, 0.20f, 0.25f, 0.30f, 0.35f, 0.40f}, false},
        {"last lag", 100, {0.40f, 0.35f, 0.30f, 0.25f, 0.20f, 0.10f, 0.02f, 0.01f}, false},
        {"not periodic enough", 100, {0.30f, 0.20f, 0.10f, 0.06f, 0.08f, 0.12f, 0.20f, 0.30f}, false},
        {"below lag 1", 1, {0.30f, 0.02f, 0.10f, 0.20f, 0.25f, 0.30f, 0.35f, 0.40f}, false},
        {"beyond the ring", 1016, {0.40f, 0.35f, 0.30f, 0.25f, 0.20f, 0.10f, 0.02f, 0.30f}, false},
    };
    for (const auto& c : cases) {
        float energy[8], corr[8];
        for (int j = 0; j < 8; ++j) {
            energy[j] = 1.0f;
            corr[j] = 0.5f - c.d[j];
        }
        CPitchEngine e;
        SetDefaultThresholds(e);
        CEngineProbe::PlantBank(e, c.base, energy, corr);
        ProcessAll(e, {0.0f});
        ASSERT_EQ(e.IsSearching() == 0, c.keeps) << c.name;
        if (!c.keeps) {
            EXPECT_EQ(std::pair(e.GetPeriod(), CEngineProbe::ResetPending(e)), std::pair(-1.0f, 1)) << c.name;
            continue;
        }
        // The vertex of the parabola through the minimum and its neighbours.
        const int i = int(std::min_element(c.d.begin(), c.d.end()) - c.d.begin());
        const double dm = c.d[i - 1], d0 = c.d[i], dp = c.d[i + 1];
        EXPECT_NEAR(e.GetPeriod(), c.base + i + 0.5 * (dm - dp) / (dm - 2.0 * d0 + dp), 1e-4) << c.name;
        EXPECT_EQ(CEngineProbe::BaseLag(e), i < 3 ? c.base - 1 : c.base) << c.name;
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

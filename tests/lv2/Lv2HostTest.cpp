// The plug-in inside a host: its saved state, its latency and its meter,
// through lilv as an LV2 host uses them.

#include "Lv2TestHost.h"

#include <cmath>
#include <filesystem>

namespace {

using lv2test::CInstance;
using lv2test::CWorld;

constexpr double kRate = 44100.0;

// Settings far from the "(Default)" preset, as ports and as the settings
// block the control panel would have sent: detune -35 cents is stored as
// 65, 7.5 Hz as 75, and 100 ms is fader step 264.
const std::vector<std::pair<const char*, float>> kMovedPorts = {
    {"scale", 5}, {"key", 7}, {"detune", -35}, {"retune", 100}, {"vibrato_type", 3},
    {"vibrato_depth", 55}, {"vibrato_rate", 7.5f}, {"vibrato_delay", 1200}, {"threshold", 70}};
const std::array<int32_t, 9> kMovedBlock = {5, 7, 65, 264, 3, 55, 75, 1200, 70};
// The "(Default)" preset with key 7 (G).
const std::array<int32_t, 9> kDefaultInG = {2, 7, 100, 126, 0, 30, 55, 300, 25};

// A tone into the buffer, run through.
void RunTone(CInstance& plugin, uint32_t n, double hz, double& phase)
{
    for (uint32_t i = 0; i < n; ++i, phase += 2.0 * M_PI * hz / kRate)
        plugin.Audio()[i] = static_cast<float>(0.5 * std::sin(phase));
    plugin.Run(n);
}

struct PortValues {
    CInstance* pInstance;
    LV2_URID floatType;
};

const void* GetPortValue(const char* symbol, void* user, uint32_t* size, uint32_t* type)
{
    auto* values = static_cast<PortValues*>(user);
    *size = sizeof(float);
    *type = values->floatType;
    return &values->pInstance->Port(symbol);
}

void SetPortValue(const char* symbol, void* user, const void* value, uint32_t size, uint32_t type)
{
    auto* values = static_cast<PortValues*>(user);
    if (size == sizeof(float) && type == values->floatType)
        std::memcpy(&values->pInstance->Port(symbol), value, sizeof(float));
}

// A host that saves an instance with its port values and restores it into
// another, with or without setting the ports back.
void SaveAndRestore(CWorld& world, CInstance& from, CInstance& to, bool withPortValues)
{
    const std::string dir = std::filesystem::temp_directory_path() / ("intonara-lv2-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    PortValues source{&from, world.Map(LV2_ATOM__Float)}, target{&to, source.floatType};
    LilvState* state = lilv_state_new_from_instance(world.Plugin(), from.Get(), world.UridMap(), dir.c_str(), dir.c_str(),
                                                    dir.c_str(), dir.c_str(), GetPortValue, &source,
                                                    LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, world.Features());
    ASSERT_NE(state, nullptr);
    lilv_state_restore(state, to.Get(), withPortValues ? SetPortValue : nullptr, &target, 0, world.Features());
    lilv_state_free(state);
    std::filesystem::remove_all(dir);
}

TEST(Lv2State, AnotherInstanceGetsAllNineSettingsAndItsPortsWinAtTheNextBlock)
{
    CWorld world;
    ASSERT_NE(world.Plugin(), nullptr) << "the bundle is not on LV2_PATH";
    for (const bool withPortValues : {true, false}) {
        CInstance saved(world, kRate), restored(world, kRate);
        ASSERT_TRUE(saved.Valid() && restored.Valid());
        for (const auto& [symbol, value] : kMovedPorts)
            saved.Port(symbol) = value;
        saved.Activate();
        double phase = 0.0;
        RunTone(saved, 512, 220.0, phase);
        EXPECT_EQ(saved.SavedSettings(), kMovedBlock);

        restored.Port("key") = 7;  // agrees with the state
        restored.Activate();
        EXPECT_EQ(restored.SavedSettings(), kDefaultInG);
        SaveAndRestore(world, saved, restored, withPortValues);
        EXPECT_EQ(restored.SavedSettings(), kMovedBlock);
        // Ports the host set back change nothing; ports it left where they
        // were take over again.
        RunTone(restored, 512, 220.0, phase);
        EXPECT_EQ(restored.SavedSettings(), withPortValues ? kMovedBlock : kDefaultInG);
    }
}

TEST(Lv2Outputs, LatencyAndTheMeterOfTheCorrection)
{
    CWorld world;
    ASSERT_NE(world.Plugin(), nullptr);
    CInstance bypassed(world, kRate);
    ASSERT_TRUE(bypassed.Valid());
    bypassed.Port("enabled") = 0;  // nothing shifted: the output is the input, late
    bypassed.Activate();
    std::fill(bypassed.Audio().begin(), bypassed.Audio().begin() + 256, 0.0f);
    bypassed.Audio()[10] = 0.75f;
    bypassed.Run(256);
    EXPECT_EQ(bypassed.Port("latency"), 30.0f);
    EXPECT_EQ(bypassed.Audio()[40], 0.75f);

    // A steady tone 30 cents above A4, corrected at once (retune 0 ms): the
    // meter shows the shift down to 440 Hz in whole cents, and nothing once
    // switched off while the same tone goes on.
    CInstance plugin(world, kRate);
    ASSERT_TRUE(plugin.Valid());
    plugin.Port("retune") = 0;
    plugin.Activate();
    double phase = 0.0;
    for (int block = 0; block < 80; ++block) {
        RunTone(plugin, 512, 440.0 * std::pow(2.0, 30.0 / 1200.0), phase);
        if (block >= 40) {
            ASSERT_EQ(plugin.Port("pitch_change"), std::trunc(plugin.Port("pitch_change")));
            ASSERT_NEAR(plugin.Port("pitch_change"), -30.0, 2.0);
        }
    }
    plugin.Port("enabled") = 0;
    RunTone(plugin, 512, 440.0 * std::pow(2.0, 30.0 / 1200.0), phase);
    EXPECT_EQ(plugin.Port("pitch_change"), 0.0f);
}

} // namespace

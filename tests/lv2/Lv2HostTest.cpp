// The plug-in inside a host: its saved state, its latency and its meter,
// through lilv as an LV2 host uses them.

#include "Lv2TestHost.h"

#include <cmath>
#include <lv2/presets/presets.h>
#include <map>
#include <filesystem>

namespace {

using lv2test::CInstance;
using lv2test::CWorld;

constexpr double kRate = 44100.0;

// The retune fader step nearest a time, from the taper's own curve: the
// exponential through 0, 50 and 400 ms over steps 0 to 400, on which
// e^(k/2) = 7 and the scale is 400 / 48.
int RetuneStepFor(double ms)
{
    const double k = 2.0 * std::log(7.0);
    const double g = 400.0 / 48.0;
    return static_cast<int>(400.0 * std::log(ms / g + 1.0) / k + 0.5);
}

// Settings far from the "(Default)" preset, as ports and as the settings
// block the control panel would have sent.
void MoveEverySetting(CInstance& plugin)
{
    plugin.Port("scale") = 5;
    plugin.Port("key") = 7;
    plugin.Port("detune") = -35;
    plugin.Port("retune") = 100;
    plugin.Port("vibrato_type") = 3;
    plugin.Port("vibrato_depth") = 55;
    plugin.Port("vibrato_rate") = 7.5f;
    plugin.Port("vibrato_delay") = 1200;
    plugin.Port("threshold") = 70;
}
const std::array<int32_t, 9> kMovedBlock = {5, 7, 65, RetuneStepFor(100), 3, 55, 75, 1200, 70};
const std::array<int32_t, 9> kDefaultBlock = {2, 0, 100, 126, 0, 30, 55, 300, 25};

void RunTone(CInstance& plugin, uint32_t n, double hz)
{
    for (uint32_t i = 0; i < n; ++i)
        plugin.Audio()[i] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * hz * i / kRate));
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

class Lv2StateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(m_World.Plugin(), nullptr) << "the bundle is not on LV2_PATH";
        m_Dir = std::filesystem::temp_directory_path() / ("intonara-lv2-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_Dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_Dir); }

    // The state of a running instance as a host saves it, port values
    // included.
    LilvState* Snapshot(CInstance& plugin)
    {
        PortValues values{&plugin, m_World.Urids().Map(LV2_ATOM__Float)};
        const LV2_Feature* features[] = {m_World.Urids().Feature(), nullptr};
        const std::string dir = m_Dir.string();
        return lilv_state_new_from_instance(m_World.Plugin(), plugin.Get(), m_World.Urids().Get(), dir.c_str(),
                                            dir.c_str(), dir.c_str(), dir.c_str(), GetPortValue, &values,
                                            LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features);
    }

    void Restore(LilvState* state, CInstance& plugin, bool withPortValues)
    {
        PortValues values{&plugin, m_World.Urids().Map(LV2_ATOM__Float)};
        const LV2_Feature* features[] = {m_World.Urids().Feature(), nullptr};
        lilv_state_restore(state, plugin.Get(), withPortValues ? SetPortValue : nullptr, &values, 0, features);
    }

    CWorld m_World;
    std::filesystem::path m_Dir;
};

TEST_F(Lv2StateTest, RestoringIntoAnotherInstanceBringsBackAllNineSettings)
{
    CInstance saved(m_World, kRate);
    ASSERT_TRUE(saved.Valid());
    ASSERT_NE(saved.State(), nullptr);
    MoveEverySetting(saved);
    saved.Activate();
    RunTone(saved, 512, 220.0);
    EXPECT_EQ(saved.SavedSettings(), kMovedBlock);

    LilvState* state = Snapshot(saved);
    ASSERT_NE(state, nullptr);

    CInstance restored(m_World, kRate);
    ASSERT_TRUE(restored.Valid());
    EXPECT_EQ(restored.SavedSettings(), kDefaultBlock);
    restored.Activate();
    Restore(state, restored, true);
    lilv_state_free(state);

    EXPECT_EQ(restored.SavedSettings(), kMovedBlock);
    EXPECT_EQ(restored.SavedChunk(), saved.SavedChunk());
    // The host set the ports to the same values, so running changes nothing.
    EXPECT_FLOAT_EQ(restored.Port("vibrato_rate"), 7.5f);
    RunTone(restored, 512, 220.0);
    EXPECT_EQ(restored.SavedSettings(), kMovedBlock);
}

// A host that restores only the state leaves its ports where they were;
// the restored settings hold until the next block, where the ports win.
TEST_F(Lv2StateTest, PortsThatDisagreeWithARestoredStateWinAtTheNextBlock)
{
    CInstance saved(m_World, kRate);
    ASSERT_TRUE(saved.Valid());
    MoveEverySetting(saved);
    saved.Activate();
    RunTone(saved, 256, 220.0);
    LilvState* state = Snapshot(saved);
    ASSERT_NE(state, nullptr);

    CInstance restored(m_World, kRate);
    ASSERT_TRUE(restored.Valid());
    restored.Port("key") = 7;  // agrees with the state
    restored.Activate();
    Restore(state, restored, false);
    lilv_state_free(state);
    EXPECT_EQ(restored.SavedSettings(), kMovedBlock);

    RunTone(restored, 256, 220.0);
    std::array<int32_t, 9> expected = kDefaultBlock;
    expected[1] = 7;
    EXPECT_EQ(restored.SavedSettings(), expected);
}

// The bundle's presets as a host lists and applies them: each sets the
// ports, and the ports reach the processor as the settings below (the
// retune fader's steps for 0, 50 and 100 ms are 0, 200 and 264).
TEST_F(Lv2StateTest, PresetsSetThePortsTheyNameAndReachTheProcessor)
{
    const std::map<std::string, std::array<int32_t, 9>> expected = {
        {"(Default)", kDefaultBlock},
        {"Hard Tune", {2, 0, 100, 0, 0, 30, 55, 300, 25}},
        {"Smooth", {2, 0, 100, 200, 0, 30, 55, 300, 25}},
        {"Natural", {2, 0, 100, 264, 0, 30, 55, 300, 25}},
        {"Breathy Voice", {2, 0, 100, 200, 0, 30, 55, 300, 50}},
        {"Added Vibrato", {2, 0, 100, 126, 1, 25, 55, 400, 25}},
    };
    LilvNode* presetClass = lilv_new_uri(m_World.World(), LV2_PRESETS__Preset);
    LilvNode* label = lilv_new_uri(m_World.World(), LILV_NS_RDFS "label");
    LilvNodes* presets = lilv_plugin_get_related(m_World.Plugin(), presetClass);
    ASSERT_NE(presets, nullptr);
    std::map<std::string, std::array<int32_t, 9>> found;
    LILV_FOREACH (nodes, i, presets) {
        const LilvNode* preset = lilv_nodes_get(presets, i);
        lilv_world_load_resource(m_World.World(), preset);
        LilvNodes* labels = lilv_world_find_nodes(m_World.World(), preset, label, nullptr);
        ASSERT_EQ(lilv_nodes_size(labels), 1u) << lilv_node_as_uri(preset);
        const std::string name = lilv_node_as_string(lilv_nodes_get_first(labels));
        lilv_nodes_free(labels);

        LilvState* state = lilv_state_new_from_world(m_World.World(), m_World.Urids().Get(), preset);
        ASSERT_NE(state, nullptr) << name;
        EXPECT_EQ(lilv_state_get_num_properties(state), 0u) << name;
        CInstance plugin(m_World, kRate);
        ASSERT_TRUE(plugin.Valid());
        MoveEverySetting(plugin);
        plugin.Activate();
        Restore(state, plugin, true);
        lilv_state_free(state);
        RunTone(plugin, 256, 220.0);
        found[name] = plugin.SavedSettings();
        // A preset leaves the host's bypass switch alone.
        EXPECT_EQ(plugin.Port("enabled"), 1.0f) << name;
    }
    lilv_nodes_free(presets);
    lilv_node_free(label);
    lilv_node_free(presetClass);
    EXPECT_EQ(found, expected);
}

// ---------------------------------------------------------------------------

// The rates the tool corrects at, 8 to 192 kHz; elsewhere the host is told
// the plug-in cannot run instead of getting one that passes audio through.
TEST(Lv2Instance, MadeOnlyAtRatesItCanCorrect)
{
    CWorld world;
    ASSERT_NE(world.Plugin(), nullptr);
    for (const double rate : {8000.0, 22050.0, 192000.0})
        EXPECT_TRUE(CInstance(world, rate).Valid()) << rate;
    for (const double rate : {7999.0, 192001.0, 384000.0, 0.0, -44100.0})
        EXPECT_FALSE(CInstance(world, rate).Valid()) << rate;
}

TEST(Lv2Outputs, LatencyPortMatchesTheDelayOfAnImpulse)
{
    CWorld world;
    ASSERT_NE(world.Plugin(), nullptr);
    CInstance plugin(world, kRate);
    ASSERT_TRUE(plugin.Valid());
    plugin.Port("enabled") = 0;  // nothing shifted: the output is the input, late
    plugin.Activate();
    std::vector<float>& audio = plugin.Audio();
    std::fill(audio.begin(), audio.begin() + 256, 0.0f);
    audio[10] = 0.75f;
    plugin.Run(256);

    const auto peak = std::max_element(audio.begin(), audio.begin() + 256,
                                       [](float a, float b) { return std::fabs(a) < std::fabs(b); });
    EXPECT_FLOAT_EQ(*peak, 0.75f);
    EXPECT_EQ(static_cast<float>(peak - audio.begin() - 10), plugin.Port("latency"));
    EXPECT_EQ(plugin.Port("latency"), 30.0f);
}

// A steady tone 30 cents above A4, corrected to the chromatic scale at once
// (retune 0 ms): the meter shows the shift down to 440 Hz.
TEST(Lv2Outputs, PitchChangeShowsTheCorrectionInCents)
{
    CWorld world;
    ASSERT_NE(world.Plugin(), nullptr);
    CInstance plugin(world, kRate);
    ASSERT_TRUE(plugin.Valid());
    plugin.Port("retune") = 0;
    plugin.Activate();
    const double hz = 440.0 * std::pow(2.0, 30.0 / 1200.0);
    double phase = 0.0;
    std::vector<float> readings;
    for (int block = 0; block < 80; ++block) {
        for (uint32_t i = 0; i < 512; ++i) {
            plugin.Audio()[i] = static_cast<float>(0.5 * std::sin(phase));
            phase += 2.0 * M_PI * hz / kRate;
        }
        plugin.Run(512);
        if (block >= 40)
            readings.push_back(plugin.Port("pitch_change"));
    }
    for (float cents : readings) {
        EXPECT_EQ(cents, std::trunc(cents));  // whole cents, as the panel shows them
        EXPECT_NEAR(cents, -30.0, 2.0);
    }

    // Switched off, the engine stops shifting and the meter falls to zero.
    plugin.Port("enabled") = 0;
    plugin.Run(512);
    EXPECT_EQ(plugin.Port("pitch_change"), 0.0f);
}

} // namespace

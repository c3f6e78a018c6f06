// The plug-in inside a host, through lilv as an LV2 host uses it: its saved
// state (settings, and graphical mode's track and curves), its presets, the
// rates it runs at, its latency and its meter.

#include "Lv2TestHost.h"

#include "graph/MainGraphView.h"
#include "job/GraphSession.h"
#include "job/GraphWorkspace.h"
#include "modes/DspObject.h"

#include <lv2/presets/presets.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

using lv2test::CInstance;
using lv2test::CSavedState;
using lv2test::kGraphKey;
using lv2test::kSettingsKey;

constexpr double kRate = 44100.0;

// Settings far from the "(Default)" preset, as ports and as the settings
// block the control panel would have sent; Retune 100 ms is the fader step
// on the exponential through 0, 50 and 400 ms over steps 0 to 400 (where
// e^(k/2) = 7 and the scale is 400 / 48).
const std::map<std::string, float> kMovedPorts = {{"scale", 5},         {"key", 7},          {"detune", -35},
                                                  {"retune", 100},      {"vibrato_type", 3}, {"vibrato_depth", 55},
                                                  {"vibrato_rate", 7.5f}, {"vibrato_delay", 1200}, {"threshold", 70}};
const std::array<int32_t, 9> kMovedBlock = {
    5, 7, 65, static_cast<int32_t>(400.0 * std::log(100.0 / (400.0 / 48.0) + 1.0) / (2.0 * std::log(7.0)) + 0.5),
    3, 55, 75, 1200, 70};
const std::array<int32_t, 9> kDefaultBlock = {2, 0, 100, 126, 0, 30, 55, 300, 25};

void RunTone(CInstance& plugin, uint32_t n, double hz)
{
    for (uint32_t i = 0; i < n; ++i)
        plugin.Audio()[i] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * hz * i / kRate));
    plugin.Run(n);
}

class Lv2Host : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(m_World.Plugin(), nullptr) << "the bundle is not on LV2_PATH"; }

    // A fresh instance, settings moved away from the defaults, activated.
    std::unique_ptr<CInstance> Moved(double rate = kRate)
    {
        auto plugin = std::make_unique<CInstance>(m_World, rate);
        EXPECT_TRUE(plugin->Valid());
        for (const auto& [symbol, value] : kMovedPorts)
            plugin->Port(symbol) = value;
        plugin->Activate();
        return plugin;
    }

    // The state of a running instance as a host saves it, port values
    // included (it makes no files); and restored, with the port values or
    // without.
    LilvState* Snapshot(CInstance& plugin)
    {
        m_pPorts = &plugin;
        return lilv_state_new_from_instance(
            m_World.Plugin(), plugin.Get(), m_World.Urids(), nullptr, nullptr, nullptr, nullptr,
            [](const char* symbol, void* self, uint32_t* size, uint32_t* type) -> const void* {
                *size = sizeof(float);
                *type = static_cast<Lv2Host*>(self)->m_World.Map(LV2_ATOM__Float);
                return &static_cast<Lv2Host*>(self)->m_pPorts->Port(symbol);
            },
            this, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, m_World.Features());
    }
    void Restore(LilvState* state, CInstance& plugin, bool withPortValues)
    {
        m_pPorts = &plugin;
        const LilvSetPortValueFunc set = [](const char* symbol, void* self, const void* value, uint32_t size,
                                            uint32_t type) {
            if (size == sizeof(float) && type == static_cast<Lv2Host*>(self)->m_World.Map(LV2_ATOM__Float))
                std::memcpy(&static_cast<Lv2Host*>(self)->m_pPorts->Port(symbol), value, sizeof(float));
        };
        lilv_state_restore(state, plugin.Get(), withPortValues ? set : nullptr, this, 0, m_World.Features());
    }

    lv2test::CWorld m_World;
    CInstance* m_pPorts = nullptr;
};

// Restored with the ports, another instance takes all nine settings; a host
// that restores only the state leaves its ports where they were, and the
// restored settings hold until the next block, where the ports win.
TEST_F(Lv2Host, RestoringIntoAnotherInstanceBringsBackAllNineSettingsUntilItsPortsDisagree)
{
    const auto saved = Moved();
    RunTone(*saved, 512, 220.0);
    EXPECT_EQ(saved->SavedSettings(), kMovedBlock);
    LilvState* state = Snapshot(*saved);
    ASSERT_NE(state, nullptr);
    for (const bool withPortValues : {true, false}) {
        SCOPED_TRACE(withPortValues ? "with the port values" : "without the port values");
        CInstance restored(m_World, kRate);
        ASSERT_TRUE(restored.Valid());
        EXPECT_EQ(restored.SavedSettings(), kDefaultBlock);
        restored.Port("key") = 7;  // agrees with the state
        restored.Activate();
        Restore(state, restored, withPortValues);
        EXPECT_EQ(restored.SavedSettings(), kMovedBlock);
        EXPECT_EQ(restored.Save().props, saved->Save().props);
        RunTone(restored, 512, 220.0);
        std::array<int32_t, 9> expected = kDefaultBlock;
        expected[1] = 7;
        EXPECT_EQ(restored.SavedSettings(), withPortValues ? kMovedBlock : expected);
        EXPECT_FLOAT_EQ(restored.Port("vibrato_rate"), withPortValues ? 7.5f : 5.5f);
    }
    lilv_state_free(state);
}

// The bundle's presets as a host lists and applies them: each sets the
// ports, and the ports reach the processor as the settings below (the
// retune fader's steps for 0, 50 and 100 ms are 0, 200 and 264).
TEST_F(Lv2Host, PresetsSetThePortsTheyNameAndReachTheProcessor)
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
        LilvState* state = lilv_state_new_from_world(m_World.World(), m_World.Urids(), preset);
        ASSERT_NE(state, nullptr) << name;
        EXPECT_EQ(lilv_state_get_num_properties(state), 0u) << name;
        const auto plugin = Moved();
        Restore(state, *plugin, true);
        lilv_state_free(state);
        RunTone(*plugin, 256, 220.0);
        found[name] = plugin->SavedSettings();
        EXPECT_EQ(plugin->Port("enabled"), 1.0f) << name << " moved the host's bypass switch";
    }
    lilv_nodes_free(presets);
    lilv_node_free(label);
    lilv_node_free(presetClass);
    EXPECT_EQ(found, expected);
}

// A tracked passage, a curve made from it and a line drawn over it, in the
// tool's session format.
std::vector<uint8_t> GraphWithCurves()
{
    job::CGraphWorkspace w(job::kPanelGraphWidth, job::kPanelGraphHeight, false, true);
    job::GraphStart start;
    start.nSampleRate = 48000;
    start.nBufferSeconds = 2;
    w.Start(start);
    lv2test::FillPassage(static_cast<TrackRecord*>(w.Controller().GetTrackBuffer()));
    w.Main().SetTrackedFrames(120);
    w.Main().IdleUpdate();
    w.Main().MakeCurveFromTrack();
    const int times[] = {10, 60};
    const int pitches[] = {650, 800};
    w.Main().SaveUndo();
    w.Main().MakeLineCurveAt(times, pitches, 2);
    // Played by the host rather than read from a file: the passage the
    // track covers.
    job::GraphSession s = w.Capture();
    s.nSampleRate = 48000;
    s.nSourceFrames = 120 * 200;
    return job::EncodeSession(s);
}

// Graphical mode's graph is kept with the host's session: restored into an
// instance, saved again and restored into another one, it still opens with
// its track and its curves. A state without one clears it; a damaged one,
// or one that is not a chunk, refuses the whole state.
TEST_F(Lv2Host, CurvesAndTrackSurviveASaveAndARestoreIntoAnotherInstance)
{
    CInstance first(m_World, 48000);
    ASSERT_TRUE(first.Valid());
    CSavedState state = first.Save();
    const uint32_t graphKey = m_World.Map(kGraphKey);
    const uint32_t chunk = m_World.Map(LV2_ATOM__Chunk);
    EXPECT_EQ(state.props.count(graphKey), 0u) << "no graph, only the settings";
    const std::vector<uint8_t> graph = GraphWithCurves();
    state.props[graphKey] = {graph, chunk};
    ASSERT_EQ(first.Restore(state), LV2_STATE_SUCCESS);
    const CSavedState saved = first.Save();
    ASSERT_EQ(saved.props.count(graphKey), 1u);
    EXPECT_EQ(saved.props.at(graphKey), std::make_pair(graph, chunk));

    CInstance second(m_World, 44100);
    ASSERT_TRUE(second.Valid());
    ASSERT_EQ(second.Restore(saved), LV2_STATE_SUCCESS);
    const CSavedState again = second.Save();
    ASSERT_EQ(again.props.count(graphKey), 1u);
    job::CGraphWorkspace w(job::kPanelGraphWidth, job::kPanelGraphHeight, false, true);
    w.Open(job::DecodeSession(again.props.at(graphKey).first, "the saved graph"), "the saved graph");
    EXPECT_EQ(w.Main().TrackedFrames(), 120);
    EXPECT_NE(w.Main().Curves(), nullptr);
    const job::GraphInfo info = lv2test::Describe(again.props.at(graphKey).first);
    EXPECT_EQ(info.nTrackedFrames, 120);
    EXPECT_EQ(info.curves.size(), 4u) << "one curve for each of the three voiced stretches, and the line";
    const auto* r = static_cast<const TrackRecord*>(w.Controller().GetTrackBuffer());
    EXPECT_EQ(std::bit_cast<int32_t>(r[5].fMinPeriod), 705);
    EXPECT_EQ(std::bit_cast<int32_t>(r[35].fMinPeriod), kUnvoicedMark);

    // Another key and a damaged graph: neither the settings nor the graph
    // of this state are taken. Nor is a graph that is not a chunk.
    CSavedState damaged = again;
    damaged.props.at(m_World.Map(kSettingsKey)).first[20 + 4] = 7;  // key G
    damaged.props.at(graphKey).first[40] ^= 0x5A;
    EXPECT_NE(second.Restore(damaged), LV2_STATE_SUCCESS);
    EXPECT_EQ(second.SavedSettings()[1], 0);
    EXPECT_EQ(second.Save().props.at(graphKey).first, graph);
    CSavedState wrongType = again;
    wrongType.props.at(graphKey).second = m_World.Map(LV2_ATOM__String);
    EXPECT_EQ(second.Restore(wrongType), LV2_STATE_ERR_BAD_TYPE);

    CSavedState plain = again;
    plain.props.erase(graphKey);
    ASSERT_EQ(second.Restore(plain), LV2_STATE_SUCCESS);
    EXPECT_EQ(second.Save().props.count(graphKey), 0u);
}

// The rates the tool corrects at, 8 to 192 kHz; elsewhere the host is told
// the plug-in cannot run instead of getting one that passes audio through.
TEST_F(Lv2Host, InstancesAreMadeOnlyAtRatesItCanCorrect)
{
    for (const double rate : {8000.0, 22050.0, 192000.0})
        EXPECT_TRUE(CInstance(m_World, rate).Valid()) << rate;
    for (const double rate : {7999.0, 192001.0, 384000.0, 0.0, -44100.0})
        EXPECT_FALSE(CInstance(m_World, rate).Valid()) << rate;
}

// Switched off, nothing is shifted: the output is the input, late by what
// the latency port says. A steady tone 30 cents above A4, corrected to the
// chromatic scale at once (retune 0 ms): the meter shows the shift down to
// 440 Hz in whole cents, as the panel shows them, and falls to zero when
// switched off.
TEST_F(Lv2Host, TheLatencyPortMatchesTheDelayOfAnImpulseAndTheMeterTheCorrection)
{
    CInstance bypassed(m_World, kRate);
    ASSERT_TRUE(bypassed.Valid());
    bypassed.Port("enabled") = 0;
    bypassed.Activate();
    std::vector<float>& audio = bypassed.Audio();
    std::fill(audio.begin(), audio.begin() + 256, 0.0f);
    audio[10] = 0.75f;
    bypassed.Run(256);
    const auto peak = std::max_element(audio.begin(), audio.begin() + 256,
                                       [](float a, float b) { return std::fabs(a) < std::fabs(b); });
    EXPECT_FLOAT_EQ(*peak, 0.75f);
    EXPECT_EQ(static_cast<float>(peak - audio.begin() - 10), bypassed.Port("latency"));
    EXPECT_EQ(bypassed.Port("latency"), 30.0f);

    CInstance plugin(m_World, kRate);
    ASSERT_TRUE(plugin.Valid());
    plugin.Port("retune") = 0;
    plugin.Activate();
    const double hz = 440.0 * std::pow(2.0, 30.0 / 1200.0);
    double phase = 0.0;
    for (int block = 0; block < 80; ++block) {
        for (uint32_t i = 0; i < 512; ++i, phase += 2.0 * M_PI * hz / kRate)
            plugin.Audio()[i] = static_cast<float>(0.5 * std::sin(phase));
        plugin.Run(512);
        const float cents = plugin.Port("pitch_change");
        if (block >= 40) {
            EXPECT_EQ(cents, std::trunc(cents)) << "block " << block;
            EXPECT_NEAR(cents, -30.0, 2.0) << "block " << block;
        }
    }
    plugin.Port("enabled") = 0;
    plugin.Run(512);
    EXPECT_EQ(plugin.Port("pitch_change"), 0.0f);
}

} // namespace

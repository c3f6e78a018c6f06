// Graphical mode's tracked pitch and curves kept with a host's session:
// through lilv, a state holding them is restored into an instance, saved
// again and restored into another one, and what comes back still opens with
// its track and its curves.

#include "Lv2TestHost.h"

#include "engine/TrackRecord.h"
#include "graph/MainGraphView.h"
#include "job/GraphCommands.h"
#include "job/GraphSession.h"
#include "job/GraphWorkspace.h"
#include "modes/DspObject.h"
#include "settings/ParameterIds.h"

#include <bit>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

using lv2test::CInstance;
using lv2test::CWorld;

constexpr char kSettingsKey[] = "urn:uuid:99284da1-7a57-46e7-ac96-03a284ab9afb";
constexpr char kGraphKey[] = "urn:uuid:3c0e8d51-7a2f-4b69-9e14-d2a6b8f0c753";

// A saved state: each property's bytes and type, by key.
struct CState {
    std::map<std::string, std::vector<uint8_t>> values;
    std::map<std::string, uint32_t> types;
};

class CStateHost {
public:
    explicit CStateHost(CWorld& world) : m_World(world) {}

    CState Save(CInstance& instance)
    {
        struct Sink {
            CStateHost* host;
            CState state;
        } sink{this, {}};
        const LV2_Feature* features[] = {m_World.Urids().Feature(), nullptr};
        const LV2_State_Status status = instance.State()->save(
            lilv_instance_get_handle(instance.Get()),
            [](LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t type, uint32_t) {
                auto* s = static_cast<Sink*>(h);
                const auto* p = static_cast<const uint8_t*>(value);
                const std::string name = s->host->Unmap(key);
                s->state.values[name].assign(p, p + size);
                s->state.types[name] = type;
                return LV2_STATE_SUCCESS;
            },
            &sink, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features);
        EXPECT_EQ(status, LV2_STATE_SUCCESS);
        return sink.state;
    }

    LV2_State_Status Restore(CInstance& instance, const CState& state)
    {
        struct Source {
            CStateHost* host;
            const CState* state;
        } source{this, &state};
        const LV2_Feature* features[] = {m_World.Urids().Feature(), nullptr};
        return instance.State()->restore(
            lilv_instance_get_handle(instance.Get()),
            [](LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) -> const void* {
                auto* s = static_cast<Source*>(h);
                const std::string name = s->host->Unmap(key);
                auto it = s->state->values.find(name);
                if (it == s->state->values.end())
                    return nullptr;
                *size = it->second.size();
                *type = s->state->types.at(name);
                *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
                return it->second.data();
            },
            &source, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features);
    }

    uint32_t Chunk() { return m_World.Urids().Map(LV2_ATOM__Chunk); }

private:
    // The test's URID map numbers URIs in the order they were first seen.
    std::string Unmap(uint32_t id)
    {
        for (const char* uri : {kSettingsKey, kGraphKey})
            if (m_World.Urids().Map(uri) == id)
                return uri;
        return "?";
    }

    CWorld& m_World;
};

// A tracked passage of 120 frames (voiced but for every fourth ten), a
// curve made from it and a line drawn over it, in the tool's session
// format.
std::vector<uint8_t> GraphWithCurves()
{
    job::CGraphWorkspace w(job::kPanelGraphWidth, job::kPanelGraphHeight, false, true);
    job::GraphStart start;
    start.nSampleRate = 48000;
    start.nBufferSeconds = 2;
    w.Start(start);
    auto* r = static_cast<TrackRecord*>(w.Controller().GetTrackBuffer());
    for (int i = 0; i < 120; ++i) {
        const int32_t cents = i % 40 < 30 ? 700 + i : kUnvoicedMark;
        r[i] = TrackRecord{-0.3f, 0.3f, std::bit_cast<float>(cents), std::bit_cast<float>(cents), 0.0f};
    }
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

// What the tool's `graph info` says of a saved graph.
job::GraphInfo Describe(const std::vector<uint8_t>& bytes)
{
    const std::string path =
        (std::filesystem::temp_directory_path() / ("intonara-lv2-graph-" + std::to_string(getpid()) + ".isn")).string();
    {
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    job::GraphInfo info = job::DescribeSession(path);
    std::filesystem::remove(path);
    return info;
}

class Lv2GraphState : public ::testing::Test {
protected:
    CWorld world;
    CStateHost host{world};
};

TEST_F(Lv2GraphState, CurvesAndTrackSurviveASaveAndARestoreIntoAnotherInstance)
{
    ASSERT_NE(world.Plugin(), nullptr);
    CInstance first(world, 48000);
    ASSERT_TRUE(first.Valid());
    // Without a graph, only the settings are saved.
    CState state = host.Save(first);
    EXPECT_EQ(state.values.count(kGraphKey), 0u);
    ASSERT_EQ(state.values.at(kSettingsKey).size(), 56u);

    const std::vector<uint8_t> graph = GraphWithCurves();
    state.values[kGraphKey] = graph;
    state.types[kGraphKey] = host.Chunk();
    ASSERT_EQ(host.Restore(first, state), LV2_STATE_SUCCESS);
    const CState saved = host.Save(first);
    ASSERT_EQ(saved.values.count(kGraphKey), 1u);
    EXPECT_EQ(saved.types.at(kGraphKey), host.Chunk());
    EXPECT_EQ(saved.values.at(kGraphKey), graph);

    CInstance second(world, 44100);
    ASSERT_TRUE(second.Valid());
    ASSERT_EQ(host.Restore(second, saved), LV2_STATE_SUCCESS);
    const CState again = host.Save(second);
    ASSERT_EQ(again.values.count(kGraphKey), 1u);

    // What came back opens with its track and its curves.
    job::CGraphWorkspace w(job::kPanelGraphWidth, job::kPanelGraphHeight, false, true);
    w.Open(job::DecodeSession(again.values.at(kGraphKey), "the saved graph"), "the saved graph");
    EXPECT_EQ(w.Main().TrackedFrames(), 120);
    EXPECT_NE(w.Main().Curves(), nullptr);
    const job::GraphInfo info = Describe(again.values.at(kGraphKey));
    EXPECT_EQ(info.nTrackedFrames, 120);
    // One curve for each of the three voiced stretches, and the line.
    EXPECT_EQ(info.curves.size(), 4u);
    const auto* r = static_cast<const TrackRecord*>(w.Controller().GetTrackBuffer());
    EXPECT_EQ(std::bit_cast<int32_t>(r[5].fMinPeriod), 705);
    EXPECT_EQ(std::bit_cast<int32_t>(r[35].fMinPeriod), kUnvoicedMark);

    // A state without a graph clears the one the instance had.
    CState plain = again;
    plain.values.erase(kGraphKey);
    ASSERT_EQ(host.Restore(second, plain), LV2_STATE_SUCCESS);
    EXPECT_EQ(host.Save(second).values.count(kGraphKey), 0u);
}

TEST_F(Lv2GraphState, ADamagedGraphRefusesTheWholeState)
{
    CInstance instance(world, 48000);
    ASSERT_TRUE(instance.Valid());
    CState good = host.Save(instance);
    good.values[kGraphKey] = GraphWithCurves();
    good.types[kGraphKey] = host.Chunk();
    ASSERT_EQ(host.Restore(instance, good), LV2_STATE_SUCCESS);

    // Another key and a damaged graph: neither the settings nor the graph
    // of this state are taken.
    CState damaged = good;
    auto& settings = damaged.values.at(kSettingsKey);
    settings[20 + 4] = 7;  // key G
    damaged.values.at(kGraphKey)[40] ^= 0x5A;
    EXPECT_NE(host.Restore(instance, damaged), LV2_STATE_SUCCESS);
    EXPECT_EQ(instance.SavedSettings()[1], 0);
    EXPECT_EQ(host.Save(instance).values.at(kGraphKey), good.values.at(kGraphKey));

    // A graph that is not a chunk is refused too.
    CState wrongType = good;
    wrongType.types[kGraphKey] = world.Urids().Map(LV2_ATOM__String);
    EXPECT_EQ(host.Restore(instance, wrongType), LV2_STATE_ERR_BAD_TYPE);
}

}  // namespace

#pragma once
// A small LV2 host on lilv: finds the built bundle through LV2_PATH, makes
// instances with a URID map, gives every port a buffer addressed by symbol,
// and reaches the state interface.

#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lv2test {

inline constexpr char kPluginUri[] = "urn:uuid:d048519c-f761-4b10-bb94-5f1381045587";

// LV2_PATH as CTest sets it; a test program started by hand falls back on
// the bundle's place in its own build tree.
inline void UseBuiltBundle()
{
    const char* path = std::getenv("LV2_PATH");
    if (path == nullptr || *path == '\0')
        ::setenv("LV2_PATH", INTONARA_LV2_DIR, 1);
}

class CUridMap
{
public:
    CUridMap()
    {
        m_Map.handle = this;
        m_Map.map = [](LV2_URID_Map_Handle handle, const char* uri) {
            return static_cast<CUridMap*>(handle)->Map(uri);
        };
        m_Feature = {LV2_URID__map, &m_Map};
    }
    LV2_URID Map(const std::string& uri)
    {
        auto [it, added] = m_Ids.emplace(uri, static_cast<LV2_URID>(m_Ids.size() + 1));
        return it->second;
    }
    LV2_URID_Map* Get() { return &m_Map; }
    const LV2_Feature* Feature() const { return &m_Feature; }

private:
    std::map<std::string, LV2_URID> m_Ids;
    LV2_URID_Map m_Map{};
    LV2_Feature m_Feature{};
};

class CWorld
{
public:
    CWorld()
    {
        UseBuiltBundle();
        m_pWorld = lilv_world_new();
        lilv_world_load_all(m_pWorld);
        LilvNode* uri = lilv_new_uri(m_pWorld, kPluginUri);
        m_pPlugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(m_pWorld), uri);
        lilv_node_free(uri);
    }
    ~CWorld() { lilv_world_free(m_pWorld); }
    CWorld(const CWorld&) = delete;
    CWorld& operator=(const CWorld&) = delete;

    LilvWorld* World() const { return m_pWorld; }
    const LilvPlugin* Plugin() const { return m_pPlugin; }
    CUridMap& Urids() { return m_Urids; }

    uint32_t PortIndex(const char* symbol) const
    {
        LilvNode* node = lilv_new_string(m_pWorld, symbol);
        const LilvPort* port = lilv_plugin_get_port_by_symbol(m_pPlugin, node);
        lilv_node_free(node);
        EXPECT_NE(port, nullptr) << symbol;
        return port ? lilv_port_get_index(m_pPlugin, port) : UINT32_MAX;
    }

private:
    LilvWorld* m_pWorld = nullptr;
    const LilvPlugin* m_pPlugin = nullptr;
    CUridMap m_Urids;
};

// One instance with its control values (defaults to start with) and one
// audio buffer used in place.
class CInstance
{
public:
    CInstance(CWorld& world, double rate, uint32_t maxFrames = 4096)
        : m_World(world), m_Audio(maxFrames, 0.0f)
    {
        const LV2_Feature* features[] = {world.Urids().Feature(), nullptr};
        m_pInstance = lilv_plugin_instantiate(world.Plugin(), rate, features);
        if (m_pInstance == nullptr)
            return;
        const uint32_t ports = lilv_plugin_get_num_ports(world.Plugin());
        m_Controls.assign(ports, 0.0f);
        std::vector<float> defaults(ports);
        lilv_plugin_get_port_ranges_float(world.Plugin(), nullptr, nullptr, defaults.data());
        for (uint32_t i = 0; i < ports; ++i) {
            const LilvPort* port = lilv_plugin_get_port_by_index(world.Plugin(), i);
            const char* symbol = lilv_node_as_string(lilv_port_get_symbol(world.Plugin(), port));
            m_Symbols[symbol] = i;
            m_Controls[i] = defaults[i] == defaults[i] ? defaults[i] : 0.0f;
            const bool audio = std::strcmp(symbol, "input") == 0 || std::strcmp(symbol, "output") == 0;
            lilv_instance_connect_port(m_pInstance, i, audio ? static_cast<void*>(m_Audio.data()) : &m_Controls[i]);
        }
    }
    ~CInstance()
    {
        if (m_pInstance != nullptr)
            lilv_instance_free(m_pInstance);
    }
    CInstance(const CInstance&) = delete;
    CInstance& operator=(const CInstance&) = delete;

    bool Valid() const { return m_pInstance != nullptr; }
    LilvInstance* Get() const { return m_pInstance; }
    float& Port(const std::string& symbol) { return m_Controls.at(m_Symbols.at(symbol)); }
    std::vector<float>& Audio() { return m_Audio; }

    void Activate() { lilv_instance_activate(m_pInstance); }
    // Processes the first n samples of Audio() in place.
    void Run(uint32_t n) { lilv_instance_run(m_pInstance, n); }

    const LV2_State_Interface* State() const
    {
        return static_cast<const LV2_State_Interface*>(
            lilv_instance_get_extension_data(m_pInstance, LV2_STATE__interface));
    }

    // The settings chunk the instance saves through its state interface.
    std::vector<uint8_t> SavedChunk()
    {
        struct Sink {
            std::vector<uint8_t> bytes;
            uint32_t type = 0;
        } sink;
        const LV2_Feature* features[] = {m_World.Urids().Feature(), nullptr};
        const LV2_State_Status status = State()->save(
            lilv_instance_get_handle(m_pInstance),
            [](LV2_State_Handle h, uint32_t, const void* value, size_t size, uint32_t type, uint32_t) {
                auto* s = static_cast<Sink*>(h);
                const auto* p = static_cast<const uint8_t*>(value);
                if (s->bytes.empty()) {  // the settings come first
                    s->bytes.assign(p, p + size);
                    s->type = type;
                }
                return LV2_STATE_SUCCESS;
            },
            &sink, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, features);
        EXPECT_EQ(status, LV2_STATE_SUCCESS);
        EXPECT_EQ(sink.type, m_World.Urids().Map(LV2_ATOM__Chunk));
        return sink.bytes;
    }

    // Its nine settings, read from the chunk's little-endian body.
    std::array<int32_t, 9> SavedSettings()
    {
        const std::vector<uint8_t> bytes = SavedChunk();
        std::array<int32_t, 9> block{};
        if (bytes.size() != 56) {
            ADD_FAILURE() << "the settings chunk has " << bytes.size() << " bytes";
            return block;
        }
        for (size_t i = 0; i < 9; ++i) {
            const uint8_t* p = &bytes[20 + 4 * i];
            block[i] = static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
        }
        return block;
    }

private:
    CWorld& m_World;
    LilvInstance* m_pInstance = nullptr;
    std::vector<float> m_Controls;
    std::map<std::string, uint32_t> m_Symbols;
    std::vector<float> m_Audio;
};

} // namespace lv2test

#pragma once
// A small LV2 host on lilv: finds the built bundle through LV2_PATH, makes
// instances with a URID map, gives every port a buffer addressed by symbol,
// and saves and restores through the state interface.

#include "Lv2TestState.h"

#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include <array>
#include <cstdlib>
#include <cstring>

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

class CWorld : public CUridMap
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

private:
    LilvWorld* m_pWorld = nullptr;
    const LilvPlugin* m_pPlugin = nullptr;
};

// One instance with its control values (defaults to start with) and one
// audio buffer used in place.
class CInstance
{
public:
    CInstance(CWorld& world, double rate, uint32_t maxFrames = 4096) : m_World(world), m_Audio(maxFrames, 0.0f)
    {
        m_pInstance = lilv_plugin_instantiate(world.Plugin(), rate, world.Features());
        if (m_pInstance == nullptr)
            return;
        const uint32_t ports = lilv_plugin_get_num_ports(world.Plugin());
        m_Controls.assign(ports, 0.0f);
        lilv_plugin_get_port_ranges_float(world.Plugin(), nullptr, nullptr, m_Controls.data());
        for (uint32_t i = 0; i < ports; ++i) {
            const LilvPort* port = lilv_plugin_get_port_by_index(world.Plugin(), i);
            const std::string symbol = lilv_node_as_string(lilv_port_get_symbol(world.Plugin(), port));
            m_Symbols[symbol] = i;
            m_Controls[i] = m_Controls[i] == m_Controls[i] ? m_Controls[i] : 0.0f;  // NaN: no default
            const bool audio = symbol == "input" || symbol == "output";
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
    CSavedState Save()
    {
        CSavedState state;
        EXPECT_EQ(State()->save(lilv_instance_get_handle(m_pInstance), CSavedState::Store, &state,
                                LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, m_World.Features()),
                  LV2_STATE_SUCCESS);
        return state;
    }
    LV2_State_Status Restore(const CSavedState& state)
    {
        return State()->restore(lilv_instance_get_handle(m_pInstance), CSavedState::Retrieve,
                                const_cast<CSavedState*>(&state), LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
                                m_World.Features());
    }

    // Its nine settings, read from the saved chunk's little-endian body.
    std::array<int32_t, 9> SavedSettings()
    {
        const CSavedState state = Save();
        const auto it = state.props.find(m_World.Map(kSettingsKey));
        std::array<int32_t, 9> block{};
        if (it == state.props.end() || it->second.first.size() != 56) {
            ADD_FAILURE() << "no settings chunk of 56 bytes saved";
            return block;
        }
        EXPECT_EQ(it->second.second, m_World.Map(LV2_ATOM__Chunk));
        const std::vector<uint8_t>& bytes = it->second.first;
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

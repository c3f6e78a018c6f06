#pragma once
// A plug-in state as a host keeps it (each property's bytes and type by
// key, with the store and retrieve functions a host hands over), and the
// graphical mode's track a state can carry.

#include "engine/TrackRecord.h"
#include "job/GraphCommands.h"
#include "graph/CurveTypes.h"

#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

namespace lv2test {

inline constexpr char kSettingsKey[] = "urn:uuid:99284da1-7a57-46e7-ac96-03a284ab9afb";
inline constexpr char kGraphKey[] = "urn:uuid:3c0e8d51-7a2f-4b69-9e14-d2a6b8f0c753";

// A URID map numbering URIs in the order first seen, and the features
// array that hands it over.
class CUridMap
{
public:
    CUridMap()
    {
        m_Map.handle = &m_Ids;
        m_Map.map = [](LV2_URID_Map_Handle handle, const char* uri) {
            auto* ids = static_cast<std::map<std::string, LV2_URID>*>(handle);
            return ids->emplace(uri, static_cast<LV2_URID>(ids->size() + 1)).first->second;
        };
    }
    CUridMap(const CUridMap&) = delete;
    CUridMap& operator=(const CUridMap&) = delete;

    LV2_URID_Map* Urids() { return &m_Map; }
    LV2_URID Map(const char* uri) { return m_Map.map(m_Map.handle, uri); }
    const LV2_Feature* const* Features() const { return m_Features; }

private:
    std::map<std::string, LV2_URID> m_Ids;
    LV2_URID_Map m_Map{};
    const LV2_Feature m_Feature{LV2_URID__map, &m_Map};
    const LV2_Feature* m_Features[2] = {&m_Feature, nullptr};
};

struct CSavedState {
    std::map<uint32_t, std::pair<std::vector<uint8_t>, uint32_t>> props;  // key: bytes, type

    static LV2_State_Status Store(LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t type,
                                  uint32_t)
    {
        const auto* p = static_cast<const uint8_t*>(value);
        static_cast<CSavedState*>(h)->props[key] = {std::vector<uint8_t>(p, p + size), type};
        return LV2_STATE_SUCCESS;
    }
    static const void* Retrieve(LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags)
    {
        const auto& props = static_cast<const CSavedState*>(h)->props;
        const auto it = props.find(key);
        if (it == props.end())
            return nullptr;
        *size = it->second.first.size();
        *type = it->second.second;
        *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        return it->second.first.data();
    }
};

// A tracked passage of 120 frames: voiced at 700 cents and up but for every
// fourth ten frames, so three voiced stretches.
inline void FillPassage(TrackRecord* r)
{
    for (int i = 0; i < 120; ++i) {
        const int32_t cents = i % 40 < 30 ? 700 + i : kUnvoicedMark;
        r[i] = TrackRecord{-0.3f, 0.3f, std::bit_cast<float>(cents), std::bit_cast<float>(cents), 0.0f};
    }
}

// What the tool's `graph info` says of a saved graph.
inline job::GraphInfo Describe(const std::vector<uint8_t>& bytes)
{
    const auto path = std::filesystem::temp_directory_path() / ("intonara-lv2-" + std::to_string(getpid()) + ".isn");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    job::GraphInfo info = job::DescribeSession(path.string());
    std::filesystem::remove(path);
    return info;
}

} // namespace lv2test

#include "Lv2Presets.h"

#include "host/Persist.h"
#include "settings/RetuneTaper.h"

#include <algorithm>

std::vector<CLv2Preset> Lv2Presets()
{
    SettingsBlock defaults{};
    std::copy_n(DefaultPresetSettings(), kSettingsCount, defaults.begin());
    auto from = [&](std::initializer_list<std::pair<int, int>> changes) {
        SettingsBlock block = defaults;
        for (const auto& [index, value] : changes) {
            block[static_cast<std::size_t>(index)] = value;
        }
        return block;
    };
    return {
        {"urn:uuid:78c76a07-7bec-4fd5-a579-ad7e232be355", DefaultPresetName(), defaults},
        // Notes snap at once: the hard, stepped sound of instant correction.
        {"urn:uuid:2aff8afe-11d6-4875-b474-6acef1b58c6d", "Hard Tune",
         from({{SETTING_RETUNE_SPEED, retune_taper::MsToIndex(0)}})},
        {"urn:uuid:b189440c-5474-4d81-a6c4-8170e98d1bc1", "Smooth",
         from({{SETTING_RETUNE_SPEED, retune_taper::MsToIndex(50)}})},
        // Slow enough to keep a singer's scoops and vibrato.
        {"urn:uuid:03579289-e53a-4a63-aef2-ae975eb6aa04", "Natural",
         from({{SETTING_RETUNE_SPEED, retune_taper::MsToIndex(100)}})},
        // A higher threshold keeps following rough or breathy sound.
        {"urn:uuid:f8fe42dd-219f-4650-842b-a76e3a996ca0", "Breathy Voice",
         from({{SETTING_RETUNE_SPEED, retune_taper::MsToIndex(50)}, {SETTING_THRESHOLD, 50}})},
        {"urn:uuid:7f7df3ae-b2b0-4e2a-957a-98ec659067c1", "Added Vibrato",
         from({{SETTING_VIBRATO_TYPE, 1}, {SETTING_VIBRATO_DEPTH, 25}, {SETTING_VIBRATO_RATE, 55},
               {SETTING_VIBRATO_DELAY, 400}})},
    };
}

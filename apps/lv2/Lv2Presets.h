#pragma once

// The presets the bundle ships: the filter's own "(Default)" and a few
// starting points for common uses, each a complete settings block.

#include "host/IIntonaraControl.h"

#include <vector>

struct CLv2Preset {
    const char* pszUri;    // fixed, so that hosts' projects can name it
    const char* pszLabel;
    SettingsBlock settings;  // in the control panel's units
};

std::vector<CLv2Preset> Lv2Presets();

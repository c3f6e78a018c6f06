#include "Lv2Ports.h"

#include "host/Persist.h"
#include "settings/ParameterDescriptors.h"
#include "settings/ParameterIds.h"
#include "settings/ScaleSet.h"

#include <cmath>

const CLv2SettingPort g_Lv2SettingPorts[kSettingsCount] = {
    {"scale", Lv2Unit::None, true, true},
    {"key", Lv2Unit::None, true, true},
    {"detune", Lv2Unit::Cent, true, false},
    // Linear in milliseconds: a logarithmic control cannot start at 0,
    // and hosts that cannot scale it draw nothing useful.
    {"retune", Lv2Unit::Millisecond, true, false},
    {"vibrato_type", Lv2Unit::None, true, true},
    {"vibrato_depth", Lv2Unit::Cent, true, false},
    {"vibrato_rate", Lv2Unit::Hertz, false, false},
    {"vibrato_delay", Lv2Unit::Millisecond, true, false},
    {"threshold", Lv2Unit::None, true, false},
};

const char* const g_Lv2VibratoTypeNames[4] = {"None", "Sine", "Square", "Sawtooth"};

CLv2PortMap::CLv2PortMap()
{
    for (int ms = 0; ms < kRetuneMsCount; ++ms) {
        m_nRetuneIndexForMs[static_cast<std::size_t>(ms)] = static_cast<int16_t>(retune_taper::MsToIndex(ms));
    }
    for (int index = 0; index < retune_taper::kSteps; ++index) {
        m_nRetuneMsForIndex[static_cast<std::size_t>(index)] = static_cast<int16_t>(retune_taper::IndexToMs(index));
    }
}

int CLv2PortMap::LowSetting(int index)
{
    return kSettingRanges[index].nLow;
}

int CLv2PortMap::HighSetting(int index)
{
    // The control interface lets a scale index up to 53 through, but only
    // the built-in scales have notes.
    if (index == SETTING_SCALE) {
        return CScaleSet::kScaleCount - 1;
    }
    return kSettingRanges[index].nHigh;
}

int CLv2PortMap::ToSetting(int index, float portValue) const
{
    const int low = LowSetting(index);
    const int high = HighSetting(index);
    if (std::isnan(portValue)) {
        return low;
    }
    if (index == SETTING_RETUNE_SPEED) {
        // The panel's fader lands on the step nearest a whole millisecond,
        // as the tool's --retune does.
        double ms = portValue;
        ms = ms < 0.0 ? 0.0 : (ms > kRetuneMsCount - 1 ? kRetuneMsCount - 1 : ms);
        return m_nRetuneIndexForMs[static_cast<std::size_t>(std::lround(ms))];
    }
    double value = portValue;
    if (index == SETTING_DETUNE) {
        value += 100.0;  // the store keeps cents + 100
    } else if (index == SETTING_VIBRATO_RATE) {
        value *= 10.0;  // tenths of a hertz
    }
    // Clamped before rounding, so that no float is out of lround's reach.
    value = value < low ? low : (value > high ? high : value);
    return static_cast<int>(std::lround(value));
}

float CLv2PortMap::ToPort(int index, int setting) const
{
    switch (index) {
    case SETTING_DETUNE:
        return static_cast<float>(setting - 100);
    case SETTING_VIBRATO_RATE:
        return static_cast<float>(setting / 10.0);
    case SETTING_RETUNE_SPEED: {
        const int clamped = setting < 0 ? 0 : (setting >= retune_taper::kSteps ? retune_taper::kSteps - 1 : setting);
        return m_nRetuneMsForIndex[static_cast<std::size_t>(clamped)];
    }
    default:
        return static_cast<float>(setting);
    }
}

float CLv2PortMap::Default(int index) const
{
    return ToPort(index, DefaultPresetSettings()[index]);
}

const char* SettingPortName(int index)
{
    return GetParameterDescriptor(PARAM_SCALE + index)->szLongName;
}

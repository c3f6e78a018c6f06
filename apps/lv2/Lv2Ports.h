#pragma once

// The plug-in's ports as LV2 hosts see them, and the conversions between a
// control port's value (cents, milliseconds, hertz: what a host shows) and
// the value the control panel sends the controller for the same setting.
// The bundle's description is generated from these tables and the plug-in
// reads its ports through them, so the two cannot disagree.

#include "engine/PitchEngine.h"
#include "host/IIntonaraControl.h"
#include "settings/RetuneTaper.h"

#include <array>
#include <cstdint>

enum Lv2Port : uint32_t {
    PORT_INPUT = 0,
    PORT_OUTPUT,
    // The nine settings, in settings-block order.
    PORT_SCALE,
    PORT_KEY,
    PORT_DETUNE,
    PORT_RETUNE,
    PORT_VIBRATO_TYPE,
    PORT_VIBRATO_DEPTH,
    PORT_VIBRATO_RATE,
    PORT_VIBRATO_DELAY,
    PORT_THRESHOLD,
    PORT_ENABLED,
    PORT_LATENCY,
    PORT_PITCH_CHANGE,
    PORT_COUNT
};

inline constexpr uint32_t kFirstSettingPort = PORT_SCALE;
static_assert(PORT_THRESHOLD - PORT_SCALE + 1 == kSettingsCount);

// What the engine delays its input by while nothing is shifted.
inline constexpr int kLatencyFrames = CPitchEngine::kLatency;

// The meter reads at most an octave either way.
inline constexpr float kPitchChangeRangeCents = 1200.0f;

enum class Lv2Unit { None, Cent, Millisecond, Hertz };

struct CLv2SettingPort {
    const char* pszSymbol;
    Lv2Unit eUnit;
    bool bInteger;
    bool bEnumeration;
};

// Symbols and display properties, in settings-block order; the names are
// the parameters' long names from the parameter store's descriptors.
extern const CLv2SettingPort g_Lv2SettingPorts[kSettingsCount];

// Vibrato Type's choices, as a host lists them.
extern const char* const g_Lv2VibratoTypeNames[4];

// The conversions. Built once, outside the audio thread (the retune taper's
// inverse is tabulated then), after which ToSetting runs without allocating,
// locking or touching per-thread storage.
class CLv2PortMap
{
public:
    CLv2PortMap();

    // The panel's value for a port value: rounded to the setting's own step,
    // kept inside the range the control interface accepts (the scale inside
    // the 29 that exist), NaN taken as the low end.
    int ToSetting(int index, float portValue) const;
    // The port value that shows a setting.
    float ToPort(int index, int setting) const;

    // The range a host offers, in port units.
    float Minimum(int index) const { return ToPort(index, LowSetting(index)); }
    float Maximum(int index) const { return ToPort(index, HighSetting(index)); }
    // What the "(Default)" preset sets, in port units.
    float Default(int index) const;

    static int LowSetting(int index);
    static int HighSetting(int index);

private:
    static constexpr int kRetuneMsCount = static_cast<int>(retune_taper::kHighMs) + 1;
    // The taper index the retune fader lands on for each whole millisecond.
    std::array<int16_t, kRetuneMsCount> m_nRetuneIndexForMs{};
    // Milliseconds shown for each taper index.
    std::array<int16_t, retune_taper::kSteps> m_nRetuneMsForIndex{};
};

// The parameter name shown for a setting port.
const char* SettingPortName(int index);

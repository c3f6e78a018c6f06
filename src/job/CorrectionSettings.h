#pragma once
// The automatic-mode settings of one correction run, in the units the
// control panel sends them to the controller, and the ranges and defaults
// the parameter store gives them.

#include <array>
#include <optional>

class CParameterStore;

namespace job {

// Only what the user asked for; everything else stays at the defaults the
// "(Default)" preset puts in place.
struct CorrectionSettings
{
    std::optional<int> nScale;        // 0 .. 28
    std::optional<int> nKey;          // 0 .. 11, 0 = C
    std::optional<int> nDetune;       // cents + 100
    std::optional<int> nRetuneIndex;  // taper index 0 .. 400
    std::optional<int> nVibratoType;  // 0 none, 1 sine, 2 square, 3 sawtooth
    std::optional<int> nVibratoDepth; // cents
    std::optional<int> nVibratoRate;  // tenths of a hertz
    std::optional<int> nVibratoDelay; // milliseconds
    std::optional<int> nThreshold;    // 0 .. 100
    bool bBypass = false;
    // The reference pitch the detune was asked for by, for the summary.
    std::optional<double> dA4Hz;
};

// In the store's units: cents + 100 for detune, milliseconds for the retune
// speed, tenths of a hertz for the rate.
struct SettingRange
{
    int nLow = 0;
    int nHigh = 0;
    int nDefault = 0;
};

struct AutomaticRanges
{
    SettingRange scale, key, detune, retuneMs, vibratoType, depth, rate, delay, threshold;
};

// Read from a parameter store; the store's slider ends can come in either
// order, so they are sorted here.
AutomaticRanges ReadAutomaticRanges(CParameterStore& store);
// The same for the controller the tool uses, read once.
const AutomaticRanges& GetAutomaticRanges();

inline constexpr int kSettingsBlockSize = 9;
using SettingsBlock = std::array<int, kSettingsBlockSize>;

// The block the host's "(Default)" preset hands over: IDs 2 to 10 at their
// defaults, the retune speed as a taper index.
SettingsBlock DefaultSettingsBlock(const AutomaticRanges& ranges);

// The rate the controller assumes until a stream tells it otherwise.
int InitialSampleRate();
// What the notes listing accepts.
inline constexpr int kMinListingSampleRate = 1000;
inline constexpr int kMaxListingSampleRate = 768000;

} // namespace job

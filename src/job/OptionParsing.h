#pragma once
// Turning what the user typed into setting values. Every rejection is a
// usage error whose one-line message names the option and what it takes.

#include <optional>
#include <string>

#include "job/CorrectionSettings.h"

namespace job {

// A scale's display name or its internal name, or a common alias
// ("chromatic", "major", "minor", "19-tet", ...), case and punctuation
// ignored, or the beginning of one that only one scale has; or its index
// 0 .. 28.
int ParseScale(const std::string& text, const char* option = "--scale");

struct KeyName
{
    int nKey = 0;                   // 0 = C .. 11 = B
    std::optional<int> nModeScale;  // "Am": 1 (Minor); "C major": 0 (Major)
};

// "C", "D-flat", "C#", "Db", "F-sharp", "Fs", "Bb", "B flat", with or without
// the Unicode sharp and flat signs, case-insensitive, optionally followed by
// a mode ("Am", "F# minor", "Ebmaj"); or an index 0 .. 11.
KeyName ParseKey(const std::string& text, const char* option = "--key");

// A reference pitch for A4 in hertz, as the Scale Detune it amounts to:
// whole cents from 440 Hz, -100 to 100, returned as cents + 100.
int ParseA4(const std::string& text, const char* option = "--a4");

// none, sine, square, sawtooth (or 0 .. 3).
int ParseVibratoType(const std::string& text, const char* option = "--vibrato");
const char* VibratoTypeName(int type);

// A whole number within [low, high]; unit is for the message ("cents").
int ParseWholeNumber(const std::string& text, const char* option, int low, int high, const char* unit);

// A decimal number rounded to the nearest tenth, returned in tenths, which
// must lie within [lowTenths, highTenths].
int ParseTenths(const std::string& text, const char* option, int lowTenths, int highTenths,
                const char* unit);

// The texts of the correct subcommand's options, as typed.
struct CorrectOptionTexts
{
    std::optional<std::string> scale, key, detune, a4, retuneMs, retuneIndex, threshold, vibrato, depth,
        rate, delay;
    bool bBypass = false;
};

// Converts every given option to the value the control panel would send.
// A key with a mode ("Am") also chooses the scale unless --scale is given.
CorrectionSettings ParseCorrectionOptions(const CorrectOptionTexts& texts,
                                          const AutomaticRanges& ranges);

} // namespace job

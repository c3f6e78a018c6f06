#pragma once
// Turning what the user typed into setting values. Every rejection is a
// usage error whose one-line message names the option and what it takes.

#include <optional>
#include <string>

#include "job/CorrectionSettings.h"

namespace job {

// A scale's display name or its internal name, case-insensitive, or its
// index 0 .. 28.
int ParseScale(const std::string& text, const char* option = "--scale");

// "C", "D-flat", "C#", "Db", "F-sharp", "Fs", "Bb", "B flat", with or without
// the Unicode sharp and flat signs, case-insensitive; or an index 0 .. 11.
int ParseKey(const std::string& text, const char* option = "--key");

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
    std::optional<std::string> scale, key, detune, retuneMs, retuneIndex, threshold, vibrato, depth,
        rate, delay;
    bool bBypass = false;
};

// Converts every given option to the value the control panel would send.
CorrectionSettings ParseCorrectionOptions(const CorrectOptionTexts& texts,
                                          const AutomaticRanges& ranges);

} // namespace job

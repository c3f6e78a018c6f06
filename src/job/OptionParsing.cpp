#include "job/OptionParsing.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "job/JobError.h"
#include "settings/RetuneTaper.h"
#include "settings/ScaleSet.h"

namespace job {

namespace {

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// ASCII only: scale and key names are ASCII, and a byte-wise lower-casing
// leaves UTF-8 sequences alone.
std::string Lowered(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (auto pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
}

// A plain decimal integer, optional sign, nothing else. Empty on anything
// else, including overflow.
std::optional<long> WholeNumber(const std::string& text)
{
    const std::string t = Trimmed(text);
    if (t.empty())
        return std::nullopt;
    std::size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
    if (i == t.size())
        return std::nullopt;
    for (std::size_t j = i; j < t.size(); ++j)
        if (t[j] < '0' || t[j] > '9')
            return std::nullopt;
    errno = 0;
    const long value = std::strtol(t.c_str(), nullptr, 10);
    if (errno == ERANGE || value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    return value;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string FormatTenths(int tenths)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d.%d", tenths / 10, tenths % 10);
    return buffer;
}

} // namespace

int ParseWholeNumber(const std::string& text, const char* option, int low, int high, const char* unit)
{
    std::string range = std::to_string(low) + " to " + std::to_string(high);
    if (unit && *unit)
        range.append(" ").append(unit);
    const std::optional<long> value = WholeNumber(text);
    if (!value)
        ThrowUsage(std::string(option) + ": " + Quoted(text) + " is not a whole number; give " + range);
    if (*value < low || *value > high)
        ThrowUsage(std::string(option) + ": " + Trimmed(text) + " is out of range; give " + range);
    return static_cast<int>(*value);
}

int ParseTenths(const std::string& text, const char* option, int lowTenths, int highTenths,
                const char* unit)
{
    const std::string range = FormatTenths(lowTenths) + " to " + FormatTenths(highTenths) + " " + unit;
    const std::string t = Trimmed(text);
    // strtod alone would also take hexadecimal, "inf" and "nan".
    bool digits = false;
    bool plain = !t.empty();
    for (char c : t) {
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c != '.' && c != '+' && c != '-')
            plain = false;
    }
    char* end = nullptr;
    const double value = plain && digits ? std::strtod(t.c_str(), &end) : 0.0;
    if (!plain || !digits || end != t.c_str() + t.size())
        ThrowUsage(std::string(option) + ": " + Quoted(text) + " is not a number; give " + range);
    const double tenths = std::round(value * 10.0);
    if (!(tenths >= lowTenths && tenths <= highTenths))
        ThrowUsage(std::string(option) + ": " + t + " is out of range; give " + range);
    return static_cast<int>(tenths);
}

int ParseScale(const std::string& text, const char* option)
{
    const std::string t = Trimmed(text);
    const int count = CScaleSet::kScaleCount;
    if (WholeNumber(t))
        return ParseWholeNumber(t, option, 0, count - 1, "(a scale index)");

    CScaleSet scales;
    const std::string wanted = Lowered(t);
    for (int scale = 0; scale < count; ++scale) {
        // The editor's own spelling is accepted too: it fixes two names the
        // list misspells.
        if (wanted == Lowered(CScaleSet::GetDisplayName(scale)) ||
            wanted == Lowered(scales.GetScaleNameText(static_cast<short>(scale))))
            return scale;
    }
    ThrowUsage(std::string(option) + ": no scale is called " + Quoted(t) + "; give an index 0 to " +
               std::to_string(count - 1) + " or a name that \"intonara scales\" lists");
}

int ParseKey(const std::string& text, const char* option)
{
    const std::string t = Trimmed(text);
    if (WholeNumber(t))
        return ParseWholeNumber(t, option, 0, 11, "(0 is C, 11 is B)");

    std::string s = Lowered(t);
    ReplaceAll(s, "\u266F", "#"); // MUSIC SHARP SIGN
    ReplaceAll(s, "\u266D", "b"); // MUSIC FLAT SIGN
    auto reject = [&]() -> int {
        ThrowUsage(std::string(option) + ": " + Quoted(t) +
                   " is not a key; give a note name such as C, F#, Bb or E-flat, or an index 0 to 11");
    };
    if (s.empty())
        return reject();

    static constexpr int kNatural[7] = {9, 11, 0, 2, 4, 5, 7}; // a .. g
    if (s[0] < 'a' || s[0] > 'g')
        return reject();
    int semitone = kNatural[s[0] - 'a'];

    std::string accidental;
    for (std::size_t i = 1; i < s.size(); ++i)
        if (s[i] != '-' && s[i] != ' ' && s[i] != '_')
            accidental.push_back(s[i]);
    if (accidental.empty()) {
    } else if (accidental == "#" || accidental == "s" || accidental == "sharp") {
        semitone += 1;
    } else if (accidental == "b" || accidental == "flat") {
        semitone -= 1;
    } else {
        return reject();
    }
    // C-flat is B, B-sharp is C.
    return (semitone + 12) % 12;
}

int ParseVibratoType(const std::string& text, const char* option)
{
    static constexpr const char* kNames[4] = {"none", "sine", "square", "sawtooth"};
    const std::string t = Lowered(Trimmed(text));
    for (int type = 0; type < 4; ++type)
        if (t == kNames[type] || t == std::to_string(type))
            return type;
    ThrowUsage(std::string(option) + ": " + Quoted(Trimmed(text)) +
               " is not a vibrato type; give none, sine, square or sawtooth");
}

const char* VibratoTypeName(int type)
{
    switch (type) {
    case 0: return "none";
    case 1: return "sine";
    case 2: return "square";
    case 3: return "sawtooth";
    default: return "?";
    }
}

CorrectionSettings ParseCorrectionOptions(const CorrectOptionTexts& texts, const AutomaticRanges& ranges)
{
    CorrectionSettings settings;
    if (texts.scale)
        settings.nScale = ParseScale(*texts.scale);
    if (texts.key)
        settings.nKey = ParseKey(*texts.key);
    if (texts.detune) {
        // Stored as cents + 100.
        const int cents = ParseWholeNumber(*texts.detune, "--detune", ranges.detune.nLow - 100,
                                           ranges.detune.nHigh - 100, "cents");
        settings.nDetune = cents + 100;
    }
    if (texts.retuneMs && texts.retuneIndex)
        ThrowUsage("--retune and --retune-index set the same thing; give only one of them");
    if (texts.retuneMs) {
        const int ms = ParseWholeNumber(*texts.retuneMs, "--retune", ranges.retuneMs.nLow,
                                        ranges.retuneMs.nHigh, "ms");
        settings.nRetuneIndex = retune_taper::MsToIndex(ms);
    }
    if (texts.retuneIndex)
        settings.nRetuneIndex =
            ParseWholeNumber(*texts.retuneIndex, "--retune-index", 0, retune_taper::kSteps - 1, "");
    if (texts.threshold)
        settings.nThreshold = ParseWholeNumber(*texts.threshold, "--threshold", ranges.threshold.nLow,
                                               ranges.threshold.nHigh, "");
    if (texts.vibrato)
        settings.nVibratoType = ParseVibratoType(*texts.vibrato);
    if (texts.depth)
        settings.nVibratoDepth =
            ParseWholeNumber(*texts.depth, "--depth", ranges.depth.nLow, ranges.depth.nHigh, "cents");
    if (texts.rate)
        settings.nVibratoRate = ParseTenths(*texts.rate, "--rate", ranges.rate.nLow, ranges.rate.nHigh, "Hz");
    if (texts.delay)
        settings.nVibratoDelay =
            ParseWholeNumber(*texts.delay, "--delay", ranges.delay.nLow, ranges.delay.nHigh, "ms");
    settings.bBypass = texts.bBypass;
    return settings;
}

} // namespace job

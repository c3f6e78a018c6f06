#include "job/OptionParsing.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "job/JobError.h"
#include "job/TextFormat.h"
#include "job/Suggest.h"
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

namespace {

// A plain decimal number: digits, one optional sign and point. strtod alone
// would also take hexadecimal, exponents, "inf" and "nan".
std::optional<double> Decimal(const std::string& text)
{
    bool digits = false;
    bool plain = !text.empty();
    for (char c : text) {
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c != '.' && c != '+' && c != '-')
            plain = false;
    }
    if (!plain || !digits)
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

int ParseTenths(const std::string& text, const char* option, int lowTenths, int highTenths,
                const char* unit)
{
    const std::string range = FormatTenths(lowTenths) + " to " + FormatTenths(highTenths) + " " + unit;
    const std::string t = Trimmed(text);
    const std::optional<double> value = Decimal(t);
    if (!value)
        ThrowUsage(std::string(option) + ": " + Quoted(text) + " is not a number; give " + range);
    const double tenths = std::round(*value * 10.0);
    if (!(tenths >= lowTenths && tenths <= highTenths))
        ThrowUsage(std::string(option) + ": " + t + " is out of range; give " + range);
    return static_cast<int>(tenths);
}

int ParseA4(const std::string& text, const char* option)
{
    // The detune fader's reach: a hundred cents either way of 440 Hz.
    constexpr double kReference = 440.0;
    constexpr int kMaxCents = 100;
    char range[64];
    std::snprintf(range, sizeof range, "%.1f to %.1f Hz", kReference * std::pow(2.0, -kMaxCents / 1200.0),
                  kReference * std::pow(2.0, kMaxCents / 1200.0));
    const std::string t = Trimmed(text);
    const std::optional<double> hz = Decimal(t);
    if (!hz)
        ThrowUsage(std::string(option) + ": " + Quoted(text) + " is not a frequency; give " + range);
    const double cents = *hz > 0.0 ? std::round(1200.0 * std::log2(*hz / kReference)) : -1e9;
    if (!(cents >= -kMaxCents && cents <= kMaxCents))
        ThrowUsage(std::string(option) + ": " + t + " Hz is out of range; give " + range);
    return static_cast<int>(cents) + 100;
}

namespace {

// Names compared loosely: lower case, every run of punctuation and blanks
// one blank, apostrophes dropped ("Scholar's Lute" is "scholars lute").
std::string Relaxed(const std::string& text)
{
    std::string out;
    bool gap = false;
    for (const char raw : Lowered(text)) {
        if (raw == '\'')
            continue;
        const bool word = (raw >= 'a' && raw <= 'z') || (raw >= '0' && raw <= '9') || (raw & 0x80) != 0;
        if (!word) {
            gap = !out.empty();
            continue;
        }
        if (gap)
            out.push_back(' ');
        gap = false;
        out.push_back(raw);
    }
    return out;
}

struct ScaleAlias
{
    const char* pszName;
    int nScale;
};

// What musicians call the common scales, besides the names the list gives.
constexpr ScaleAlias kScaleAliases[] = {
    {"chromatic", 2},  {"equal", 2},      {"equal temperament", 2}, {"12 tet", 2},  {"12tet", 2},
    {"12 edo", 2},     {"12edo", 2},      {"et", 2},                {"maj", 0},     {"ionian", 0},
    {"min", 1},        {"aeolian", 1},    {"natural minor", 1},     {"just major", 9}, {"just minor", 10},
    {"meantone", 11},  {"werckmeister", 12}, {"vallotti", 13},      {"19 tet", 20}, {"19tet", 20},
    {"19 edo", 20},    {"19edo", 20},     {"24 tet", 21},           {"24tet", 21},  {"24 edo", 21},
    {"24edo", 21},     {"quarter tone", 21}, {"31 tet", 22},        {"31tet", 22},  {"31 edo", 22},
    {"31edo", 22},     {"53 tet", 23},    {"53tet", 23},            {"53 edo", 23}, {"53edo", 23},
};

// Every name a scale answers to, relaxed, with its index.
std::vector<std::pair<std::string, int>> ScaleNames()
{
    CScaleSet scales;
    std::vector<std::pair<std::string, int>> names;
    for (int scale = 0; scale < CScaleSet::kScaleCount; ++scale) {
        // The editor's own spelling too: it fixes two names the list misspells.
        names.emplace_back(Relaxed(CScaleSet::GetDisplayName(scale)), scale);
        names.emplace_back(Relaxed(scales.GetScaleNameText(static_cast<short>(scale))), scale);
    }
    for (const ScaleAlias& alias : kScaleAliases)
        names.emplace_back(alias.pszName, alias.nScale);
    return names;
}

} // namespace

int ParseScale(const std::string& text, const char* option)
{
    const std::string t = Trimmed(text);
    const int count = CScaleSet::kScaleCount;
    if (WholeNumber(t))
        return ParseWholeNumber(t, option, 0, count - 1, "(a scale index)");

    const auto names = ScaleNames();
    const std::string wanted = Relaxed(t);
    for (const auto& [name, scale] : names)
        if (!wanted.empty() && wanted == name)
            return scale;

    // The beginning of a name is enough when only one scale has it.
    std::vector<int> starts;
    for (const auto& [name, scale] : names)
        if (!wanted.empty() && name.compare(0, wanted.size(), wanted) == 0 &&
            std::find(starts.begin(), starts.end(), scale) == starts.end())
            starts.push_back(scale);
    if (starts.size() == 1)
        return starts[0];
    if (starts.size() > 1) {
        std::string list;
        for (std::size_t i = 0; i < starts.size(); ++i)
            list += std::string(i == 0 ? "" : i + 1 == starts.size() ? " or " : ", ") + "\"" +
                    CScaleSet::GetDisplayName(starts[i]) + "\"";
        ThrowUsage(std::string(option) + ": " + Quoted(t) + " could be " + list + "; give more of the name");
    }

    std::vector<std::string> candidates;
    for (int scale = 0; scale < count; ++scale)
        candidates.push_back(CScaleSet::GetDisplayName(scale));
    for (const ScaleAlias& alias : kScaleAliases)
        candidates.push_back(alias.pszName);
    ThrowUsage(std::string(option) + ": no scale is called " + Quoted(t) + DidYouMean(t, candidates) +
               " Give an index 0 to " + std::to_string(count - 1) + " or a name that \"intonara scales\" lists");
}

KeyName ParseKey(const std::string& text, const char* option)
{
    const std::string t = Trimmed(text);
    if (WholeNumber(t))
        return {ParseWholeNumber(t, option, 0, 11, "(0 is C, 11 is B)"), std::nullopt};

    std::string s = Lowered(t);
    ReplaceAll(s, "\u266F", "#"); // MUSIC SHARP SIGN
    ReplaceAll(s, "\u266D", "b"); // MUSIC FLAT SIGN
    auto reject = [&]() -> KeyName {
        ThrowUsage(std::string(option) + ": " + Quoted(t) +
                   " is not a key; give a note name such as C, F#, Bb, E-flat or Am, or an index 0 to 11");
    };
    std::string compact;
    for (const char c : s)
        if (c != '-' && c != ' ' && c != '_')
            compact.push_back(c);
    if (compact.empty())
        return reject();

    static constexpr int kNatural[7] = {9, 11, 0, 2, 4, 5, 7}; // a .. g
    if (compact[0] < 'a' || compact[0] > 'g')
        return reject();
    int semitone = kNatural[compact[0] - 'a'];

    // "Am", "A minor", "C major", "Ebmaj": the key of that scale.
    KeyName name;
    static constexpr std::pair<const char*, int> kModes[] = {
        {"minor", 1}, {"major", 0}, {"min", 1}, {"maj", 0}, {"m", 1}};
    std::string accidental = compact.substr(1);
    for (const auto& [suffix, scale] : kModes) {
        const std::string_view tail(suffix);
        if (accidental.size() >= tail.size() &&
            std::string_view(accidental).substr(accidental.size() - tail.size()) == tail) {
            accidental.erase(accidental.size() - tail.size());
            name.nModeScale = scale;
            break;
        }
    }
    if (accidental.empty()) {
    } else if (accidental == "#" || accidental == "s" || accidental == "sharp") {
        semitone += 1;
    } else if (accidental == "b" || accidental == "flat") {
        semitone -= 1;
    } else {
        return reject();
    }
    // C-flat is B, B-sharp is C.
    name.nKey = (semitone + 12) % 12;
    return name;
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
    if (texts.key) {
        const KeyName key = ParseKey(*texts.key);
        settings.nKey = key.nKey;
        if (key.nModeScale && !texts.scale)
            settings.nScale = *key.nModeScale;
    }
    if (texts.detune && texts.a4)
        ThrowUsage("--detune and --a4 both set the tuning; give only one of them");
    if (texts.a4) {
        settings.nDetune = ParseA4(*texts.a4);
        settings.dA4Hz = std::strtod(Trimmed(*texts.a4).c_str(), nullptr);
    }
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

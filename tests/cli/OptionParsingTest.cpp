// What the user may type for each option, and what reaches the controller.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "CliTestSupport.h"
#include "job/JobError.h"
#include "job/OptionParsing.h"

namespace {

// The store's ranges, from its parameter table, in its units.
job::AutomaticRanges TableRanges()
{
    job::AutomaticRanges r;
    r.scale = {0, 28, 2};
    r.key = {0, 11, 0};
    r.detune = {0, 200, 100};
    r.retuneMs = {0, 400, 20};
    r.vibratoType = {0, 3, 0};
    r.depth = {0, 100, 30};
    r.rate = {1, 100, 55};
    r.delay = {0, 3000, 300};
    r.threshold = {0, 100, 25};
    return r;
}

using clitest::UsageMessage;

// The retune taper's inverse: index of a time on the exponential curve
// through 0, 50 and 400 ms over 401 steps.
int TaperIndex(double ms)
{
    const double k = 2.0 * std::log(7.0);
    const double g = 400.0 / (std::exp(k) - 1.0);
    return static_cast<int>(400.0 * std::log(ms / g + 1.0) / k + 0.5);
}

} // namespace

TEST(OptionParsing, ScalesByNameOrIndex)
{
    EXPECT_EQ(job::ParseScale("Major"), 0);
    EXPECT_EQ(job::ParseScale("equal tempered chrom."), 2);
    EXPECT_EQ(job::ParseScale("  53 TONE "), 23);
    EXPECT_EQ(job::ParseScale("Valloti & Young Chrom."), 13);
    EXPECT_EQ(job::ParseScale("Vallotti & Young chrom."), 13); // the editor's spelling
    EXPECT_EQ(job::ParseScale("28"), 28);
    EXPECT_EQ(job::ParseScale("0"), 0);

    const std::string unknown = UsageMessage([] { job::ParseScale("Lydian"); });
    EXPECT_NE(unknown.find("--scale"), std::string::npos);
    EXPECT_NE(unknown.find("Lydian"), std::string::npos);
    EXPECT_NE(UsageMessage([] { job::ParseScale("29"); }).find("0 to 28"), std::string::npos);
    EXPECT_NE(UsageMessage([] { job::ParseScale("-1"); }), "");
}

TEST(OptionParsing, ScaleAliasesAndBeginnings)
{
    struct Alias
    {
        const char* text;
        int scale;
    };
    const Alias aliases[] = {
        {"chromatic", 2},   {"CHROM", 2},        {"equal tempered chrom", 2}, {"12-TET", 2},
        {"major", 0},       {"maj", 0},          {"minor", 1},                {"Min", 1},
        {"werck", 12},      {"meantone", 11},    {"just major", 9},           {"Just (minor", 10},
        {"19-tet", 20},     {"53 EDO", 23},      {"scholars lute", 4},        {"greek diat", 5},
        {"partch", 24},     {"harm", 28},        {"19", 19}, // a number is an index
    };
    for (const Alias& a : aliases)
        EXPECT_EQ(job::ParseScale(a.text), a.scale) << a.text;

    // A beginning several scales share is refused with their names.
    const std::string greek = UsageMessage([] { job::ParseScale("greek"); });
    for (const char* name : {"Greek Diatonic Genus", "Greek Chromatic Genus", "Greek Enharmonic Genus"})
        EXPECT_NE(greek.find(name), std::string::npos) << greek;
    EXPECT_NE(UsageMessage([] { job::ParseScale("Carlos"); }).find("Carlos Beta"), std::string::npos);
    // A typo gets the nearest name.
    EXPECT_NE(UsageMessage([] { job::ParseScale("Majr"); }).find("did you mean \"Major\""), std::string::npos);
    EXPECT_NE(UsageMessage([] { job::ParseScale("Pelgo"); }).find("\"Pelog\""), std::string::npos);
}

TEST(OptionParsing, KeysInTheUsualSpellings)
{
    const char* const canonical[12] = {"C", "D-flat", "D", "E-flat", "E", "F",
                                       "F-sharp", "G", "A-flat", "A", "B-flat", "B"};
    for (int key = 0; key < 12; ++key) {
        EXPECT_EQ(job::ParseKey(canonical[key]).nKey, key) << canonical[key];
        EXPECT_EQ(job::ParseKey(std::to_string(key)).nKey, key);
        EXPECT_FALSE(job::ParseKey(canonical[key]).nModeScale);
    }
    struct Spelling
    {
        const char* text;
        int key;
    };
    const Spelling spellings[] = {
        {"C#", 1},  {"Db", 1},     {"db", 1},      {"D flat", 1}, {"d-FLAT", 1}, {"D\u266D", 1},
        {"F#", 6},  {"Fs", 6},     {"f-sharp", 6}, {"F sharp", 6}, {"F\u266F", 6}, {"Gb", 6},
        {"Bb", 10}, {"bb", 10},    {"A#", 10},     {"b", 11},     {"Cb", 11},    {"B#", 0},
        {"E#", 5},  {"Fb", 4},     {"g", 7},       {" A ", 9},
    };
    for (const Spelling& s : spellings) {
        EXPECT_EQ(job::ParseKey(s.text).nKey, s.key) << s.text;
        EXPECT_FALSE(job::ParseKey(s.text).nModeScale) << s.text;
    }

    // A mode after the note names the scale too: 0 Major, 1 Minor.
    struct Mode
    {
        const char* text;
        int key;
        int scale;
    };
    const Mode modes[] = {{"Am", 9, 1},      {"A minor", 9, 1}, {"a-min", 9, 1}, {"F#m", 6, 1},
                          {"Bbm", 10, 1},    {"bm", 11, 1},     {"Ebmaj", 3, 0}, {"C major", 0, 0},
                          {"E flat major", 3, 0}, {"G\u266Dm", 6, 1}};
    for (const Mode& m : modes) {
        const job::KeyName name = job::ParseKey(m.text);
        EXPECT_EQ(name.nKey, m.key) << m.text;
        EXPECT_EQ(name.nModeScale, m.scale) << m.text;
    }

    for (const char* bad : {"H", "C##", "Dbb", "X", "", "C sharpish", "12", "-1", "do", "Amm", "C dorian", "m"})
        EXPECT_NE(UsageMessage([bad] { job::ParseKey(bad); }).find("--key"), std::string::npos) << bad;
}

TEST(OptionParsing, VibratoTypes)
{
    EXPECT_EQ(job::ParseVibratoType("none"), 0);
    EXPECT_EQ(job::ParseVibratoType("Sine"), 1);
    EXPECT_EQ(job::ParseVibratoType("SQUARE"), 2);
    EXPECT_EQ(job::ParseVibratoType("sawtooth"), 3);
    EXPECT_NE(UsageMessage([] { job::ParseVibratoType("triangle"); }).find("sawtooth"), std::string::npos);
}

TEST(OptionParsing, NumbersAreCheckedAgainstTheirRange)
{
    EXPECT_EQ(job::ParseWholeNumber("-100", "--detune", -100, 100, "cents"), -100);
    EXPECT_EQ(job::ParseWholeNumber("+7", "--detune", -100, 100, "cents"), 7);
    const std::string high = UsageMessage([] { job::ParseWholeNumber("101", "--detune", -100, 100, "cents"); });
    EXPECT_NE(high.find("--detune"), std::string::npos);
    EXPECT_NE(high.find("-100 to 100 cents"), std::string::npos) << high;
    for (const char* bad : {"1.5", "abc", "", "10x", "99999999999999999999", "--5"})
        EXPECT_NE(UsageMessage([bad] { job::ParseWholeNumber(bad, "--depth", 0, 100, "cents"); }).find("--depth"),
                  std::string::npos)
            << bad;

    EXPECT_EQ(job::ParseTenths("5.5", "--rate", 1, 100, "Hz"), 55);
    EXPECT_EQ(job::ParseTenths("0.1", "--rate", 1, 100, "Hz"), 1);
    EXPECT_EQ(job::ParseTenths("10", "--rate", 1, 100, "Hz"), 100);
    EXPECT_EQ(job::ParseTenths("5.56", "--rate", 1, 100, "Hz"), 56);
    EXPECT_NE(UsageMessage([] { job::ParseTenths("0.04", "--rate", 1, 100, "Hz"); }).find("0.1 to 10.0 Hz"),
              std::string::npos);
    for (const char* bad : {"nan", "inf", "0x10", "1e1", "fast", "10.1"})
        EXPECT_NE(UsageMessage([bad] { job::ParseTenths(bad, "--rate", 1, 100, "Hz"); }), "") << bad;
}

TEST(OptionParsing, ReferencePitchBecomesWholeCentsOfDetune)
{
    // 442 Hz is 7.85 cents above 440, 432 Hz 31.77 cents below.
    EXPECT_EQ(job::ParseA4("440"), 100);
    EXPECT_EQ(job::ParseA4("442"), 108);
    EXPECT_EQ(job::ParseA4(" 432.0 "), 68);
    // A hundred cents either way: 415.30 and 466.16 Hz.
    EXPECT_EQ(job::ParseA4("415.3"), 0);
    EXPECT_EQ(job::ParseA4("466.2"), 200);
    const std::string far = UsageMessage([] { job::ParseA4("400"); });
    EXPECT_NE(far.find("--a4"), std::string::npos);
    EXPECT_NE(far.find("415.3 to 466.2 Hz"), std::string::npos) << far;
    for (const char* bad : {"466.5", "0", "-440", "abc", "", "4e2", "inf"})
        EXPECT_NE(UsageMessage([bad] { job::ParseA4(bad); }).find("--a4"), std::string::npos) << bad;
}

TEST(OptionParsing, KeyModeAndReferencePitchInTheSettings)
{
    job::CorrectOptionTexts texts;
    texts.key = "Am";
    texts.a4 = "442";
    const job::CorrectionSettings minor = job::ParseCorrectionOptions(texts, TableRanges());
    EXPECT_EQ(minor.nKey, 9);
    EXPECT_EQ(minor.nScale, 1);
    EXPECT_EQ(minor.nDetune, 108);
    EXPECT_EQ(minor.dA4Hz, 442.0);

    // A scale given outright wins over the key's mode.
    texts.scale = "chromatic";
    EXPECT_EQ(job::ParseCorrectionOptions(texts, TableRanges()).nScale, 2);

    texts.detune = "5";
    EXPECT_NE(UsageMessage([&] { job::ParseCorrectionOptions(texts, TableRanges()); }).find("--a4"),
              std::string::npos);
}

TEST(OptionParsing, SettingsArriveInTheControlPanelsUnits)
{
    job::CorrectOptionTexts texts;
    texts.scale = "Major";
    texts.key = "Eb";
    texts.detune = "-20";
    texts.retuneMs = "100";
    texts.threshold = "40";
    texts.vibrato = "square";
    texts.depth = "100";
    texts.rate = "5.5";
    texts.delay = "0";
    texts.bBypass = true;
    const job::CorrectionSettings s = job::ParseCorrectionOptions(texts, TableRanges());
    EXPECT_EQ(s.nScale, 0);
    EXPECT_EQ(s.nKey, 3);
    EXPECT_EQ(s.nDetune, 80);
    EXPECT_EQ(TaperIndex(100.0), 264);
    EXPECT_EQ(s.nRetuneIndex, TaperIndex(100.0));
    EXPECT_EQ(s.nThreshold, 40);
    EXPECT_EQ(s.nVibratoType, 2);
    EXPECT_EQ(s.nVibratoDepth, 100);
    EXPECT_EQ(s.nVibratoRate, 55);
    EXPECT_EQ(s.nVibratoDelay, 0);
    EXPECT_TRUE(s.bBypass);

    // What is not given stays unset, so the preset's default stands.
    const job::CorrectionSettings none = job::ParseCorrectionOptions({}, TableRanges());
    EXPECT_FALSE(none.nScale || none.nKey || none.nDetune || none.nRetuneIndex || none.nThreshold ||
                 none.nVibratoType || none.nVibratoDepth || none.nVibratoRate || none.nVibratoDelay);

    job::CorrectOptionTexts index;
    index.retuneIndex = "300";
    EXPECT_EQ(job::ParseCorrectionOptions(index, TableRanges()).nRetuneIndex, 300);
    index.retuneMs = "20";
    EXPECT_NE(UsageMessage([&] { job::ParseCorrectionOptions(index, TableRanges()); }).find("--retune-index"),
              std::string::npos);

    job::CorrectOptionTexts far;
    far.retuneMs = "401";
    EXPECT_NE(UsageMessage([&] { job::ParseCorrectionOptions(far, TableRanges()); }).find("0 to 400 ms"),
              std::string::npos);
}

// What the user may type for each option, and what reaches the controller.

#include <gtest/gtest.h>

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

// The settings from the texts a call gives.
template <class F>
job::CorrectionSettings Parse(F give)
{
    job::CorrectOptionTexts texts;
    give(texts);
    return job::ParseCorrectionOptions(texts, TableRanges());
}

} // namespace

TEST(OptionParsing, ScalesByNameIndexAliasOrBeginning)
{
    struct Alias
    {
        const char* text;
        int scale;
    };
    const Alias aliases[] = {
        {"Major", 0},       {"equal tempered chrom.", 2}, {"  53 TONE ", 23},       {"28", 28},
        {"0", 0},           {"Valloti & Young Chrom.", 13}, {"Vallotti & Young chrom.", 13}, // the editor's spelling
        {"chromatic", 2},   {"CHROM", 2},        {"equal tempered chrom", 2}, {"12-TET", 2},
        {"major", 0},       {"maj", 0},          {"minor", 1},                {"Min", 1},
        {"werck", 12},      {"meantone", 11},    {"just major", 9},           {"Just (minor", 10},
        {"19-tet", 20},     {"53 EDO", 23},      {"scholars lute", 4},        {"greek diat", 5},
        {"partch", 24},     {"harm", 28},        {"19", 19}, // a number is an index
    };
    for (const Alias& a : aliases)
        EXPECT_EQ(job::ParseScale(a.text), a.scale) << a.text;

    // Refused with the option, the range, the scales a beginning fits or the nearest name.
    const std::pair<const char*, std::vector<std::string>> refusals[] = {
        {"Lydian", {"--scale", "Lydian"}}, {"29", {"0 to 28"}}, {"-1", {"--scale"}}, {"Carlos", {"Carlos Beta"}},
        {"greek", {"Greek Diatonic Genus", "Greek Chromatic Genus", "Greek Enharmonic Genus"}},
        {"Majr", {"did you mean \"Major\""}}, {"Pelgo", {"\"Pelog\""}}};
    for (const auto& [text, words] : refusals) {
        const std::string message = UsageMessage([&] { job::ParseScale(text); });
        for (const std::string& word : words)
            EXPECT_NE(message.find(word), std::string::npos) << text << ": " << message;
    }
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
    const char* const names[] = {"none", "Sine", "SQUARE", "sawtooth"};
    for (int type = 0; type < 4; ++type)
        EXPECT_EQ(job::ParseVibratoType(names[type]), type) << names[type];
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
    const job::CorrectionSettings minor = Parse([](auto& t) { t.key = "Am"; t.a4 = "442"; });
    EXPECT_EQ(std::tie(minor.nKey, minor.nScale, minor.nDetune), std::tuple(9, 1, 108));
    EXPECT_EQ(minor.dA4Hz, 442.0);
    // A scale given outright wins over the key's mode.
    EXPECT_EQ(Parse([](auto& t) { t.scale = "chromatic"; t.key = "Am"; t.a4 = "442"; }).nScale, 2);
    const auto both = [] { Parse([](auto& t) { t.detune = "5"; t.a4 = "442"; }); };
    EXPECT_NE(UsageMessage(both).find("--a4"), std::string::npos);
}

TEST(OptionParsing, SettingsArriveInTheControlPanelsUnits)
{
    const job::CorrectionSettings s =
        Parse([](auto& t) {
            t.scale = "Major", t.key = "Eb", t.detune = "-20", t.retuneMs = "100", t.threshold = "40";
            t.vibrato = "square", t.depth = "100", t.rate = "5.5", t.delay = "0", t.bBypass = true;
        });
    // 100 ms lies at index 264 of the retune taper through 0, 50 and 400 ms.
    using Values = std::vector<std::optional<int>>;
    EXPECT_EQ((Values{s.nScale, s.nKey, s.nDetune, s.nRetuneIndex, s.nThreshold, s.nVibratoType, s.nVibratoDepth,
                      s.nVibratoRate, s.nVibratoDelay}),
              (Values{0, 3, 80, 264, 40, 2, 100, 55, 0}));
    EXPECT_TRUE(s.bBypass);

    // What is not given stays unset, so the preset's default stands.
    const job::CorrectionSettings none = Parse([](auto&) {});
    EXPECT_FALSE(none.nScale || none.nKey || none.nDetune || none.nRetuneIndex || none.nThreshold ||
                 none.nVibratoType || none.nVibratoDepth || none.nVibratoRate || none.nVibratoDelay);

    EXPECT_EQ(Parse([](auto& t) { t.retuneIndex = "300"; }).nRetuneIndex, 300);
    const auto twice = [] { Parse([](auto& t) { t.retuneMs = "20", t.retuneIndex = "300"; }); };
    EXPECT_NE(UsageMessage(twice).find("--retune-index"), std::string::npos);
    EXPECT_NE(UsageMessage([] { Parse([](auto& t) { t.retuneMs = "401"; }); }).find("0 to 400 ms"), std::string::npos);
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "settings/ScaleSet.h"

namespace {

// Hundredths of a cent for a frequency ratio, rounded.
int Degree(double ratio)
{
    return static_cast<int>(std::lround(120000.0 * std::log2(ratio)));
}

// Semitone above C of a spelled note name ("F#", "B-flat", "E#").
int PitchClass(const std::string& name)
{
    static const int natural[7] = {9, 11, 0, 2, 4, 5, 7};  // A..G
    int pc = natural[name.at(0) - 'A'];
    if (name.size() > 1 && name[1] == '#')
        pc += 1;
    if (name.find("-flat") != std::string::npos)
        pc -= 1;
    return (pc + 12) % 12;
}

std::vector<int> Degrees(CScaleSet& set, int scale)
{
    int entries = 0;
    const int* degrees = nullptr;
    set.GetScaleTable(static_cast<short>(scale), &entries, &degrees);
    return std::vector<int>(degrees, degrees + entries);
}

} // namespace

TEST(ScaleTables, EveryScaleIsOneAscendingOctave)
{
    const int entries[29] = {8,  8,  13, 13, 8,  8,  8,  8,  13, 13, 13, 13, 13, 13, 13,
                             23, 6,  8,  18, 13, 20, 25, 32, 54, 44, 17, 20, 36, 13};
    CScaleSet set;
    int count = 0;
    set.GetScaleCount(&count);
    ASSERT_EQ(count, 29);
    for (int s = 0; s < 29; ++s) {
        const auto d = Degrees(set, s);
        ASSERT_EQ(static_cast<int>(d.size()), entries[s]) << s;
        EXPECT_EQ(set.GetNoteCount(static_cast<short>(s)), entries[s]);
        EXPECT_EQ(d.front(), 0) << s;
        EXPECT_EQ(d.back(), 120000) << s;
        for (std::size_t i = 1; i < d.size(); ++i)
            EXPECT_LT(d[i - 1], d[i]) << "scale " << s << " degree " << i;
    }
    EXPECT_EQ(set.GetNoteCount(29), 0);
}

TEST(ScaleTables, TuningsMatchTheirConstruction)
{
    CScaleSet set;
    const struct { int scale, steps; } divisions[] = {{2, 12}, {20, 19}, {21, 24}, {22, 31}, {23, 53}};
    for (auto [scale, steps] : divisions) {
        const auto d = Degrees(set, scale);
        for (int k = 0; k <= steps; ++k)
            EXPECT_EQ(d[k], std::lround(k * 120000.0 / steps)) << scale << " " << k;
    }
    // Steps that do not close the octave, which then follows.
    for (int k = 0; k <= 15; ++k)
        EXPECT_EQ(Degrees(set, 25)[k], std::lround(k * 7799.8)) << k;
    for (int k = 0; k <= 34; ++k)
        EXPECT_EQ(Degrees(set, 27)[k], k * 3510) << k;

    const double justMajor[] = {1, 16.0 / 15, 9.0 / 8, 6.0 / 5, 5.0 / 4, 4.0 / 3, 45.0 / 32,
                                3.0 / 2, 8.0 / 5, 5.0 / 3, 16.0 / 9, 15.0 / 8, 2};
    const int harmonics[] = {16, 17, 18, 19, 20, 21, 22, 24, 26, 27, 28, 30, 32};
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(Degrees(set, 9)[i], Degree(justMajor[i])) << i;
        EXPECT_EQ(Degrees(set, 28)[i], Degree(harmonics[i] / 16.0)) << i;
    }
    // Pure fifths build the Pythagorean tone, ditone, fourth and fifth.
    const auto py = Degrees(set, 8);
    EXPECT_EQ(py[2], Degree(9.0 / 8));
    EXPECT_EQ(py[4], Degree(81.0 / 64));
    EXPECT_EQ(py[5], Degree(4.0 / 3));
    EXPECT_EQ(py[7], Degree(3.0 / 2));
}

TEST(ScaleNames, ScalesAndKeys)
{
    CScaleSet set;
    EXPECT_STREQ(CScaleSet::GetDisplayName(13), "Valloti & Young Chrom.");
    EXPECT_STREQ(set.GetScaleNameText(13), "Vallotti & Young chrom.");
    EXPECT_STREQ(CScaleSet::GetDisplayName(29), "");
    EXPECT_STREQ(CScaleSet::GetKeyName(6), "F-sharp");
    EXPECT_STREQ(CScaleSet::GetKeyName(12), "");

    char buffer[8];
    set.GetScaleName(3, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "Ling Lu");  // cut to fit with its terminator
    std::memset(buffer, 'x', sizeof buffer);
    set.GetScaleName(40, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "");

    int scale = -1;
    set.GetScale(&scale);
    EXPECT_EQ(scale, 0);
    set.SelectDefaultScale(&scale);
    EXPECT_EQ(scale, 2);
    set.GetScale(&scale);
    EXPECT_EQ(scale, 2);
}

TEST(ScaleNames, SevenNoteScalesAreSpelledDiatonically)
{
    CScaleSet set;
    const int majorSteps[7] = {0, 2, 4, 5, 7, 9, 11};
    const int minorSteps[7] = {0, 2, 3, 5, 7, 8, 10};
    for (short key = 0; key < 12; ++key) {
        std::string letters;
        for (short d = 0; d < 7; ++d) {
            const std::string major = set.GetNoteName(key, 0, d);
            EXPECT_EQ(PitchClass(major), (key + majorSteps[d]) % 12) << key << " " << d;
            EXPECT_EQ(PitchClass(set.GetNoteName(key, 1, d)), (key + minorSteps[d]) % 12);
            letters += major[0];
        }
        // Every letter once: no "A#" beside "B-flat".
        std::sort(letters.begin(), letters.end());
        EXPECT_EQ(letters, "ABCDEFG") << key;
    }
    EXPECT_STREQ(set.GetNoteName(1, 1, 0), "C#");  // D-flat minor starts on C#
    // The Greek diatonic genus in C reads C, D-flat, E-flat, F, G, ...
    EXPECT_STREQ(set.GetNoteName(0, 5, 1), "D-flat");
    EXPECT_STREQ(set.GetNoteName(0, 5, 4), "G");
}

TEST(ScaleNames, ChromaticAndMicrotonalNotes)
{
    CScaleSet set;
    EXPECT_STREQ(set.GetNoteName(9, 2, 3), "C");   // a minor third above A
    EXPECT_STREQ(set.GetNoteName(11, 8, 1), "C");  // wraps past B
    EXPECT_STREQ(set.GetNoteName(0, 23, 1), "");   // a comma above C has no name
    EXPECT_STREQ(set.GetNoteName(2, 16, 1), "E");
    EXPECT_STREQ(set.GetNoteName(0, 2, 12), "");   // the octave entry is no note

    // A microtonal note named after a semitone lies near that semitone, and
    // the names climb with the notes.
    for (short s : {15, 16, 18, 20, 21, 22, 23, 24, 25, 26, 27}) {
        const auto d = Degrees(set, s);
        int named = 0, last = -1;
        for (short deg = 0; deg + 1 < static_cast<short>(d.size()); ++deg) {
            const int semitone = set.GetChromaticIndex(s, deg);
            const std::string name = set.GetNoteName(0, s, deg);
            if (semitone < 0) {
                EXPECT_EQ(name, "") << s << " " << deg;
                continue;
            }
            ++named;
            EXPECT_GT(semitone, last) << s << " " << deg;
            last = semitone;
            EXPECT_EQ(PitchClass(name), semitone);
            EXPECT_LT(std::abs(d[deg] - semitone * 10000), 6000) << s << " " << deg;
        }
        EXPECT_EQ(named, s == 16 ? 5 : 12) << s;
    }
}

TEST(ScaleNames, PresetsAndCentsText)
{
    CScaleSet set;
    int major = 0, minor = 0;
    for (int d = 0; d < 12; ++d) {
        major |= set.IsMajorDegree(2, d) << d;
        minor |= set.IsMinorDegree(2, d) << d;
    }
    // Semitones of C D E F G A B and of C D Eb F G Ab Bb.
    EXPECT_EQ(major, 1 << 0 | 1 << 2 | 1 << 4 | 1 << 5 | 1 << 7 | 1 << 9 | 1 << 11);
    EXPECT_EQ(minor, 1 << 0 | 1 << 2 | 1 << 3 | 1 << 5 | 1 << 7 | 1 << 8 | 1 << 10);
    // 53-tone: the fifth is in both, the minor third only in minor, a comma in neither.
    EXPECT_EQ(set.IsMajorDegree(23, 31) + set.IsMinorDegree(23, 31), 2);
    EXPECT_EQ(set.IsMajorDegree(23, 13) * 2 + set.IsMinorDegree(23, 13), 1);
    EXPECT_EQ(set.IsMajorDegree(23, 1) + set.IsMinorDegree(23, 1), 0);

    EXPECT_STREQ(set.GetDegreeCentsText(3, 1), "114");  // 113.69 rounds up
    EXPECT_STREQ(set.GetDegreeCentsText(9, 4), "386");  // 386.31 rounds down
    EXPECT_STREQ(set.GetDegreeCentsText(2, 12), "1200");
    EXPECT_STREQ(set.GetDegreeCentsText(2, 13), "");
}

#include "settings/ScaleTables.h"

#include <array>
#include <cstddef>

namespace {

template <std::size_t N>
using Degrees = std::array<int32_t, N>;

// Nearest integer to k * 120000 / N for k = 0..N. N is odd or the division
// is exact for every table built this way, so no value is a tie.
template <int N>
constexpr Degrees<N + 1> EqualDivision()
{
    Degrees<N + 1> d{};
    for (int k = 0; k <= N; ++k)
        d[k] = static_cast<int32_t>((2LL * k * kOctaveDegree + N) / (2LL * N));
    return d;
}

// k steps of a fixed size that does not divide the octave, then the octave.
template <int Steps>
constexpr Degrees<Steps + 1> FixedSteps(long long stepTimesTen)
{
    Degrees<Steps + 1> d{};
    for (int k = 0; k < Steps; ++k)
        d[k] = static_cast<int32_t>((k * stepTimesTen + 5) / 10);
    d[Steps] = kOctaveDegree;
    return d;
}

constexpr Degrees<8> kMajor{0, 20000, 40000, 50000, 70000, 90000, 110000, 120000};
constexpr Degrees<8> kMinor{0, 20000, 30000, 50000, 70000, 80000, 100000, 120000};
constexpr auto kEqualTempered = EqualDivision<12>();
constexpr Degrees<13> kLingLun{0, 11369, 20391, 31760, 40782, 52151, 61173,
                               70196, 81564, 90587, 101955, 110978, 120000};
constexpr Degrees<8> kScholarsLute{0, 23117, 31564, 38631, 49804, 70196, 88436, 120000};
constexpr Degrees<8> kGreekDiatonic{0, 11173, 31564, 49804, 70196, 81369, 101760, 120000};
constexpr Degrees<8> kGreekChromatic{0, 6296, 18240, 49804, 70196, 76492, 88436, 120000};
constexpr Degrees<8> kGreekEnharmonic{0, 6296, 11173, 49804, 70196, 76492, 81369, 120000};
constexpr Degrees<13> kPythagorean{0, 11713, 20391, 30115, 40782, 49804, 61173,
                                   70196, 81369, 90587, 99825, 110978, 120000};
constexpr Degrees<13> kJustMajor{0, 11173, 20391, 31564, 38631, 49804, 59022,
                                 70196, 81369, 88436, 99609, 108827, 120000};
constexpr Degrees<13> kJustMinor{0, 7067, 18240, 31564, 38631, 49804, 59022,
                                 70196, 81369, 88436, 99609, 108827, 120000};
constexpr Degrees<13> kMeantone{0, 8631, 19218, 31173, 38436, 50391, 57849,
                                69609, 77067, 88827, 100782, 108240, 120000};
constexpr Degrees<13> kWerckmeister{0, 9367, 19218, 27769, 39023, 47458, 58827,
                                    69610, 79023, 88828, 97479, 109219, 120000};
constexpr Degrees<13> kVallotti{0, 9367, 19609, 27769, 39218, 47458, 58827,
                                69805, 79023, 89414, 97479, 109023, 120000};
constexpr Degrees<13> kBarnesBach{0, 9367, 19609, 27769, 39218, 47458, 59218,
                                  69805, 79023, 89414, 97479, 109023, 120000};
constexpr Degrees<23> kIndian{0, 9022, 11173, 18240, 20391, 29413, 31564, 38631,
                              40782, 49804, 51955, 59022, 61173, 70196, 79218, 81369,
                              88436, 90586, 99609, 101760, 108827, 110977, 120000};
constexpr Degrees<6> kSlendro{0, 25695, 49371, 72489, 96883, 120000};
constexpr Degrees<8> kPelog{0, 13324, 27181, 54501, 69037, 80283, 96883, 120000};
constexpr Degrees<18> kArabic1{0, 9020, 18040, 20390, 29410, 38440, 40780, 49800, 58830,
                               67850, 70195, 79220, 88240, 90590, 99610, 108630, 117650,
                               120000};
constexpr Degrees<13> kArabic2{0, 15000, 20000, 30000, 35000, 50000, 60000,
                               70000, 75000, 90000, 100000, 105000, 120000};
constexpr auto k19Tone = EqualDivision<19>();
constexpr auto k24Tone = EqualDivision<24>();
constexpr auto k31Tone = EqualDivision<31>();
constexpr auto k53Tone = EqualDivision<53>();
constexpr Degrees<44> kPartch{0, 2151, 5327, 8447, 11173, 15064, 16500, 18240, 20391,
                              23117, 26687, 29413, 31564, 34741, 38631, 41751, 43508,
                              47078, 49804, 51955, 55132, 58251, 61749, 64868, 68045,
                              70196, 72922, 76492, 78249, 81369, 85259, 88436, 90586,
                              93313, 96883, 99609, 101760, 103500, 104936, 108827,
                              111553, 114673, 117849, 120000};
constexpr auto kCarlosAlpha = FixedSteps<16>(77998);
constexpr Degrees<20> kCarlosBeta{0, 6380, 12760, 19140, 25520, 31900, 38280,
                                  44659, 51039, 57416, 63799, 70179, 76559, 82939,
                                  89319, 95699, 102079, 108459, 114839, 120000};
constexpr auto kCarlosGamma = FixedSteps<35>(35100);
constexpr Degrees<13> kHarmonic{0, 10496, 20391, 29751, 38631, 47078, 55132,
                                70196, 84053, 90587, 96883, 108827, 120000};

template <std::size_t N>
using Map = std::array<int8_t, N>;

constexpr Map<22> kIndianMap{0, -1, 1, -1, 2, 3, -1, -1, 4, 5, -1, 6, -1, 7, 8, -1, -1, 9,
                             -1, 10, -1, 11};
constexpr Map<5> kSlendroMap{0, 2, 5, 7, 10};
constexpr Map<17> kArabic1Map{0, 1, -1, 2, 3, -1, 4, 5, 6, -1, 7, 8, -1, 9, 10, 11, -1};
constexpr Map<19> k19ToneMap{0, -1, 1, 2, -1, 3, 4, -1, 5, 6, -1, 7, -1, 8, 9, -1, 10, -1, 11};
constexpr Map<24> k24ToneMap{0, -1, 1, -1, 2, -1, 3, -1, 4, -1, 5, -1,
                             6, -1, 7, -1, 8, -1, 9, -1, 10, -1, 11, -1};
constexpr Map<31> k31ToneMap{0, -1, -1, 1, -1, 2, -1, -1, 3, -1, 4, -1, -1, 5, -1, -1,
                             6, -1, 7, -1, -1, 8, -1, 9, -1, -1, 10, -1, -1, 11, -1};
constexpr Map<53> k53ToneMap{0, -1, -1, -1, 1, -1, -1, -1, -1, 2, -1, -1, -1, 3,
                             -1, -1, -1, -1, 4, -1, -1, -1, 5, -1, -1, -1, -1, 6,
                             -1, -1, -1, 7, -1, -1, -1, 8, -1, -1, -1, -1, 9, -1,
                             -1, -1, 10, -1, -1, -1, -1, 11, -1, -1, -1};
constexpr Map<43> kPartchMap{0, -1, -1, -1, 1, -1, -1, -1, 2, -1, -1, 3, -1, -1, 4,
                             -1, -1, -1, 5, -1, -1, 6, -1, -1, -1, 7, -1, -1, -1, 8,
                             -1, -1, 9, -1, -1, 10, -1, -1, -1, 11, -1, -1, -1};
constexpr Map<16> kCarlosAlphaMap{0, 1, -1, 2, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1};
constexpr Map<19> kCarlosBetaMap{0, -1, 1, 2, -1, 3, 4, -1, 5, 6, -1, 7, -1, 8, 9, -1, 10, 11, -1};
constexpr Map<35> kCarlosGammaMap{0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, 4, -1, -1, 5, -1, -1,
                                  6, -1, -1, 7, -1, -1, 8, -1, -1, 9, -1, -1, 10, -1, -1, 11,
                                  -1, -1};

template <std::size_t N>
constexpr bool IsWellFormed(const Degrees<N>& d)
{
    if (d[0] != 0 || d[N - 1] != kOctaveDegree)
        return false;
    for (std::size_t i = 1; i < N; ++i)
        if (d[i] <= d[i - 1])
            return false;
    return true;
}

// A broken table would silently mistune every note, so catch it at build time.
static_assert(IsWellFormed(kMajor) && IsWellFormed(kMinor) && IsWellFormed(kEqualTempered));
static_assert(IsWellFormed(kLingLun) && IsWellFormed(kScholarsLute) && IsWellFormed(kGreekDiatonic));
static_assert(IsWellFormed(kGreekChromatic) && IsWellFormed(kGreekEnharmonic));
static_assert(IsWellFormed(kPythagorean) && IsWellFormed(kJustMajor) && IsWellFormed(kJustMinor));
static_assert(IsWellFormed(kMeantone) && IsWellFormed(kWerckmeister) && IsWellFormed(kVallotti));
static_assert(IsWellFormed(kBarnesBach) && IsWellFormed(kIndian) && IsWellFormed(kSlendro));
static_assert(IsWellFormed(kPelog) && IsWellFormed(kArabic1) && IsWellFormed(kArabic2));
static_assert(IsWellFormed(k19Tone) && IsWellFormed(k24Tone) && IsWellFormed(k31Tone));
static_assert(IsWellFormed(k53Tone) && IsWellFormed(kPartch) && IsWellFormed(kCarlosAlpha));
static_assert(IsWellFormed(kCarlosBeta) && IsWellFormed(kCarlosGamma) && IsWellFormed(kHarmonic));
static_assert(k53Tone.size() == kMaxScaleEntries);

// Each chromatic map has one entry per note (the octave entry has none).
static_assert(kIndianMap.size() + 1 == kIndian.size());
static_assert(kSlendroMap.size() + 1 == kSlendro.size());
static_assert(kArabic1Map.size() + 1 == kArabic1.size());
static_assert(k19ToneMap.size() + 1 == k19Tone.size());
static_assert(k24ToneMap.size() + 1 == k24Tone.size());
static_assert(k31ToneMap.size() + 1 == k31Tone.size());
static_assert(k53ToneMap.size() + 1 == k53Tone.size());
static_assert(kPartchMap.size() + 1 == kPartch.size());
static_assert(kCarlosAlphaMap.size() + 1 == kCarlosAlpha.size());
static_assert(kCarlosBetaMap.size() + 1 == kCarlosBeta.size());
static_assert(kCarlosGammaMap.size() + 1 == kCarlosGamma.size());

template <std::size_t N>
constexpr ScaleDefinition Named(const char* display, const char* internal, const Degrees<N>& d)
{
    return ScaleDefinition{display, internal, static_cast<int>(N), d.data(), nullptr};
}

template <std::size_t N, std::size_t M>
constexpr ScaleDefinition Mapped(const char* display, const char* internal, const Degrees<N>& d,
                                 const Map<M>& map)
{
    static_assert(M + 1 == N);
    return ScaleDefinition{display, internal, static_cast<int>(N), d.data(), map.data()};
}

} // namespace

const ScaleDefinition g_ScaleDefinitions[kScaleCount] = {
    Named("Major", "major", kMajor),
    Named("Minor", "minor", kMinor),
    Named("Equal Tempered Chrom.", "Equal Tempered chrom.", kEqualTempered),
    Named("Ling Lin", "Ling Lun", kLingLun),
    Named("Scholar's Lute", "Scholar's Lute", kScholarsLute),
    Named("Greek Diatonic Genus", "Greek diatonic genus", kGreekDiatonic),
    Named("Greek Chromatic Genus", "Greek chromatic genus", kGreekChromatic),
    Named("Greek Enharmonic Genus", "Greek enharmonic genus", kGreekEnharmonic),
    Named("Pythagorean", "Pythagorean", kPythagorean),
    Named("Just (major chromatic)", "Just (major chromatic)", kJustMajor),
    Named("Just (minor chromatic)", "Just (minor chromatic)", kJustMinor),
    Named("Meantone Chromatic", "Meantone chrom.", kMeantone),
    Named("Werckmeister III Chrom.", "Werckmeister III chrom.", kWerckmeister),
    Named("Valloti & Young Chrom.", "Vallotti & Young chrom.", kVallotti),
    Named("Barnes-Bach (Chrom)", "Barnes-Bach (chromatic)", kBarnesBach),
    Mapped("Indian", "Indian", kIndian, kIndianMap),
    Mapped("Slendro", "Slendro", kSlendro, kSlendroMap),
    Named("Pelog", "Pelog", kPelog),
    Mapped("Arabic 1", "Arabic 1", kArabic1, kArabic1Map),
    Named("Arabic 2 (Chrom)", "Arabic 2 (chromatic)", kArabic2),
    Mapped("19 Tone", "19 Tone", k19Tone, k19ToneMap),
    Mapped("24 Tone", "24 Tone", k24Tone, k24ToneMap),
    Mapped("31 Tone", "31 Tone", k31Tone, k31ToneMap),
    Mapped("53 Tone", "53 Tone", k53Tone, k53ToneMap),
    Mapped("Partch", "Partch", kPartch, kPartchMap),
    Mapped("Carlos Alpha", "Carlos Alpha", kCarlosAlpha, kCarlosAlphaMap),
    Mapped("Carlos Beta", "Carlos Beta", kCarlosBeta, kCarlosBetaMap),
    Mapped("Carlos Gamma", "Carlos Gamma", kCarlosGamma, kCarlosGammaMap),
    Named("Harmonic (Chrom)", "Harmonic (chromatic)", kHarmonic),
};

const char* const g_szKeyNames[12] = {"C",      "D-flat", "D",      "E-flat",
                                      "E",      "F",      "F-sharp", "G",
                                      "A-flat", "A",      "B-flat", "B"};

const char* const g_szChromaticNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                            "F#", "G",  "G#", "A",  "A#", "B"};

const char* const g_szDiatonicNames[12][7] = {
    {"C", "D", "E", "F", "G", "A", "B"},
    {"D-flat", "E-flat", "F", "G-flat", "A-flat", "B-flat", "C"},
    {"D", "E", "F#", "G", "A", "B", "C#"},
    {"E-flat", "F", "G", "A-flat", "B-flat", "C", "D"},
    {"E", "F#", "G#", "A", "B", "C#", "D#"},
    {"F", "G", "A", "B-flat", "C", "D", "E"},
    {"F#", "G#", "A#", "B", "C#", "D#", "E#"},
    {"G", "A", "B", "C", "D", "E", "F#"},
    {"A-flat", "B-flat", "C", "D-flat", "E-flat", "F", "G"},
    {"A", "B", "C#", "D", "E", "F#", "G#"},
    {"B-flat", "C", "D", "E-flat", "F", "G", "A"},
    {"B", "C#", "D#", "E", "F#", "G#", "A#"},
};

const int8_t g_nMajorPattern[12] = {1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1};
const int8_t g_nMinorPattern[12] = {1, 0, 1, 1, 0, 1, 0, 1, 1, 0, 1, 0};

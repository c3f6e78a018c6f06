#pragma once
// Read-only data behind CScaleSet: the built-in scales and the naming tables.
// Shared by the scale set's source files only; other subsystems go through
// CScaleSet.

#include <cstdint>

inline constexpr int kScaleCount = 29;
// The largest scale has 53 notes plus the octave entry.
inline constexpr int kMaxScaleEntries = 54;
// Degree values are hundredths of a cent; this is the octave.
inline constexpr int32_t kOctaveDegree = 120000;

struct ScaleDefinition
{
    const char* szDisplayName;   // what the control panel lists
    const char* szInternalName;  // what the scale editor shows
    int nEntries;                // including the octave entry
    const int32_t* pDegrees;     // nEntries values, 0 .. 120000
    // One semitone (0..11) or -1 per note; null for the 8- and 13-entry
    // scales, which are named by their own rules.
    const int8_t* pChromaticMap;
};

extern const ScaleDefinition g_ScaleDefinitions[kScaleCount];

extern const char* const g_szKeyNames[12];
extern const char* const g_szChromaticNames[12];
// Seven-note scales, by key then degree.
extern const char* const g_szDiatonicNames[12][7];
extern const int8_t g_nMajorPattern[12];
extern const int8_t g_nMinorPattern[12];

#include <cstdio>

#include "settings/ScaleSet.h"
#include "settings/ScaleTables.h"

namespace {

// Returned pointers refer to these; each thread keeps its own so a name read
// on one thread is not overwritten by another.
thread_local char t_szNoteName[16];
thread_local char t_szCentsText[16];

const char* Keep(const char* text)
{
    std::snprintf(t_szNoteName, sizeof t_szNoteName, "%s", text);
    return t_szNoteName;
}

int Wrap12(int semitone)
{
    return semitone > 11 ? semitone - 12 : semitone;
}

} // namespace

const char* CScaleSet::GetNoteName(short key, short scale, short degree)
{
    if (!IsValidScale(scale) || key < 0 || key > 11)
        return Keep("");
    const ScaleDefinition& def = g_ScaleDefinitions[scale];
    if (degree < 0 || degree > def.nEntries - 2)
        return Keep("");

    if (def.nEntries == 8) {
        // Seven-note scales borrow the spelling of the major scale that
        // contains them: the minor scale its relative major, the lute and
        // Greek genera the major scale a major third below.
        int k = key;
        int d = degree;
        if (scale == 1) {
            k = Wrap12(k + 3);
            d = d - 2 < 0 ? d + 5 : d - 2;
        } else if (scale >= 4 && scale <= 7) {
            k = k - 4 < 0 ? k + 8 : k - 4;
            d = d + 2 > 6 ? d - 5 : d + 2;
        }
        return Keep(g_szDiatonicNames[k][d]);
    }
    if (def.nEntries == 13)
        return Keep(g_szChromaticNames[Wrap12(degree + key)]);

    const int entry = def.pChromaticMap ? def.pChromaticMap[degree] : -1;
    if (entry < 0)
        return Keep("");
    return Keep(g_szChromaticNames[Wrap12(entry + key)]);
}

int CScaleSet::GetChromaticIndex(short scale, int degree)
{
    if (!IsValidScale(scale))
        return -1;
    const ScaleDefinition& def = g_ScaleDefinitions[scale];
    if (degree < 0 || degree > def.nEntries - 2)
        return -1;
    if (def.nEntries == 13)
        return degree;
    // Seven-note scales are named per key instead and have no map.
    return def.pChromaticMap ? def.pChromaticMap[degree] : -1;
}

int CScaleSet::IsMajorDegree(short scale, int degree)
{
    const int semitone = GetChromaticIndex(scale, degree);
    return semitone < 0 ? 0 : g_nMajorPattern[semitone];
}

int CScaleSet::IsMinorDegree(short scale, int degree)
{
    const int semitone = GetChromaticIndex(scale, degree);
    return semitone < 0 ? 0 : g_nMinorPattern[semitone];
}

const char* CScaleSet::GetDegreeCentsText(short scale, int degree)
{
    if (!IsValidScale(scale) || degree < 0 || degree >= g_ScaleDefinitions[scale].nEntries) {
        t_szCentsText[0] = '\0';
        return t_szCentsText;
    }
    const int value = g_ScaleDefinitions[scale].pDegrees[degree];
    std::snprintf(t_szCentsText, sizeof t_szCentsText, "%d", (value + 50) / 100);
    return t_szCentsText;
}

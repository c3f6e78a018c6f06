#include "settings/ScaleSet.h"

#include <cstring>
#include <new>

#include "settings/ScaleEditorLink.h"
#include "settings/ScaleTables.h"

static_assert(CScaleSet::kScaleCount == kScaleCount);

CScaleSet::CScaleSet() = default;

CScaleSet::~CScaleSet()
{
    for (int s = 0; s < kScaleCount; ++s) {
        delete[] m_pDoNotTrack[s];
        delete[] m_pRemove[s];
    }
}

void CScaleSet::GetScaleCount(int* count)
{
    if (count)
        *count = kScaleCount;
}

void CScaleSet::SelectDefaultScale(int* scale)
{
    m_nScale.store(kDefaultScale, std::memory_order_relaxed);
    if (scale)
        *scale = kDefaultScale;
}

void CScaleSet::GetScale(int* scale)
{
    if (scale)
        *scale = m_nScale.load(std::memory_order_relaxed);
}

void CScaleSet::SetScale(short scale)
{
    m_nScale.store(scale, std::memory_order_relaxed);
}

void CScaleSet::GetScaleName(int scale, char* buffer, int size)
{
    if (!buffer || size <= 0)
        return;
    const char* name = IsValidScale(scale) ? g_ScaleDefinitions[scale].szInternalName : "";
    std::size_t n = std::strlen(name);
    if (n > static_cast<std::size_t>(size - 1))
        n = static_cast<std::size_t>(size - 1);
    std::memcpy(buffer, name, n);
    buffer[n] = '\0';
}

const char* CScaleSet::GetScaleNameText(short scale)
{
    return IsValidScale(scale) ? g_ScaleDefinitions[scale].szInternalName : "";
}

const char* CScaleSet::GetDisplayName(int scale)
{
    return IsValidScale(scale) ? g_ScaleDefinitions[scale].szDisplayName : "";
}

const char* CScaleSet::GetKeyName(int key)
{
    return (key >= 0 && key < 12) ? g_szKeyNames[key] : "";
}

int CScaleSet::GetNoteCount(short scale)
{
    return IsValidScale(scale) ? g_ScaleDefinitions[scale].nEntries : 0;
}

void CScaleSet::GetScaleTable(short scale, int* entries, const int** degrees)
{
    const bool valid = IsValidScale(scale);
    if (entries)
        *entries = valid ? g_ScaleDefinitions[scale].nEntries : 0;
    if (degrees)
        *degrees = valid ? g_ScaleDefinitions[scale].pDegrees : nullptr;
}

bool CScaleSet::CreateNoteFlags(int scale)
{
    if (m_pDoNotTrack[scale])
        return true;
    const int notes = g_ScaleDefinitions[scale].nEntries - 1;
    // Both arrays exist together or not at all: the flag logic keys off the
    // remove array and must never meet a half-created pair.
    int32_t* doNotTrack = new (std::nothrow) int32_t[notes]();
    int32_t* remove = new (std::nothrow) int32_t[notes]();
    if (!doNotTrack || !remove) {
        delete[] doNotTrack;
        delete[] remove;
        return false;
    }
    m_pDoNotTrack[scale] = doNotTrack;
    m_nDoNotTrackBytes[scale] = notes * static_cast<int32_t>(sizeof(int32_t));
    m_pRemove[scale] = remove;
    m_nRemoveBytes[scale] = notes * static_cast<int32_t>(sizeof(int32_t));
    return true;
}

void CScaleSet::EditScale(short key)
{
    const int scale = m_nScale.load(std::memory_order_relaxed);
    if (!m_pEditor || !IsValidScale(scale))
        return;
    if (!CreateNoteFlags(scale))
        return;
    m_pEditor->RunScaleEditor(*this, key, static_cast<short>(scale), m_pDoNotTrack[scale],
                              m_pRemove[scale], g_ScaleDefinitions[scale].nEntries - 1);
}

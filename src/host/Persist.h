#pragma once

// The saved settings stream: 56 bytes, little-endian. The total size (always
// 56), the control interface's identifier, then the nine settings as 32-bit
// signed integers. Tools that keep settings in files use the same layout.

#include "host/IntonaraControl.h"

inline constexpr ULONG kSettingsHeaderSize = 20;
inline constexpr ULONG kSettingsBodySize = 4 * kSettingsCount;
inline constexpr ULONG kSettingsStreamSize = kSettingsHeaderSize + kSettingsBodySize;
static_assert(kSettingsStreamSize == 56);

void WriteSettingsHeader(BYTE* pHeader);
// The size field is 56 and the identifier is ours.
bool IsSettingsHeader(const BYTE* pHeader);
void WriteSettingsBody(BYTE* pBody, const int* pBlock);
void ReadSettingsBody(const BYTE* pBody, int* pBlock);

// The block of the one preset, and its name, "(Default)".
const int* DefaultPresetSettings();
const char* DefaultPresetName();

#pragma once

// The preset interface that hosts publish for plug-ins with named settings:
// the host asks how many presets there are, shows their names and applies
// the one the user picks. The interface and its identifier are the host's;
// the plug-in only implements it.

#include "platform/com/Com.h"

// {A4C31F5F-44AB-4973-9A6D-61CB01CB6151}
constexpr IID IID_IHostPresets = {
    0xA4C31F5F, 0x44AB, 0x4973, {0x9A, 0x6D, 0x61, 0xCB, 0x01, 0xCB, 0x61, 0x51}};

// Hosts exchange preset names as 16-bit characters.
using WCHAR = char16_t;

struct IHostPresets : IUnknown {
    virtual HRESULT GetPresetCount(int* pCount) = 0;
    // Writes at most nLength characters, terminator included.
    virtual HRESULT GetPresetName(int nIndex, WCHAR* pName, int nLength) = 0;
    virtual HRESULT ApplyPreset(int nIndex) = 0;

protected:
    ~IHostPresets() = default;
};

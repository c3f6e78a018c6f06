#pragma once

// The plug-in's own control interface, through which a host (and the
// property page) reads and writes the automatic-mode settings, learns the
// connection formats, reaches the processor and hears about format changes.

#include "host/HostIds.h"
#include "platform/media/MediaType.h"
#include "platform/Messages.h"

#include <array>

class CDspObject;

// The settings block: parameters 2 to 10 in order, the retune speed as a
// taper index.
inline constexpr int kSettingsCount = 9;  // the store's automatic-mode settings
using SettingsBlock = std::array<int, kSettingsCount>;

enum SettingsIndex : int {
    SETTING_SCALE = 0,
    SETTING_KEY,
    SETTING_DETUNE,
    SETTING_RETUNE_SPEED,
    SETTING_VIBRATO_TYPE,
    SETTING_VIBRATO_DEPTH,
    SETTING_VIBRATO_RATE,
    SETTING_VIBRATO_DELAY,
    SETTING_THRESHOLD,
};

// What a put operation lets through, per block index.
struct CSettingRange {
    int nLow;
    int nHigh;
};
constexpr CSettingRange kSettingRanges[kSettingsCount] = {
    {0, 53}, {0, 11}, {0, 200}, {0, 400}, {0, 3}, {0, 100}, {1, 100}, {0, 3000}, {0, 100},
};

struct IIntonaraControl : IUnknown {
    virtual HRESULT GetDspObject(CDspObject** ppDspObject) = 0;
    virtual HRESULT GetSettings(int* pBlock) = 0;
    virtual HRESULT SetSettings(const int* pBlock) = 0;
    // which: 0 the input connection, 1 the output.
    virtual HRESULT GetWaveFormat(WAVEFORMATEX* pFormat, int which) = 0;
    // Registers a window for format-change notifications (a WM_COMMAND with
    // the command identifier and the pin direction); command 0 unregisters.
    virtual HRESULT SetNotifyWindow(HWND window, int command) = 0;

    virtual HRESULT get_Scale(int* pValue) = 0;
    virtual HRESULT put_Scale(int value) = 0;
    virtual HRESULT get_Key(int* pValue) = 0;
    virtual HRESULT put_Key(int value) = 0;
    virtual HRESULT get_Detune(int* pValue) = 0;
    virtual HRESULT put_Detune(int value) = 0;
    virtual HRESULT get_RetuneSpeed(int* pValue) = 0;
    virtual HRESULT put_RetuneSpeed(int value) = 0;
    virtual HRESULT get_VibratoType(int* pValue) = 0;
    virtual HRESULT put_VibratoType(int value) = 0;
    virtual HRESULT get_VibratoDepth(int* pValue) = 0;
    virtual HRESULT put_VibratoDepth(int value) = 0;
    virtual HRESULT get_VibratoRate(int* pValue) = 0;
    virtual HRESULT put_VibratoRate(int value) = 0;
    virtual HRESULT get_VibratoDelay(int* pValue) = 0;
    virtual HRESULT put_VibratoDelay(int value) = 0;
    virtual HRESULT get_Threshold(int* pValue) = 0;
    virtual HRESULT put_Threshold(int value) = 0;

protected:
    ~IIntonaraControl() = default;
};


#pragma once
// How every host brings a new filter to its first block. The filter's
// constructor has initialised the processor and applied the "(Default)"
// preset; then come the user's settings in block order, then the bypass
// switch, then the format's sample rate, then the engine reset of a graph
// run from stopped. In a filter graph the last two come from the
// connection and from Run. The rate comes after the settings because a new
// rate re-applies the threshold without the step the store adds when the
// threshold itself changes.
//
// Only the control interface and virtual operations are called, so a
// program that loaded the filter from the module drives the module's own
// code, never a copy of it built into the program.

#include <array>
#include <optional>

#include "host/IIntonaraControl.h"
#include "modes/DspObject.h"

struct CStartSettings
{
    // Settings-block values; the ones not given keep the preset's.
    std::array<std::optional<int>, kSettingsCount> values;
    bool bBypass = false;
};

inline HRESULT ApplyStartSettings(IIntonaraControl* pControl, const CStartSettings& settings)
{
    using Put = HRESULT (IIntonaraControl::*)(int);
    static constexpr std::array<Put, kSettingsCount> kPut = {
        &IIntonaraControl::put_Scale,       &IIntonaraControl::put_Key,          &IIntonaraControl::put_Detune,
        &IIntonaraControl::put_RetuneSpeed, &IIntonaraControl::put_VibratoType,  &IIntonaraControl::put_VibratoDepth,
        &IIntonaraControl::put_VibratoRate, &IIntonaraControl::put_VibratoDelay, &IIntonaraControl::put_Threshold};
    for (std::size_t i = 0; i < kPut.size(); ++i) {
        if (const std::optional<int> value = settings.values[i]) {
            if (const HRESULT hr = (pControl->*kPut[i])(*value); FAILED(hr))
                return hr;
        }
    }
    if (settings.bBypass) {
        CDspObject* pDsp = nullptr;
        const HRESULT hr = pControl->GetDspObject(&pDsp);
        if (FAILED(hr) || pDsp == nullptr)
            return FAILED(hr) ? hr : E_FAIL;
        pDsp->SetControlValue(0, 1);
    }
    return S_OK;
}

// Outside a filter graph: the two steps the graph's connection and Run make.
inline void StartWithoutGraph(CDspObject* pDsp, float fSampleRate)
{
    pDsp->SetSampleRate(fSampleRate);
    pDsp->ResetEngine();
}

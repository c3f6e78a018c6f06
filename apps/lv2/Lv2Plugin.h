#pragma once

// One instance of the LV2 plug-in: the plug-in's own filter object, made
// through its class table as a filter-graph host would make it, with the
// host's ports feeding its processor.
//
// Threads, in LV2's terms: Create, Activate, Restore and the destructor run
// in the host's instantiation class; Run on the audio thread; Save may run
// at the same time as Run. Run never allocates, locks or logs: settings go
// to the processor's store the way the control panel sends them (the store
// and engine take no lock), and audio goes straight through the engine.

#include "Lv2Ports.h"

#include "host/IIntonaraControl.h"
#include "modes/DspObject.h"

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

class CIntonaraLv2
{
public:
    // Null when the filter cannot be made or the rate is outside what the
    // tool corrects at (8 to 192 kHz).
    static CIntonaraLv2* Create(double sampleRate, const LV2_Feature* const* features);
    ~CIntonaraLv2();
    CIntonaraLv2(const CIntonaraLv2&) = delete;
    CIntonaraLv2& operator=(const CIntonaraLv2&) = delete;

    void ConnectPort(uint32_t port, void* pData);
    // Starts the processor as a stream start does: here when every control
    // port is connected, otherwise at the next Run.
    void Activate();
    void Run(uint32_t nFrames);

    LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle,
                          const LV2_Feature* const* features);
    LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                             const LV2_Feature* const* features);

    // The filter, for a user interface that reaches the instance.
    IUnknown* Filter() const { return m_pControl; }

    // The nine settings as the processor holds them.
    SettingsBlock CurrentSettings();

    // Graphical mode's tracked pitch and curves, saved with the host's
    // session beside the settings: a graph session's bytes
    // (job/GraphSession.h), empty when there is nothing to keep. Any thread.
    std::vector<uint8_t> GraphState() const;
    void SetGraphState(std::vector<uint8_t> state);
    // Counts the graph states Restore brought in, so that an open window
    // knows when to show a new one.
    unsigned GraphGeneration() const { return m_nGraphGeneration.load(std::memory_order_acquire); }

private:
    CIntonaraLv2(IIntonaraControl* pControl, IPersistStream* pPersist, CDspObject* pDsp, float fSampleRate);

    void MapUris(const LV2_Feature* const* features);
    // The start of a stream: the port values the host set (as the tool's
    // options), the stream's rate, a clean engine.
    void Start();
    void SendChangedSettings();
    bool ChangedSetting(int index, int* pValue);
    bool ChangedBypass(int* pBypass);
    void WriteOutputs();
    // The values the processor now holds count as sent.
    void RememberProcessorSettings();

    IIntonaraControl* const m_pControl;
    IPersistStream* const m_pPersist;
    CDspObject* const m_pDsp;
    const float m_fSampleRate;
    const CLv2PortMap m_PortMap;

    // Port buffers, as the host connects them; read only in Run.
    const float* m_pInput = nullptr;
    float* m_pOutput = nullptr;
    const float* m_pSettingPorts[kSettingsCount] = {};
    const float* m_pEnabled = nullptr;
    float* m_pLatency = nullptr;
    float* m_pPitchChange = nullptr;

    // What Run last handed to the processor, in the panel's units; written
    // by Restore as well.
    std::atomic<int32_t> m_nSent[kSettingsCount] = {};
    std::atomic<int32_t> m_nBypassSent{0};
    std::atomic<bool> m_bStartPending{true};

    LV2_URID m_nUridChunk = 0;
    LV2_URID m_nUridSettings = 0;
    LV2_URID m_nUridGraph = 0;

    // Never touched by Run.
    mutable std::mutex m_graphLock;
    std::vector<uint8_t> m_graphState;
    std::atomic<unsigned> m_nGraphGeneration{0};
};

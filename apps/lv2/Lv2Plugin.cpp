// The instance's life and its audio thread: making the filter, starting it,
// and what every Run does. Saving and restoring are in Lv2State.cpp.

#include "Lv2Plugin.h"

#include "Lv2Uris.h"
#include "engine/SampleRates.h"
#include "host/Registration.h"
#include "host/StreamStart.h"
#include "settings/ParameterIds.h"
#include "settings/RetuneTaper.h"

#include <lv2/atom/atom.h>

#include <cmath>
#include <limits>
#include <new>
#include <string_view>

namespace {

// The filter's entry in the class table.
const CFactoryTemplate* FilterTemplate()
{
    for (int i = 0; i < g_cTemplates; ++i) {
        if (*g_Templates[i].m_ClsID == CLSID_IntonaraPlugIn) {
            return &g_Templates[i];
        }
    }
    return nullptr;
}

} // namespace

CIntonaraLv2* CIntonaraLv2::Create(double sampleRate, const LV2_Feature* const* features)
{
    // Outside the rates the tool corrects at the detector would follow
    // almost no voice; a plug-in that loads but silently corrects nothing
    // is worse than one the host reports it cannot run.
    if (!(sampleRate >= kMinCorrectionSampleRate && sampleRate <= kMaxCorrectionSampleRate)) {
        return nullptr;
    }
    const CFactoryTemplate* pTemplate = FilterTemplate();
    if (pTemplate == nullptr) {
        return nullptr;
    }
    // The filter's constructor initialises the processor and applies the
    // "(Default)" preset, exactly as in a filter graph.
    IIntonaraControl* pControl = nullptr;
    if (FAILED(CreateFromTemplate(*pTemplate, nullptr, IID_IIntonaraControl, reinterpret_cast<void**>(&pControl)))) {
        return nullptr;
    }
    IPersistStream* pPersist = nullptr;
    CDspObject* pDsp = nullptr;
    if (FAILED(pControl->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&pPersist))) ||
        FAILED(pControl->GetDspObject(&pDsp)) || pDsp == nullptr) {
        if (pPersist != nullptr) {
            pPersist->Release();
        }
        pControl->Release();
        return nullptr;
    }
    auto* pInstance =
        new (std::nothrow) CIntonaraLv2(pControl, pPersist, pDsp, static_cast<float>(sampleRate));
    if (pInstance == nullptr) {
        pPersist->Release();
        pControl->Release();
        return nullptr;
    }
    pInstance->MapUris(features);
    return pInstance;
}

CIntonaraLv2::CIntonaraLv2(IIntonaraControl* pControl, IPersistStream* pPersist, CDspObject* pDsp, float fSampleRate)
    : m_pControl(pControl), m_pPersist(pPersist), m_pDsp(pDsp), m_fSampleRate(fSampleRate)
{
    RememberProcessorSettings();
    int bypass = 0;
    m_pDsp->GetControlValue(0, &bypass);
    m_nBypassSent.store(bypass, std::memory_order_relaxed);
}

CIntonaraLv2::~CIntonaraLv2()
{
    m_pPersist->Release();
    m_pControl->Release();
}

void CIntonaraLv2::MapUris(const LV2_Feature* const* features)
{
    if (m_nUridChunk != 0 || features == nullptr) {
        return;
    }
    for (const LV2_Feature* const* p = features; *p != nullptr; ++p) {
        if (std::string_view((*p)->URI) == LV2_URID__map && (*p)->data != nullptr) {
            const auto* pMap = static_cast<const LV2_URID_Map*>((*p)->data);
            m_nUridChunk = pMap->map(pMap->handle, LV2_ATOM__Chunk);
            m_nUridSettings = pMap->map(pMap->handle, lv2uri::kSettingsKeyUri.data());
            m_nUridGraph = pMap->map(pMap->handle, lv2uri::kGraphKeyUri);
            return;
        }
    }
}

void CIntonaraLv2::RememberProcessorSettings()
{
    const SettingsBlock block = CurrentSettings();
    for (int i = 0; i < kSettingsCount; ++i) {
        m_nSent[i].store(block[static_cast<std::size_t>(i)], std::memory_order_relaxed);
    }
}

SettingsBlock CIntonaraLv2::CurrentSettings()
{
    SettingsBlock block{};
    m_pControl->GetSettings(block.data());
    return block;
}

void CIntonaraLv2::ConnectPort(uint32_t port, void* pData)
{
    if (port >= kFirstSettingPort && port < kFirstSettingPort + kSettingsCount) {
        m_pSettingPorts[port - kFirstSettingPort] = static_cast<const float*>(pData);
        return;
    }
    switch (port) {
    case PORT_INPUT:
        m_pInput = static_cast<const float*>(pData);
        break;
    case PORT_OUTPUT:
        m_pOutput = static_cast<float*>(pData);
        break;
    case PORT_ENABLED:
        m_pEnabled = static_cast<const float*>(pData);
        break;
    case PORT_LATENCY:
        m_pLatency = static_cast<float*>(pData);
        break;
    case PORT_PITCH_CHANGE:
        m_pPitchChange = static_cast<float*>(pData);
        break;
    default:
        break;
    }
}

void CIntonaraLv2::Activate()
{
    // Hosts set their control values before activating, so the start can
    // usually be made here, off the audio thread. A host that connects its
    // ports later gets it at the first Run instead.
    bool connected = m_pEnabled != nullptr;
    for (const float* pPort : m_pSettingPorts) {
        connected = connected && pPort != nullptr;
    }
    if (connected) {
        Start();
    }
    m_bStartPending.store(!connected, std::memory_order_relaxed);
}

void CIntonaraLv2::Run(uint32_t nFrames)
{
    if (m_bStartPending.exchange(false, std::memory_order_relaxed)) {
        Start();
    } else {
        SendChangedSettings();
    }

    // Straight into the processor's engine, as the filter's float path ends:
    // the control object's block call would also take its lock, which a
    // concurrent Save holds, to clear a flag nothing here reads. The engine
    // reads each input sample before it writes the output sample of the same
    // index, so a host's shared buffer is fine.
    if (m_pInput != nullptr && m_pOutput != nullptr) {
        constexpr uint32_t kMaxCall = static_cast<uint32_t>(std::numeric_limits<int>::max());
        for (uint32_t done = 0; done < nFrames;) {
            const uint32_t n = nFrames - done < kMaxCall ? nFrames - done : kMaxCall;
            m_pDsp->m_Engine.Process(m_pInput + done, m_pOutput + done, static_cast<int>(n));
            done += n;
        }
    }
    WriteOutputs();
}

void CIntonaraLv2::Start()
{
    CStartSettings start;
    for (int i = 0; i < kSettingsCount; ++i) {
        int value = 0;
        if (ChangedSetting(i, &value)) {
            start.values[static_cast<std::size_t>(i)] = value;
        }
    }
    int bypass = 0;
    start.bBypass = ChangedBypass(&bypass) && bypass != 0;
    ApplyStartSettings(m_pControl, start);
    StartWithoutGraph(m_pDsp, m_fSampleRate);
}

// A port whose value differs from what the processor was last given; the
// new value then counts as given.
bool CIntonaraLv2::ChangedSetting(int index, int* pValue)
{
    const float* pPort = m_pSettingPorts[index];
    if (pPort == nullptr) {
        return false;
    }
    *pValue = m_PortMap.ToSetting(index, *pPort);
    return m_nSent[index].exchange(*pValue, std::memory_order_relaxed) != *pValue;
}

bool CIntonaraLv2::ChangedBypass(int* pBypass)
{
    if (m_pEnabled == nullptr) {
        return false;
    }
    // NaN counts as enabled, the port's default.
    *pBypass = *m_pEnabled < 0.5f ? 1 : 0;
    return m_nBypassSent.exchange(*pBypass, std::memory_order_relaxed) != *pBypass;
}

// Between blocks, on the audio thread: straight into the store, which takes
// no lock, as the control panel sends a change.
void CIntonaraLv2::SendChangedSettings()
{
    for (int i = 0; i < kSettingsCount; ++i) {
        int value = 0;
        if (ChangedSetting(i, &value)) {
            m_pDsp->SetParameter(PARAM_SCALE + i, value);
        }
    }
    int bypass = 0;
    if (ChangedBypass(&bypass)) {
        m_pDsp->SetControlValue(0, bypass);
    }
}

void CIntonaraLv2::WriteOutputs()
{
    if (m_pLatency != nullptr) {
        *m_pLatency = static_cast<float>(kLatencyFrames);
    }
    if (m_pPitchChange != nullptr) {
        *m_pPitchChange = static_cast<float>(m_pDsp->PitchChangeCents());
    }
}

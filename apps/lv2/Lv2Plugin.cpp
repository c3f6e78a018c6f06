// The instance's life and its audio thread: making the filter, starting it,
// and what every Run does. Saving and restoring are in Lv2State.cpp.

#include "Lv2Plugin.h"

#include "Lv2Uris.h"
#include "engine/SampleRates.h"
#include "host/Registration.h"
#include "settings/ParameterIds.h"
#include "settings/RetuneTaper.h"

#include <lv2/atom/atom.h>

#include <cmath>
#include <limits>
#include <new>
#include <string_view>

namespace {

// 100 * 1200 / ln 2, rounded, as the control panel's meter uses it: ln of
// the ratio times this is the shift in hundredths of a cent.
constexpr double kHundredthCentsPerNeper = 173120.0;

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

// The scale set and the retune taper keep per-thread scratch space, which
// the C library allocates for a thread the first time the thread touches
// it. The threads that create and activate instances touch it here, so
// that a host running blocks on one of them never allocates there. (An
// audio thread of its own still gets its block of this module's per-thread
// storage, once, at its first change of scale, key or retune speed.)
void TouchPerThreadStorage(CDspObject& dsp)
{
    short count = 0;
    int key = 0;
    dsp.GetParameter(PARAM_KEY, &key);
    dsp.GetScaleSet().ComputeTargets(static_cast<short>(key), dsp.GetSampleRate(), &count, nullptr, nullptr);
    retune_taper::IndexToMs(0);
    retune_taper::MsToIndex(0);
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
    TouchPerThreadStorage(*m_pDsp);
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
    TouchPerThreadStorage(*m_pDsp);
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
    // The order a filter graph host gives the filter, which the tool keeps:
    // the user's settings (IDs ascending, then the bypass switch), then the
    // format's rate, then the reset of a graph run from stopped. The rate
    // comes after the settings because a new rate re-applies the threshold
    // without the step the store adds when the threshold itself changes.
    SendChangedSettings();
    m_pDsp->SetSampleRate(m_fSampleRate);
    m_pDsp->ResetEngine();
}

void CIntonaraLv2::SendChangedSettings()
{
    for (int i = 0; i < kSettingsCount; ++i) {
        const float* pPort = m_pSettingPorts[i];
        if (pPort == nullptr) {
            continue;
        }
        const int value = m_PortMap.ToSetting(i, *pPort);
        if (value != m_nSent[i].load(std::memory_order_relaxed)) {
            m_nSent[i].store(value, std::memory_order_relaxed);
            m_pDsp->SetParameter(PARAM_SCALE + i, value);
            m_nSettingsSent.fetch_add(1, std::memory_order_relaxed);
        }
    }
    if (m_pEnabled != nullptr) {
        // NaN counts as enabled, the port's default.
        const int bypass = *m_pEnabled < 0.5f ? 1 : 0;
        if (bypass != m_nBypassSent.load(std::memory_order_relaxed)) {
            m_nBypassSent.store(bypass, std::memory_order_relaxed);
            m_pDsp->SetControlValue(0, bypass);
            m_nSettingsSent.fetch_add(1, std::memory_order_relaxed);
        }
    }
}

void CIntonaraLv2::WriteOutputs()
{
    if (m_pLatency != nullptr) {
        *m_pLatency = static_cast<float>(kLatencyFrames);
    }
    if (m_pPitchChange != nullptr) {
        float ratio = 1.0f;
        m_pDsp->m_Engine.GetStatus(&ratio, nullptr);
        // The control panel's meter: whole cents, truncated toward zero
        // twice (to hundredths, then to cents).
        double hundredths = 0.0;
        if (ratio > 0.0f && std::isfinite(ratio)) {
            hundredths = std::trunc(std::log(static_cast<double>(ratio)) * kHundredthCentsPerNeper);
        }
        constexpr double kIntMax = std::numeric_limits<int>::max();
        hundredths = hundredths > kIntMax ? kIntMax : (hundredths < -kIntMax ? -kIntMax : hundredths);
        *m_pPitchChange = static_cast<float>(static_cast<int>(hundredths) / 100);
    }
}

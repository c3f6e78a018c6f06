#include "host/IntonaraControl.h"

#include "platform/media/FilterTypes.h"
#include "platform/Messages.h"
#include "settings/ParameterIds.h"

#include <cstring>

namespace {

// Holds the control lock for a scope, so that every way out (including an
// exception) releases it.
class CControlLock
{
public:
    explicit CControlLock(CRITICAL_SECTION* pSection) : m_pSection(pSection) { EnterCriticalSection(m_pSection); }
    ~CControlLock() { LeaveCriticalSection(m_pSection); }
    CControlLock(const CControlLock&) = delete;
    CControlLock& operator=(const CControlLock&) = delete;

private:
    CRITICAL_SECTION* m_pSection;
};

// Called with the control lock held. With the panel open the values go
// through its controls, so that they show them; otherwise straight into the
// processor.
void ApplyBlock(CHostedDspObject* pDsp, const SettingsBlock& block)
{
    if (IIntonaraDialog* pDialog = pDsp->AttachedDialog()) {
        PARAM_CHANGE changes[kSettingsCount];
        for (int i = 0; i < kSettingsCount; ++i) {
            changes[i] = PARAM_CHANGE{PARAM_SCALE + i, block[static_cast<std::size_t>(i)]};
        }
        pDialog->ApplyParameterChanges(changes, kSettingsCount);
    } else {
        pDsp->SetAutomaticSettings(block.data());
    }
}

SettingsBlock ReportedBlock(CHostedDspObject* pDsp)
{
    SettingsBlock block{};
    for (int i = 0; i < kSettingsCount; ++i) {
        pDsp->GetParameter(PARAM_SCALE + i, &block[static_cast<std::size_t>(i)]);
    }
    return block;
}

} // namespace

CIntonaraControl::CIntonaraControl() : m_DspObject(new CHostedDspObject)
{
    InitializeCriticalSection(&m_csControl);
    m_DspObject->Initialise();
    m_Applied = ReportedBlock(m_DspObject);
    m_AppliedReported = m_Applied;
}

CIntonaraControl::~CIntonaraControl()
{
    DeleteCriticalSection(&m_csControl);
    // The processor lives exactly as long as the filter that created it.
    delete m_DspObject;
}

int CIntonaraControl::ClampSetting(int index, int value)
{
    const CSettingRange& range = kSettingRanges[index];
    if (value < range.nLow) {
        return range.nLow;
    }
    if (value > range.nHigh) {
        return range.nHigh;
    }
    return value;
}

HRESULT CIntonaraControl::GetDspObject(CDspObject** ppDspObject)
{
    if (ppDspObject == nullptr) {
        return E_POINTER;
    }
    *ppDspObject = m_DspObject;
    return S_OK;
}

HRESULT CIntonaraControl::GetSettings(int* pBlock)
{
    if (pBlock == nullptr) {
        return E_POINTER;
    }
    if (m_DspObject == nullptr) {
        return E_FAIL;
    }
    try {
        CControlLock lock(&m_csControl);
        const SettingsBlock reported = ReportedBlock(m_DspObject);
        for (int i = 0; i < kSettingsCount; ++i) {
            m_Settings[i].store(reported[static_cast<std::size_t>(i)], std::memory_order_relaxed);
        }
        for (int i = 0; i < kSettingsCount; ++i) {
            pBlock[i] = m_Settings[i].load(std::memory_order_relaxed);
        }
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT CIntonaraControl::SetSettings(const int* pBlock)
{
    if (m_DspObject == nullptr) {
        return E_FAIL;
    }
    if (pBlock == nullptr) {
        return E_POINTER;
    }
    try {
        CControlLock lock(&m_csControl);
        SettingsBlock block{};
        for (int i = 0; i < kSettingsCount; ++i) {
            block[static_cast<std::size_t>(i)] = pBlock[i];
            m_Settings[i].store(pBlock[i], std::memory_order_relaxed);
        }
        m_bSettingsChanged.store(TRUE, std::memory_order_relaxed);
        Apply(block);
        return ValidateSettings() ? S_OK : E_INVALIDARG;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT CIntonaraControl::GetField(int index, int* pValue)
{
    if (pValue == nullptr) {
        return E_POINTER;
    }
    *pValue = m_Settings[index].load(std::memory_order_relaxed);
    return S_OK;
}

HRESULT CIntonaraControl::PutField(int index, int value)
{
    const int clamped = ClampSetting(index, value);
    const std::size_t field = static_cast<std::size_t>(index);
    try {
        CControlLock lock(&m_csControl);
        // The block is brought up to date first: the panel may have changed
        // other settings since the host last read them, and applying a stale
        // block would undo those changes. A value the processor reports as it
        // did right after this object applied it is still the one applied,
        // and is applied again as it was, not as reported: a retune speed is
        // held in whole milliseconds and reported as the nearest fader step,
        // which can stand for a shorter time, so the report written back
        // would move the speed.
        const SettingsBlock reported = ReportedBlock(m_DspObject);
        SettingsBlock block{};
        for (std::size_t i = 0; i < block.size(); ++i) {
            block[i] = reported[i] == m_AppliedReported[i] ? m_Applied[i] : reported[i];
            m_Settings[i].store(block[i], std::memory_order_relaxed);
        }
        // Either form of the value held is no change: the one applied (which
        // a get returns) and the one the processor reports.
        if (clamped != block[field] && clamped != reported[field]) {
            block[field] = clamped;
            m_Settings[index].store(clamped, std::memory_order_relaxed);
            m_bSettingsChanged.store(TRUE, std::memory_order_relaxed);
            Apply(block);
        }
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

void CIntonaraControl::Apply(const SettingsBlock& block)
{
    ApplyBlock(m_DspObject, block);
    m_Applied = block;
    m_AppliedReported = ReportedBlock(m_DspObject);
}

HRESULT CIntonaraControl::GetWaveFormat(WAVEFORMATEX* pFormat, int which)
{
    if (pFormat == nullptr) {
        return E_POINTER;
    }
    CControlLock lock(&m_csControl);
    const WAVEFORMATEX* pStored = nullptr;
    if (which == 0) {
        pStored = m_pInFormat.load(std::memory_order_relaxed);
    } else if (which == 1) {
        pStored = m_pOutFormat.load(std::memory_order_relaxed);
    }
    if (pStored == nullptr) {
        return VFW_E_NOT_CONNECTED;
    }
    std::memcpy(pFormat, pStored, sizeof(WAVEFORMATEX));
    return S_OK;
}

HRESULT CIntonaraControl::SetNotifyWindow(HWND window, int command)
{
    CControlLock lock(&m_csControl);
    // The window's own slot if it has one; otherwise the last free slot.
    CNotifySlot* pSlot = nullptr;
    for (CNotifySlot& slot : m_Slots) {
        if (slot.m_hWindow == window) {
            pSlot = &slot;
            break;
        }
        if (slot.m_hWindow == nullptr) {
            pSlot = &slot;
        }
    }
    if (pSlot == nullptr) {
        return command == 0 ? S_OK : E_OUTOFMEMORY;
    }
    pSlot->m_wCommand = static_cast<WORD>(command);
    pSlot->m_hWindow = command != 0 ? window : nullptr;
    return S_OK;
}

BOOL CIntonaraControl::ValidateSettings()
{
    return TRUE;
}

void CIntonaraControl::StartControl(const WAVEFORMATEX* pInFormat, const WAVEFORMATEX* pOutFormat)
{
    m_pInFormat.store(pInFormat, std::memory_order_relaxed);
    m_pOutFormat.store(pOutFormat, std::memory_order_relaxed);
    if (pInFormat != nullptr) {
        m_DspObject->SetSampleRate(static_cast<float>(pInFormat->nSamplesPerSec));
    }
    {
        CControlLock lock(&m_csControl);
        m_bSettingsChanged.store(FALSE, std::memory_order_relaxed);
    }
    m_bInitialised.store(TRUE, std::memory_order_relaxed);
}

HRESULT CIntonaraControl::ProcessBlock(const float* pIn, float* pOut, int nFrames, int* pConsumed, int* pProduced)
{
    BOOL bChanged = FALSE;
    {
        CControlLock lock(&m_csControl);
        bChanged = m_bSettingsChanged.exchange(FALSE, std::memory_order_relaxed);
    }
    if (bChanged || !m_bInitialised.load(std::memory_order_relaxed)) {
        m_bInitialised.store(TRUE, std::memory_order_relaxed);
    }
    m_DspObject->m_Engine.Process(pIn, pOut, nFrames);
    *pConsumed = nFrames;
    *pProduced = nFrames;
    return S_OK;
}

void CIntonaraControl::SetFormatPointer(int which, const WAVEFORMATEX* pFormat)
{
    (which == 0 ? m_pInFormat : m_pOutFormat).store(pFormat, std::memory_order_relaxed);
}

void CIntonaraControl::NotifyWindows(int code)
{
    CControlLock lock(&m_csControl);
    for (CNotifySlot& slot : m_Slots) {
        if (slot.m_hWindow == nullptr) {
            continue;
        }
        if (!IsWindow(slot.m_hWindow)) {
            // The window went away without unregistering.
            slot.m_hWindow = nullptr;
            continue;
        }
        const WPARAM wParam = static_cast<WPARAM>(slot.m_wCommand) | (static_cast<WPARAM>(code & 0xFFFF) << 16);
        PostMessageA(slot.m_hWindow, WM_COMMAND, wParam, 0);
    }
}

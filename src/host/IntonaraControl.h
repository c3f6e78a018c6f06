#pragma once

// The implementation of the plug-in's control interface, a base of the
// filter: the settings block, the notification slots and the processor.
//
// Threads: the get operations run on any thread without the control lock;
// everything that changes the settings block, the notification slots or the
// changed-flag does so under the lock, which the streaming thread also takes
// briefly at every block. A settings change therefore never lands in the
// middle of a block.

#include "host/IIntonaraControl.h"
#include "modes/DspObject.h"
#include "platform/kernel/Kernel.h"
#include "platform/media/MediaType.h"

#include <atomic>
#include <cstdint>

static_assert(kSettingsCount == CParameterStore::kAutomaticSettingsCount);

// The processor as the filter holds it. The store keeps the mode in force
// and the attached panel to itself; the filter's state changes need both.
class CHostedDspObject final : public CDspObject
{
public:
    int ActiveMode() const { return Relaxed(m_nActiveMode); }
    IIntonaraDialog* AttachedDialog() const { return Dialog(); }
};

class CIntonaraControl : public IIntonaraControl
{
public:
    // Creates the processor and brings it to its default settings.
    CIntonaraControl();
    virtual ~CIntonaraControl();
    CIntonaraControl(const CIntonaraControl&) = delete;
    CIntonaraControl& operator=(const CIntonaraControl&) = delete;

    HRESULT GetDspObject(CDspObject** ppDspObject) override;
    HRESULT GetSettings(int* pBlock) override;
    HRESULT SetSettings(const int* pBlock) override;
    HRESULT GetWaveFormat(WAVEFORMATEX* pFormat, int which) override;
    HRESULT SetNotifyWindow(HWND window, int command) override;

    HRESULT get_Scale(int* pValue) override { return GetField(SETTING_SCALE, pValue); }
    HRESULT put_Scale(int value) override { return PutField(SETTING_SCALE, value); }
    HRESULT get_Key(int* pValue) override { return GetField(SETTING_KEY, pValue); }
    HRESULT put_Key(int value) override { return PutField(SETTING_KEY, value); }
    HRESULT get_Detune(int* pValue) override { return GetField(SETTING_DETUNE, pValue); }
    HRESULT put_Detune(int value) override { return PutField(SETTING_DETUNE, value); }
    HRESULT get_RetuneSpeed(int* pValue) override { return GetField(SETTING_RETUNE_SPEED, pValue); }
    HRESULT put_RetuneSpeed(int value) override { return PutField(SETTING_RETUNE_SPEED, value); }
    HRESULT get_VibratoType(int* pValue) override { return GetField(SETTING_VIBRATO_TYPE, pValue); }
    HRESULT put_VibratoType(int value) override { return PutField(SETTING_VIBRATO_TYPE, value); }
    HRESULT get_VibratoDepth(int* pValue) override { return GetField(SETTING_VIBRATO_DEPTH, pValue); }
    HRESULT put_VibratoDepth(int value) override { return PutField(SETTING_VIBRATO_DEPTH, value); }
    HRESULT get_VibratoRate(int* pValue) override { return GetField(SETTING_VIBRATO_RATE, pValue); }
    HRESULT put_VibratoRate(int value) override { return PutField(SETTING_VIBRATO_RATE, value); }
    HRESULT get_VibratoDelay(int* pValue) override { return GetField(SETTING_VIBRATO_DELAY, pValue); }
    HRESULT put_VibratoDelay(int value) override { return PutField(SETTING_VIBRATO_DELAY, value); }
    HRESULT get_Threshold(int* pValue) override { return GetField(SETTING_THRESHOLD, pValue); }
    HRESULT put_Threshold(int value) override { return PutField(SETTING_THRESHOLD, value); }

    // Whether the settings just applied make sense for the filter.
    virtual BOOL ValidateSettings();

    // A value brought into the put operations' range for block index i.
    static int ClampSetting(int index, int value);

protected:
    // The filter's side: the start of streaming, the block call, the
    // formats its pins agreed and the notification of a format change.
    void StartControl(const WAVEFORMATEX* pInFormat, const WAVEFORMATEX* pOutFormat);
    HRESULT ProcessBlock(const float* pIn, float* pOut, int nFrames, int* pConsumed, int* pProduced);
    void SetFormatPointer(int which, const WAVEFORMATEX* pFormat);
    void NotifyWindows(int code);
    // Held while a stored format is written or copied.
    CRITICAL_SECTION* ControlLock() { return &m_csControl; }

    CHostedDspObject* const m_DspObject;

private:
    struct CNotifySlot {
        HWND m_hWindow = nullptr;
        WORD m_wCommand = 0;
    };

    HRESULT GetField(int index, int* pValue);
    HRESULT PutField(int index, int value);
    // Called with the control lock held.
    void Apply(const SettingsBlock& block);

    CRITICAL_SECTION m_csControl;
    std::atomic<int32_t> m_Settings[kSettingsCount] = {};
    std::atomic<int32_t> m_bSettingsChanged{TRUE};
    // Only touched under the control lock.
    CNotifySlot m_Slots[2];
    std::atomic<const WAVEFORMATEX*> m_pInFormat{nullptr};
    std::atomic<const WAVEFORMATEX*> m_pOutFormat{nullptr};
    std::atomic<int32_t> m_bInitialised{FALSE};
    // The block last applied to the processor and the processor's report of
    // it right afterwards; only touched under the control lock.
    SettingsBlock m_Applied{};
    SettingsBlock m_AppliedReported{};
};

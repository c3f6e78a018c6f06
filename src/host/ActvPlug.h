#pragma once

#include <cstdint>

// The plug-in as a host sees it: an audio transform filter with one input
// and one output pin that runs every block of mono 16-bit or float audio
// through the processor and delivers it downstream in the same format. It
// also turns the graph's Stop, Pause and Run into processor resets and, in
// graphical mode, into the automatic start and end of the passes.
//
// Threads: Receive runs on the upstream filter's streaming thread, under the
// base's receive lock; Stop, Pause, Run and the negotiation come on the
// graph's control thread; the control interface is called from the host's
// user-interface thread. The members the streaming thread shares with the
// state changes are relaxed atomics.

#include "host/HostPresets.h"
#include "host/IntonaraControl.h"
#include "platform/com/Stream.h"
#include "platform/media/TransformFilter.h"

#include <atomic>

class CIntonaraPlugIn;

// Bytes of each conversion buffer a new filter starts with: 48000 floats,
// a second of audio at 48 kHz, so that ordinary blocks never allocate.
inline constexpr DWORD kInitialConversionBytes = 192000;
// Output buffers smaller than this are refused.
inline constexpr LONG kMinOutputBufferBytes = 512;

// Panel controls the state changes touch.
inline constexpr int kTrackPitchCheckBox = 1058;
inline constexpr int kCorrectPitchCheckBox = 1060;
inline constexpr int kBufferLengthEdit = 1127;

class CIntonaraInputPin : public CTransformInputPin
{
public:
    CIntonaraInputPin(CIntonaraPlugIn* pFilter, HRESULT* phr, const char* pName);
    ~CIntonaraInputPin() override;

    // Besides the filter's own check, a type that does not fit the present
    // output is still taken when the downstream filter would take the
    // matching output type.
    HRESULT CheckMediaType(const CMediaType* pmt) override;

private:
    CIntonaraPlugIn* const m_pPlugIn;
};

class CIntonaraPlugIn : public CTransformFilter,
                        public CIntonaraControl,
                        public ISpecifyPropertyPages,
                        public IPersistStream,
                        public IHostPresets
{
public:
    // What the class table calls; null (with *phr set) when it fails.
    static CUnknown* CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);

    CIntonaraPlugIn(LPUNKNOWN pUnk, HRESULT* phr);
    ~CIntonaraPlugIn() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // --- Filter ------------------------------------------------------------
    CBasePin* GetPin(int n) override;
    const AMOVIESETUP_FILTER* GetSetupData() override;
    HRESULT GetClassID(CLSID* pClsID) override;

    // Every block goes through Receive.
    HRESULT Transform(IMediaSample* pIn, IMediaSample* pOut) override;
    HRESULT CheckInputType(const CMediaType* mtIn) override;
    HRESULT CheckTransform(const CMediaType* mtIn, const CMediaType* mtOut) override;
    HRESULT DecideBufferSize(IMemAllocator* pAllocator, ALLOCATOR_PROPERTIES* pRequest) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override;
    HRESULT StartStreaming() override;
    HRESULT StopStreaming() override;
    HRESULT SetMediaType(PIN_DIRECTION direction, const CMediaType* pmt) override;
    HRESULT CompleteConnect(PIN_DIRECTION direction, IPin* pReceivePin) override;
    HRESULT Receive(IMediaSample* pSample) override;

    // Makes both conversion buffers this many bytes. FALSE when either
    // could not be had; the size asked for is kept all the same.
    virtual BOOL ResizeBuffers(DWORD cbBytes);

    HRESULT Stop() override;
    HRESULT Pause() override;
    HRESULT Run(REFERENCE_TIME tStart) override;

    // --- Control interface -------------------------------------------------
    BOOL ValidateSettings() override;

    // --- ISpecifyPropertyPages ---------------------------------------------
    HRESULT GetPages(CAUUID* pPages) override;

    // --- IPersistStream ------------------------------------------------------
    HRESULT IsDirty() override;
    HRESULT Load(IStream* pStm) override;
    HRESULT Save(IStream* pStm, BOOL fClearDirty) override;
    HRESULT GetSizeMax(ULARGE_INTEGER* pcbSize) override;

    // --- IHostPresets ----------------------------------------------------------
    HRESULT GetPresetCount(int* pCount) override;
    HRESULT GetPresetName(int nIndex, WCHAR* pName, int nLength) override;
    HRESULT ApplyPreset(int nIndex) override;

    // Frames delivered while paused, handed to the processor at Run.
    DWORD PrerollFrames() const { return m_nPrerollFrames.load(std::memory_order_relaxed); }
    bool IsPausedForPreroll() const { return m_Paused.load(std::memory_order_relaxed) != FALSE; }

protected:
    friend class CIntonaraInputPin;

    // The processor's mode in force is graphical.
    bool InGraphicalMode() const;
    // Graphical mode, Track Pitch off: Correct Pitch goes on, and the panel
    // (when open) shows it and locks the buffer length.
    void StartCorrectionAutomatically();
    void FreeBuffers();
    // 16-bit audio through the conversion buffers, a buffer's worth at a
    // time, so that a media sample of any size streams without allocating.
    HRESULT ProcessPcm16(const std::int16_t* pIn, std::int16_t* pOut, int nFrames, int* pConsumed,
                         int* pProduced);

    WAVEFORMATEX m_InFormat{};
    WAVEFORMATEX m_OutFormat{};
    DWORD m_cbBuffers = 0;
    float* m_pInBuffer = nullptr;
    float* m_pOutBuffer = nullptr;
    std::atomic<BOOL> m_Paused{FALSE};
    std::atomic<DWORD> m_nPrerollFrames{0};
};

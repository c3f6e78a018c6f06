#pragma once

// The renderer people hear: it plays its input (mono or stereo, 16-bit PCM
// or 32-bit float) on the default audio device at the stream's own rate.
// The device pulls the sound from a ring buffer on its own thread; Receive
// waits while the ring is full, so the whole graph upstream runs at the
// device's pace. The renderer is also the graph's clock: its time is the
// sound the device has taken, which stands still while paused.
//
// Where no device opens, the renderer plays silently instead: the ring is
// drained at the stream's rate by the platform clock, so playback, the
// clock and the end of the stream behave as with a device.
//
// The device thread never waits: it takes what the ring holds, fills the
// rest of its buffer with silence and counts an underrun when the stream
// was running and had not ended.

#include "platform/media/SinkFilter.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// {3C9B7E51-8A12-4F60-B5D3-71E0A6C42F18}
constexpr CLSID CLSID_AudioRenderer = {
    0x3C9B7E51, 0x8A12, 0x4F60, {0xB5, 0xD3, 0x71, 0xE0, 0xA6, 0xC4, 0x2F, 0x18}};

class CAudioRenderer final : public CSinkFilter, public IReferenceClock {
public:
    CAudioRenderer();
    ~CAudioRenderer() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // Frames the device asks for at a time (its latency); 0 lets the
    // renderer choose about 20 ms. Set before streaming.
    void SetDeviceBufferFrames(int nFrames) { m_nDeviceFrames = nFrames; }
    // Never open a device: play silently, paced by the platform clock.
    void SetSilent(bool bSilent) { m_bForceSilent = bSilent; }

    HRESULT Pause() override;
    HRESULT Run(REFERENCE_TIME tStart) override;
    HRESULT Stop() override;

    // IReferenceClock: the sound taken by the device, in 100 ns units.
    HRESULT GetTime(REFERENCE_TIME* pTime) override;

    // Frames the device has taken since the stream started.
    std::int64_t PlayedFrames();
    int SampleRate() const { return m_nRate.load(std::memory_order_relaxed); }
    // Times the device found the ring empty while the stream ran.
    int Underruns() const { return m_nUnderruns.load(std::memory_order_relaxed); }
    // True once a stream has started without a device.
    bool IsSilent() const { return m_bSilent.load(std::memory_order_relaxed); }
    // What plays the sound, e.g. "dummy audio, 480 frames (10.0 ms)", or why
    // nothing does; for a status line. Valid once streaming has started.
    std::string DeviceDescription() const;
    // Frames received and not yet played.
    std::int64_t BufferedFrames() const { return Buffered() / std::max(1, m_nChannels); }
    // The device's own buffer, in frames (0 before streaming).
    int DeviceFrames() const { return m_nObtainedFrames.load(std::memory_order_relaxed); }

protected:
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT OnStartStreaming() override;
    HRESULT OnReceive(IMediaSample* pSample) override;
    HRESULT OnEndOfStream() override;
    void OnStopStreaming() override;

private:
    static void DeviceCallback(void* pThis, unsigned char* pStream, int cbLen);
    void Pull(float* pOut, int nSamples);
    bool OpenDevice();
    void CloseDevice();
    // Silent play: move the read position to where the clock says.
    void AdvanceSilently();
    std::int64_t Buffered() const;
    // Waits until the ring has room for nSamples or the stream stops;
    // false when it stopped.
    bool WaitForRoom(std::int64_t nSamples);

    int m_nDeviceFrames = 0;
    bool m_bForceSilent = false;

    // The ring: samples interleaved as the device takes them (float). The
    // streaming thread alone writes m_llWrite and the device thread alone
    // writes m_llRead; each publishes its position after touching the data.
    std::vector<float> m_ring;
    std::atomic<std::int64_t> m_llWrite{0};
    std::atomic<std::int64_t> m_llRead{0};
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bEnded{false};
    std::atomic<bool> m_bStopping{false};
    std::atomic<int> m_nUnderruns{0};
    std::atomic<int> m_nRate{0};
    std::atomic<int> m_nObtainedFrames{0};
    std::atomic<bool> m_bSilent{false};
    int m_nChannels = 1;
    bool m_bFloatInput = false;

    std::uint32_t m_uDevice = 0;
    bool m_bAudioInit = false;
    std::string m_strDevice;

    // Silent play: the clock reading and read position at the last start.
    std::atomic<std::uint64_t> m_uRunStartMs{0};
    std::atomic<std::int64_t> m_llRunStartRead{0};
    std::mutex m_silentMutex;

    std::mutex m_waitMutex;
    std::condition_variable m_wake;
};

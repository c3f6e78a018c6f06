#include "platform/media/audio/AudioRenderer.h"

#include "platform/Clock.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

// How long the ring holds: enough to ride out a slow repaint on the
// streaming side, short enough that Pause and Stop are heard at once.
constexpr int kRingMilliseconds = 200;
// The device buffer when none is asked for.
constexpr int kDefaultDeviceMilliseconds = 20;
// A waiting thread looks again this often even without being woken, since
// the device thread signals without taking the lock.
constexpr auto kWaitSlice = std::chrono::milliseconds(2);

}  // namespace

CAudioRenderer::CAudioRenderer() : CSinkFilter("Audio renderer", nullptr, CLSID_AudioRenderer) {}

CAudioRenderer::~CAudioRenderer()
{
    CloseDevice();
}

HRESULT CAudioRenderer::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IReferenceClock) {
        return GetInterface(static_cast<IReferenceClock*>(this), ppv);
    }
    return CSinkFilter::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CAudioRenderer::CheckMediaType(const CMediaType* pmt)
{
    if (CSinkFilter::CheckMediaType(pmt) != S_OK) {
        return S_FALSE;
    }
    WAVEFORMATEX wfx{};
    GetWaveFormat(*pmt, &wfx);
    const bool bPcm16 = wfx.wFormatTag == WAVE_FORMAT_PCM && wfx.wBitsPerSample == 16;
    const bool bFloat = wfx.wFormatTag == WAVE_FORMAT_IEEE_FLOAT && wfx.wBitsPerSample == 32;
    if ((wfx.nChannels != 1 && wfx.nChannels != 2) || (!bPcm16 && !bFloat) || wfx.nSamplesPerSec == 0) {
        return S_FALSE;
    }
    return S_OK;
}

// ---------------------------------------------------------------------------
// States

HRESULT CAudioRenderer::OnStartStreaming()
{
    WAVEFORMATEX wfx{};
    const CMediaType mt = ConnectionType();
    if (!GetWaveFormat(mt, &wfx)) {
        return VFW_E_NOT_CONNECTED;
    }
    m_nChannels = wfx.nChannels;
    m_bFloatInput = wfx.wFormatTag == WAVE_FORMAT_IEEE_FLOAT;
    m_nRate.store(static_cast<int>(wfx.nSamplesPerSec), std::memory_order_relaxed);
    CloseDevice();
    const int rate = static_cast<int>(wfx.nSamplesPerSec);
    if (m_nDeviceFrames <= 0) {
        m_nDeviceFrames = std::max(64, rate * kDefaultDeviceMilliseconds / 1000);
    }
    const std::size_t ringFrames =
        std::max<std::size_t>(static_cast<std::size_t>(rate) * kRingMilliseconds / 1000,
                              static_cast<std::size_t>(m_nDeviceFrames) * 4);
    m_ring.assign(ringFrames * static_cast<std::size_t>(m_nChannels), 0.0f);
    m_llWrite.store(0, std::memory_order_relaxed);
    m_llRead.store(0, std::memory_order_relaxed);
    m_llRunStartRead.store(-1, std::memory_order_relaxed);
    m_bRunning.store(false, std::memory_order_relaxed);
    m_bEnded.store(false, std::memory_order_relaxed);
    m_bStopping.store(false, std::memory_order_relaxed);
    m_nUnderruns.store(0, std::memory_order_relaxed);
    m_bSilent.store(!OpenDevice(), std::memory_order_relaxed);
    return S_OK;
}

HRESULT CAudioRenderer::Pause()
{
    {
        CAutoLock lock(&m_csFilter);
        if (State() == State_Running) {
            if (m_uDevice != 0) {
                SDL_PauseAudioDevice(m_uDevice, 1);
            }
            AdvanceSilently();
            m_bRunning.store(false, std::memory_order_relaxed);
        }
    }
    return CSinkFilter::Pause();
}

HRESULT CAudioRenderer::Run(REFERENCE_TIME tStart)
{
    const HRESULT hr = CSinkFilter::Run(tStart);
    if (FAILED(hr)) {
        return hr;
    }
    CAutoLock lock(&m_csFilter);
    m_llRunStartRead.store(-1, std::memory_order_relaxed);
    m_bRunning.store(true, std::memory_order_relaxed);
    // Silent play starts its clock now when the ring is already full.
    AdvanceSilently();
    if (m_uDevice != 0) {
        SDL_PauseAudioDevice(m_uDevice, 0);
    }
    return hr;
}

HRESULT CAudioRenderer::Stop()
{
    // A Receive waiting for room holds the receive lock that Stop needs.
    m_bStopping.store(true, std::memory_order_relaxed);
    m_bRunning.store(false, std::memory_order_relaxed);
    m_wake.notify_all();
    return CSinkFilter::Stop();
}

void CAudioRenderer::OnStopStreaming()
{
    CloseDevice();
}

// ---------------------------------------------------------------------------
// The device

bool CAudioRenderer::OpenDevice()
{
    if (m_bForceSilent) {
        m_strDevice = "no audio device (silent playback)";
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        m_strDevice = std::string("no audio device (") + SDL_GetError() + "), silent playback";
        return false;
    }
    m_bAudioInit = true;
    SDL_AudioSpec want{};
    want.freq = m_nRate.load(std::memory_order_relaxed);
    want.format = AUDIO_F32SYS;
    want.channels = static_cast<Uint8>(m_nChannels);
    want.samples = static_cast<Uint16>(std::min(m_nDeviceFrames, 32768));
    want.callback = &CAudioRenderer::DeviceCallback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts whatever the hardware wants, so the
    // ring always holds the stream's own samples.
    m_uDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m_uDevice == 0) {
        m_strDevice = std::string("no audio device (") + SDL_GetError() + "), silent playback";
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_bAudioInit = false;
        return false;
    }
    m_nObtainedFrames.store(have.samples, std::memory_order_relaxed);
    char text[160];
    const char* driver = SDL_GetCurrentAudioDriver();
    std::snprintf(text, sizeof text, "%s audio, %d frames (%.1f ms)", driver != nullptr ? driver : "default",
                  static_cast<int>(have.samples), 1000.0 * have.samples / want.freq);
    m_strDevice = text;
    return true;
}

void CAudioRenderer::CloseDevice()
{
    if (m_uDevice != 0) {
        SDL_CloseAudioDevice(m_uDevice);
        m_uDevice = 0;
    }
    if (m_bAudioInit) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_bAudioInit = false;
    }
}

std::string CAudioRenderer::DeviceDescription() const
{
    return m_strDevice;
}

void CAudioRenderer::DeviceCallback(void* pThis, unsigned char* pStream, int cbLen)
{
    static_cast<CAudioRenderer*>(pThis)->Pull(reinterpret_cast<float*>(pStream),
                                              cbLen / static_cast<int>(sizeof(float)));
}

void CAudioRenderer::Pull(float* pOut, int nSamples)
{
    const std::int64_t read = m_llRead.load(std::memory_order_relaxed);
    const std::int64_t write = m_llWrite.load(std::memory_order_acquire);
    const bool bEnded = m_bEnded.load(std::memory_order_acquire);
    const auto size = static_cast<std::int64_t>(m_ring.size());
    // Until the ring has filled once (or the stream has ended) the device
    // plays silence and takes nothing, so a start is never an underrun.
    if (m_llRunStartRead.load(std::memory_order_relaxed) < 0) {
        if (write - read < size / 2 && !bEnded) {
            std::memset(pOut, 0, sizeof(float) * static_cast<std::size_t>(nSamples));
            return;
        }
        m_llRunStartRead.store(read, std::memory_order_relaxed);
    }
    const std::int64_t n = std::min<std::int64_t>(write - read, nSamples);
    for (std::int64_t i = 0; i < n; ++i) {
        pOut[i] = m_ring[static_cast<std::size_t>((read + i) % size)];
    }
    if (n < nSamples) {
        std::memset(pOut + n, 0, sizeof(float) * static_cast<std::size_t>(nSamples - n));
        if (!bEnded && m_bRunning.load(std::memory_order_relaxed)) {
            m_nUnderruns.fetch_add(1, std::memory_order_relaxed);
        }
    }
    m_llRead.store(read + n, std::memory_order_release);
    m_wake.notify_all();
}

void CAudioRenderer::AdvanceSilently()
{
    if (!m_bSilent.load(std::memory_order_relaxed)) {
        return;
    }
    std::lock_guard lock(m_silentMutex);
    const std::uint64_t now = platform::ClockMilliseconds();
    const std::int64_t read = m_llRead.load(std::memory_order_relaxed);
    const std::int64_t write = m_llWrite.load(std::memory_order_acquire);
    const bool bEnded = m_bEnded.load(std::memory_order_acquire);
    if (!m_bRunning.load(std::memory_order_relaxed)) {
        m_llRunStartRead.store(-1, std::memory_order_relaxed);
        return;
    }
    if (m_llRunStartRead.load(std::memory_order_relaxed) < 0) {
        if (write - read < static_cast<std::int64_t>(m_ring.size()) / 2 && !bEnded) {
            return;
        }
        m_llRunStartRead.store(read, std::memory_order_relaxed);
        m_uRunStartMs.store(now, std::memory_order_relaxed);
    }
    const std::int64_t perSecond = static_cast<std::int64_t>(m_nRate.load(std::memory_order_relaxed)) * m_nChannels;
    const std::int64_t elapsed = static_cast<std::int64_t>(now - m_uRunStartMs.load(std::memory_order_relaxed));
    std::int64_t target = m_llRunStartRead.load(std::memory_order_relaxed) + elapsed * perSecond / 1000;
    target -= target % m_nChannels;
    if (target > write) {
        // The clock ran ahead of the stream: what a device would have
        // filled with silence. Play on from here.
        if (!bEnded) {
            m_nUnderruns.fetch_add(1, std::memory_order_relaxed);
        }
        target = write;
        m_llRunStartRead.store(write, std::memory_order_relaxed);
        m_uRunStartMs.store(now, std::memory_order_relaxed);
    }
    if (target > read) {
        m_llRead.store(target, std::memory_order_release);
    }
}

// ---------------------------------------------------------------------------
// Streaming

std::int64_t CAudioRenderer::Buffered() const
{
    return m_llWrite.load(std::memory_order_relaxed) - m_llRead.load(std::memory_order_acquire);
}

bool CAudioRenderer::WaitForRoom(std::int64_t nSamples)
{
    const auto size = static_cast<std::int64_t>(m_ring.size());
    for (;;) {
        if (m_bStopping.load(std::memory_order_relaxed)) {
            return false;
        }
        AdvanceSilently();
        if (size - Buffered() >= nSamples) {
            return true;
        }
        std::unique_lock lock(m_waitMutex);
        m_wake.wait_for(lock, kWaitSlice);
    }
}

HRESULT CAudioRenderer::OnReceive(IMediaSample* pSample)
{
    BYTE* pData = nullptr;
    if (FAILED(pSample->GetPointer(&pData))) {
        return E_POINTER;
    }
    const int bytesPerSample = m_bFloatInput ? 4 : 2;
    std::int64_t total = pSample->GetActualDataLength() / bytesPerSample;
    total -= total % m_nChannels;
    const auto size = static_cast<std::int64_t>(m_ring.size());
    std::int64_t done = 0;
    while (done < total) {
        // Whole chunks of at most half the ring, so the device is never
        // starved while a large sample waits for all of its room.
        const std::int64_t chunk = std::min(total - done, size / 2 - (size / 2) % m_nChannels);
        if (!WaitForRoom(chunk)) {
            return S_FALSE;
        }
        const std::int64_t write = m_llWrite.load(std::memory_order_relaxed);
        for (std::int64_t i = 0; i < chunk; ++i) {
            float value = 0.0f;
            if (m_bFloatInput) {
                std::memcpy(&value, pData + (done + i) * 4, 4);
            } else {
                std::int16_t pcm = 0;
                std::memcpy(&pcm, pData + (done + i) * 2, 2);
                value = static_cast<float>(pcm) / 32768.0f;
            }
            m_ring[static_cast<std::size_t>((write + i) % size)] = value;
        }
        m_llWrite.store(write + chunk, std::memory_order_release);
        done += chunk;
    }
    return S_OK;
}

HRESULT CAudioRenderer::OnEndOfStream()
{
    m_bEnded.store(true, std::memory_order_release);
    // The end is reported once the last sample has been played.
    while (!m_bStopping.load(std::memory_order_relaxed)) {
        AdvanceSilently();
        if (Buffered() == 0) {
            return S_OK;
        }
        std::unique_lock lock(m_waitMutex);
        m_wake.wait_for(lock, kWaitSlice);
    }
    return S_OK;
}

// ---------------------------------------------------------------------------
// The clock

std::int64_t CAudioRenderer::PlayedFrames()
{
    AdvanceSilently();
    return m_llRead.load(std::memory_order_acquire) / std::max(1, m_nChannels);
}

HRESULT CAudioRenderer::GetTime(REFERENCE_TIME* pTime)
{
    if (pTime == nullptr) {
        return E_POINTER;
    }
    const int rate = SampleRate();
    *pTime = rate > 0 ? PlayedFrames() * UNITS / rate : 0;
    return S_OK;
}

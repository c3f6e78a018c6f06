#pragma once
// What the app plays: a graph of the file source, the plug-in's filter and
// the audio renderer, streamed by a thread of its own. The window's thread
// starts, pauses and stops it; the streaming thread only posts a message
// when the stream has played to its end.

#include "platform/media/FileFilters.h"
#include "platform/media/FilterGraph.h"
#include "platform/media/audio/AudioRenderer.h"
#include "platform/ui/WinUser.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

class CPlayback {
public:
    // `ended` is posted to `notify` (wParam: the push's HRESULT) when a
    // stream played to its end or failed.
    CPlayback(HWND notify, UINT ended);
    ~CPlayback();
    CPlayback(const CPlayback&) = delete;
    CPlayback& operator=(const CPlayback&) = delete;

    // A new graph for the file through `filter`, played with a device
    // buffer of `bufferMs` (0: the renderer's choice); the previous one is
    // stopped and taken apart first. Throws std::runtime_error saying why
    // the file cannot be played.
    void Open(const std::string& path, IBaseFilter* filter, int bufferMs, bool silent);
    // Takes the graph apart, so the filter can join another.
    void Close();
    bool IsOpen() const { return m_pGraph != nullptr; }

    void Play();
    void Pause();
    // Stops and rewinds.
    void Stop();
    FILTER_STATE State() const { return m_pGraph ? m_pGraph->GetState() : State_Stopped; }

    const CAudioFileInfo& Info() const { return m_pSource->Info(); }
    std::int64_t PositionFrames();
    std::int64_t LengthFrames() const { return m_pGraph ? m_pSource->Info().m_llFrames : 0; }
    int Underruns() const { return m_pRenderer ? m_pRenderer->Underruns() : 0; }
    // The output device for the status line.
    std::string DeviceText() const;

private:
    void JoinStreaming();

    HWND m_hNotify;
    UINT m_uEnded;
    CComPtr<CFileSource> m_pSource;
    CComPtr<CAudioRenderer> m_pRenderer;
    std::unique_ptr<CFilterGraph> m_pGraph;
    std::thread m_streaming;
    std::atomic<bool> m_bStreaming{false};
};

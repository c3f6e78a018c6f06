#include "Playback.h"

#include <algorithm>
#include <stdexcept>

CPlayback::CPlayback(HWND notify, UINT ended) : m_hNotify(notify), m_uEnded(ended) {}

CPlayback::~CPlayback()
{
    Close();
}

void CPlayback::Open(const std::string& path, IBaseFilter* filter, int bufferMs, bool silent)
{
    Close();
    CComPtr<CFileSource> source(new CFileSource);
    const HRESULT hrLoad = source->Load(path.c_str());
    if (hrLoad == STG_E_FILENOTFOUND) {
        throw std::runtime_error("there is no file " + path);
    }
    if (FAILED(hrLoad)) {
        throw std::runtime_error(path + " is not a sound file this program reads: " + source->LastError());
    }
    if (!source->Info().m_bPassThrough) {
        throw std::runtime_error(path + " is " + source->Info().Describe() +
                                 "; playback takes mono 16-bit or 32-bit float files (Export takes any)");
    }
    CComPtr<CAudioRenderer> renderer(new CAudioRenderer);
    renderer->SetDeviceBufferFrames(bufferMs * source->Info().m_nSampleRate / 1000);
    renderer->SetSilent(silent);
    auto graph = std::make_unique<CFilterGraph>();
    if (FAILED(graph->ConnectChain({source.Get(), filter, renderer.Get()}))) {
        throw std::runtime_error("the plug-in's filter does not take " + source->Info().Describe());
    }
    graph->SetSyncSource(renderer.Get());
    m_pSource = source;
    m_pRenderer = renderer;
    m_pGraph = std::move(graph);
}

void CPlayback::Close()
{
    if (!m_pGraph) {
        return;
    }
    Stop();
    m_pGraph.reset();
    m_pRenderer = CComPtr<CAudioRenderer>();
    m_pSource = CComPtr<CFileSource>();
}

void CPlayback::Play()
{
    if (!m_pGraph || State() == State_Running) {
        return;
    }
    if (State() == State_Paused && m_bStreaming.load()) {
        m_pGraph->Run();
        return;
    }
    JoinStreaming();
    m_bStreaming.store(true);
    // Run from stopped: the graph pauses every filter before it runs them.
    m_pGraph->Run();
    m_streaming = std::thread([this] {
        const HRESULT hr = m_pGraph->RunToCompletion();
        m_bStreaming.store(false);
        if (hr != S_FALSE) {
            PostMessageA(m_hNotify, m_uEnded, static_cast<WPARAM>(hr), 0);
        }
    });
}

void CPlayback::Pause()
{
    if (m_pGraph && State() == State_Running) {
        m_pGraph->Pause();
    }
}

void CPlayback::Stop()
{
    if (!m_pGraph) {
        return;
    }
    m_pGraph->Stop();
    JoinStreaming();
}

void CPlayback::JoinStreaming()
{
    if (m_streaming.joinable()) {
        m_streaming.join();
    }
}

std::int64_t CPlayback::PositionFrames()
{
    if (!m_pGraph || State() == State_Stopped) {
        return 0;
    }
    return std::min(m_pRenderer->PlayedFrames(), LengthFrames());
}

std::string CPlayback::DeviceText() const
{
    if (!m_pRenderer) {
        return {};
    }
    return m_pRenderer->DeviceDescription();
}

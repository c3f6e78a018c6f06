#include "job/SoundFilters.h"

#include <algorithm>
#include <cstring>

#include "job/JobError.h"
#include "job/PluginModule.h"

namespace job {

WAVEFORMATEX PathWaveFormat(ProcessingPath path, int sampleRate)
{
    const auto rate = static_cast<DWORD>(sampleRate);
    return path == ProcessingPath::Pcm16 ? MakeWaveFormat(WAVE_FORMAT_PCM, 1, rate, 16)
                                         : MakeWaveFormat(WAVE_FORMAT_IEEE_FLOAT, 1, rate, 32);
}

// ---------------------------------------------------------------------------

CChannelSource::CChannelSource(const WAVEFORMATEX& wfx, int nBlockFrames)
    : CPushSource("Channel source", nullptr, CLSID_ChannelSource), m_nBlockFrames(nBlockFrames)
{
    SetWaveFormat(wfx);
}

void CChannelSource::Feed(const BYTE* pData, int nFrames)
{
    m_pData = pData;
    m_nRemaining = nFrames;
}

HRESULT CChannelSource::FillBuffer(BYTE* pData, LONG cbMax, LONG* pcbFilled)
{
    const LONG frameBytes = WaveFormat().nBlockAlign;
    const int n = std::min(static_cast<int>(cbMax / frameBytes), m_nRemaining);
    if (n > 0)
        std::memcpy(pData, m_pData, static_cast<size_t>(n) * static_cast<size_t>(frameBytes));
    m_pData += static_cast<size_t>(n) * static_cast<size_t>(frameBytes);
    m_nRemaining -= n;
    *pcbFilled = n * frameBytes;
    return S_OK;
}

// ---------------------------------------------------------------------------

CChannelSink::CChannelSink(const WAVEFORMATEX& wfx)
    : CSinkFilter("Channel sink", nullptr, CLSID_ChannelSink), m_wfx(wfx)
{
}

void CChannelSink::Collect(BYTE* pData, int nFrames)
{
    m_pData = pData;
    m_nRoom = nFrames;
    m_nCollected = 0;
}

HRESULT CChannelSink::CheckMediaType(const CMediaType* pmt)
{
    WAVEFORMATEX wfx{};
    if (*pmt->Type() != MEDIATYPE_Audio || !GetWaveFormat(*pmt, &wfx))
        return S_FALSE;
    return wfx.wFormatTag == m_wfx.wFormatTag && wfx.nChannels == 1 && wfx.wBitsPerSample == m_wfx.wBitsPerSample
               ? S_OK
               : S_FALSE;
}

HRESULT CChannelSink::OnReceive(IMediaSample* pSample)
{
    BYTE* pData = nullptr;
    pSample->GetPointer(&pData);
    const int frames = pSample->GetActualDataLength() / m_wfx.nBlockAlign;
    // One sample out for every sample in: more than was handed over is a
    // fault of the filter's, not something to write past the buffer.
    if (frames > m_nRoom - m_nCollected)
        return E_FAIL;
    std::memcpy(m_pData + static_cast<size_t>(m_nCollected) * m_wfx.nBlockAlign, pData,
                static_cast<size_t>(frames) * m_wfx.nBlockAlign);
    m_nCollected += frames;
    return S_OK;
}

// ---------------------------------------------------------------------------

CChannelGraph::CChannelGraph(IBaseFilter* pFilter, ProcessingPath path, int sampleRate, int nBlockFrames)
{
    const WAVEFORMATEX wfx = PathWaveFormat(path, sampleRate);
    m_pSource = new CChannelSource(wfx, nBlockFrames);
    m_pSink = new CChannelSink(wfx);
    HRESULT hr = m_Graph.ConnectChain({m_pSource, pFilter, m_pSink});
    if (SUCCEEDED(hr))
        hr = m_Graph.Run();
    if (FAILED(hr))
        ThrowFailure(std::string("the plug-in's filter does not take mono ") +
                     (path == ProcessingPath::Pcm16 ? "16-bit PCM" : "32-bit float") + " at " +
                     std::to_string(sampleRate) + " Hz (" + FormatResult(hr) + ")");
}

CChannelGraph::~CChannelGraph()
{
    m_Graph.Stop();
}

void CChannelGraph::Process(const BYTE* pIn, int nFrames, BYTE* pOut)
{
    m_pSource->Feed(pIn, nFrames);
    m_pSink->Collect(pOut, nFrames);
    HRESULT hr = S_OK;
    while (!m_pSource->Drained() && hr == S_OK) {
        int delivered = 0;
        hr = m_Graph.Step(1, &delivered);
        if (hr == S_OK && delivered == 0)
            hr = S_FALSE;
    }
    if (hr == S_OK && FAILED(m_Graph.AbortResult()))
        hr = m_Graph.AbortResult();
    if (hr != S_OK || m_pSink->Collected() != nFrames)
        ThrowFailure("streaming through the plug-in's filter failed (" + FormatResult(hr == S_OK ? E_FAIL : hr) +
                     ")");
}

void CChannelGraph::Finish()
{
    m_pSource->Feed(nullptr, 0);
    HRESULT hr = m_Graph.Step(1);
    if (SUCCEEDED(hr) && FAILED(m_Graph.AbortResult()))
        hr = m_Graph.AbortResult();
    if (SUCCEEDED(hr) && !m_Graph.IsComplete())
        hr = E_FAIL;
    m_Graph.Stop();
    if (FAILED(hr))
        ThrowFailure("the plug-in's filter did not finish the stream (" + FormatResult(hr) + ")");
}

} // namespace job

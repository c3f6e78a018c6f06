#pragma once
// One channel's way through the plug-in's filter: a filter graph of a
// source that plays the samples it is handed, the filter, and a renderer
// that collects what comes out. The job hands each channel's samples over
// a stretch at a time and gets the same number back, so that channels can
// run side by side in graphs of their own and be interleaved again.
//
// The samples are mono 16-bit PCM or mono 32-bit float, the two formats the
// filter takes; a graph is used by one thread at a time.

#include <cstdint>
#include <vector>

#include "job/SoundFormat.h"
#include "platform/media/FilterGraph.h"
#include "platform/media/PushSource.h"
#include "platform/media/SinkFilter.h"

namespace job {

// {5B0C7E21-6A94-4F3D-8E15-2D7A90C4B613}
constexpr CLSID CLSID_ChannelSource = {
    0x5B0C7E21, 0x6A94, 0x4F3D, {0x8E, 0x15, 0x2D, 0x7A, 0x90, 0xC4, 0xB6, 0x13}};
// {5B0C7E22-6A94-4F3D-8E15-2D7A90C4B613}
constexpr CLSID CLSID_ChannelSink = {
    0x5B0C7E22, 0x6A94, 0x4F3D, {0x8E, 0x15, 0x2D, 0x7A, 0x90, 0xC4, 0xB6, 0x13}};

// The wave format a path hands to the plug-in: mono 16-bit PCM, or mono
// 32-bit float.
WAVEFORMATEX PathWaveFormat(ProcessingPath path, int sampleRate);

class CChannelSource : public CPushSource
{
public:
    CChannelSource(const WAVEFORMATEX& wfx, int nBlockFrames);

    // The next samples to deliver, nFrames of them at pData (which must stay
    // valid until they are delivered); 0 frames ends the stream at the next
    // delivery.
    void Feed(const BYTE* pData, int nFrames);
    bool Drained() const { return m_nRemaining == 0; }

protected:
    HRESULT FillBuffer(BYTE* pData, LONG cbMax, LONG* pcbFilled) override;
    LONG NextSampleFrames() override { return m_nBlockFrames; }
    LONG MaxSampleFrames() const override { return m_nBlockFrames; }
    // The stream can be played once: only a start before anything was
    // delivered succeeds.
    HRESULT Rewind() override { return FramesDelivered() == 0 ? S_OK : E_FAIL; }

private:
    const int m_nBlockFrames;
    const BYTE* m_pData = nullptr;
    int m_nRemaining = 0;
};

class CChannelSink : public CSinkFilter
{
public:
    explicit CChannelSink(const WAVEFORMATEX& wfx);

    // Where the next samples go, room for nFrames.
    void Collect(BYTE* pData, int nFrames);
    int Collected() const { return m_nCollected; }

protected:
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT OnReceive(IMediaSample* pSample) override;

private:
    const WAVEFORMATEX m_wfx;
    BYTE* m_pData = nullptr;
    int m_nRoom = 0;
    int m_nCollected = 0;
};

class CChannelGraph
{
public:
    // Connects source, filter and sink and runs the graph; throws a failure
    // when the filter refuses the format.
    CChannelGraph(IBaseFilter* pFilter, ProcessingPath path, int sampleRate, int nBlockFrames);
    ~CChannelGraph();
    CChannelGraph(const CChannelGraph&) = delete;
    CChannelGraph& operator=(const CChannelGraph&) = delete;

    // nFrames samples in, as many out (each 2 or 4 bytes as the path says).
    // Throws a failure when the graph does not return them all.
    void Process(const BYTE* pIn, int nFrames, BYTE* pOut);
    // Ends the stream and stops the graph; throws when it did not complete.
    void Finish();

private:
    CComPtr<CChannelSource> m_pSource;
    CComPtr<CChannelSink> m_pSink;
    CFilterGraph m_Graph;
};

} // namespace job

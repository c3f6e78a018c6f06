#pragma once
// The two ends of the tool's filter graph: a source that plays a sound file
// the way the direct path reads it, and a renderer that writes what reaches
// it the way the direct path writes. Both use the job's own reader and
// writer, so the graph keeps every container, the mixdown and the messages
// of the direct path.
//
// Errors from the file library cannot cross the graph as exceptions; each
// filter keeps the first one and the job throws it again once the graph has
// stopped.

#include <exception>
#include <mutex>

#include "job/SoundFormat.h"
#include "platform/media/PushSource.h"
#include "platform/media/SinkFilter.h"

namespace job {

class CLowPitchCheck;
class CSoundReader;
class CSoundWriter;

// {5B0C7E21-6A94-4F3D-8E15-2D7A90C4B613}
constexpr CLSID CLSID_SoundFileSource = {
    0x5B0C7E21, 0x6A94, 0x4F3D, {0x8E, 0x15, 0x2D, 0x7A, 0x90, 0xC4, 0xB6, 0x13}};
// {5B0C7E22-6A94-4F3D-8E15-2D7A90C4B613}
constexpr CLSID CLSID_SoundFileSink = {
    0x5B0C7E22, 0x6A94, 0x4F3D, {0x8E, 0x15, 0x2D, 0x7A, 0x90, 0xC4, 0xB6, 0x13}};

// The wave format a path hands to the plug-in: mono 16-bit PCM, or mono
// 32-bit float for the float and mixdown paths.
WAVEFORMATEX PathWaveFormat(ProcessingPath path, int sampleRate);

class CSoundFileSource : public CPushSource
{
public:
    // The reader must outlive the source.
    CSoundFileSource(CSoundReader& reader, ProcessingPath path, int nBlockFrames);

    // Rethrows what reading failed with, if anything did.
    void RethrowError();
    // Shows every frame read to the check (not owned; set before running).
    void SetPitchCheck(CLowPitchCheck* pCheck) { m_pPitchCheck = pCheck; }

protected:
    HRESULT FillBuffer(BYTE* pData, LONG cbMax, LONG* pcbFilled) override;
    LONG NextSampleFrames() override { return m_nBlockFrames; }
    LONG MaxSampleFrames() const override { return m_nBlockFrames; }
    // The file can be played once: only a start before anything was read
    // succeeds.
    HRESULT Rewind() override;

private:
    CSoundReader& m_Reader;
    const ProcessingPath m_ePath;
    const int m_nBlockFrames;
    std::vector<float> m_Interleaved;
    int64_t m_nFramesRead = 0;
    std::exception_ptr m_pError;
    CLowPitchCheck* m_pPitchCheck = nullptr;
};

class CSoundFileSink : public CSinkFilter
{
public:
    // The writer must outlive the sink; it takes the format of the path.
    CSoundFileSink(CSoundWriter& writer, ProcessingPath path);

    int64_t FramesWritten() const;
    void RethrowError();

protected:
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT OnReceive(IMediaSample* pSample) override;

private:
    CSoundWriter& m_Writer;
    const ProcessingPath m_ePath;
    mutable std::mutex m_Mutex;
    int64_t m_nFrames = 0;
    std::exception_ptr m_pError;
};

} // namespace job

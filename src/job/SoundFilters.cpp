#include "job/SoundFilters.h"

#include <cstring>

#include "job/CorrectionJob.h"
#include "job/PitchRange.h"
#include "job/SoundIo.h"

namespace job {

WAVEFORMATEX PathWaveFormat(ProcessingPath path, int sampleRate)
{
    const auto rate = static_cast<DWORD>(sampleRate);
    return path == ProcessingPath::Pcm16 ? MakeWaveFormat(WAVE_FORMAT_PCM, 1, rate, 16)
                                         : MakeWaveFormat(WAVE_FORMAT_IEEE_FLOAT, 1, rate, 32);
}

// ---------------------------------------------------------------------------

CSoundFileSource::CSoundFileSource(CSoundReader& reader, ProcessingPath path, int nBlockFrames)
    : CPushSource("Sound file source", nullptr, CLSID_SoundFileSource), m_Reader(reader), m_ePath(path),
      m_nBlockFrames(nBlockFrames)
{
    SetWaveFormat(PathWaveFormat(path, reader.Format().nSampleRate));
    const int channels = reader.Format().nChannels;
    if (path == ProcessingPath::Mixdown && channels > 1)
        m_Interleaved.resize(static_cast<size_t>(nBlockFrames) * static_cast<size_t>(channels));
}

HRESULT CSoundFileSource::FillBuffer(BYTE* pData, LONG cbMax, LONG* pcbFilled)
{
    *pcbFilled = 0;
    const LONG frameBytes = WaveFormat().nBlockAlign;
    const int wanted = static_cast<int>(std::min<LONG>(cbMax / frameBytes, m_nBlockFrames));
    try {
        int64_t got = 0;
        const int channels = m_Reader.Format().nChannels;
        if (m_ePath == ProcessingPath::Pcm16) {
            got = m_Reader.ReadPcm16(reinterpret_cast<int16_t*>(pData), wanted);
        } else if (m_ePath == ProcessingPath::Mixdown && channels > 1) {
            got = m_Reader.ReadFloat(m_Interleaved.data(), wanted);
            AverageChannels(m_Interleaved.data(), static_cast<int>(got), channels, reinterpret_cast<float*>(pData));
        } else {
            got = m_Reader.ReadFloat(reinterpret_cast<float*>(pData), wanted);
        }
        if (m_pPitchCheck != nullptr) {
            if (m_ePath == ProcessingPath::Pcm16)
                m_pPitchCheck->Add(reinterpret_cast<const int16_t*>(pData), static_cast<int>(got));
            else
                m_pPitchCheck->Add(reinterpret_cast<const float*>(pData), static_cast<int>(got));
        }
        m_nFramesRead += got;
        *pcbFilled = static_cast<LONG>(got) * frameBytes;
        return S_OK;
    } catch (...) {
        m_pError = std::current_exception();
        return E_FAIL;
    }
}

HRESULT CSoundFileSource::Rewind()
{
    return m_nFramesRead == 0 ? S_OK : E_FAIL;
}

void CSoundFileSource::RethrowError()
{
    if (m_pError)
        std::rethrow_exception(m_pError);
}

// ---------------------------------------------------------------------------

CSoundFileSink::CSoundFileSink(CSoundWriter& writer, ProcessingPath path)
    : CSinkFilter("Sound file writer", nullptr, CLSID_SoundFileSink), m_Writer(writer), m_ePath(path)
{
}

HRESULT CSoundFileSink::CheckMediaType(const CMediaType* pmt)
{
    WAVEFORMATEX wfx{};
    if (*pmt->Type() != MEDIATYPE_Audio || !GetWaveFormat(*pmt, &wfx))
        return S_FALSE;
    const WAVEFORMATEX expected = PathWaveFormat(m_ePath, static_cast<int>(wfx.nSamplesPerSec));
    return wfx.wFormatTag == expected.wFormatTag && wfx.nChannels == 1 &&
                   wfx.wBitsPerSample == expected.wBitsPerSample
               ? S_OK
               : S_FALSE;
}

HRESULT CSoundFileSink::OnReceive(IMediaSample* pSample)
{
    std::lock_guard lock(m_Mutex);
    if (m_pError)
        return E_FAIL;
    BYTE* pData = nullptr;
    pSample->GetPointer(&pData);
    const bool pcm = m_ePath == ProcessingPath::Pcm16;
    const int64_t frames = pSample->GetActualDataLength() / (pcm ? 2 : 4);
    try {
        if (pcm)
            m_Writer.WritePcm16(reinterpret_cast<const int16_t*>(pData), frames);
        else
            m_Writer.WriteFloat(reinterpret_cast<const float*>(pData), frames);
        m_nFrames += frames;
        return S_OK;
    } catch (...) {
        m_pError = std::current_exception();
        return E_FAIL;
    }
}

int64_t CSoundFileSink::FramesWritten() const
{
    std::lock_guard lock(m_Mutex);
    return m_nFrames;
}

void CSoundFileSink::RethrowError()
{
    std::lock_guard lock(m_Mutex);
    if (m_pError)
        std::rethrow_exception(m_pError);
}

} // namespace job

#include "platform/media/FileFilters.h"

#include <sndfile.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::atomic<unsigned> g_nTempCounter{0};

bool IsWritableFormat(const WAVEFORMATEX& wfx)
{
    return wfx.nChannels >= 1 && wfx.nSamplesPerSec >= 1 &&
           ((wfx.wFormatTag == WAVE_FORMAT_PCM && wfx.wBitsPerSample == 16) ||
            (wfx.wFormatTag == WAVE_FORMAT_IEEE_FLOAT && wfx.wBitsPerSample == 32));
}

} // namespace

CFileWriter::CFileWriter(const char* pszTarget)
    : CSinkFilter("File writer", nullptr, CLSID_FileWriter), m_strTarget(pszTarget != nullptr ? pszTarget : "")
{
}

CFileWriter::~CFileWriter()
{
    std::lock_guard lock(m_mutex);
    Discard();
}

bool CFileWriter::Completed() const
{
    std::lock_guard lock(m_mutex);
    return m_bCompleted;
}

HRESULT CFileWriter::Result() const
{
    std::lock_guard lock(m_mutex);
    return m_hrResult;
}

std::string CFileWriter::LastError() const
{
    std::lock_guard lock(m_mutex);
    return m_strError;
}

LONGLONG CFileWriter::FramesWritten() const
{
    std::lock_guard lock(m_mutex);
    return m_llFrames;
}

HRESULT CFileWriter::CheckMediaType(const CMediaType* pmt)
{
    WAVEFORMATEX wfx{};
    if (*pmt->Type() != MEDIATYPE_Audio || *pmt->FormatType() != FORMAT_WaveFormatEx || !GetWaveFormat(*pmt, &wfx)) {
        return S_FALSE;
    }
    return IsWritableFormat(wfx) ? S_OK : S_FALSE;
}

// Called with m_mutex held.
HRESULT CFileWriter::Fail(HRESULT hr, const std::string& strWhy)
{
    if (SUCCEEDED(m_hrResult)) {
        m_hrResult = hr;
        m_strError = strWhy;
    }
    Discard();
    return hr;
}

// Called with m_mutex held.
void CFileWriter::Discard()
{
    if (m_pFile != nullptr) {
        sf_close(m_pFile);
        m_pFile = nullptr;
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_strTemp.empty()) {
        ::unlink(m_strTemp.c_str());
        m_strTemp.clear();
    }
}

HRESULT CFileWriter::OnStartStreaming()
{
    std::lock_guard lock(m_mutex);
    Discard();
    m_bCompleted = false;
    m_hrResult = S_OK;
    m_strError.clear();
    m_llFrames = 0;

    CMediaType mt = ConnectionType();
    if (!mt.IsValid()) {
        // Nothing is connected, so nothing will be written.
        return S_OK;
    }
    if (!GetWaveFormat(mt, &m_wfx) || !IsWritableFormat(m_wfx)) {
        return Fail(VFW_E_TYPE_NOT_ACCEPTED, "unsupported format for a WAV file");
    }
    // The temporary file sits beside the target so that the final rename
    // stays on one file system and is atomic.
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".part-%ld-%u", static_cast<long>(::getpid()),
                      g_nTempCounter.fetch_add(1, std::memory_order_relaxed));
        m_strTemp = m_strTarget + suffix;
        m_fd = ::open(m_strTemp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (m_fd < 0) {
        const std::string why = "cannot create \"" + m_strTemp + "\": " + std::strerror(errno);
        m_strTemp.clear();
        return Fail(STG_E_ACCESSDENIED, why);
    }
    SF_INFO info{};
    info.samplerate = static_cast<int>(m_wfx.nSamplesPerSec);
    info.channels = m_wfx.nChannels;
    info.format = SF_FORMAT_WAV | (m_wfx.wFormatTag == WAVE_FORMAT_PCM ? SF_FORMAT_PCM_16 : SF_FORMAT_FLOAT);
    m_pFile = sf_open_fd(m_fd, SFM_WRITE, &info, SF_FALSE);
    if (m_pFile == nullptr) {
        return Fail(STG_E_WRITEFAULT, std::string("cannot start the WAV file: ") + sf_strerror(nullptr));
    }
    return S_OK;
}

HRESULT CFileWriter::OnReceive(IMediaSample* pSample)
{
    std::lock_guard lock(m_mutex);
    if (m_pFile == nullptr) {
        return FAILED(m_hrResult) ? m_hrResult : E_UNEXPECTED;
    }
    BYTE* pData = nullptr;
    pSample->GetPointer(&pData);
    const sf_count_t frames = pSample->GetActualDataLength() / m_wfx.nBlockAlign;
    if (frames <= 0) {
        return S_OK;
    }
    const sf_count_t written = m_wfx.wFormatTag == WAVE_FORMAT_PCM
                                   ? sf_writef_short(m_pFile, reinterpret_cast<const short*>(pData), frames)
                                   : sf_writef_float(m_pFile, reinterpret_cast<const float*>(pData), frames);
    if (written != frames) {
        return Fail(STG_E_WRITEFAULT, std::string("writing \"") + m_strTemp + "\" failed: " + sf_strerror(m_pFile));
    }
    m_llFrames += written;
    return S_OK;
}

HRESULT CFileWriter::OnEndOfStream()
{
    std::lock_guard lock(m_mutex);
    if (m_pFile == nullptr) {
        return FAILED(m_hrResult) ? m_hrResult : S_OK;
    }
    // Closing writes the final header; the data must be on disk before the
    // rename makes it visible under the target's name.
    const int closeError = sf_close(m_pFile);
    m_pFile = nullptr;
    if (closeError != 0) {
        return Fail(STG_E_WRITEFAULT, std::string("finishing \"") + m_strTemp + "\" failed: " +
                                          sf_error_number(closeError));
    }
    if (::fsync(m_fd) != 0 || ::close(m_fd) != 0) {
        m_fd = -1;
        return Fail(STG_E_WRITEFAULT, "flushing \"" + m_strTemp + "\" failed: " + std::strerror(errno));
    }
    m_fd = -1;
    if (std::rename(m_strTemp.c_str(), m_strTarget.c_str()) != 0) {
        return Fail(STG_E_ACCESSDENIED, "cannot replace \"" + m_strTarget + "\": " + std::strerror(errno));
    }
    m_strTemp.clear();
    m_bCompleted = true;
    return S_OK;
}

void CFileWriter::OnStopStreaming()
{
    std::lock_guard lock(m_mutex);
    // Still open here means the stream never finished.
    Discard();
}

#include "platform/media/FileFilters.h"

#include <sndfile.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/stat.h>

namespace {

std::string FormatName(int format)
{
    SF_FORMAT_INFO info{};
    info.format = format;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name != nullptr) {
        return info.name;
    }
    return "unknown";
}

// How the source delivers an encoding: tag and sample width.
void DeliveredFormat(int encoding, WORD* pTag, WORD* pBits)
{
    switch (encoding) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_DPCM_8:
        *pTag = WAVE_FORMAT_PCM;
        *pBits = 8;
        return;
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_DWVW_16:
    case SF_FORMAT_DPCM_16:
    case SF_FORMAT_ALAC_16:
        *pTag = WAVE_FORMAT_PCM;
        *pBits = 16;
        return;
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_DWVW_24:
    case SF_FORMAT_ALAC_20:
    case SF_FORMAT_ALAC_24:
        *pTag = WAVE_FORMAT_PCM;
        *pBits = 24;
        return;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_ALAC_32:
        *pTag = WAVE_FORMAT_PCM;
        *pBits = 32;
        return;
    case SF_FORMAT_DOUBLE:
        *pTag = WAVE_FORMAT_IEEE_FLOAT;
        *pBits = 64;
        return;
    default:
        // Float data, and every compressed encoding, which the library
        // decodes to float.
        *pTag = WAVE_FORMAT_IEEE_FLOAT;
        *pBits = 32;
        return;
    }
}

} // namespace

std::string CAudioFileInfo::Describe() const
{
    char text[64];
    std::snprintf(text, sizeof text, "%d %s, %d Hz, ", m_nChannels, m_nChannels == 1 ? "channel" : "channels",
                  m_nSampleRate);
    return text + m_strEncoding;
}

// ---------------------------------------------------------------------------

CFileSource::CFileSource() : CPushSource("File source", nullptr, CLSID_FileSource) {}

CFileSource::~CFileSource()
{
    Close();
}

void CFileSource::Close()
{
    if (m_pFile != nullptr) {
        sf_close(m_pFile);
        m_pFile = nullptr;
    }
}

std::string CFileSource::LastError() const
{
    return m_strError;
}

void CFileSource::SetFramesPerSample(LONG nFrames)
{
    CAutoLock lock(&m_csFilter);
    m_nFramesPerSample = nFrames > 0 ? nFrames : 4096;
}

HRESULT CFileSource::Load(const char* pszPath)
{
    if (pszPath == nullptr) {
        return E_POINTER;
    }
    CAutoLock lock(&m_csFilter);
    if (!IsStopped() || GetPin(0) == nullptr || GetPin(0)->IsConnected()) {
        return VFW_E_WRONG_STATE;
    }
    Close();
    m_info = CAudioFileInfo{};
    m_strError.clear();

    struct stat st {};
    if (::stat(pszPath, &st) != 0) {
        m_strError = std::string("cannot open \"") + pszPath + "\": " + std::strerror(errno);
        return STG_E_FILENOTFOUND;
    }
    SF_INFO sfinfo{};
    SNDFILE* pFile = sf_open(pszPath, SFM_READ, &sfinfo);
    if (pFile == nullptr) {
        m_strError = std::string("cannot read \"") + pszPath + "\" as audio: " + sf_strerror(nullptr);
        return VFW_E_INVALIDMEDIATYPE;
    }
    if (sfinfo.channels < 1 || sfinfo.channels > 0xFFFF || sfinfo.samplerate < 1) {
        sf_close(pFile);
        m_strError = std::string("\"") + pszPath + "\" has no usable audio";
        return VFW_E_INVALIDMEDIATYPE;
    }
    m_pFile = pFile;
    m_info.m_strPath = pszPath;
    m_info.m_nChannels = sfinfo.channels;
    m_info.m_nSampleRate = sfinfo.samplerate;
    m_info.m_llFrames = sfinfo.frames;
    m_info.m_strContainer = FormatName(sfinfo.format & SF_FORMAT_TYPEMASK);
    m_info.m_strEncoding = FormatName(sfinfo.format & SF_FORMAT_SUBMASK);
    WORD tag = 0;
    WORD bits = 0;
    DeliveredFormat(sfinfo.format & SF_FORMAT_SUBMASK, &tag, &bits);
    m_info.m_wfx = MakeWaveFormat(tag, static_cast<WORD>(sfinfo.channels), static_cast<DWORD>(sfinfo.samplerate),
                                  bits);
    m_info.m_bPassThrough = sfinfo.channels == 1 && ((tag == WAVE_FORMAT_PCM && bits == 16) ||
                                                     (tag == WAVE_FORMAT_IEEE_FLOAT && bits == 32));
    SetWaveFormat(m_info.m_wfx);
    return S_OK;
}

HRESULT CFileSource::Rewind()
{
    if (m_pFile == nullptr) {
        return VFW_E_NOT_CONNECTED;
    }
    return sf_seek(m_pFile, 0, SEEK_SET) < 0 ? E_FAIL : S_OK;
}

HRESULT CFileSource::FillBuffer(BYTE* pData, LONG cbMax, LONG* pcbFilled)
{
    *pcbFilled = 0;
    if (m_pFile == nullptr) {
        return E_UNEXPECTED;
    }
    const WAVEFORMATEX& wfx = m_info.m_wfx;
    const sf_count_t frames = cbMax / wfx.nBlockAlign;
    if (frames <= 0) {
        return S_OK;
    }
    const int channels = wfx.nChannels;
    sf_count_t got = 0;
    if (wfx.wFormatTag == WAVE_FORMAT_IEEE_FLOAT) {
        got = wfx.wBitsPerSample == 64 ? sf_readf_double(m_pFile, reinterpret_cast<double*>(pData), frames)
                                       : sf_readf_float(m_pFile, reinterpret_cast<float*>(pData), frames);
    } else if (wfx.wBitsPerSample == 16) {
        got = sf_readf_short(m_pFile, reinterpret_cast<short*>(pData), frames);
    } else if (wfx.wBitsPerSample == 32) {
        got = sf_readf_int(m_pFile, reinterpret_cast<int*>(pData), frames);
    } else {
        // 8- and 24-bit samples are read at full 32-bit scale and narrowed:
        // the top byte (offset to unsigned, as 8-bit wave data is) or the
        // top three bytes, little-endian.
        std::vector<int> wide(static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels));
        got = sf_readf_int(m_pFile, wide.data(), frames);
        const std::size_t count = static_cast<std::size_t>(got) * static_cast<std::size_t>(channels);
        for (std::size_t i = 0; i < count; ++i) {
            const auto value = static_cast<std::uint32_t>(wide[i]);
            if (wfx.wBitsPerSample == 8) {
                pData[i] = static_cast<BYTE>((value >> 24) ^ 0x80u);
            } else {
                pData[3 * i] = static_cast<BYTE>(value >> 8);
                pData[3 * i + 1] = static_cast<BYTE>(value >> 16);
                pData[3 * i + 2] = static_cast<BYTE>(value >> 24);
            }
        }
    }
    if (got < 0) {
        return E_FAIL;
    }
    if (got == 0 && sf_error(m_pFile) != SF_ERR_NO_ERROR) {
        m_strError = sf_strerror(m_pFile);
        return STG_E_READFAULT;
    }
    *pcbFilled = static_cast<LONG>(got * wfx.nBlockAlign);
    return S_OK;
}

#include "job/SoundIo.h"

#include <sndfile.h>

#include "job/JobError.h"

namespace job {

namespace {

// libsndfile's texts are one sentence; keep them to one line whatever
// version is installed.
std::string OneLine(const char* text)
{
    std::string line = text ? text : "unknown error";
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    while (!line.empty() && (line.back() == ' ' || line.back() == '.'))
        line.pop_back();
    return line;
}

} // namespace

CSoundReader::CSoundReader(const std::string& path) : m_sPath(path)
{
    SF_INFO info{};
    m_pFile = sf_open(path.c_str(), SFM_READ, &info);
    if (!m_pFile)
        ThrowFailure("cannot read " + path + " as a sound file: " + OneLine(sf_strerror(nullptr)));
    m_Format.nChannels = info.channels;
    m_Format.nFormat = info.format;
    m_Format.nSampleRate = info.samplerate;
    m_Format.nFrames = info.frames;
    if (info.channels < 1 || info.samplerate < 1)
        ThrowFailure(path + " has no usable channels or sample rate");
}

CSoundReader::~CSoundReader()
{
    if (m_pFile)
        sf_close(m_pFile);
}

void CSoundReader::CheckRead(int64_t nGot, int64_t nAsked)
{
    // A short read is the end of the file, unless the library saw an error.
    if (nGot < nAsked && sf_error(m_pFile) != SF_ERR_NO_ERROR)
        ThrowFailure("cannot read " + m_sPath + ": " + OneLine(sf_strerror(m_pFile)));
}

int64_t CSoundReader::ReadPcm16(int16_t* pFrames, int64_t nFrames)
{
    const int64_t got = sf_readf_short(m_pFile, pFrames, nFrames);
    CheckRead(got, nFrames);
    return got;
}

int64_t CSoundReader::ReadFloat(float* pFrames, int64_t nFrames)
{
    const int64_t got = sf_readf_float(m_pFile, pFrames, nFrames);
    CheckRead(got, nFrames);
    return got;
}

CSoundWriter::CSoundWriter(int fd, const std::string& displayPath, int format, int sampleRate)
    : m_sPath(displayPath)
{
    SF_INFO info{};
    info.channels = 1;
    info.samplerate = sampleRate;
    info.format = format;
    m_pFile = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
    if (!m_pFile)
        ThrowFailure("cannot write " + displayPath + ": " + OneLine(sf_strerror(nullptr)));
}

CSoundWriter::~CSoundWriter()
{
    if (m_pFile)
        sf_close(m_pFile);
}

void CSoundWriter::CheckWrite(int64_t nWritten, int64_t nCount)
{
    if (nWritten != nCount)
        ThrowFailure("cannot write " + m_sPath + ": " + OneLine(sf_strerror(m_pFile)));
}

void CSoundWriter::WritePcm16(const int16_t* pSamples, int64_t nCount)
{
    CheckWrite(sf_write_short(m_pFile, pSamples, nCount), nCount);
}

void CSoundWriter::WriteFloat(const float* pSamples, int64_t nCount)
{
    CheckWrite(sf_write_float(m_pFile, pSamples, nCount), nCount);
}

void CSoundWriter::Close()
{
    sf_private_tag* file = m_pFile;
    m_pFile = nullptr;
    // sf_close rewrites the header with the final length; its result is the
    // only sign of a failed final write.
    if (sf_close(file) != 0)
        ThrowFailure("cannot finish " + m_sPath + ": " + OneLine(sf_strerror(nullptr)));
}

} // namespace job

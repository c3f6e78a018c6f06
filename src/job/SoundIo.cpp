#include "job/SoundIo.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/SampleConversion.h"
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
    sf_private_tag* file = sf_open(path.c_str(), SFM_READ, &info);
    Adopt(file, info.channels, info.format, info.samplerate, info.frames);
}

CSoundReader::CSoundReader(int fd, const std::string& displayName) : m_sPath(displayName)
{
    SF_INFO info{};
    sf_private_tag* file = sf_open_fd(fd, SFM_READ, &info, SF_FALSE);
    Adopt(file, info.channels, info.format, info.samplerate, info.frames);
}

CSoundReader::CSoundReader(const void* pData, int64_t nSize, const std::string& displayName)
    : m_sPath(displayName)
{
    m_Memory.pData = static_cast<const unsigned char*>(pData);
    m_Memory.nSize = nSize > 0 ? nSize : 0;
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* user) -> sf_count_t { return static_cast<MemoryFile*>(user)->nSize; };
    io.seek = [](sf_count_t offset, int whence, void* user) -> sf_count_t {
        auto* file = static_cast<MemoryFile*>(user);
        const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? file->nPosition : file->nSize;
        if ((whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) ||
            (offset > 0 && base > INT64_MAX - offset) || base + offset < 0)
            return -1;
        file->nPosition = base + offset;
        return file->nPosition;
    };
    io.read = [](void* ptr, sf_count_t count, void* user) -> sf_count_t {
        auto* file = static_cast<MemoryFile*>(user);
        if (count <= 0 || file->nPosition >= file->nSize)
            return 0;
        const sf_count_t n = std::min(count, file->nSize - file->nPosition);
        std::memcpy(ptr, file->pData + file->nPosition, static_cast<size_t>(n));
        file->nPosition += n;
        return n;
    };
    io.write = [](const void*, sf_count_t, void*) -> sf_count_t { return 0; };
    io.tell = [](void* user) -> sf_count_t { return static_cast<MemoryFile*>(user)->nPosition; };
    SF_INFO info{};
    sf_private_tag* file = sf_open_virtual(&io, SFM_READ, &info, &m_Memory);
    Adopt(file, info.channels, info.format, info.samplerate, info.frames);
}

void CSoundReader::Adopt(sf_private_tag* pFile, int nChannels, int nFormat, int nSampleRate, int64_t nFrames)
{
    m_pFile = pFile;
    if (!m_pFile)
        ThrowFailure("cannot read " + m_sPath + " as a sound file: " + OneLine(sf_strerror(nullptr)));
    m_Format.nChannels = nChannels;
    m_Format.nFormat = nFormat;
    m_Format.nSampleRate = nSampleRate;
    m_Format.nFrames = nFrames;
    if (nChannels < 1 || nSampleRate < 1) {
        // The destructor does not run for a constructor that throws.
        sf_close(m_pFile);
        m_pFile = nullptr;
        ThrowFailure(m_sPath + " has no usable channels or sample rate");
    }
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

CSoundWriter::CSoundWriter(int fd, const std::string& displayPath, int format, int sampleRate, int nChannels)
    : m_sPath(displayPath), m_nFd(fd), m_nFormat(format), m_nChannels(nChannels)
{
    SF_INFO info{};
    info.channels = nChannels;
    info.samplerate = sampleRate;
    info.format = format;
    m_pFile = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
    if (!m_pFile)
        ThrowFailure("cannot write " + displayPath + ": " + OneLine(sf_strerror(nullptr)));
    sf_command(m_pFile, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // A float file's peak chunk carries the time it was written: without
    // it, the same input and settings give the same bytes.
    sf_command(m_pFile, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
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

void CSoundWriter::WritePcm16(const int16_t* pFrames, int64_t nFrames)
{
    CheckWrite(sf_writef_short(m_pFile, pFrames, nFrames), nFrames);
}

void CSoundWriter::WriteFloat(const float* pFrames, int64_t nFrames)
{
    if ((m_nFormat & SF_FORMAT_SUBMASK) != SF_FORMAT_PCM_16) {
        CheckWrite(sf_writef_float(m_pFile, pFrames, nFrames), nFrames);
        return;
    }
    const size_t n = static_cast<size_t>(nFrames) * static_cast<size_t>(m_nChannels);
    m_Converted.resize(n);
    for (size_t i = 0; i < n; ++i)
        m_Converted[i] = FloatToPcm16(pFrames[i]);
    WritePcm16(m_Converted.data(), nFrames);
}

void CSoundWriter::Close()
{
    sf_private_tag* file = m_pFile;
    m_pFile = nullptr;
    // sf_close rewrites the header with the final length; its result is the
    // only sign of a failed final write.
    if (sf_close(file) != 0)
        ThrowFailure("cannot finish " + m_sPath + ": " + OneLine(sf_strerror(nullptr)));
    if ((m_nFormat & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV && !WidenFloatWaveFormatChunk(m_nFd))
        ThrowFailure("cannot finish " + m_sPath + ": " + std::strerror(errno));
}

bool WidenFloatWaveFormatChunk(int fd)
{
    auto readAt = [fd](void* p, size_t n, off_t at) { return ::pread(fd, p, n, at) == static_cast<ssize_t>(n); };
    auto writeAt = [fd](const void* p, size_t n, off_t at) {
        return ::pwrite(fd, p, n, at) == static_cast<ssize_t>(n);
    };
    auto le32 = [](const unsigned char* p) {
        return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
               static_cast<uint32_t>(p[3]) << 24;
    };
    struct stat st{};
    unsigned char riff[12];
    if (::fstat(fd, &st) != 0 || !readAt(riff, sizeof riff, 0))
        return false;
    if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
        return true;

    // The format chunk, wherever it is.
    off_t at = 12;
    unsigned char chunk[10];
    for (;;) {
        if (at + 10 > st.st_size || !readAt(chunk, sizeof chunk, at))
            return true;
        if (std::memcmp(chunk, "fmt ", 4) == 0)
            break;
        at += 8 + static_cast<off_t>(le32(chunk + 4)) + (le32(chunk + 4) & 1);
    }
    constexpr uint16_t kFloatTag = 3;
    if (le32(chunk + 4) != 16 || (chunk[8] | chunk[9] << 8) != kFloatTag)
        return true;

    // Everything after the chunk's 16 bytes moves up by two, from the end.
    const off_t insert = at + 8 + 16;
    std::vector<unsigned char> block(1 << 16);
    for (off_t end = st.st_size; end > insert;) {
        const off_t start = std::max(insert, end - static_cast<off_t>(block.size()));
        const size_t n = static_cast<size_t>(end - start);
        if (!readAt(block.data(), n, start) || !writeAt(block.data(), n, start + 2))
            return false;
        end = start;
    }
    const unsigned char extensionSize[2] = {0, 0};
    const unsigned char chunkSize[4] = {18, 0, 0, 0};
    const uint32_t riffSize = le32(riff + 4) + 2;
    const unsigned char newRiffSize[4] = {static_cast<unsigned char>(riffSize), static_cast<unsigned char>(riffSize >> 8),
                                          static_cast<unsigned char>(riffSize >> 16),
                                          static_cast<unsigned char>(riffSize >> 24)};
    return writeAt(extensionSize, 2, insert) && writeAt(chunkSize, 4, at + 4) && writeAt(newRiffSize, 4, 4);
}

} // namespace job

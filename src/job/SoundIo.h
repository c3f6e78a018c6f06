#pragma once
// Owning wrappers around libsndfile handles, so that every early exit of a
// job closes what it opened. Errors throw CJobError with the file named.

#include <cstdint>
#include <string>
#include <vector>

#include "job/SoundFormat.h"

struct sf_private_tag;

namespace job {

class CSoundReader
{
public:
    explicit CSoundReader(const std::string& path);
    // An open file (which stays open and must outlive the reader);
    // displayName stands for it in messages.
    CSoundReader(int fd, const std::string& displayName);
    // A whole sound file held in memory, which must outlive the reader;
    // displayName stands for the file in messages.
    CSoundReader(const void* pData, int64_t nSize, const std::string& displayName);
    ~CSoundReader();
    CSoundReader(const CSoundReader&) = delete;
    CSoundReader& operator=(const CSoundReader&) = delete;

    const SoundFormat& Format() const { return m_Format; }

    // Interleaved frames; fewer than asked only at the end of the file.
    int64_t ReadPcm16(int16_t* pFrames, int64_t nFrames);
    // Integer encodings come back scaled to +-1.0.
    int64_t ReadFloat(float* pFrames, int64_t nFrames);

private:
    struct MemoryFile
    {
        const unsigned char* pData = nullptr;
        int64_t nSize = 0;
        int64_t nPosition = 0;
    };

    // Takes the freshly opened file (null when opening failed).
    void Adopt(sf_private_tag* pFile, int nChannels, int nFormat, int nSampleRate, int64_t nFrames);
    void CheckRead(int64_t nGot, int64_t nAsked);

    std::string m_sPath;
    sf_private_tag* m_pFile = nullptr;
    SoundFormat m_Format;
    MemoryFile m_Memory;
};

class CSoundWriter
{
public:
    // Writes into an open descriptor, which stays open (the caller flushes
    // and renames it); displayPath is for messages. Float samples beyond
    // full scale are clipped, never wrapped, on their way to integers, and
    // nothing in the file depends on when it was written.
    CSoundWriter(int fd, const std::string& displayPath, int format, int sampleRate, int nChannels = 1);
    ~CSoundWriter();
    CSoundWriter(const CSoundWriter&) = delete;
    CSoundWriter& operator=(const CSoundWriter&) = delete;

    // Interleaved frames.
    void WritePcm16(const int16_t* pFrames, int64_t nFrames);
    // Into a 16-bit file as the filter's own 16-bit path converts (scaled
    // by 32768, truncated, clamped), so every 16-bit output the tool makes
    // comes out the same way; other encodings by the file library.
    void WriteFloat(const float* pFrames, int64_t nFrames);
    // Completes the header. The writer is unusable afterwards.
    void Close();

private:
    void CheckWrite(int64_t nWritten, int64_t nCount);

    std::string m_sPath;
    sf_private_tag* m_pFile = nullptr;
    int m_nFd = -1;
    int m_nFormat = 0;
    int m_nChannels = 1;
    std::vector<int16_t> m_Converted;
};

// libsndfile gives a float WAV file a 16-byte format chunk; the format's
// rule for data other than integer PCM asks for the 18-byte form that ends
// in the size of an extension (0), and readers that follow the rule (sox
// among them) complain without it. Widens that chunk in place in the
// finished file behind fd; any other file is left as it is. Returns false
// when the file could not be read or rewritten.
bool WidenFloatWaveFormatChunk(int fd);

} // namespace job

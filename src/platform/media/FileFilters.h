#pragma once

// An audio file source over libsndfile: how a program plays a file
// through a graph.

#include "platform/media/PushSource.h"
#include "platform/media/SinkFilter.h"

#include <mutex>
#include <string>

struct sf_private_tag;

// {8F0E5C33-2B4D-4E6A-9C7B-3D1A0F6E2B51}
constexpr CLSID CLSID_FileSource = {
    0x8F0E5C33, 0x2B4D, 0x4E6A, {0x9C, 0x7B, 0x3D, 0x1A, 0x0F, 0x6E, 0x2B, 0x51}};
// What an audio file holds, as far as streaming it is concerned.
struct CAudioFileInfo {
    std::string m_strPath;
    int m_nChannels = 0;
    int m_nSampleRate = 0;
    LONGLONG m_llFrames = 0;
    // The container and the encoding as the file library names them,
    // e.g. "Signed 16 bit PCM" for the encoding.
    std::string m_strContainer;
    std::string m_strEncoding;
    // The samples as the source delivers them. Integer PCM encodings keep
    // their width (8, 16, 24 or 32 bits), float and double stay 32- and
    // 64-bit float, and compressed encodings are decoded to 32-bit float.
    WAVEFORMATEX m_wfx{};
    // Mono 16-bit PCM or mono 32-bit float: what an audio transform that
    // takes only those can be fed without conversion.
    bool m_bPassThrough = false;

    // One line for messages, e.g. "2 channels, 48000 Hz, Signed 24 bit PCM".
    std::string Describe() const;
};

class CFileSource : public CPushSource {
public:
    CFileSource();
    ~CFileSource() override;

    // Opens the file and reads its format. STG_E_FILENOTFOUND when it does
    // not exist, VFW_E_INVALIDMEDIATYPE when it is not audio the library
    // can read (LastError says why). Only while stopped and unconnected.
    HRESULT Load(const char* pszPath);
    const CAudioFileInfo& Info() const { return m_info; }
    std::string LastError() const;

    // Frames per media sample (4096 by default); set before streaming.
    void SetFramesPerSample(LONG nFrames);

protected:
    HRESULT FillBuffer(BYTE* pData, LONG cbMax, LONG* pcbFilled) override;
    LONG NextSampleFrames() override { return m_nFramesPerSample; }
    LONG MaxSampleFrames() const override { return m_nFramesPerSample; }
    HRESULT Rewind() override;

private:
    void Close();

    sf_private_tag* m_pFile = nullptr;
    CAudioFileInfo m_info;
    LONG m_nFramesPerSample = 4096;
    std::string m_strError;
};

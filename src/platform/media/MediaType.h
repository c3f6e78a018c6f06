#pragma once

// Media types: what flows on a connection between two pins. For audio the
// format block is a WAVEFORMATEX.

#include "platform/com/Com.h"

// ---------------------------------------------------------------------------
// Wave formats

inline constexpr WORD WAVE_FORMAT_PCM = 1;
inline constexpr WORD WAVE_FORMAT_IEEE_FLOAT = 3;

// Packed so that it occupies exactly the 18 bytes of the stored layout.
#pragma pack(push, 1)
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);

// The fields of the 16-byte base format; without cbSize.
inline constexpr ULONG kWaveFormatBaseSize = 16;

// A complete format: block alignment and byte rate follow from the rest.
WAVEFORMATEX MakeWaveFormat(WORD wFormatTag, WORD nChannels, DWORD nSamplesPerSec, WORD wBitsPerSample);

// ---------------------------------------------------------------------------
// Type identifiers

// 'auds'
constexpr GUID MEDIATYPE_Audio = {0x73647561, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr GUID MEDIASUBTYPE_PCM = {0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr GUID MEDIASUBTYPE_IEEE_FLOAT = {
    0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr GUID FORMAT_WaveFormatEx = {0x05589F81, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
constexpr GUID FORMAT_None = {0x0F6417D6, 0xC318, 0x11D0, {0xA4, 0x3F, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

// Audio subtypes are derived from the wave format tag.
GUID MediaSubtypeFromWaveFormatTag(WORD wFormatTag);

// ---------------------------------------------------------------------------
// Media types

struct AM_MEDIA_TYPE {
    GUID majortype;
    GUID subtype;
    BOOL bFixedSizeSamples;
    BOOL bTemporalCompression;
    ULONG lSampleSize;
    GUID formattype;
    IUnknown* pUnk;
    ULONG cbFormat;
    BYTE* pbFormat; // from CoTaskMemAlloc
};

// Frees the format block (and the pUnk reference) but not the structure.
void FreeMediaType(AM_MEDIA_TYPE& mt);
// Frees a structure made by CreateMediaType, format block included.
void DeleteMediaType(AM_MEDIA_TYPE* pmt);
// A CoTaskMemAlloc copy, null when memory runs out.
AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* pSrc);
// Deep copy into a structure the caller owns; E_OUTOFMEMORY leaves pDest
// with no format block.
HRESULT CopyMediaType(AM_MEDIA_TYPE* pDest, const AM_MEDIA_TYPE* pSrc);

// Owns its format block; copies are deep.
class CMediaType : public AM_MEDIA_TYPE {
public:
    CMediaType();
    explicit CMediaType(const GUID* pMajorType);
    CMediaType(const AM_MEDIA_TYPE& mt);
    CMediaType(const CMediaType& mt);
    ~CMediaType();

    CMediaType& operator=(const AM_MEDIA_TYPE& mt);
    CMediaType& operator=(const CMediaType& mt);
    bool operator==(const CMediaType& other) const;
    bool operator!=(const CMediaType& other) const { return !(*this == other); }

    HRESULT Set(const AM_MEDIA_TYPE& mt);
    // A major type has been set.
    BOOL IsValid() const;

    const GUID* Type() const { return &majortype; }
    void SetType(const GUID* pType) { majortype = *pType; }
    const GUID* Subtype() const { return &subtype; }
    void SetSubtype(const GUID* pType) { subtype = *pType; }
    const GUID* FormatType() const { return &formattype; }
    void SetFormatType(const GUID* pType) { formattype = *pType; }

    BOOL IsFixedSize() const { return bFixedSizeSamples; }
    BOOL IsTemporalCompressed() const { return bTemporalCompression; }
    ULONG GetSampleSize() const;
    void SetSampleSize(ULONG cb);
    void SetVariableSize();
    void SetTemporalCompression(BOOL bCompressed) { bTemporalCompression = bCompressed; }

    BYTE* Format() const { return pbFormat; }
    ULONG FormatLength() const { return cbFormat; }
    BOOL SetFormat(const BYTE* pFormat, ULONG cb);
    // Frees any old block; null when memory runs out.
    BYTE* AllocFormatBuffer(ULONG cb);
    // Keeps the leading bytes of the old block.
    BYTE* ReallocFormatBuffer(ULONG cb);
    void ResetFormatBuffer();
    // Back to the state of a fresh, empty type.
    void InitMediaType();

    // Every field that is set in `partial` (major type, subtype, format type
    // and format block) matches this type.
    BOOL MatchesPartial(const CMediaType* pPartial) const;
    BOOL IsPartiallySpecified() const;
};

// Fills pmt as an audio type for the format: major type audio, the
// subtype of the format tag, fixed-size samples of one block. With
// bSetFormat the 18-byte format block is attached too.
HRESULT CreateAudioMediaType(const WAVEFORMATEX* pwfx, AM_MEDIA_TYPE* pmt, BOOL bSetFormat);

// Reads the wave format of a type whose format block has at least the
// 16-byte base; a shorter block, or none, gives false. cbSize is 0 when the
// block stops before it.
bool GetWaveFormat(const AM_MEDIA_TYPE& mt, WAVEFORMATEX* pwfx);

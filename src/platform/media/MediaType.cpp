#include "platform/media/MediaType.h"

#include <cstring>

WAVEFORMATEX MakeWaveFormat(WORD wFormatTag, WORD nChannels, DWORD nSamplesPerSec, WORD wBitsPerSample)
{
    WAVEFORMATEX wfx{};
    wfx.wFormatTag = wFormatTag;
    wfx.nChannels = nChannels;
    wfx.nSamplesPerSec = nSamplesPerSec;
    wfx.wBitsPerSample = wBitsPerSample;
    wfx.nBlockAlign = static_cast<WORD>(nChannels * ((wBitsPerSample + 7) / 8));
    wfx.nAvgBytesPerSec = nSamplesPerSec * wfx.nBlockAlign;
    wfx.cbSize = 0;
    return wfx;
}

GUID MediaSubtypeFromWaveFormatTag(WORD wFormatTag)
{
    GUID subtype = MEDIASUBTYPE_PCM;
    subtype.Data1 = wFormatTag;
    return subtype;
}

// ---------------------------------------------------------------------------

void FreeMediaType(AM_MEDIA_TYPE& mt)
{
    if (mt.pbFormat != nullptr) {
        CoTaskMemFree(mt.pbFormat);
        mt.pbFormat = nullptr;
    }
    mt.cbFormat = 0;
    if (mt.pUnk != nullptr) {
        mt.pUnk->Release();
        mt.pUnk = nullptr;
    }
}

void DeleteMediaType(AM_MEDIA_TYPE* pmt)
{
    if (pmt != nullptr) {
        FreeMediaType(*pmt);
        CoTaskMemFree(pmt);
    }
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* pDest, const AM_MEDIA_TYPE* pSrc)
{
    *pDest = *pSrc;
    if (pSrc->cbFormat != 0 && pSrc->pbFormat != nullptr) {
        pDest->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(pSrc->cbFormat));
        if (pDest->pbFormat == nullptr) {
            pDest->cbFormat = 0;
            pDest->pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        std::memcpy(pDest->pbFormat, pSrc->pbFormat, pSrc->cbFormat);
    } else {
        pDest->pbFormat = nullptr;
        pDest->cbFormat = 0;
    }
    if (pDest->pUnk != nullptr) {
        pDest->pUnk->AddRef();
    }
    return S_OK;
}

AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* pSrc)
{
    auto* pmt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (pmt == nullptr) {
        return nullptr;
    }
    if (FAILED(CopyMediaType(pmt, pSrc))) {
        CoTaskMemFree(pmt);
        return nullptr;
    }
    return pmt;
}

// ---------------------------------------------------------------------------

CMediaType::CMediaType() : AM_MEDIA_TYPE{}
{
    InitMediaType();
}

CMediaType::CMediaType(const GUID* pMajorType) : CMediaType()
{
    majortype = *pMajorType;
}

CMediaType::CMediaType(const AM_MEDIA_TYPE& mt) : AM_MEDIA_TYPE{}
{
    CopyMediaType(this, &mt);
}

CMediaType::CMediaType(const CMediaType& mt) : AM_MEDIA_TYPE{}
{
    CopyMediaType(this, &mt);
}

CMediaType::~CMediaType()
{
    FreeMediaType(*this);
}

CMediaType& CMediaType::operator=(const AM_MEDIA_TYPE& mt)
{
    Set(mt);
    return *this;
}

CMediaType& CMediaType::operator=(const CMediaType& mt)
{
    Set(mt);
    return *this;
}

HRESULT CMediaType::Set(const AM_MEDIA_TYPE& mt)
{
    if (&mt == this) {
        return S_OK;
    }
    FreeMediaType(*this);
    return CopyMediaType(this, &mt);
}

bool CMediaType::operator==(const CMediaType& other) const
{
    // Sample size and the fixed-size flag describe buffers, not the data,
    // so they do not make two types different.
    return majortype == other.majortype && subtype == other.subtype && formattype == other.formattype &&
           cbFormat == other.cbFormat &&
           (cbFormat == 0 || std::memcmp(pbFormat, other.pbFormat, cbFormat) == 0);
}

BOOL CMediaType::IsValid() const
{
    return majortype != GUID_NULL;
}

ULONG CMediaType::GetSampleSize() const
{
    return bFixedSizeSamples ? lSampleSize : 0;
}

void CMediaType::SetSampleSize(ULONG cb)
{
    if (cb == 0) {
        SetVariableSize();
    } else {
        bFixedSizeSamples = TRUE;
        lSampleSize = cb;
    }
}

void CMediaType::SetVariableSize()
{
    bFixedSizeSamples = FALSE;
}

BOOL CMediaType::SetFormat(const BYTE* pFormat, ULONG cb)
{
    if (cb == 0) {
        ResetFormatBuffer();
        return TRUE;
    }
    BYTE* pBlock = AllocFormatBuffer(cb);
    if (pBlock == nullptr) {
        return FALSE;
    }
    std::memcpy(pBlock, pFormat, cb);
    return TRUE;
}

BYTE* CMediaType::AllocFormatBuffer(ULONG cb)
{
    if (cb == cbFormat && pbFormat != nullptr) {
        return pbFormat;
    }
    auto* pBlock = static_cast<BYTE*>(CoTaskMemAlloc(cb));
    if (pBlock == nullptr) {
        return nullptr;
    }
    if (pbFormat != nullptr) {
        CoTaskMemFree(pbFormat);
    }
    pbFormat = pBlock;
    cbFormat = cb;
    return pbFormat;
}

BYTE* CMediaType::ReallocFormatBuffer(ULONG cb)
{
    auto* pBlock = static_cast<BYTE*>(CoTaskMemAlloc(cb));
    if (pBlock == nullptr) {
        return nullptr;
    }
    if (pbFormat != nullptr) {
        std::memcpy(pBlock, pbFormat, cb < cbFormat ? cb : cbFormat);
        CoTaskMemFree(pbFormat);
    }
    pbFormat = pBlock;
    cbFormat = cb;
    return pbFormat;
}

void CMediaType::ResetFormatBuffer()
{
    if (pbFormat != nullptr) {
        CoTaskMemFree(pbFormat);
    }
    pbFormat = nullptr;
    cbFormat = 0;
}

void CMediaType::InitMediaType()
{
    FreeMediaType(*this);
    majortype = GUID_NULL;
    subtype = GUID_NULL;
    formattype = GUID_NULL;
    bFixedSizeSamples = TRUE;
    bTemporalCompression = FALSE;
    lSampleSize = 1;
}

BOOL CMediaType::MatchesPartial(const CMediaType* pPartial) const
{
    if (pPartial->majortype != GUID_NULL && pPartial->majortype != majortype) {
        return FALSE;
    }
    if (pPartial->subtype != GUID_NULL && pPartial->subtype != subtype) {
        return FALSE;
    }
    if (pPartial->formattype != GUID_NULL) {
        if (pPartial->formattype != formattype || pPartial->cbFormat != cbFormat) {
            return FALSE;
        }
        if (cbFormat != 0 && std::memcmp(pPartial->pbFormat, pbFormat, cbFormat) != 0) {
            return FALSE;
        }
    }
    return TRUE;
}

BOOL CMediaType::IsPartiallySpecified() const
{
    return majortype == GUID_NULL || formattype == GUID_NULL;
}

// ---------------------------------------------------------------------------

HRESULT CreateAudioMediaType(const WAVEFORMATEX* pwfx, AM_MEDIA_TYPE* pmt, BOOL bSetFormat)
{
    if (pwfx == nullptr || pmt == nullptr) {
        return E_POINTER;
    }
    pmt->majortype = MEDIATYPE_Audio;
    pmt->subtype = MediaSubtypeFromWaveFormatTag(pwfx->wFormatTag);
    pmt->formattype = FORMAT_WaveFormatEx;
    pmt->bFixedSizeSamples = TRUE;
    pmt->bTemporalCompression = FALSE;
    pmt->lSampleSize = pwfx->nBlockAlign;
    pmt->pUnk = nullptr;
    if (bSetFormat) {
        pmt->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(sizeof(WAVEFORMATEX)));
        if (pmt->pbFormat == nullptr) {
            pmt->cbFormat = 0;
            return E_OUTOFMEMORY;
        }
        std::memcpy(pmt->pbFormat, pwfx, sizeof(WAVEFORMATEX));
        pmt->cbFormat = sizeof(WAVEFORMATEX);
    }
    return S_OK;
}

bool GetWaveFormat(const AM_MEDIA_TYPE& mt, WAVEFORMATEX* pwfx)
{
    if (mt.pbFormat == nullptr || mt.cbFormat < kWaveFormatBaseSize) {
        return false;
    }
    WAVEFORMATEX wfx{};
    std::memcpy(&wfx, mt.pbFormat, mt.cbFormat < sizeof wfx ? mt.cbFormat : sizeof wfx);
    *pwfx = wfx;
    return true;
}

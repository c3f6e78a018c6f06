// What the host keeps of the plug-in: the settings block in a 56-byte stream
// saved with its project, the one named preset, and the class of the
// property page to show.

#include "host/ActvPlug.h"
#include "host/Persist.h"

#include <cstring>

namespace {

struct CPreset {
    char m_szName[64];
    int m_Settings[kSettingsCount];
};

const CPreset kPresets[] = {
    {"(Default)", {2, 0, 100, 126, 0, 30, 55, 300, 25}},
};

void PutLittleEndian32(BYTE* p, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<BYTE>(value >> (8 * i));
    }
}

std::uint32_t GetLittleEndian32(const BYTE* p)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    }
    return value;
}

// The identifier as it lies in memory on a little-endian machine: the three
// leading fields in little-endian order, then the eight bytes as they are.
void PutGuid(BYTE* p, REFGUID guid)
{
    PutLittleEndian32(p, guid.Data1);
    p[4] = static_cast<BYTE>(guid.Data2);
    p[5] = static_cast<BYTE>(guid.Data2 >> 8);
    p[6] = static_cast<BYTE>(guid.Data3);
    p[7] = static_cast<BYTE>(guid.Data3 >> 8);
    std::memcpy(p + 8, guid.Data4, 8);
}

bool IsPresetIndex(int nIndex)
{
    // The host numbers presets from 1; index 0 is what the filter applies
    // for itself. Both name the one record.
    return nIndex == 0 || nIndex == 1;
}

} // namespace

void WriteSettingsHeader(BYTE* pHeader)
{
    PutLittleEndian32(pHeader, kSettingsStreamSize);
    PutGuid(pHeader + 4, IID_IIntonaraControl);
}

bool IsSettingsHeader(const BYTE* pHeader)
{
    BYTE expected[kSettingsHeaderSize];
    WriteSettingsHeader(expected);
    return std::memcmp(pHeader, expected, kSettingsHeaderSize) == 0;
}

void WriteSettingsBody(BYTE* pBody, const int* pBlock)
{
    for (int i = 0; i < kSettingsCount; ++i) {
        PutLittleEndian32(pBody + 4 * i, static_cast<std::uint32_t>(pBlock[i]));
    }
}

void ReadSettingsBody(const BYTE* pBody, int* pBlock)
{
    for (int i = 0; i < kSettingsCount; ++i) {
        pBlock[i] = static_cast<int>(GetLittleEndian32(pBody + 4 * i));
    }
}

const int* DefaultPresetSettings()
{
    return kPresets[0].m_Settings;
}

const char* DefaultPresetName()
{
    return kPresets[0].m_szName;
}

// ---------------------------------------------------------------------------
// IPersistStream

HRESULT CIntonaraPlugIn::IsDirty()
{
    // Settings can change through the panel without the filter hearing of
    // it, so the host is always asked to save.
    return S_OK;
}

HRESULT CIntonaraPlugIn::Save(IStream* pStm, BOOL /*fClearDirty*/)
{
    if (pStm == nullptr) {
        return E_POINTER;
    }
    BYTE header[kSettingsHeaderSize];
    WriteSettingsHeader(header);
    HRESULT hr = pStm->Write(header, kSettingsHeaderSize, nullptr);
    if (FAILED(hr)) {
        return hr;
    }
    int block[kSettingsCount] = {};
    hr = GetSettings(block);
    if (FAILED(hr)) {
        return hr;
    }
    BYTE body[kSettingsBodySize];
    WriteSettingsBody(body, block);
    return pStm->Write(body, kSettingsBodySize, nullptr);
}

HRESULT CIntonaraPlugIn::Load(IStream* pStm)
{
    if (pStm == nullptr) {
        return E_POINTER;
    }
    BYTE header[kSettingsHeaderSize];
    ULONG cbRead = 0;
    HRESULT hr = pStm->Read(header, kSettingsHeaderSize, &cbRead);
    if (FAILED(hr)) {
        return hr;
    }
    if (hr != S_OK || cbRead != kSettingsHeaderSize || !IsSettingsHeader(header)) {
        return E_FAIL;
    }
    BYTE body[kSettingsBodySize];
    hr = pStm->Read(body, kSettingsBodySize, &cbRead);
    if (FAILED(hr)) {
        return hr;
    }
    // A stream that ends inside the block is as damaged as a bad header.
    if (hr != S_OK || cbRead != kSettingsBodySize) {
        return E_FAIL;
    }
    int block[kSettingsCount];
    ReadSettingsBody(body, block);
    return SetSettings(block);
}

HRESULT CIntonaraPlugIn::GetSizeMax(ULARGE_INTEGER* pcbSize)
{
    if (pcbSize == nullptr) {
        return E_POINTER;
    }
    pcbSize->QuadPart = kSettingsStreamSize;
    return S_OK;
}

// ---------------------------------------------------------------------------
// ISpecifyPropertyPages

HRESULT CIntonaraPlugIn::GetPages(CAUUID* pPages)
{
    if (pPages == nullptr) {
        return E_POINTER;
    }
    pPages->cElems = 1;
    pPages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (pPages->pElems == nullptr) {
        pPages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pPages->pElems[0] = CLSID_IntonaraPropertyPage;
    return S_OK;
}

// ---------------------------------------------------------------------------
// IHostPresets

HRESULT CIntonaraPlugIn::GetPresetCount(int* pCount)
{
    if (pCount == nullptr) {
        return E_POINTER;
    }
    *pCount = 1;
    return S_OK;
}

HRESULT CIntonaraPlugIn::GetPresetName(int nIndex, WCHAR* pName, int nLength)
{
    if (!IsPresetIndex(nIndex)) {
        return E_INVALIDARG;
    }
    if (pName == nullptr) {
        return E_POINTER;
    }
    if (nLength <= 0) {
        return S_OK;
    }
    // The names are plain ASCII, so widening is a copy. A short buffer gets
    // as much as fits, still terminated.
    const char* pText = kPresets[0].m_szName;
    int i = 0;
    for (; i < nLength - 1 && pText[i] != '\0'; ++i) {
        pName[i] = static_cast<WCHAR>(static_cast<unsigned char>(pText[i]));
    }
    pName[i] = 0;
    return S_OK;
}

HRESULT CIntonaraPlugIn::ApplyPreset(int nIndex)
{
    if (!IsPresetIndex(nIndex)) {
        return E_INVALIDARG;
    }
    return SetSettings(kPresets[0].m_Settings);
}

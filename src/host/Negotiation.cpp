// Which formats the filter takes and offers, and how big its output buffers
// are. Only mono is accepted, as 16-bit PCM or 32-bit float; the output is
// always the input's format.

#include "host/ActvPlug.h"

#include <algorithm>
#include <cstring>

namespace {

// The wave format block of a type, when it has at least the 16-byte base.
bool ReadFormat(const CMediaType* pmt, WAVEFORMATEX* pwfx)
{
    return pmt != nullptr && pmt->FormatLength() >= kWaveFormatBaseSize && ::GetWaveFormat(*pmt, pwfx);
}

// The output format is always mono, whatever the type it starts from.
void ApplyMonoFixUp(CMediaType* pmt)
{
    if (pmt->FormatLength() < kWaveFormatBaseSize) {
        return;
    }
    WAVEFORMATEX wfx{};
    std::memcpy(&wfx, pmt->Format(), kWaveFormatBaseSize);
    if (pmt->FormatLength() > kWaveFormatBaseSize) {
        wfx.cbSize = 0;
    }
    wfx.nChannels = 1;
    wfx.nBlockAlign = static_cast<WORD>(wfx.nChannels * (wfx.wBitsPerSample / 8));
    wfx.nAvgBytesPerSec = wfx.nBlockAlign * wfx.nSamplesPerSec;
    const ULONG cb = std::min<ULONG>(pmt->FormatLength(), sizeof(WAVEFORMATEX));
    std::memcpy(pmt->Format(), &wfx, cb);
}

} // namespace

CIntonaraInputPin::CIntonaraInputPin(CIntonaraPlugIn* pFilter, HRESULT* phr, const char* pName)
    : CTransformInputPin("Intonara input pin", pFilter, phr, pName), m_pPlugIn(pFilter)
{
}

CIntonaraInputPin::~CIntonaraInputPin() = default;

HRESULT CIntonaraInputPin::CheckMediaType(const CMediaType* pmt)
{
    HRESULT hr = m_pPlugIn->CheckInputType(pmt);
    if (FAILED(hr)) {
        return hr;
    }
    CTransformOutputPin* pOutput = m_pPlugIn->m_pOutput;
    if (pOutput == nullptr || !pOutput->IsConnected()) {
        return hr;
    }
    hr = m_pPlugIn->CheckTransform(pmt, &pOutput->CurrentMediaType());
    if (SUCCEEDED(hr)) {
        return hr;
    }
    // A new input type changes the output type with it; whether that works
    // is the downstream filter's call.
    CMediaType proposed(*pmt);
    ApplyMonoFixUp(&proposed);
    return pOutput->GetConnected()->QueryAccept(&proposed);
}

HRESULT CIntonaraPlugIn::CheckInputType(const CMediaType* mtIn)
{
    if (mtIn == nullptr || *mtIn->Type() != MEDIATYPE_Audio) {
        return E_INVALIDARG;
    }
    if (mtIn->IsTemporalCompressed()) {
        return E_INVALIDARG;
    }
    WAVEFORMATEX wfx{};
    if (!ReadFormat(mtIn, &wfx)) {
        return E_INVALIDARG;
    }
    if (wfx.nChannels != 1) {
        return E_INVALIDARG;
    }
    if (wfx.wFormatTag == WAVE_FORMAT_PCM && wfx.wBitsPerSample == 16) {
        return S_OK;
    }
    if (wfx.wFormatTag == WAVE_FORMAT_IEEE_FLOAT && wfx.wBitsPerSample == 32) {
        return S_OK;
    }
    return E_INVALIDARG;
}

HRESULT CIntonaraPlugIn::CheckTransform(const CMediaType* mtIn, const CMediaType* mtOut)
{
    if (mtIn == nullptr || mtOut == nullptr) {
        return E_INVALIDARG;
    }
    if (*mtIn->Type() != MEDIATYPE_Audio || *mtOut->Type() != MEDIATYPE_Audio) {
        return E_INVALIDARG;
    }
    WAVEFORMATEX in{};
    WAVEFORMATEX out{};
    if (!ReadFormat(mtIn, &in) || !ReadFormat(mtOut, &out)) {
        return E_INVALIDARG;
    }
    if (mtIn->IsTemporalCompressed() || mtOut->IsTemporalCompressed()) {
        return E_INVALIDARG;
    }
    if (in.wFormatTag != out.wFormatTag || in.wBitsPerSample != out.wBitsPerSample ||
        in.nSamplesPerSec != out.nSamplesPerSec) {
        return E_INVALIDARG;
    }
    if (out.nChannels != 1) {
        return E_INVALIDARG;
    }
    if (m_DspObject != nullptr) {
        m_DspObject->SetSampleRate(static_cast<float>(in.nSamplesPerSec));
    }
    return S_OK;
}

HRESULT CIntonaraPlugIn::GetMediaType(int iPosition, CMediaType* pMediaType)
{
    if (m_pInput == nullptr || !m_pInput->IsConnected()) {
        return E_UNEXPECTED;
    }
    if (iPosition < 0) {
        return E_INVALIDARG;
    }
    if (iPosition > 0) {
        return VFW_S_NO_MORE_ITEMS;
    }
    if (pMediaType == nullptr) {
        return E_POINTER;
    }
    *pMediaType = m_pInput->CurrentMediaType();
    ApplyMonoFixUp(pMediaType);
    return S_OK;
}

HRESULT CIntonaraPlugIn::SetMediaType(PIN_DIRECTION direction, const CMediaType* pmt)
{
    WAVEFORMATEX wfx{};
    if (pmt != nullptr && pmt->FormatLength() >= kWaveFormatBaseSize) {
        std::memcpy(&wfx, pmt->Format(), kWaveFormatBaseSize);
    }
    wfx.nBlockAlign = static_cast<WORD>((wfx.wBitsPerSample / 8) * wfx.nChannels);
    wfx.nAvgBytesPerSec = wfx.nBlockAlign * wfx.nSamplesPerSec;
    wfx.cbSize = 0;

    WAVEFORMATEX* pStored = direction == PINDIR_INPUT ? &m_InFormat : &m_OutFormat;
    {
        // The control interface may be copying it on another thread.
        EnterCriticalSection(ControlLock());
        *pStored = wfx;
        LeaveCriticalSection(ControlLock());
    }
    if (m_DspObject != nullptr) {
        m_DspObject->SetSampleRate(static_cast<float>(pStored->nSamplesPerSec));
    }
    CTransformFilter::SetMediaType(direction, pmt);
    const int which = direction == PINDIR_INPUT ? 0 : 1;
    SetFormatPointer(which, pStored);
    NotifyWindows(which);
    return S_OK;
}

HRESULT CIntonaraPlugIn::CompleteConnect(PIN_DIRECTION direction, IPin* /*pReceivePin*/)
{
    if (direction == PINDIR_OUTPUT) {
        return S_OK;
    }
    if (m_pOutput != nullptr && m_pOutput->IsConnected() &&
        FAILED(CheckTransform(&m_pInput->CurrentMediaType(), &m_pOutput->CurrentMediaType()))) {
        // The downstream filter agreed to the matching output type when the
        // input pin checked it; the output connection is made again with it.
        return ReconnectPin(static_cast<IPin*>(m_pOutput), nullptr);
    }
    return S_OK;
}

HRESULT CIntonaraPlugIn::DecideBufferSize(IMemAllocator* pAllocator, ALLOCATOR_PROPERTIES* pRequest)
{
    if (pAllocator == nullptr || pRequest == nullptr) {
        return E_POINTER;
    }
    if (m_pInput != nullptr && m_pInput->IsConnected()) {
        // The output buffers copy the input's, so one input sample mostly
        // fits one output sample.
        IMemAllocator* pInputAllocator = nullptr;
        if (SUCCEEDED(m_pInput->GetAllocator(&pInputAllocator)) && pInputAllocator != nullptr) {
            pInputAllocator->GetProperties(pRequest);
            pInputAllocator->Release();
        }
    }
    ALLOCATOR_PROPERTIES actual{};
    HRESULT hr = pAllocator->SetProperties(pRequest, &actual);
    if (SUCCEEDED(hr)) {
        *pRequest = actual;
        if (actual.cbBuffer < kMinOutputBufferBytes) {
            hr = E_FAIL;
        }
    }
    ALLOCATOR_PROPERTIES check{};
    pAllocator->GetProperties(&check);
    return hr;
}

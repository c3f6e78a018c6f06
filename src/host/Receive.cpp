// The block path: every input sample runs through the processor into as
// many output samples as the downstream buffers need. 16-bit audio goes
// through the two float conversion buffers, which keep the size they were
// made with; float audio goes straight from the input sample into the
// output sample.

#include "host/ActvPlug.h"
#include "host/SampleConversion.h"

#include <algorithm>

HRESULT CIntonaraPlugIn::ProcessPcm16(const std::int16_t* pIn, std::int16_t* pOut, int nFrames, int* pConsumed,
                                      int* pProduced)
{
    *pConsumed = 0;
    *pProduced = 0;
    const int nChunk = static_cast<int>(m_cbBuffers / sizeof(float));
    if (m_pInBuffer == nullptr || m_pOutBuffer == nullptr || nChunk <= 0) {
        return E_OUTOFMEMORY;
    }
    for (int nDone = 0; nDone < nFrames;) {
        const int n = std::min(nChunk, nFrames - nDone);
        int nConsumed = 0;
        int nProduced = 0;
        ConvertPcm16ToFloat(pIn + nDone, m_pInBuffer, n);
        const HRESULT hr = ProcessBlock(m_pInBuffer, m_pOutBuffer, n, &nConsumed, &nProduced);
        if (FAILED(hr)) {
            return hr;
        }
        ConvertFloatToPcm16(m_pOutBuffer, pOut + nDone, nProduced);
        nDone += n;
        *pConsumed += nConsumed;
        *pProduced += nProduced;
    }
    return S_OK;
}

HRESULT CIntonaraPlugIn::Receive(IMediaSample* pSample)
{
    IMediaSample* pOut = nullptr;
    HRESULT hr = S_OK;
    try {
        REFERENCE_TIME tStart = 0;
        REFERENCE_TIME tStop = 0;
        const bool bTimes = pSample->GetTime(&tStart, &tStop) == S_OK;

        hr = m_pOutput->GetDeliveryBuffer(&pOut, bTimes ? &tStart : nullptr, bTimes ? &tStop : nullptr, 0);
        if (FAILED(hr)) {
            return hr;
        }
        // Times and flags belong to the first output sample only: the later
        // ones continue the same stretch of audio.
        if (bTimes) {
            pOut->SetTime(&tStart, &tStop);
        } else {
            pOut->SetTime(nullptr, nullptr);
        }
        pOut->SetSyncPoint(pSample->IsSyncPoint() == S_OK);
        pOut->SetDiscontinuity(pSample->IsDiscontinuity() == S_OK);
        LONGLONG llMediaStart = 0;
        LONGLONG llMediaStop = 0;
        if (pSample->GetMediaTime(&llMediaStart, &llMediaStop) == S_OK) {
            pOut->SetMediaTime(&llMediaStart, &llMediaStop);
        }

        LONG cbLeft = pSample->GetActualDataLength();
        BYTE* pIn = nullptr;
        pSample->GetPointer(&pIn);
        const LONG inAlign = std::max<LONG>(m_InFormat.nBlockAlign, 1);
        const LONG outAlign = std::max<LONG>(m_OutFormat.nBlockAlign, 1);

        for (;;) {
            BYTE* pTarget = nullptr;
            pOut->GetPointer(&pTarget);
            const LONG nCapacity = pOut->GetSize() / outAlign;
            const LONG nInput = cbLeft / inAlign;
            const int n = static_cast<int>(std::min(nInput, nCapacity));
            int nConsumed = 0;
            int nProduced = 0;

            if (m_InFormat.wFormatTag == WAVE_FORMAT_PCM) {
                hr = ProcessPcm16(reinterpret_cast<const std::int16_t*>(pIn), reinterpret_cast<std::int16_t*>(pTarget),
                                  n, &nConsumed, &nProduced);
            } else if (m_InFormat.wFormatTag == WAVE_FORMAT_IEEE_FLOAT) {
                hr = ProcessBlock(reinterpret_cast<const float*>(pIn), reinterpret_cast<float*>(pTarget), n,
                                  &nConsumed, &nProduced);
            } else {
                hr = E_UNEXPECTED;
            }

            if (m_Paused.load(std::memory_order_relaxed)) {
                m_nPrerollFrames.fetch_add(static_cast<DWORD>(nProduced), std::memory_order_relaxed);
            }
            if (FAILED(hr)) {
                break;
            }
            pOut->SetActualDataLength(nProduced * outAlign);
            hr = m_pOutput->Deliver(pOut);
            if (FAILED(hr)) {
                break;
            }
            const LONG cbConsumed = nConsumed * inAlign;
            // A trailing part of a frame can never be processed; it is
            // dropped rather than asked for output buffers forever.
            if (cbConsumed >= cbLeft || cbConsumed == 0) {
                break;
            }
            pOut->Release();
            pOut = nullptr;
            pIn += cbConsumed;
            cbLeft -= cbConsumed;
            hr = m_pOutput->GetDeliveryBuffer(&pOut, nullptr, nullptr, 0);
            if (FAILED(hr)) {
                pOut = nullptr;
                break;
            }
        }
    } catch (...) {
        hr = E_FAIL;
    }
    if (pOut != nullptr) {
        pOut->Release();
    }
    return hr;
}

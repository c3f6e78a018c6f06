#pragma once

// A transform filter for the tests: passes audio through unchanged and
// writes down every call the filter base makes into it, so the tests can
// check the order in which a graph drives a filter.

#include "platform/media/TransformFilter.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// {5D2B7A10-33C4-4B8E-A1F2-6C0D9E8B7A41}
constexpr CLSID CLSID_TestPassThrough = {
    0x5D2B7A10, 0x33C4, 0x4B8E, {0xA1, 0xF2, 0x6C, 0x0D, 0x9E, 0x8B, 0x7A, 0x41}};

// Several filters can share one log, so the order across filters shows.
class CCallLog {
public:
    void Add(const std::string& entry)
    {
        std::lock_guard lock(m_mutex);
        m_entries.push_back(entry);
    }
    std::vector<std::string> Entries() const
    {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }
    void Clear()
    {
        std::lock_guard lock(m_mutex);
        m_entries.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_entries;
};

class CPassThrough : public CTransformFilter {
public:
    CPassThrough(std::shared_ptr<CCallLog> pLog, std::string strTag = "")
        : CTransformFilter("Pass-through", nullptr, CLSID_TestPassThrough),
          m_pLog(std::move(pLog)),
          m_strTag(std::move(strTag))
    {
    }

    HRESULT CheckInputType(const CMediaType* mtIn) override
    {
        Log("CheckInputType");
        WAVEFORMATEX wfx{};
        if (*mtIn->Type() != MEDIATYPE_Audio || !GetWaveFormat(*mtIn, &wfx) || wfx.nChannels != 1) {
            return E_INVALIDARG;
        }
        return S_OK;
    }

    HRESULT CheckTransform(const CMediaType* mtIn, const CMediaType* mtOut) override
    {
        Log("CheckTransform");
        WAVEFORMATEX in{};
        WAVEFORMATEX out{};
        if (!GetWaveFormat(*mtIn, &in) || !GetWaveFormat(*mtOut, &out)) {
            return E_INVALIDARG;
        }
        return std::memcmp(&in, &out, sizeof in) == 0 ? S_OK : E_INVALIDARG;
    }

    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override
    {
        Log("GetMediaType(" + std::to_string(iPosition) + ")");
        if (iPosition < 0) {
            return E_INVALIDARG;
        }
        if (iPosition > 0) {
            return VFW_S_NO_MORE_ITEMS;
        }
        *pMediaType = m_pInput->CurrentMediaType();
        return S_OK;
    }

    // Output buffers like the input's, as an audio filter that works in
    // place would want them.
    HRESULT DecideBufferSize(IMemAllocator* pAllocator, ALLOCATOR_PROPERTIES* pProp) override
    {
        Log("DecideBufferSize");
        CComPtr<IMemAllocator> pInputAllocator;
        if (m_pInput->IsConnected() && SUCCEEDED(m_pInput->GetAllocator(pInputAllocator.GetAddressOf()))) {
            pInputAllocator->GetProperties(pProp);
        }
        ALLOCATOR_PROPERTIES actual{};
        const HRESULT hr = pAllocator->SetProperties(pProp, &actual);
        if (SUCCEEDED(hr)) {
            *pProp = actual;
        }
        return hr;
    }

    // The rest only write down the call and do what the base does.
    HRESULT SetMediaType(PIN_DIRECTION dir, const CMediaType* pmt) override
    {
        Log("SetMediaType", dir);
        return CTransformFilter::SetMediaType(dir, pmt);
    }
    HRESULT CheckConnect(PIN_DIRECTION dir, IPin* pPin) override
    {
        Log("CheckConnect", dir);
        return CTransformFilter::CheckConnect(dir, pPin);
    }
    HRESULT BreakConnect(PIN_DIRECTION dir) override
    {
        Log("BreakConnect", dir);
        return CTransformFilter::BreakConnect(dir);
    }
    HRESULT CompleteConnect(PIN_DIRECTION dir, IPin* pReceivePin) override
    {
        Log("CompleteConnect", dir);
        return CTransformFilter::CompleteConnect(dir, pReceivePin);
    }
    HRESULT StartStreaming() override { Log("StartStreaming"); return S_OK; }
    HRESULT StopStreaming() override { Log("StopStreaming"); return S_OK; }
    HRESULT Pause() override { Log("Pause"); return CTransformFilter::Pause(); }
    HRESULT Run(REFERENCE_TIME tStart) override { Log("Run"); return CTransformFilter::Run(tStart); }
    HRESULT Stop() override { Log("Stop"); return CTransformFilter::Stop(); }
    HRESULT EndOfStream() override { Log("EndOfStream"); return CTransformFilter::EndOfStream(); }

    HRESULT Transform(IMediaSample* pIn, IMediaSample* pOut) override
    {
        BYTE* pSource = nullptr;
        BYTE* pTarget = nullptr;
        pIn->GetPointer(&pSource);
        pOut->GetPointer(&pTarget);
        const LONG cb = pIn->GetActualDataLength();
        if (cb > pOut->GetSize()) {
            return E_FAIL;
        }
        std::memcpy(pTarget, pSource, static_cast<std::size_t>(cb));
        pOut->SetActualDataLength(cb);
        return S_OK;
    }

    CTransformInputPin* InputPin() { return static_cast<CTransformInputPin*>(GetPin(0)); }
    CTransformOutputPin* OutputPin() { return static_cast<CTransformOutputPin*>(GetPin(1)); }

protected:
    void Log(const std::string& call)
    {
        if (m_pLog) {
            m_pLog->Add(m_strTag.empty() ? call : m_strTag + ":" + call);
        }
    }
    void Log(const std::string& call, PIN_DIRECTION dir) { Log(call + (dir == PINDIR_INPUT ? "(in)" : "(out)")); }

    std::shared_ptr<CCallLog> m_pLog;
    std::string m_strTag;
};

// Splits each input sample over as many output samples as the downstream
// buffers need: the block loop an audio filter with small output buffers
// runs. Times and flags go on the first output sample of each input only.
class CSplittingPassThrough : public CPassThrough {
public:
    using CPassThrough::CPassThrough;

    HRESULT Receive(IMediaSample* pIn) override
    {
        REFERENCE_TIME tStart = 0;
        REFERENCE_TIME tStop = 0;
        const bool bTimes = pIn->GetTime(&tStart, &tStop) == S_OK;
        IMediaSample* pOut = nullptr;
        HRESULT hr = m_pOutput->GetDeliveryBuffer(&pOut, bTimes ? &tStart : nullptr, bTimes ? &tStop : nullptr, 0);
        if (FAILED(hr)) {
            return hr;
        }
        pOut->SetTime(bTimes ? &tStart : nullptr, bTimes ? &tStop : nullptr);
        pOut->SetSyncPoint(pIn->IsSyncPoint() == S_OK);
        pOut->SetDiscontinuity(pIn->IsDiscontinuity() == S_OK);
        BYTE* pSource = nullptr;
        pIn->GetPointer(&pSource);
        LONG cbLeft = pIn->GetActualDataLength();
        while (pOut != nullptr) {
            BYTE* pTarget = nullptr;
            pOut->GetPointer(&pTarget);
            const LONG cb = std::min(cbLeft, pOut->GetSize());
            std::memcpy(pTarget, pSource, static_cast<std::size_t>(cb));
            pOut->SetActualDataLength(cb);
            hr = m_pOutput->Deliver(pOut);
            pOut->Release();
            pOut = nullptr;
            pSource += cb;
            cbLeft -= cb;
            if (FAILED(hr) || cbLeft <= 0) {
                break;
            }
            hr = m_pOutput->GetDeliveryBuffer(&pOut, nullptr, nullptr, 0);
            if (FAILED(hr)) {
                break;
            }
        }
        return hr;
    }
};

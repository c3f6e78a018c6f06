#include "platform/media/Pins.h"

#include "platform/media/BaseFilter.h"

#include <cstring>
#include <new>

namespace {

// Types a pin offers, read from its GetMediaType one position at a time.
class CEnumMediaTypes final : public CUnknown, public IEnumMediaTypes {
public:
    CEnumMediaTypes(CBasePin* pPin, int nPosition) : CUnknown("Media type enumerator", nullptr), m_pPin(pPin)
    {
        m_pPin->AddRef();
        m_nPosition = nPosition;
    }
    ~CEnumMediaTypes() override { m_pPin->Release(); }

    DECLARE_IUNKNOWN

    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IEnumMediaTypes) {
            return GetInterface(static_cast<IEnumMediaTypes*>(this), ppv);
        }
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }

    HRESULT Next(ULONG cMediaTypes, AM_MEDIA_TYPE** ppMediaTypes, ULONG* pcFetched) override
    {
        if (ppMediaTypes == nullptr || (cMediaTypes > 1 && pcFetched == nullptr)) {
            return E_POINTER;
        }
        ULONG fetched = 0;
        while (fetched < cMediaTypes) {
            CMediaType mt;
            if (m_pPin->GetMediaType(m_nPosition, &mt) != S_OK) {
                break;
            }
            ++m_nPosition;
            AM_MEDIA_TYPE* pCopy = CreateMediaType(&mt);
            if (pCopy == nullptr) {
                break;
            }
            ppMediaTypes[fetched++] = pCopy;
        }
        if (pcFetched != nullptr) {
            *pcFetched = fetched;
        }
        return fetched == cMediaTypes ? S_OK : S_FALSE;
    }

    HRESULT Skip(ULONG cMediaTypes) override
    {
        m_nPosition += static_cast<int>(cMediaTypes);
        CMediaType mt;
        return m_pPin->GetMediaType(m_nPosition, &mt) == S_OK ? S_OK : S_FALSE;
    }

    HRESULT Reset() override
    {
        m_nPosition = 0;
        return S_OK;
    }

    HRESULT Clone(IEnumMediaTypes** ppEnum) override
    {
        if (ppEnum == nullptr) {
            return E_POINTER;
        }
        auto* pClone = new (std::nothrow) CEnumMediaTypes(m_pPin, m_nPosition);
        if (pClone == nullptr) {
            *ppEnum = nullptr;
            return E_OUTOFMEMORY;
        }
        return GetInterface(static_cast<IEnumMediaTypes*>(pClone), reinterpret_cast<void**>(ppEnum));
    }

private:
    CBasePin* m_pPin;
    int m_nPosition = 0;
};

// Refusals that only say "not this type" are all reported the same way.
HRESULT TypeRefusal(HRESULT hr)
{
    return (SUCCEEDED(hr) || hr == E_FAIL || hr == E_INVALIDARG) ? VFW_E_TYPE_NOT_ACCEPTED : hr;
}

} // namespace

// ---------------------------------------------------------------------------

CBasePin::CBasePin(const char* pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr, const char* pName,
                   PIN_DIRECTION dir)
    : CUnknown(pObjectName, nullptr, phr),
      m_strName(pName != nullptr ? pName : ""),
      m_pFilter(pFilter),
      m_pLock(pLock),
      m_dir(dir)
{
}

CBasePin::~CBasePin()
{
    if (m_Connected != nullptr) {
        m_Connected->Release();
        m_Connected = nullptr;
    }
}

HRESULT CBasePin::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IPin) {
        return GetInterface(static_cast<IPin*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

ULONG CBasePin::NonDelegatingAddRef()
{
    return m_pFilter->AddRef();
}

ULONG CBasePin::NonDelegatingRelease()
{
    return m_pFilter->Release();
}

bool CBasePin::IsStopped() const
{
    return m_pFilter->IsStopped();
}

HRESULT CBasePin::Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt)
{
    if (pReceivePin == nullptr) {
        return E_POINTER;
    }
    CAutoLock lock(m_pLock);
    if (m_Connected != nullptr) {
        return VFW_E_ALREADY_CONNECTED;
    }
    if (!IsStopped()) {
        return VFW_E_NOT_STOPPED;
    }
    if (pmt == nullptr) {
        return AgreeMediaType(pReceivePin, nullptr);
    }
    const CMediaType mt(*pmt);
    return AgreeMediaType(pReceivePin, &mt);
}

HRESULT CBasePin::AgreeMediaType(IPin* pReceivePin, const CMediaType* pmt)
{
    // A complete type is tried as it is; a partial one (or none) filters the
    // types both pins offer, the other pin's first unless told otherwise.
    if (pmt != nullptr && !pmt->IsPartiallySpecified()) {
        return AttemptConnection(pReceivePin, pmt);
    }
    HRESULT hrFailure = VFW_E_NO_ACCEPTABLE_TYPES;
    for (int pass = 0; pass < 2; ++pass) {
        const bool bMine = (pass == 0) == m_bTryMyTypesFirst;
        CComPtr<IEnumMediaTypes> pEnum;
        const HRESULT hrEnum =
            bMine ? EnumMediaTypes(pEnum.GetAddressOf()) : pReceivePin->EnumMediaTypes(pEnum.GetAddressOf());
        if (FAILED(hrEnum) || !pEnum) {
            continue;
        }
        const HRESULT hr = TryMediaTypes(pReceivePin, pmt, pEnum);
        if (SUCCEEDED(hr)) {
            return hr;
        }
        // Keep a failure that says more than "no type fitted".
        if (hr != E_FAIL && hr != E_INVALIDARG && hr != VFW_E_TYPE_NOT_ACCEPTED && hr != VFW_E_NO_ACCEPTABLE_TYPES) {
            hrFailure = hr;
        }
    }
    return hrFailure;
}

HRESULT CBasePin::TryMediaTypes(IPin* pReceivePin, const CMediaType* pmtPartial, IEnumMediaTypes* pEnum)
{
    pEnum->Reset();
    HRESULT hrFailure = VFW_E_NO_ACCEPTABLE_TYPES;
    for (;;) {
        AM_MEDIA_TYPE* pNext = nullptr;
        ULONG fetched = 0;
        if (pEnum->Next(1, &pNext, &fetched) != S_OK || fetched != 1) {
            return hrFailure;
        }
        const CMediaType candidate(*pNext);
        DeleteMediaType(pNext);
        if (pmtPartial != nullptr && !candidate.MatchesPartial(pmtPartial)) {
            continue;
        }
        const HRESULT hr = AttemptConnection(pReceivePin, &candidate);
        if (SUCCEEDED(hr)) {
            return hr;
        }
        hrFailure = hr;
    }
}

HRESULT CBasePin::AttemptConnection(IPin* pReceivePin, const CMediaType* pmt)
{
    HRESULT hr = CheckConnect(pReceivePin);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    hr = CheckMediaType(pmt);
    if (hr != S_OK) {
        BreakConnect();
        return TypeRefusal(hr);
    }
    // Look connected already, so that the other pin may call back into us
    // while it completes its side.
    m_Connected = pReceivePin;
    m_Connected->AddRef();
    hr = SetMediaType(pmt);
    if (SUCCEEDED(hr)) {
        hr = pReceivePin->ReceiveConnection(this, pmt);
        if (SUCCEEDED(hr)) {
            hr = CompleteConnect(pReceivePin);
            if (SUCCEEDED(hr)) {
                return hr;
            }
            pReceivePin->Disconnect();
        }
    }
    UndoConnection();
    return hr;
}

void CBasePin::UndoConnection()
{
    if (m_Connected != nullptr) {
        m_Connected->Release();
        m_Connected = nullptr;
    }
    BreakConnect();
    m_mt.InitMediaType();
}

HRESULT CBasePin::ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt)
{
    if (pConnector == nullptr || pmt == nullptr) {
        return E_POINTER;
    }
    CAutoLock lock(m_pLock);
    if (m_Connected != nullptr) {
        return VFW_E_ALREADY_CONNECTED;
    }
    if (!IsStopped()) {
        return VFW_E_NOT_STOPPED;
    }
    HRESULT hr = CheckConnect(pConnector);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    const CMediaType mt(*pmt);
    hr = CheckMediaType(&mt);
    if (hr != S_OK) {
        BreakConnect();
        return TypeRefusal(hr);
    }
    m_Connected = pConnector;
    m_Connected->AddRef();
    hr = SetMediaType(&mt);
    if (SUCCEEDED(hr)) {
        hr = CompleteConnect(pConnector);
        if (SUCCEEDED(hr)) {
            return S_OK;
        }
    }
    UndoConnection();
    return hr;
}

HRESULT CBasePin::Disconnect()
{
    CAutoLock lock(m_pLock);
    if (!IsStopped()) {
        return VFW_E_NOT_STOPPED;
    }
    return DisconnectInternal();
}

HRESULT CBasePin::DisconnectInternal()
{
    if (m_Connected == nullptr) {
        return S_FALSE;
    }
    const HRESULT hr = BreakConnect();
    if (FAILED(hr)) {
        return hr;
    }
    m_Connected->Release();
    m_Connected = nullptr;
    return S_OK;
}

HRESULT CBasePin::ConnectedTo(IPin** ppPin)
{
    if (ppPin == nullptr) {
        return E_POINTER;
    }
    CAutoLock lock(m_pLock);
    *ppPin = m_Connected;
    if (m_Connected == nullptr) {
        return VFW_E_NOT_CONNECTED;
    }
    m_Connected->AddRef();
    return S_OK;
}

HRESULT CBasePin::ConnectionMediaType(AM_MEDIA_TYPE* pmt)
{
    if (pmt == nullptr) {
        return E_POINTER;
    }
    CAutoLock lock(m_pLock);
    if (m_Connected == nullptr) {
        std::memset(pmt, 0, sizeof *pmt);
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(pmt, &m_mt);
}

HRESULT CBasePin::QueryPinInfo(PIN_INFO* pInfo)
{
    if (pInfo == nullptr) {
        return E_POINTER;
    }
    pInfo->pFilter = m_pFilter;
    m_pFilter->AddRef();
    pInfo->dir = m_dir;
    std::memset(pInfo->achName, 0, sizeof pInfo->achName);
    m_strName.copy(pInfo->achName, sizeof pInfo->achName - 1);
    return S_OK;
}

HRESULT CBasePin::QueryDirection(PIN_DIRECTION* pPinDir)
{
    if (pPinDir == nullptr) {
        return E_POINTER;
    }
    *pPinDir = m_dir;
    return S_OK;
}

HRESULT CBasePin::QueryId(char** Id)
{
    if (Id == nullptr) {
        return E_POINTER;
    }
    *Id = static_cast<char*>(CoTaskMemAlloc(m_strName.size() + 1));
    if (*Id == nullptr) {
        return E_OUTOFMEMORY;
    }
    std::memcpy(*Id, m_strName.c_str(), m_strName.size() + 1);
    return S_OK;
}

HRESULT CBasePin::QueryAccept(const AM_MEDIA_TYPE* pmt)
{
    if (pmt == nullptr) {
        return E_POINTER;
    }
    const CMediaType mt(*pmt);
    return CheckMediaType(&mt) == S_OK ? S_OK : S_FALSE;
}

HRESULT CBasePin::EnumMediaTypes(IEnumMediaTypes** ppEnum)
{
    if (ppEnum == nullptr) {
        return E_POINTER;
    }
    auto* pEnum = new (std::nothrow) CEnumMediaTypes(this, 0);
    if (pEnum == nullptr) {
        *ppEnum = nullptr;
        return E_OUTOFMEMORY;
    }
    return GetInterface(static_cast<IEnumMediaTypes*>(pEnum), reinterpret_cast<void**>(ppEnum));
}

HRESULT CBasePin::EndOfStream()
{
    return S_OK;
}

HRESULT CBasePin::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    m_tStart = tStart;
    m_tStop = tStop;
    m_dRate = dRate;
    return S_OK;
}

HRESULT CBasePin::CheckConnect(IPin* pPin)
{
    PIN_DIRECTION other{};
    const HRESULT hr = pPin->QueryDirection(&other);
    if (FAILED(hr)) {
        return hr;
    }
    return other == m_dir ? VFW_E_INVALID_DIRECTION : S_OK;
}

HRESULT CBasePin::BreakConnect()
{
    return S_OK;
}

HRESULT CBasePin::CompleteConnect(IPin* /*pReceivePin*/)
{
    return S_OK;
}

HRESULT CBasePin::SetMediaType(const CMediaType* pmt)
{
    return m_mt.Set(*pmt);
}

HRESULT CBasePin::GetMediaType(int /*iPosition*/, CMediaType* /*pMediaType*/)
{
    return VFW_S_NO_MORE_ITEMS;
}

HRESULT CBasePin::Active()
{
    return S_OK;
}

HRESULT CBasePin::Inactive()
{
    return S_OK;
}

HRESULT CBasePin::Run(REFERENCE_TIME /*tStart*/)
{
    return S_OK;
}

// ---------------------------------------------------------------------------

CBaseInputPin::CBaseInputPin(const char* pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr,
                             const char* pName)
    : CBasePin(pObjectName, pFilter, pLock, phr, pName, PINDIR_INPUT)
{
}

CBaseInputPin::~CBaseInputPin()
{
    if (m_pAllocator != nullptr) {
        m_pAllocator->Release();
        m_pAllocator = nullptr;
    }
}

HRESULT CBaseInputPin::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IMemInputPin) {
        return GetInterface(static_cast<IMemInputPin*>(this), ppv);
    }
    return CBasePin::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CBaseInputPin::GetAllocator(IMemAllocator** ppAllocator)
{
    if (ppAllocator == nullptr) {
        return E_POINTER;
    }
    CAutoLock lock(m_pLock);
    if (m_pAllocator == nullptr) {
        auto* pAllocator = new (std::nothrow) CMemAllocator("Input pin allocator", nullptr);
        if (pAllocator == nullptr) {
            *ppAllocator = nullptr;
            return E_OUTOFMEMORY;
        }
        m_pAllocator = pAllocator;
        m_pAllocator->AddRef();
    }
    return GetInterface(m_pAllocator, reinterpret_cast<void**>(ppAllocator));
}

HRESULT CBaseInputPin::NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly)
{
    if (pAllocator == nullptr) {
        return E_POINTER;
    }
    CAutoLock lock(m_pLock);
    pAllocator->AddRef();
    if (m_pAllocator != nullptr) {
        m_pAllocator->Release();
    }
    m_pAllocator = pAllocator;
    m_bReadOnly = bReadOnly != FALSE;
    return S_OK;
}

HRESULT CBaseInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* /*pProps*/)
{
    return E_NOTIMPL;
}

HRESULT CBaseInputPin::CheckStreaming()
{
    if (!IsConnected()) {
        return VFW_E_NOT_CONNECTED;
    }
    if (IsStopped()) {
        return VFW_E_WRONG_STATE;
    }
    if (m_bFlushing.load(std::memory_order_relaxed)) {
        return S_FALSE;
    }
    if (m_bRunTimeError.load(std::memory_order_relaxed)) {
        return VFW_E_RUNTIME_ERROR;
    }
    return S_OK;
}

HRESULT CBaseInputPin::Receive(IMediaSample* pSample)
{
    if (pSample == nullptr) {
        return E_POINTER;
    }
    HRESULT hr = CheckStreaming();
    if (hr != S_OK) {
        return hr;
    }
    AM_MEDIA_TYPE* pChanged = nullptr;
    if (pSample->GetMediaType(&pChanged) == S_OK && pChanged != nullptr) {
        const CMediaType mt(*pChanged);
        DeleteMediaType(pChanged);
        hr = CheckMediaType(&mt);
        if (hr != S_OK) {
            // Upstream switched to a type we cannot take: nothing more from
            // this stream can be used.
            m_bRunTimeError.store(true, std::memory_order_relaxed);
            EndOfStream();
            m_pFilter->NotifyEvent(EC_ERRORABORT, VFW_E_TYPE_NOT_ACCEPTED, 0);
            return VFW_E_INVALIDMEDIATYPE;
        }
        hr = SetMediaType(&mt);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

HRESULT CBaseInputPin::ReceiveMultiple(IMediaSample** pSamples, LONG nSamples, LONG* nSamplesProcessed)
{
    if (pSamples == nullptr || nSamplesProcessed == nullptr) {
        return E_POINTER;
    }
    HRESULT hr = S_OK;
    *nSamplesProcessed = 0;
    while (nSamples-- > 0) {
        hr = Receive(pSamples[*nSamplesProcessed]);
        if (hr != S_OK) {
            break;
        }
        ++*nSamplesProcessed;
    }
    return hr;
}

HRESULT CBaseInputPin::ReceiveCanBlock()
{
    return S_OK;
}

HRESULT CBaseInputPin::BeginFlush()
{
    m_bFlushing.store(true, std::memory_order_relaxed);
    return S_OK;
}

HRESULT CBaseInputPin::EndFlush()
{
    m_bFlushing.store(false, std::memory_order_relaxed);
    m_bRunTimeError.store(false, std::memory_order_relaxed);
    return S_OK;
}

HRESULT CBaseInputPin::BreakConnect()
{
    if (m_pAllocator != nullptr) {
        m_pAllocator->Decommit();
        m_pAllocator->Release();
        m_pAllocator = nullptr;
    }
    return S_OK;
}

HRESULT CBaseInputPin::Inactive()
{
    m_bRunTimeError.store(false, std::memory_order_relaxed);
    m_bFlushing.store(false, std::memory_order_relaxed);
    return m_pAllocator != nullptr ? m_pAllocator->Decommit() : S_OK;
}

// ---------------------------------------------------------------------------

CBaseOutputPin::CBaseOutputPin(const char* pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr,
                               const char* pName)
    : CBasePin(pObjectName, pFilter, pLock, phr, pName, PINDIR_OUTPUT)
{
}

CBaseOutputPin::~CBaseOutputPin()
{
    if (m_pAllocator != nullptr) {
        m_pAllocator->Release();
    }
    if (m_pInputPin != nullptr) {
        m_pInputPin->Release();
    }
}

HRESULT CBaseOutputPin::CheckConnect(IPin* pPin)
{
    HRESULT hr = CBasePin::CheckConnect(pPin);
    if (FAILED(hr)) {
        return hr;
    }
    IMemInputPin* pInput = nullptr;
    hr = pPin->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&pInput));
    if (FAILED(hr)) {
        return hr;
    }
    if (m_pInputPin != nullptr) {
        m_pInputPin->Release();
    }
    m_pInputPin = pInput;
    return S_OK;
}

HRESULT CBaseOutputPin::BreakConnect()
{
    if (m_pAllocator != nullptr) {
        m_pAllocator->Decommit();
        m_pAllocator->Release();
        m_pAllocator = nullptr;
    }
    if (m_pInputPin != nullptr) {
        m_pInputPin->Release();
        m_pInputPin = nullptr;
    }
    return S_OK;
}

HRESULT CBaseOutputPin::CompleteConnect(IPin* /*pReceivePin*/)
{
    return DecideAllocator(m_pInputPin, &m_pAllocator);
}

HRESULT CBaseOutputPin::DecideAllocator(IMemInputPin* pPin, IMemAllocator** ppAlloc)
{
    if (pPin == nullptr) {
        return VFW_E_NOT_CONNECTED;
    }
    if (*ppAlloc != nullptr) {
        (*ppAlloc)->Release();
        *ppAlloc = nullptr;
    }
    ALLOCATOR_PROPERTIES props{};
    pPin->GetAllocatorRequirements(&props);
    if (props.cbAlign == 0) {
        props.cbAlign = 1;
    }

    HRESULT hr = pPin->GetAllocator(ppAlloc);
    if (SUCCEEDED(hr)) {
        hr = DecideBufferSize(*ppAlloc, &props);
        if (SUCCEEDED(hr)) {
            hr = pPin->NotifyAllocator(*ppAlloc, FALSE);
            if (SUCCEEDED(hr)) {
                return S_OK;
            }
        }
    }
    if (*ppAlloc != nullptr) {
        (*ppAlloc)->Release();
        *ppAlloc = nullptr;
    }

    // The input pin's allocator would not do; offer one of our own.
    hr = InitAllocator(ppAlloc);
    if (SUCCEEDED(hr)) {
        hr = DecideBufferSize(*ppAlloc, &props);
        if (SUCCEEDED(hr)) {
            hr = pPin->NotifyAllocator(*ppAlloc, FALSE);
            if (SUCCEEDED(hr)) {
                return S_OK;
            }
        }
    }
    if (*ppAlloc != nullptr) {
        (*ppAlloc)->Release();
        *ppAlloc = nullptr;
    }
    return hr;
}

HRESULT CBaseOutputPin::InitAllocator(IMemAllocator** ppAlloc)
{
    auto* pAllocator = new (std::nothrow) CMemAllocator("Output pin allocator", nullptr);
    if (pAllocator == nullptr) {
        *ppAlloc = nullptr;
        return E_OUTOFMEMORY;
    }
    return GetInterface(static_cast<IMemAllocator*>(pAllocator), reinterpret_cast<void**>(ppAlloc));
}

HRESULT CBaseOutputPin::GetDeliveryBuffer(IMediaSample** ppSample, REFERENCE_TIME* pStartTime,
                                          REFERENCE_TIME* pEndTime, DWORD dwFlags)
{
    if (m_pAllocator == nullptr) {
        return VFW_E_NO_ALLOCATOR;
    }
    return m_pAllocator->GetBuffer(ppSample, pStartTime, pEndTime, dwFlags);
}

HRESULT CBaseOutputPin::Deliver(IMediaSample* pSample)
{
    if (m_pInputPin == nullptr) {
        return VFW_E_NOT_CONNECTED;
    }
    return m_pInputPin->Receive(pSample);
}

HRESULT CBaseOutputPin::DeliverEndOfStream()
{
    if (m_Connected == nullptr) {
        return VFW_E_NOT_CONNECTED;
    }
    return m_Connected->EndOfStream();
}

HRESULT CBaseOutputPin::DeliverBeginFlush()
{
    if (m_Connected == nullptr) {
        return VFW_E_NOT_CONNECTED;
    }
    return m_Connected->BeginFlush();
}

HRESULT CBaseOutputPin::DeliverEndFlush()
{
    if (m_Connected == nullptr) {
        return VFW_E_NOT_CONNECTED;
    }
    return m_Connected->EndFlush();
}

HRESULT CBaseOutputPin::DeliverNewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate)
{
    if (m_Connected == nullptr) {
        return VFW_E_NOT_CONNECTED;
    }
    return m_Connected->NewSegment(tStart, tStop, dRate);
}

HRESULT CBaseOutputPin::Active()
{
    if (m_pAllocator == nullptr) {
        return VFW_E_NO_ALLOCATOR;
    }
    return m_pAllocator->Commit();
}

HRESULT CBaseOutputPin::Inactive()
{
    return m_pAllocator != nullptr ? m_pAllocator->Decommit() : S_OK;
}

HRESULT CBaseOutputPin::EndOfStream()
{
    return E_UNEXPECTED;
}

HRESULT CBaseOutputPin::BeginFlush()
{
    return E_UNEXPECTED;
}

HRESULT CBaseOutputPin::EndFlush()
{
    return E_UNEXPECTED;
}

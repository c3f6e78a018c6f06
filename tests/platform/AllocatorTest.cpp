// Allocator properties, buffer lending and media sample state.

#include "platform/media/Allocator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <set>
#include <thread>

namespace {

CComPtr<CMemAllocator> NewAllocator()
{
    return CComPtr<CMemAllocator>(new CMemAllocator("Test allocator", nullptr));
}

// An allocator of `cBuffers` buffers of `cbBuffer` bytes, committed.
CComPtr<CMemAllocator> Committed(LONG cBuffers, LONG cbBuffer)
{
    CComPtr<CMemAllocator> pAllocator = NewAllocator();
    ALLOCATOR_PROPERTIES request{cBuffers, cbBuffer, 1, 0};
    ALLOCATOR_PROPERTIES actual{};
    EXPECT_EQ(pAllocator->SetProperties(&request, &actual), S_OK);
    EXPECT_EQ(pAllocator->Commit(), S_OK);
    return pAllocator;
}

} // namespace

TEST(Allocator, PropertiesAreRoundedToTheAlignment)
{
    // Prefix and buffer together fill whole alignment units; the buffer
    // gets what the prefix leaves of them.
    CComPtr<CMemAllocator> pAllocator = NewAllocator();
    const std::pair<ALLOCATOR_PROPERTIES, LONG> requests[] = {
        {{3, 1000, 16, 8}, 1000}, {{2, 1001, 16, 3}, 1005}, {{1, 1, 64, 0}, 64}, {{4, 7, 1, 5}, 7}};
    for (auto [request, granted] : requests) {
        ALLOCATOR_PROPERTIES actual{};
        ASSERT_EQ(pAllocator->SetProperties(&request, &actual), S_OK);
        EXPECT_EQ(actual.cBuffers, request.cBuffers);
        EXPECT_EQ(actual.cbBuffer, granted) << request.cbBuffer << "+" << request.cbPrefix << "/" << request.cbAlign;
        EXPECT_EQ(actual.cbAlign, request.cbAlign);
        EXPECT_EQ(actual.cbPrefix, request.cbPrefix);
        ALLOCATOR_PROPERTIES read{};
        pAllocator->GetProperties(&read);
        EXPECT_EQ(read.cbBuffer, actual.cbBuffer);
    }
    ALLOCATOR_PROPERTIES bad{1, 100, 3, 0};
    ALLOCATOR_PROPERTIES actual{};
    EXPECT_EQ(pAllocator->SetProperties(&bad, &actual), VFW_E_BADALIGN);
    bad.cbAlign = 0;
    EXPECT_EQ(pAllocator->SetProperties(&bad, &actual), VFW_E_BADALIGN);

    // A maximum buffer size limits what is granted.
    pAllocator->SetMaxBufferSize(511);
    ALLOCATOR_PROPERTIES large{2, 4096, 1, 0};
    ASSERT_EQ(pAllocator->SetProperties(&large, &actual), S_OK);
    EXPECT_EQ(actual.cbBuffer, 511);
}

TEST(Allocator, BuffersAreAlignedDistinctAndLeaveRoomForThePrefix)
{
    CComPtr<CMemAllocator> pAllocator = NewAllocator();
    ALLOCATOR_PROPERTIES request{4, 1000, 32, 12};
    ALLOCATOR_PROPERTIES actual{};
    ASSERT_EQ(pAllocator->SetProperties(&request, &actual), S_OK);
    ASSERT_EQ(pAllocator->Commit(), S_OK);
    std::vector<IMediaSample*> samples;
    std::set<std::uintptr_t> starts;
    for (int i = 0; i < 4; ++i) {
        IMediaSample* pSample = nullptr;
        ASSERT_EQ(pAllocator->GetBuffer(&pSample, nullptr, nullptr, 0), S_OK);
        BYTE* p = nullptr;
        pSample->GetPointer(&p);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 32, 0u);
        EXPECT_EQ(pSample->GetSize(), actual.cbBuffer);
        // Writing the whole buffer and the prefix before it must stay inside
        // this sample's memory (the sanitizer build checks the bounds).
        std::fill(p - request.cbPrefix, p + pSample->GetSize(), static_cast<BYTE>(i));
        starts.insert(reinterpret_cast<std::uintptr_t>(p));
        samples.push_back(pSample);
    }
    EXPECT_EQ(starts.size(), 4u);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        BYTE* p = nullptr;
        samples[i]->GetPointer(&p);
        EXPECT_EQ(p[0], static_cast<BYTE>(i));
        EXPECT_EQ(p[actual.cbBuffer - 1], static_cast<BYTE>(i));
        samples[i]->Release();
    }
}

TEST(Allocator, LendsOnlyWhileCommittedAndOnlyWhatItHas)
{
    CComPtr<CMemAllocator> pAllocator = NewAllocator();
    ALLOCATOR_PROPERTIES request{2, 64, 1, 0};
    ALLOCATOR_PROPERTIES actual{};
    pAllocator->SetProperties(&request, &actual);

    IMediaSample* pFirst = nullptr;
    EXPECT_EQ(pAllocator->GetBuffer(&pFirst, nullptr, nullptr, 0), VFW_E_NOT_COMMITTED);
    ASSERT_EQ(pAllocator->Commit(), S_OK);
    IMediaSample* pSecond = nullptr;
    IMediaSample* pThird = nullptr;
    ASSERT_EQ(pAllocator->GetBuffer(&pFirst, nullptr, nullptr, 0), S_OK);
    ASSERT_EQ(pAllocator->GetBuffer(&pSecond, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(pAllocator->GetBuffer(&pThird, nullptr, nullptr, AM_GBF_NOWAIT), VFW_E_TIMEOUT);
    EXPECT_EQ(pAllocator->SamplesOutstanding(), 2);

    // Properties stay fixed while committed and while samples are out.
    EXPECT_EQ(pAllocator->SetProperties(&request, &actual), VFW_E_ALREADY_COMMITTED);
    pAllocator->Decommit();
    EXPECT_EQ(pAllocator->SetProperties(&request, &actual), VFW_E_BUFFERS_OUTSTANDING);

    pFirst->Release();
    pSecond->Release();
    EXPECT_EQ(pAllocator->SamplesOutstanding(), 0);
    EXPECT_EQ(pAllocator->SetProperties(&request, &actual), S_OK);
}

TEST(Allocator, DecommitReleasesAWaitingCaller)
{
    CComPtr<CMemAllocator> pAllocator = Committed(1, 64);
    IMediaSample* pHeld = nullptr;
    ASSERT_EQ(pAllocator->GetBuffer(&pHeld, nullptr, nullptr, 0), S_OK);

    std::atomic<HRESULT> hrWaiter{S_OK};
    std::thread waiter([&] {
        IMediaSample* pSample = nullptr;
        hrWaiter = pAllocator->GetBuffer(&pSample, nullptr, nullptr, 0);
        if (pSample != nullptr) {
            pSample->Release();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    pAllocator->Decommit();
    waiter.join();
    EXPECT_EQ(hrWaiter.load(), VFW_E_NOT_COMMITTED);
    pHeld->Release();
}

TEST(Allocator, ASampleKeepsItsAllocatorAlive)
{
    CMemAllocator* pAllocator = Committed(1, 16).Detach();
    IMediaSample* pSample = nullptr;
    ASSERT_EQ(pAllocator->GetBuffer(&pSample, nullptr, nullptr, 0), S_OK);
    pAllocator->Decommit();
    pAllocator->Release();
    BYTE* p = nullptr;
    pSample->GetPointer(&p);
    p[15] = 1;
    // The last reference goes with the sample.
    pSample->Release();
}

TEST(MediaSample, TimesFlagsAndLengthFollowTheirRules)
{
    CComPtr<CMemAllocator> pAllocator = Committed(1, 100);

    IMediaSample* pSample = nullptr;
    ASSERT_EQ(pAllocator->GetBuffer(&pSample, nullptr, nullptr, 0), S_OK);
    REFERENCE_TIME tStart = 0;
    REFERENCE_TIME tStop = 0;
    EXPECT_EQ(pSample->GetTime(&tStart, &tStop), VFW_E_SAMPLE_TIME_NOT_SET);
    REFERENCE_TIME t = 5000;
    pSample->SetTime(&t, nullptr);
    EXPECT_EQ(pSample->GetTime(&tStart, &tStop), VFW_S_NO_STOP_TIME);
    EXPECT_EQ(tStart, 5000);
    EXPECT_EQ(tStop, 5001);
    EXPECT_EQ(pSample->SetActualDataLength(101), VFW_E_BUFFER_OVERFLOW);
    EXPECT_EQ(pSample->SetActualDataLength(40), S_OK);
    pSample->SetSyncPoint(TRUE);
    pSample->SetDiscontinuity(TRUE);
    pSample->SetPreroll(TRUE);
    LONGLONG m0 = 10;
    LONGLONG m1 = 20;
    pSample->SetMediaTime(&m0, &m1);
    CMediaType type(&MEDIATYPE_Audio);
    pSample->SetMediaType(&type);
    pSample->Release();

    // Lent out again, the sample has forgotten everything but its memory.
    REFERENCE_TIME tGiven = 777;
    REFERENCE_TIME tGivenStop = 999;
    ASSERT_EQ(pAllocator->GetBuffer(&pSample, &tGiven, &tGivenStop, 0), S_OK);
    EXPECT_EQ(pSample->GetActualDataLength(), 100);
    EXPECT_EQ(pSample->IsSyncPoint(), S_FALSE);
    EXPECT_EQ(pSample->IsDiscontinuity(), S_FALSE);
    EXPECT_EQ(pSample->IsPreroll(), S_FALSE);
    EXPECT_EQ(pSample->GetMediaTime(&m0, &m1), VFW_E_MEDIA_TIME_NOT_SET);
    AM_MEDIA_TYPE* pType = nullptr;
    EXPECT_EQ(pSample->GetMediaType(&pType), S_FALSE);
    EXPECT_EQ(pType, nullptr);
    ASSERT_EQ(pSample->GetTime(&tStart, &tStop), S_OK);
    EXPECT_EQ(tStart, 777);
    EXPECT_EQ(tStop, 999);
    pSample->Release();
}

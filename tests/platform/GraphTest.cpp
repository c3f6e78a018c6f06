// Streaming through the filter graph: connection and state-change order as
// a transform filter sees it, exact data through odd and mismatched buffer
// sizes, reconnection, refusal, and Stop from another thread.

#include "platform/media/FilterGraph.h"
#include "support/MemoryFilters.h"

#include "PassThroughFilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace {

using Strings = std::vector<std::string>;

// Noise every bit of which matters, so a byte lost or moved shows: 16-bit
// samples, or floats in [-1, 1).
template <class T = std::int16_t>
std::vector<T> Noise(std::size_t count, std::uint32_t seed)
{
    std::vector<T> samples(count);
    for (auto& sample : samples) {
        seed = seed * 1664525u + 1013904223u;
        if constexpr (std::is_same_v<T, float>) {
            sample = static_cast<float>(static_cast<std::int32_t>(seed)) / 2147483648.0f;
        } else {
            sample = static_cast<std::int16_t>(seed >> 16);
        }
    }
    return samples;
}

// Frames in each media sample a source with this pattern delivers.
std::vector<LONG> SampleSizes(std::size_t frames, const std::vector<LONG>& pattern)
{
    std::vector<LONG> sizes;
    for (std::size_t i = 0; frames > 0; ++i) {
        const auto n = static_cast<std::size_t>(pattern[i % pattern.size()]);
        sizes.push_back(static_cast<LONG>(std::min(n, frames)));
        frames -= std::min(n, frames);
    }
    return sizes;
}

struct CChain {
    std::shared_ptr<CCallLog> m_pLog = std::make_shared<CCallLog>();
    CComPtr<CMemorySource> m_pSource;
    CComPtr<CPassThrough> m_pFilter;
    CComPtr<CMemorySink> m_pSink{new CMemorySink};
    CFilterGraph m_graph;
};

} // namespace

TEST(FilterGraph, ConnectionCallsTheTransformInTheGraphsOrder)
{
    CChain chain;
    chain.m_pSource = CMemorySource::CreatePcm16(44100, Noise(100, 1));
    chain.m_pFilter = new CPassThrough(chain.m_pLog);
    ASSERT_EQ(chain.m_graph.ConnectChain({chain.m_pSource, chain.m_pFilter, chain.m_pSink}), S_OK);

    // Input side: the upstream pin proposes its type to the input pin.
    // Output side: the filter offers its type, checks it against the input,
    // and once the downstream pin has agreed, the buffers are sized.
    const Strings expected = {"CheckConnect(in)",  "CheckInputType",    "SetMediaType(in)",
                              "CompleteConnect(in)", "GetMediaType(0)", "CheckConnect(out)",
                              "CheckTransform",    "SetMediaType(out)", "CompleteConnect(out)",
                              "DecideBufferSize"};
    EXPECT_EQ(chain.m_pLog->Entries(), expected);

    // The downstream pin got the input's type.
    WAVEFORMATEX wfx{};
    ASSERT_TRUE(GetWaveFormat(chain.m_pSink->ConnectionType(), &wfx));
    EXPECT_EQ(wfx.nSamplesPerSec, 44100u);
    EXPECT_EQ(wfx.nBlockAlign, 2);
}

TEST(FilterGraph, StateChangesGoThroughPauseAndVisitDownstreamFirst)
{
    CChain chain;
    chain.m_pSource = CMemorySource::CreatePcm16(8000, Noise(10, 2));
    CComPtr<CPassThrough> pFirst(new CPassThrough(chain.m_pLog, "A"));
    CComPtr<CPassThrough> pSecond(new CPassThrough(chain.m_pLog, "B"));
    ASSERT_EQ(chain.m_graph.ConnectChain({chain.m_pSource, pFirst, pSecond, chain.m_pSink}), S_OK);
    chain.m_pLog->Clear();

    // Run from stopped pauses every filter (starting its streaming) before
    // any of them runs.
    ASSERT_EQ(chain.m_graph.Run(), S_OK);
    EXPECT_EQ(chain.m_pLog->Entries(),
              (Strings{"B:Pause", "B:StartStreaming", "A:Pause", "A:StartStreaming", "B:Run", "A:Run"}));
    chain.m_pLog->Clear();

    // Stop from running pauses first; streaming stops in Stop.
    ASSERT_EQ(chain.m_graph.Stop(), S_OK);
    EXPECT_EQ(chain.m_pLog->Entries(),
              (Strings{"B:Pause", "A:Pause", "B:Stop", "B:StopStreaming", "A:Stop", "A:StopStreaming"}));
    chain.m_pLog->Clear();

    // Pause, then Run: the filters are already paused when Run arrives.
    chain.m_graph.Pause();
    chain.m_graph.Run();
    EXPECT_EQ(chain.m_pLog->Entries(),
              (Strings{"B:Pause", "B:StartStreaming", "A:Pause", "A:StartStreaming", "B:Run", "A:Run"}));
    chain.m_graph.Stop();
}

TEST(FilterGraph, OddBufferSizesPassTheStreamThroughExactly)
{
    const std::vector<LONG> pattern = {1, 7, 333, 1023, 4097, 2};
    const std::vector<std::int16_t> input = Noise(50001, 3);
    CChain chain;
    chain.m_pSource = CMemorySource::CreatePcm16(44100, input);
    chain.m_pSource->SetFramesPerSample(pattern);
    chain.m_pFilter = new CPassThrough(chain.m_pLog);
    ASSERT_EQ(chain.m_graph.ConnectChain({chain.m_pSource, chain.m_pFilter, chain.m_pSink}), S_OK);
    chain.m_pLog->Clear();

    ASSERT_EQ(chain.m_graph.RunToCompletion(), S_OK);
    EXPECT_EQ(chain.m_pSink->DataAsInt16(), input);

    // One output sample per input sample, timed from the frames before it.
    const std::vector<LONG> sizes = SampleSizes(input.size(), pattern);
    const std::vector<CReceivedSample> received = chain.m_pSink->Samples();
    ASSERT_EQ(received.size(), sizes.size());
    LONGLONG frames = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        EXPECT_EQ(received[i].m_lLength, sizes[i] * 2);
        ASSERT_TRUE(received[i].m_bTimeValid);
        EXPECT_EQ(received[i].m_tStart, frames * 10000000 / 44100);
        frames += sizes[i];
        EXPECT_EQ(received[i].m_tStop, frames * 10000000 / 44100);
        EXPECT_EQ(received[i].m_bDiscontinuity, i == 0);
        EXPECT_TRUE(received[i].m_bSyncPoint);
        EXPECT_EQ(received[i].m_state, State_Running);
    }

    // The end of the stream went through the filter once, after the data,
    // and completed the graph.
    Strings log = chain.m_pLog->Entries();
    std::erase(log, "Pause");
    EXPECT_EQ(log, Strings({"StartStreaming", "Run", "EndOfStream"}));
    EXPECT_EQ(chain.m_pSink->EndOfStreamCount(), 1);
    EXPECT_TRUE(chain.m_graph.IsComplete());
}

TEST(FilterGraph, OutputBuffersSmallerThanInputAtManyRates)
{
    for (const DWORD rate : {8000u, 44100u, 96000u, 192000u}) {
        SCOPED_TRACE(rate);
        const std::vector<float> input = Noise<float>(rate / 2 + 13, rate);
        const std::vector<LONG> pattern = {4097, 1000, 3};
        const LONG cbMaxOut = 2048;
        CChain chain;
        chain.m_pSource = CMemorySource::CreateFloat(rate, input);
        chain.m_pSource->SetFramesPerSample(pattern);
        chain.m_pFilter = new CSplittingPassThrough(nullptr);
        chain.m_pSink->SetMaxBufferBytes(cbMaxOut);
        ASSERT_EQ(chain.m_graph.ConnectChain({chain.m_pSource, chain.m_pFilter, chain.m_pSink}), S_OK);
        ASSERT_EQ(chain.m_graph.RunToCompletion(), S_OK);
        EXPECT_EQ(chain.m_pSink->DataAsFloat(), input);

        // Each input sample becomes ceil(bytes / 2048) output samples; only
        // the first of them carries the times and the flags.
        std::vector<CReceivedSample> received = chain.m_pSink->Samples();
        std::size_t next = 0;
        LONGLONG frames = 0;
        for (const LONG n : SampleSizes(input.size(), pattern)) {
            const LONG cb = n * 4;
            const LONG pieces = (cb + cbMaxOut - 1) / cbMaxOut;
            for (LONG piece = 0; piece < pieces; ++piece, ++next) {
                ASSERT_LT(next, received.size());
                EXPECT_LE(received[next].m_lLength, cbMaxOut);
                EXPECT_EQ(received[next].m_bTimeValid, piece == 0);
                EXPECT_EQ(received[next].m_bSyncPoint, piece == 0);
                EXPECT_EQ(received[next].m_bDiscontinuity, piece == 0 && frames == 0);
                if (piece == 0) {
                    EXPECT_EQ(received[next].m_tStart, frames * 10000000 / rate);
                }
            }
            frames += n;
        }
        EXPECT_EQ(next, received.size());
    }
}

TEST(FilterGraph, SamplesStepPushedWhilePausedArriveBeforeTheRun)
{
    const std::vector<std::int16_t> input = Noise(1000, 4);
    CChain chain;
    chain.m_pSource = CMemorySource::CreatePcm16(48000, input);
    chain.m_pSource->SetFramesPerSample({100});
    chain.m_pFilter = new CPassThrough(nullptr);
    ASSERT_EQ(chain.m_graph.ConnectChain({chain.m_pSource, chain.m_pFilter, chain.m_pSink}), S_OK);

    ASSERT_EQ(chain.m_graph.Pause(), S_OK);
    int delivered = 0;
    ASSERT_EQ(chain.m_graph.Step(3, &delivered), S_OK);
    EXPECT_EQ(delivered, 3);
    ASSERT_EQ(chain.m_graph.RunToCompletion(), S_OK);
    const std::vector<CReceivedSample> received = chain.m_pSink->Samples();
    ASSERT_EQ(received.size(), 10u);
    for (std::size_t i = 0; i < received.size(); ++i) {
        EXPECT_EQ(received[i].m_state, i < 3 ? State_Paused : State_Running) << i;
    }
    EXPECT_EQ(chain.m_pSink->DataAsInt16(), input);

    chain.m_graph.Stop();
    EXPECT_EQ(chain.m_graph.Step(1), VFW_E_WRONG_STATE);
}

TEST(FilterGraph, RefusedTypesLeaveNothingConnected)
{
    CChain chain;
    chain.m_pSource = CMemorySource::CreatePcm16(44100, Noise(10, 5));
    chain.m_pFilter = new CPassThrough(chain.m_pLog);
    chain.m_pSink->SetAcceptFunction([](const CMediaType&) { return S_FALSE; });
    EXPECT_EQ(chain.m_graph.ConnectChain({chain.m_pSource, chain.m_pFilter, chain.m_pSink}),
              VFW_E_NO_ACCEPTABLE_TYPES);
    EXPECT_TRUE(chain.m_pFilter->InputPin()->IsConnected());
    EXPECT_FALSE(chain.m_pFilter->OutputPin()->IsConnected());
    // The failed attempt was undone on the filter's side too.
    const Strings log = chain.m_pLog->Entries();
    EXPECT_NE(std::find(log.begin(), log.end(), "BreakConnect(out)"), log.end());

    // A stereo source is refused by the filter's input check.
    CChain stereo;
    std::vector<BYTE> frames(400);
    stereo.m_pSource = new CMemorySource(MakeWaveFormat(WAVE_FORMAT_PCM, 2, 44100, 16), frames);
    stereo.m_pFilter = new CPassThrough(nullptr);
    EXPECT_EQ(stereo.m_graph.ConnectChain({stereo.m_pSource, stereo.m_pFilter}), VFW_E_NO_ACCEPTABLE_TYPES);
    EXPECT_FALSE(stereo.m_pFilter->InputPin()->IsConnected());
    // Proposed outright, the type itself is what is refused.
    CMediaType offered;
    ASSERT_EQ(stereo.m_pSource->GetPin(0)->GetMediaType(0, &offered), S_OK);
    EXPECT_EQ(stereo.m_graph.ConnectDirect(stereo.m_pSource->GetPin(0), stereo.m_pFilter->InputPin(), &offered),
              VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_FALSE(stereo.m_pSource->GetPin(0)->IsConnected());
}

namespace {

// Takes a new input type even when it no longer matches the output, and
// then asks the graph to connect the output again.
class CReconnectingFilter : public CPassThrough {
public:
    using CPassThrough::CPassThrough;

    CBasePin* GetPin(int n) override
    {
        if (m_pInput == nullptr) {
            HRESULT hr = S_OK;
            m_pInput = new CLooseInputPin(this, &hr);
            m_pOutput = new CTransformOutputPin("Output", this, &hr, "Output");
        }
        return n == 0 ? static_cast<CBasePin*>(m_pInput) : n == 1 ? m_pOutput : nullptr;
    }

    HRESULT CompleteConnect(PIN_DIRECTION direction, IPin* pReceivePin) override
    {
        CPassThrough::CompleteConnect(direction, pReceivePin);
        if (direction == PINDIR_INPUT && m_pOutput->IsConnected() &&
            CheckTransform(&m_pInput->CurrentMediaType(), &m_pOutput->CurrentMediaType()) != S_OK) {
            return ReconnectPin(m_pOutput, nullptr);
        }
        return S_OK;
    }

private:
    class CLooseInputPin : public CTransformInputPin {
    public:
        CLooseInputPin(CReconnectingFilter* pFilter, HRESULT* phr)
            : CTransformInputPin("Input", pFilter, phr, "Input"), m_pOwner(pFilter)
        {
        }
        HRESULT CheckMediaType(const CMediaType* pmt) override { return m_pOwner->CheckInputType(pmt); }

    private:
        CReconnectingFilter* m_pOwner;
    };
};

} // namespace

TEST(FilterGraph, ReconnectAskedDuringAConnectionHappensAfterIt)
{
    CChain chain;
    chain.m_pSource = CMemorySource::CreatePcm16(44100, Noise(10, 6));
    chain.m_pFilter = new CReconnectingFilter(chain.m_pLog);
    ASSERT_EQ(chain.m_graph.ConnectChain({chain.m_pSource, chain.m_pFilter, chain.m_pSink}), S_OK);

    CComPtr<CMemorySource> pFaster(CMemorySource::CreatePcm16(48000, Noise(10, 7)));
    chain.m_graph.AddFilter(pFaster, "Faster source");
    chain.m_graph.Disconnect(chain.m_pFilter->InputPin());
    chain.m_graph.Disconnect(chain.m_pSource->GetPin(0));
    chain.m_pLog->Clear();
    ASSERT_EQ(chain.m_graph.Connect(pFaster->GetPin(0), chain.m_pFilter->InputPin()), S_OK);
    EXPECT_EQ(chain.m_graph.LastReconnectResult(), S_OK);

    // The input connection finished before the output was made again.
    const Strings log = chain.m_pLog->Entries();
    const auto completeIn = std::find(log.begin(), log.end(), "CompleteConnect(in)");
    const auto breakOut = std::find(log.begin(), log.end(), "BreakConnect(out)");
    const auto completeOut = std::find(log.begin(), log.end(), "CompleteConnect(out)");
    ASSERT_NE(completeIn, log.end());
    ASSERT_NE(breakOut, log.end());
    ASSERT_NE(completeOut, log.end());
    EXPECT_LT(completeIn, breakOut);
    EXPECT_LT(breakOut, completeOut);

    WAVEFORMATEX wfx{};
    ASSERT_TRUE(GetWaveFormat(chain.m_pSink->ConnectionType(), &wfx));
    EXPECT_EQ(wfx.nSamplesPerSec, 48000u);
}

TEST(FilterGraph, StopFromAnotherThreadEndsTheRunAndAFreshRunStartsOver)
{
    const std::vector<std::int16_t> input = Noise(1000000, 8);
    CChain chain;
    chain.m_pSource = CMemorySource::CreatePcm16(44100, input);
    chain.m_pSource->SetFramesPerSample({64});
    chain.m_pFilter = new CPassThrough(chain.m_pLog);
    chain.m_pSink->SlowDownFrom(20, std::chrono::microseconds(500));
    ASSERT_EQ(chain.m_graph.ConnectChain({chain.m_pSource, chain.m_pFilter, chain.m_pSink}), S_OK);

    std::thread stopper([&] {
        while (chain.m_pSink->Samples().size() < 20) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        chain.m_graph.Stop();
    });
    const HRESULT hr = chain.m_graph.RunToCompletion();
    stopper.join();
    EXPECT_EQ(hr, S_FALSE);
    EXPECT_EQ(chain.m_graph.GetState(), State_Stopped);
    EXPECT_EQ(chain.m_pFilter->State(), State_Stopped);
    EXPECT_FALSE(chain.m_graph.IsComplete());
    const std::vector<std::int16_t> partial = chain.m_pSink->DataAsInt16();
    EXPECT_LT(partial.size(), input.size());
    EXPECT_TRUE(std::equal(partial.begin(), partial.end(), input.begin()));

    chain.m_pSink->Clear();
    chain.m_pSink->SlowDownFrom(-1, std::chrono::microseconds(0));
    chain.m_pSource->SetFramesPerSample({65536});
    ASSERT_EQ(chain.m_graph.RunToCompletion(), S_OK);
    EXPECT_EQ(chain.m_pSink->DataAsInt16(), input);
    chain.m_graph.Stop();
}

TEST(FilterGraph, ADownstreamFailureAbortsTheRun)
{
    CChain chain;
    chain.m_pSource = CMemorySource::CreatePcm16(44100, Noise(10000, 9));
    chain.m_pSource->SetFramesPerSample({1000});
    chain.m_pFilter = new CPassThrough(nullptr);
    chain.m_pSink->FailReceiveFrom(2, E_FAIL);
    ASSERT_EQ(chain.m_graph.ConnectChain({chain.m_pSource, chain.m_pFilter, chain.m_pSink}), S_OK);
    EXPECT_EQ(chain.m_graph.RunToCompletion(), E_FAIL);
    EXPECT_EQ(chain.m_graph.AbortResult(), E_FAIL);
    EXPECT_EQ(chain.m_pSink->Samples().size(), 2u);
    EXPECT_EQ(chain.m_pSink->EndOfStreamCount(), 0);
}

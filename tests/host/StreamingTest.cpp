// Audio through the filter in a graph: the output must be exactly what the
// engine makes of the same samples, however the stream is cut into input
// and output samples; sample times and flags go on the first output sample
// of each input sample.

#include "HostTestSupport.h"
#include "host/SampleConversion.h"

using namespace hosttest;

TEST(Streaming, OutputIsTheEngineRunDirectlyInSamplesAsFullAsTheBuffersAllow)
{
    for (const bool pcm16 : {true, false}) {
        const int rate = pcm16 ? 8000 : 96000;
        const LONG cbMax = pcm16 ? 1000 : 2052;
        const std::vector<float> voice = SungNote(rate, 0.6);
        const std::vector<std::int16_t> pcm = ToPcm16(voice);
        CPlugInChain chain;
        CMemorySource* pSource = pcm16 ? CMemorySource::CreatePcm16(rate, pcm) : CMemorySource::CreateFloat(rate, voice);
        pSource->SetFramesPerSample({1, 333, 4097, 77});
        chain.m_pSink->SetMaxBufferBytes(cbMax);
        ASSERT_EQ(chain.Connect(pSource), S_OK);
        ASSERT_EQ(chain.m_graph.RunToCompletion(), S_OK);
        if (pcm16) {
            // Samples divided by 32768 on the way in; on the way out scaled
            // by 32768, cut toward zero, held to the 16-bit range.
            std::vector<float> widened(pcm.begin(), pcm.end());
            for (float& s : widened)
                s /= 32768.0f;
            std::vector<std::int16_t> expected;
            for (float s : EngineReference(widened, rate))
                expected.push_back(static_cast<std::int16_t>(std::clamp(std::trunc(s * 32768.0), -32768.0, 32767.0)));
            EXPECT_TRUE(chain.m_pSink->DataAsInt16() == expected);
        } else {
            EXPECT_TRUE(chain.m_pSink->DataAsFloat() == EngineReference(voice, rate));
        }
        const auto received = chain.m_pSink->Samples();
        EXPECT_GT(received.size(), static_cast<std::size_t>(pSource->SamplesDelivered()));
        for (const CReceivedSample& s : received)
            EXPECT_LE(s.m_lLength, cbMax / (pcm16 ? 2 : 4) * (pcm16 ? 2 : 4));
    }
}

TEST(Streaming, TimesAndFlagsGoOnTheFirstOutputSampleOfEachInputSampleOnly)
{
    CPlugInChain chain;
    const int rate = 16000;
    const std::vector<LONG> pattern = {1000, 250};
    const LONGLONG total = rate / 2;
    CComPtr<CMemorySource> pSource = CMemorySource::CreateFloat(rate, SungNote(rate, 0.5));
    pSource->SetFramesPerSample(pattern);
    chain.m_pSink->SetMaxBufferBytes(600 * 4);
    ASSERT_EQ(chain.Connect(pSource), S_OK);
    ASSERT_EQ(chain.m_graph.RunToCompletion(), S_OK);
    // Input sample k starts at frame F(k); the source stamps it F(k)/rate.
    // A 1000-frame input fills two outputs (600 + 400), a 250-frame one.
    LONGLONG frame = 0;
    std::size_t input = 0, outputsLeft = 0;
    for (const CReceivedSample& s : chain.m_pSink->Samples()) {
        if (outputsLeft-- == 0) {
            const LONG frames = static_cast<LONG>(std::min<LONGLONG>(pattern[input % 2], total - frame));
            outputsLeft = frames > 600 ? 1 : 0;
            ASSERT_TRUE(s.m_bTimeValid);
            EXPECT_EQ(std::pair(s.m_tStart, s.m_tStop), std::pair(frame * UNITS / rate, (frame + frames) * UNITS / rate));
            EXPECT_EQ(std::pair(s.m_bSyncPoint, s.m_bDiscontinuity), std::pair(true, input == 0));
            frame += frames;
            ++input;
        } else {
            EXPECT_FALSE(s.m_bTimeValid || s.m_bSyncPoint || s.m_bDiscontinuity);
        }
    }
    EXPECT_EQ(static_cast<int>(input), pSource->SamplesDelivered());

    CPlugInChain untimed;
    CComPtr<CMemorySource> pUntimed = CMemorySource::CreatePcm16(8000, ToPcm16(SungNote(8000, 0.2)));
    ASSERT_TRUE(pUntimed != nullptr);
    pUntimed->SetTimestamps(false);
    ASSERT_EQ(untimed.Connect(pUntimed), S_OK);
    ASSERT_EQ(untimed.m_graph.RunToCompletion(), S_OK);
    ASSERT_FALSE(untimed.m_pSink->Samples().empty());
    for (const CReceivedSample& s : untimed.m_pSink->Samples())
        EXPECT_FALSE(s.m_bTimeValid);
}

TEST(SampleConversion, EdgeValues)
{
    EXPECT_EQ(Pcm16ToFloat(-32768), -1.0f);
    EXPECT_EQ(FloatToPcm16(Pcm16ToFloat(-32768)), -32768);
    EXPECT_EQ(FloatToPcm16(Pcm16ToFloat(32767)), 32767);
    EXPECT_EQ(FloatToPcm16(1.0f), 32767);
    EXPECT_EQ(FloatToPcm16(-1.5f), -32768);
    EXPECT_EQ(FloatToPcm16(0.99999f), 32767);  // 32767.67, cut toward zero
    EXPECT_EQ(FloatToPcm16(-0.00002f), 0);     // -0.66 becomes 0, not -1
    EXPECT_EQ(FloatToPcm16(0.5f), 16384);
    EXPECT_EQ(FloatToPcm16(std::nanf("")), 0);
}

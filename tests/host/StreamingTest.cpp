// Audio through the filter in a graph: the output must be exactly what the
// engine makes of the same samples, whatever the rate and however the
// stream is cut into input and output samples; sample times and flags go on
// the first output sample of each input sample.

#include "HostTestSupport.h"
#include "host/SampleConversion.h"

#include <gtest/gtest.h>

using namespace hosttest;

namespace {

// The engine's floats as 16-bit samples: scaled by 2^15, cut toward zero,
// held to the 16-bit range.
std::vector<std::int16_t> Quantise(const std::vector<float>& samples)
{
    std::vector<std::int16_t> out(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double scaled = std::trunc(static_cast<double>(samples[i]) * 32768.0);
        out[i] = static_cast<std::int16_t>(std::clamp(scaled, -32768.0, 32767.0));
    }
    return out;
}

std::vector<float> Widen(const std::vector<std::int16_t>& pcm)
{
    std::vector<float> out(pcm.size());
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        out[i] = static_cast<float>(pcm[i]) / 32768.0f;
    }
    return out;
}

struct CStreamCase {
    int m_nRate;
    bool m_bFloat;
    std::vector<LONG> m_pattern;  // frames per input sample
    LONG m_cbMaxOutput;           // 0: output buffers like the input's
};

} // namespace

class StreamingThroughTheFilter : public ::testing::TestWithParam<CStreamCase> {};

TEST_P(StreamingThroughTheFilter, MatchesTheEngineRunDirectly)
{
    const CStreamCase& c = GetParam();
    const std::vector<float> voice = SungNote(c.m_nRate, 0.6);

    CPlugInChain chain;
    std::vector<std::int16_t> pcm;
    CMemorySource* pSource = nullptr;
    if (c.m_bFloat) {
        pSource = CMemorySource::CreateFloat(static_cast<DWORD>(c.m_nRate), voice);
    } else {
        pcm = ToPcm16(voice);
        pSource = CMemorySource::CreatePcm16(static_cast<DWORD>(c.m_nRate), pcm);
    }
    pSource->SetFramesPerSample(c.m_pattern);
    chain.m_pSink->SetMaxBufferBytes(c.m_cbMaxOutput);
    ASSERT_EQ(chain.Connect(pSource), S_OK);
    ASSERT_EQ(chain.m_graph.RunToCompletion(), S_OK);
    ASSERT_EQ(chain.m_graph.Stop(), S_OK);

    if (c.m_bFloat) {
        const std::vector<float> expected = EngineReference(voice, c.m_nRate);
        const std::vector<float> got = chain.m_pSink->DataAsFloat();
        ASSERT_EQ(got.size(), expected.size());
        EXPECT_TRUE(got == expected);
    } else {
        const std::vector<std::int16_t> expected = Quantise(EngineReference(Widen(pcm), c.m_nRate));
        const std::vector<std::int16_t> got = chain.m_pSink->DataAsInt16();
        ASSERT_EQ(got.size(), expected.size());
        EXPECT_TRUE(got == expected);
    }

    if (c.m_cbMaxOutput > 0) {
        // Every output sample is as full as the buffers allow, except the
        // last of each input sample.
        const LONG frameBytes = c.m_bFloat ? 4 : 2;
        const auto received = chain.m_pSink->Samples();
        EXPECT_GT(received.size(), static_cast<std::size_t>(pSource->SamplesDelivered()));
        for (const CReceivedSample& s : received) {
            EXPECT_LE(s.m_lLength, c.m_cbMaxOutput / frameBytes * frameBytes);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    RatesAndBufferSizes, StreamingThroughTheFilter,
    ::testing::Values(CStreamCase{8000, false, {1, 333, 4097, 77}, 0}, CStreamCase{44100, false, {1023}, 1000},
                      CStreamCase{44100, true, {4096, 5}, 0}, CStreamCase{96000, true, {3001, 17}, 2052},
                      CStreamCase{192000, false, {9999}, 4094}, CStreamCase{192000, true, {65536}, 0}),
    [](const ::testing::TestParamInfo<CStreamCase>& info) {
        const CStreamCase& c = info.param;
        return std::string(c.m_bFloat ? "Float" : "Pcm16") + "At" + std::to_string(c.m_nRate) + "OutputBytes" +
               std::to_string(c.m_cbMaxOutput);
    });

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
    // A 1000-frame input fills two outputs (600 + 400), a 250-frame one;
    // the last input holds what is left.
    LONGLONG frame = 0;
    std::size_t input = 0;
    std::size_t outputsLeft = 0;
    for (const CReceivedSample& s : chain.m_pSink->Samples()) {
        if (outputsLeft == 0) {
            const LONG frames = static_cast<LONG>(std::min<LONGLONG>(pattern[input % pattern.size()], total - frame));
            outputsLeft = frames > 600 ? 2 : 1;
            ASSERT_TRUE(s.m_bTimeValid);
            EXPECT_EQ(s.m_tStart, frame * UNITS / rate);
            EXPECT_EQ(s.m_tStop, (frame + frames) * UNITS / rate);
            EXPECT_TRUE(s.m_bSyncPoint);
            EXPECT_EQ(s.m_bDiscontinuity, input == 0);
            frame += frames;
            ++input;
        } else {
            EXPECT_FALSE(s.m_bTimeValid);
            EXPECT_FALSE(s.m_bSyncPoint);
            EXPECT_FALSE(s.m_bDiscontinuity);
        }
        --outputsLeft;
    }
    EXPECT_EQ(static_cast<int>(input), pSource->SamplesDelivered());
}

TEST(Streaming, InputWithoutTimesGivesOutputWithoutTimes)
{
    CPlugInChain chain;
    CComPtr<CMemorySource> pSource = CMemorySource::CreatePcm16(8000, ToPcm16(SungNote(8000, 0.2)));
    pSource->SetTimestamps(false);
    ASSERT_EQ(chain.Connect(pSource), S_OK);
    ASSERT_EQ(chain.m_graph.RunToCompletion(), S_OK);
    ASSERT_FALSE(chain.m_pSink->Samples().empty());
    for (const CReceivedSample& s : chain.m_pSink->Samples()) {
        EXPECT_FALSE(s.m_bTimeValid);
    }
}

TEST(SampleConversion, EdgeValues)
{
    EXPECT_EQ(Pcm16ToFloat(-32768), -1.0f);
    EXPECT_EQ(FloatToPcm16(Pcm16ToFloat(-32768)), -32768);
    EXPECT_EQ(FloatToPcm16(Pcm16ToFloat(32767)), 32767);
    EXPECT_EQ(FloatToPcm16(1.0f), 32767);
    EXPECT_EQ(FloatToPcm16(3.0f), 32767);
    EXPECT_EQ(FloatToPcm16(-1.5f), -32768);
    EXPECT_EQ(FloatToPcm16(0.99999f), 32767);  // 32767.67, cut toward zero
    EXPECT_EQ(FloatToPcm16(-0.00002f), 0);     // -0.66 becomes 0, not -1
    EXPECT_EQ(FloatToPcm16(0.5f), 16384);
    EXPECT_EQ(FloatToPcm16(std::nanf("")), 0);
}

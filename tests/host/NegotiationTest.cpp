// Which formats the filter takes, what it offers downstream, how it sizes
// its output buffers, and what happens when the input format changes under
// a connected output.

#include "HostTestSupport.h"

#include <gtest/gtest.h>

using namespace hosttest;

TEST(Negotiation, AcceptsOnlyMono16BitPcmAndMonoFloatAtAnyRate)
{
    auto pFilter = MakeFilter();
    const auto Check = [&](CMediaType mt) { return pFilter->CheckInputType(&mt); };
    for (DWORD rate : {8000u, 11025u, 44100u, 96000u, 192000u, 7u}) {
        EXPECT_EQ(Check(AudioType(WAVE_FORMAT_PCM, 1, rate, 16)), S_OK) << rate;
        EXPECT_EQ(Check(AudioType(WAVE_FORMAT_IEEE_FLOAT, 1, rate, 32)), S_OK) << rate;
    }
    // The 16-byte base format is enough.
    EXPECT_EQ(Check(AudioType(WAVE_FORMAT_PCM, 1, 44100, 16, 16)), S_OK);

    EXPECT_EQ(Check(AudioType(WAVE_FORMAT_PCM, 2, 44100, 16)), E_INVALIDARG);
    EXPECT_EQ(Check(AudioType(WAVE_FORMAT_IEEE_FLOAT, 2, 44100, 32)), E_INVALIDARG);
    EXPECT_EQ(Check(AudioType(WAVE_FORMAT_PCM, 1, 44100, 8)), E_INVALIDARG);
    EXPECT_EQ(Check(AudioType(WAVE_FORMAT_PCM, 1, 44100, 24)), E_INVALIDARG);
    EXPECT_EQ(Check(AudioType(WAVE_FORMAT_IEEE_FLOAT, 1, 44100, 16)), E_INVALIDARG);
    EXPECT_EQ(Check(AudioType(WAVE_FORMAT_PCM, 1, 44100, 16, 14)), E_INVALIDARG);

    CMediaType compressed = AudioType(WAVE_FORMAT_PCM, 1, 44100, 16);
    compressed.SetTemporalCompression(TRUE);
    EXPECT_EQ(pFilter->CheckInputType(&compressed), E_INVALIDARG);
    CMediaType video = AudioType(WAVE_FORMAT_PCM, 1, 44100, 16);
    video.SetType(&GUID_NULL);
    EXPECT_EQ(pFilter->CheckInputType(&video), E_INVALIDARG);
}

TEST(Negotiation, TransformNeedsTheSameSampleFormatAndRateAndMonoOutput)
{
    auto pFilter = MakeFilter();
    const CMediaType in = AudioType(WAVE_FORMAT_PCM, 1, 48000, 16);
    EXPECT_EQ(pFilter->CheckTransform(&in, &in), S_OK);
    // Accepting it also tells the processor the rate.
    EXPECT_EQ(Processor(pFilter)->GetSampleRate(), 48000.0f);

    // A refusal leaves the rate alone, whatever the refused input's rate.
    const CMediaType other = AudioType(WAVE_FORMAT_PCM, 1, 22050, 16);
    for (const CMediaType& out : {AudioType(WAVE_FORMAT_PCM, 1, 44100, 16),
                                  AudioType(WAVE_FORMAT_IEEE_FLOAT, 1, 22050, 32),
                                  AudioType(WAVE_FORMAT_PCM, 2, 22050, 16)}) {
        EXPECT_EQ(pFilter->CheckTransform(&other, &out), E_INVALIDARG);
        EXPECT_EQ(Processor(pFilter)->GetSampleRate(), 48000.0f);
    }
}

TEST(Negotiation, TheOutputOffersExactlyTheInputTypeOnceConnected)
{
    auto pFilter = MakeFilter();
    CMediaType offered;
    EXPECT_EQ(pFilter->GetMediaType(0, &offered), E_UNEXPECTED);

    CPlugInChain chain;
    ASSERT_EQ(chain.Connect(CMemorySource::CreateFloat(22050, SungNote(22050, 0.1))), S_OK);
    ASSERT_EQ(chain.m_pFilter->GetMediaType(0, &offered), S_OK);
    WAVEFORMATEX wfx{};
    ASSERT_TRUE(GetWaveFormat(offered, &wfx));
    EXPECT_EQ(wfx.wFormatTag, WAVE_FORMAT_IEEE_FLOAT);
    EXPECT_EQ(wfx.nChannels, 1);
    EXPECT_EQ(wfx.nSamplesPerSec, 22050u);
    EXPECT_EQ(wfx.nBlockAlign, 4);
    EXPECT_EQ(wfx.nAvgBytesPerSec, 22050u * 4);
    EXPECT_EQ(wfx.cbSize, 0);
    EXPECT_EQ(chain.m_pFilter->GetMediaType(1, &offered), VFW_S_NO_MORE_ITEMS);
    EXPECT_EQ(chain.m_pFilter->GetMediaType(-1, &offered), E_INVALIDARG);

    // Both connections are what the control interface reports.
    WAVEFORMATEX reported{};
    ASSERT_EQ(chain.m_pFilter->GetWaveFormat(&reported, 1), S_OK);
    EXPECT_EQ(reported.nSamplesPerSec, 22050u);
    EXPECT_EQ(reported.wBitsPerSample, 32);
    EXPECT_EQ(chain.m_pFilter->GetWaveFormat(&reported, 2), VFW_E_NOT_CONNECTED);
}

TEST(Negotiation, OutputBuffersBelow512BytesAreRefused)
{
    auto pFilter = MakeFilter();
    for (LONG cbGranted : {511L, 512L}) {
        CComPtr<CMemAllocator> pAllocator(new CMemAllocator("test allocator", nullptr));
        pAllocator->SetMaxBufferSize(cbGranted);
        ALLOCATOR_PROPERTIES request{4, 8192, 1, 0};
        const HRESULT hr = pFilter->DecideBufferSize(pAllocator, &request);
        EXPECT_EQ(hr, cbGranted < 512 ? E_FAIL : S_OK) << cbGranted;
        // What the allocator granted is reported back either way.
        EXPECT_EQ(request.cbBuffer, cbGranted);
    }
}

TEST(Negotiation, ANewInputRateReconnectsTheOutputWhenDownstreamTakesIt)
{
    CPlugInChain chain;
    ASSERT_EQ(chain.Connect(CMemorySource::CreatePcm16(44100, ToPcm16(SungNote(44100, 0.05)))), S_OK);

    // Replace the source by one at another rate: the present output type no
    // longer fits, but the sink takes any audio, so the input is accepted and
    // the output connection is made again at the new rate.
    CComPtr<CMemorySource> pOther = CMemorySource::CreatePcm16(48000, ToPcm16(SungNote(48000, 0.05)));
    ASSERT_EQ(chain.m_graph.Disconnect(chain.m_pSource->GetPin(0)), S_OK);
    ASSERT_EQ(chain.m_graph.Disconnect(chain.m_pFilter->GetPin(0)), S_OK);
    ASSERT_EQ(chain.m_graph.AddFilter(pOther, "other"), S_OK);
    ASSERT_EQ(chain.m_graph.Connect(pOther->GetPin(0), chain.m_pFilter->GetPin(0)), S_OK);
    EXPECT_EQ(chain.m_graph.LastReconnectResult(), S_OK);
    WAVEFORMATEX wfx{};
    ASSERT_TRUE(GetWaveFormat(chain.m_pSink->ConnectionType(), &wfx));
    EXPECT_EQ(wfx.nSamplesPerSec, 48000u);
    EXPECT_EQ(Processor(chain.m_pFilter)->GetSampleRate(), 48000.0f);

    // A sink that takes only 48 kHz makes a 32 kHz input unacceptable.
    chain.m_pSink->SetAcceptFunction([](const CMediaType& mt) {
        WAVEFORMATEX f{};
        return GetWaveFormat(mt, &f) && f.nSamplesPerSec == 48000 ? S_OK : S_FALSE;
    });
    CComPtr<CMemorySource> pThird = CMemorySource::CreatePcm16(32000, ToPcm16(SungNote(32000, 0.05)));
    ASSERT_EQ(chain.m_graph.Disconnect(pOther->GetPin(0)), S_OK);
    ASSERT_EQ(chain.m_graph.Disconnect(chain.m_pFilter->GetPin(0)), S_OK);
    ASSERT_EQ(chain.m_graph.AddFilter(pThird, "third"), S_OK);
    EXPECT_TRUE(FAILED(chain.m_graph.Connect(pThird->GetPin(0), chain.m_pFilter->GetPin(0))));
}

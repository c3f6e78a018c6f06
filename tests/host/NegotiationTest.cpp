// Which formats the filter takes, what it offers downstream, how it sizes
// its output buffers, and what happens when the input format changes under
// a connected output.

#include "HostTestSupport.h"

using namespace hosttest;

TEST(Negotiation, AcceptsOnlyMono16BitPcmAndMonoFloatAtAnyRate)
{
    auto pFilter = MakeFilter();
    const auto Check = [&](CMediaType mt) { return pFilter->CheckInputType(&mt); };
    for (DWORD rate : {8000u, 44100u, 192000u, 7u}) {
        EXPECT_EQ(Check(AudioType(WAVE_FORMAT_PCM, 1, rate, 16)), S_OK) << rate;
        EXPECT_EQ(Check(AudioType(WAVE_FORMAT_IEEE_FLOAT, 1, rate, 32)), S_OK) << rate;
    }
    EXPECT_EQ(Check(AudioType(WAVE_FORMAT_PCM, 1, 44100, 16, 16)), S_OK) << "the 16-byte base format is enough";
    for (const CMediaType& refused : {AudioType(WAVE_FORMAT_PCM, 2, 44100, 16), AudioType(WAVE_FORMAT_IEEE_FLOAT, 2, 44100, 32),
                                      AudioType(WAVE_FORMAT_PCM, 1, 44100, 8), AudioType(WAVE_FORMAT_PCM, 1, 44100, 24),
                                      AudioType(WAVE_FORMAT_IEEE_FLOAT, 1, 44100, 16), AudioType(WAVE_FORMAT_PCM, 1, 44100, 16, 14)})
        EXPECT_EQ(Check(refused), E_INVALIDARG);
    CMediaType compressed = AudioType(WAVE_FORMAT_PCM, 1, 44100, 16);
    compressed.SetTemporalCompression(TRUE);
    EXPECT_EQ(Check(compressed), E_INVALIDARG);
    CMediaType video = AudioType(WAVE_FORMAT_PCM, 1, 44100, 16);
    video.SetType(&GUID_NULL);
    EXPECT_EQ(Check(video), E_INVALIDARG);
}

TEST(Negotiation, TransformNeedsTheSameFormatAndRateAndOnlyThenSetsTheRate)
{
    auto pFilter = MakeFilter();
    const CMediaType in = AudioType(WAVE_FORMAT_PCM, 1, 48000, 16);
    EXPECT_EQ(pFilter->CheckTransform(&in, &in), S_OK);
    EXPECT_EQ(Processor(pFilter)->GetSampleRate(), 48000.0f);
    const CMediaType other = AudioType(WAVE_FORMAT_PCM, 1, 22050, 16);
    for (const CMediaType& out : {AudioType(WAVE_FORMAT_PCM, 1, 44100, 16), AudioType(WAVE_FORMAT_IEEE_FLOAT, 1, 22050, 32),
                                  AudioType(WAVE_FORMAT_PCM, 2, 22050, 16)}) {
        EXPECT_EQ(pFilter->CheckTransform(&other, &out), E_INVALIDARG);
        EXPECT_EQ(Processor(pFilter)->GetSampleRate(), 48000.0f) << "a refusal leaves the rate alone";
    }
}

TEST(Negotiation, TheOutputOffersExactlyTheInputTypeOnceConnected)
{
    CPlugInChain chain;
    CMediaType offered;
    EXPECT_EQ(chain.m_pFilter->GetMediaType(0, &offered), E_UNEXPECTED);
    ASSERT_EQ(chain.Connect(CMemorySource::CreateFloat(22050, SungNote(22050, 0.1))), S_OK);
    ASSERT_EQ(chain.m_pFilter->GetMediaType(0, &offered), S_OK);
    WAVEFORMATEX wfx{};
    ASSERT_TRUE(GetWaveFormat(offered, &wfx));
    EXPECT_EQ(std::tuple(wfx.wFormatTag, wfx.nChannels, wfx.nSamplesPerSec, wfx.nBlockAlign, wfx.nAvgBytesPerSec, wfx.cbSize),
              std::tuple(WORD{WAVE_FORMAT_IEEE_FLOAT}, WORD{1}, 22050u, WORD{4}, 22050u * 4, WORD{0}));
    EXPECT_EQ(chain.m_pFilter->GetMediaType(1, &offered), VFW_S_NO_MORE_ITEMS);
    EXPECT_EQ(chain.m_pFilter->GetMediaType(-1, &offered), E_INVALIDARG);
}

TEST(Negotiation, OutputBuffersBelow512BytesAreRefused)
{
    auto pFilter = MakeFilter();
    for (LONG cbGranted : {511L, 512L}) {
        CComPtr<CMemAllocator> pAllocator(new CMemAllocator("test allocator", nullptr));
        pAllocator->SetMaxBufferSize(cbGranted);
        ALLOCATOR_PROPERTIES request{4, 8192, 1, 0};
        EXPECT_EQ(pFilter->DecideBufferSize(pAllocator, &request), cbGranted < 512 ? E_FAIL : S_OK) << cbGranted;
        EXPECT_EQ(request.cbBuffer, cbGranted) << "what the allocator granted is reported back either way";
    }
}

TEST(Negotiation, ANewInputRateReconnectsTheOutputWhenDownstreamTakesIt)
{
    CPlugInChain chain;
    ASSERT_EQ(chain.Connect(CMemorySource::CreatePcm16(44100, ToPcm16(SungNote(44100, 0.05)))), S_OK);
    // Another source at another rate: the present output type no longer
    // fits, but the sink takes any audio, so the output is connected again.
    auto replace = [&](CMemorySource* pOld, CMemorySource* pNew) {
        EXPECT_EQ(chain.m_graph.Disconnect(pOld->GetPin(0)), S_OK);
        EXPECT_EQ(chain.m_graph.Disconnect(chain.m_pFilter->GetPin(0)), S_OK);
        EXPECT_EQ(chain.m_graph.AddFilter(pNew, "other"), S_OK);
        return chain.m_graph.Connect(pNew->GetPin(0), chain.m_pFilter->GetPin(0));
    };
    CComPtr<CMemorySource> p48 = CMemorySource::CreatePcm16(48000, ToPcm16(SungNote(48000, 0.05)));
    ASSERT_EQ(replace(chain.m_pSource, p48), S_OK);
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
    CComPtr<CMemorySource> p32 = CMemorySource::CreatePcm16(32000, ToPcm16(SungNote(32000, 0.05)));
    EXPECT_TRUE(FAILED(replace(p48, p32)));
}

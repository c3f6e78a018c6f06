// The plug-in as a host drives it: one thread streams audio through a filter
// graph (memory source, the plug-in's filter, a checking sink) while another
// thread does everything a user and a host do at the same time: every
// automatic-mode setting through SetParameter and through the control
// interface's puts and SetSettings, mode switches, graphical passes armed,
// drawn on and finished, status polled. Only the control lock and the
// graph's own locks are taken, so this is the program the thread sanitizer
// job watches; here it also checks that the stream comes through whole and
// finite.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

#include "host/ActvPlug.h"
#include "platform/media/FilterGraph.h"
#include "support/MemoryFilters.h"
#include "platform/media/SinkFilter.h"
#include "settings/ParameterIds.h"

namespace {

constexpr int kRate = 44100;
constexpr int kFrames = 1'200'000;  // 27 s of audio
constexpr int kRecords = 400;       // 80 000 samples of graphical pass

// {2C6E9A41-0D37-4B85-9E21-6F4B8C0A7D13}
constexpr CLSID CLSID_CheckingSink = {
    0x2C6E9A41, 0x0D37, 0x4B85, {0x9E, 0x21, 0x6F, 0x4B, 0x8C, 0x0A, 0x7D, 0x13}};

// Counts what arrives and whether every sample of it is a finite float (or,
// for 16-bit audio, simply counts it); keeps nothing.
class CCheckingSink : public CSinkFilter
{
public:
    explicit CCheckingSink(bool bFloat) : CSinkFilter("Checking sink", nullptr, CLSID_CheckingSink), m_bFloat(bFloat) {}

    int64_t Frames() const { return m_nFrames.load(std::memory_order_relaxed); }
    int64_t NonFinite() const { return m_nNonFinite.load(std::memory_order_relaxed); }

protected:
    HRESULT OnReceive(IMediaSample* pSample) override
    {
        BYTE* pData = nullptr;
        pSample->GetPointer(&pData);
        const LONG bytes = pSample->GetActualDataLength();
        if (m_bFloat) {
            const auto* p = reinterpret_cast<const float*>(pData);
            const LONG n = bytes / static_cast<LONG>(sizeof(float));
            int64_t bad = 0;
            for (LONG i = 0; i < n; ++i)
                bad += std::isfinite(p[i]) ? 0 : 1;
            m_nNonFinite.fetch_add(bad, std::memory_order_relaxed);
            m_nFrames.fetch_add(n, std::memory_order_relaxed);
        } else {
            m_nFrames.fetch_add(bytes / 2, std::memory_order_relaxed);
        }
        return S_OK;
    }

private:
    const bool m_bFloat;
    std::atomic<int64_t> m_nFrames{0};
    std::atomic<int64_t> m_nNonFinite{0};
};

// A voice-like line: harmonics, a slow glide across a fifth, vibrato, and a
// rest every two seconds (long enough for the detector to give up).
std::vector<float> Voice(int frames)
{
    std::vector<float> v(static_cast<size_t>(frames));
    double phase = 0.0;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double hz = 180.0 * std::pow(2.0, (3.5 + 3.5 * std::sin(2.0 * std::numbers::pi * 0.05 * t)) / 12.0) *
                          (1.0 + 0.005 * std::sin(2.0 * std::numbers::pi * 5.5 * t));
        phase += 2.0 * std::numbers::pi * hz / kRate;
        const bool rest = std::fmod(t, 2.0) > 1.8;
        v[static_cast<size_t>(i)] =
            rest ? 0.0f : static_cast<float>(0.45 * std::sin(phase) + 0.2 * std::sin(2.0 * phase) + 0.08 * std::sin(3.0 * phase));
    }
    return v;
}

// What the user-interface side does while the stream runs, one action per
// call, cycling through all of them in an order shuffled by a fixed seed.
class CUserSide
{
public:
    CUserSide(CIntonaraPlugIn* pFilter, CDspObject* pDsp) : m_pFilter(pFilter), m_pDsp(pDsp), m_Records(kRecords) {}

    void Act()
    {
        const int action = static_cast<int>(m_Rng() % 16);
        switch (action) {
        case 0: // every automatic-mode setting through the store, in range
            m_pDsp->SetParameter(PARAM_SCALE, Pick(29));
            m_pDsp->SetParameter(PARAM_KEY, Pick(12));
            m_pDsp->SetParameter(PARAM_DETUNE, Pick(201));
            m_pDsp->SetParameter(PARAM_RETUNE, Pick(401));
            m_pDsp->SetParameter(PARAM_VIBRATO_TYPE, Pick(4));
            m_pDsp->SetParameter(PARAM_VIBRATO_DEPTH, Pick(101));
            m_pDsp->SetParameter(PARAM_VIBRATO_RATE, 1 + Pick(100));
            m_pDsp->SetParameter(PARAM_VIBRATO_DELAY, Pick(3001));
            m_pDsp->SetParameter(PARAM_THRESHOLD, Pick(101));
            m_pDsp->SetParameter(PARAM_TRACK_HIGH, Pick(2));
            m_nChanges += 10;
            break;
        case 1: // the vibrato alone, which rebuilds the table the engine reads
            m_pDsp->SetParameter(PARAM_VIBRATO_TYPE, 1 + Pick(3));
            m_pDsp->SetParameter(PARAM_VIBRATO_DELAY, 0);
            m_pDsp->SetParameter(PARAM_VIBRATO_RATE, 1 + Pick(100));
            m_nChanges += 3;
            break;
        case 2: { // the control interface's puts
            m_pFilter->put_Scale(Pick(29));
            m_pFilter->put_Key(Pick(12));
            m_pFilter->put_Detune(Pick(201));
            m_pFilter->put_RetuneSpeed(Pick(401));
            m_pFilter->put_VibratoType(Pick(4));
            m_pFilter->put_VibratoDepth(Pick(101));
            m_pFilter->put_VibratoRate(1 + Pick(100));
            m_pFilter->put_VibratoDelay(Pick(3001));
            m_pFilter->put_Threshold(Pick(101));
            m_nChanges += 9;
            break;
        }
        case 3: { // a whole block from the host, and reading it back
            const int block[9] = {Pick(29), Pick(12), Pick(201), Pick(401), Pick(4), Pick(101), 1 + Pick(100), Pick(3001), Pick(101)};
            m_pFilter->SetSettings(block);
            int back[9] = {};
            m_pFilter->GetSettings(back);
            int value = 0;
            m_pFilter->get_Key(&value);
            m_nChanges += 9;
            break;
        }
        case 4: // mode switches
            m_pDsp->SetParameter(PARAM_MODE, Pick(2));
            ++m_nChanges;
            break;
        case 5: // a tracking pass armed, as the graph does it
            m_pDsp->SetParameter(PARAM_MODE, 1);
            m_pDsp->StartTracking(m_Records.data(), kRecords);
            m_pDsp->SetParameter(PARAM_TRACK_PITCH, 1);
            m_bTracking = true;
            m_nChanges += 2;
            break;
        case 6: { // ... and finished, while the stream may still be writing
            if (!m_bTracking)
                break;
            unsigned lastToggle = 0;
            short blink = 1;
            m_pDsp->GetTrackingStatus(&lastToggle, &blink, kRecords, nullptr);
            m_pDsp->SetParameter(PARAM_TRACK_PITCH, 0);
            int count = 0;
            m_pDsp->FinishTracking(nullptr, nullptr, nullptr, &count, kRecords, m_Records.data());
            m_bTracking = false;
            ++m_nChanges;
            break;
        }
        case 7: // the user drawing target periods into the records
            for (int i = 0; i < 40; ++i) {
                const auto k = static_cast<size_t>(Pick(kRecords));
                std::atomic_ref<float>(m_Records[k].fTargetPeriod)
                    .store(static_cast<float>(90 + Pick(300)), std::memory_order_relaxed);
            }
            break;
        case 8: { // a correcting pass armed, polled and ended
            m_pDsp->SetParameter(PARAM_MODE, 1);
            m_pDsp->StartCorrecting(m_Records.data(), kRecords);
            m_pDsp->SetParameter(PARAM_CORRECT_PITCH, 1);
            unsigned lastToggle = 0;
            short blink = 0;
            int index = 0;
            m_pDsp->GetCorrectingStatus(&lastToggle, &blink, 0, &index, nullptr);
            if (Pick(2) == 0)
                m_pDsp->SetParameter(PARAM_CORRECT_PITCH, 0);
            m_nChanges += 2;
            break;
        }
        case 9: // graphical-mode values
            m_pDsp->SetParameter(PARAM_GRAPH_THRESHOLD, Pick(101));
            m_pDsp->SetParameter(PARAM_GRAPH_RETUNE, Pick(401));
            m_nChanges += 2;
            break;
        case 10: // the bypass button
            m_pDsp->SetControlValue(0, Pick(2));
            ++m_nChanges;
            break;
        case 11: // the panel's timer and meters
            m_pDsp->PollStatus();
            m_pDsp->OnTimer();
            break;
        default: { // engine status, as meters and the graph read it
            float ratio = 0.0f;
            int frames = 0;
            m_pDsp->m_Engine.GetStatus(&ratio, &frames);
            m_nReads += m_pDsp->m_Engine.IsSearching() + m_pDsp->m_Engine.GetFrameIndex() +
                        (m_pDsp->m_Engine.GetPeriod() > 0.0f ? 1 : 0);
            break;
        }
        }
    }

    int Changes() const { return m_nChanges; }

private:
    int Pick(int n) { return static_cast<int>(m_Rng() % static_cast<unsigned>(n)); }

    CIntonaraPlugIn* m_pFilter;
    CDspObject* m_pDsp;
    std::vector<TrackRecord> m_Records;  // lives until the stream has ended
    std::mt19937 m_Rng{20240611};
    bool m_bTracking = false;
    int m_nChanges = 0;
    int64_t m_nReads = 0;
};

struct CRunResult
{
    HRESULT hr = E_FAIL;
    int64_t nFrames = 0;
    int64_t nNonFinite = 0;
    int nChanges = 0;
};

CRunResult StreamWhileTheUserActs(bool bFloat, int frames)
{
    const std::vector<float> voice = Voice(frames);
    CMemorySource* pSource = nullptr;
    if (bFloat) {
        pSource = CMemorySource::CreateFloat(kRate, voice);
    } else {
        std::vector<int16_t> pcm(voice.size());
        for (size_t i = 0; i < voice.size(); ++i)
            pcm[i] = static_cast<int16_t>(std::lround(voice[i] * 32767.0f));
        pSource = CMemorySource::CreatePcm16(kRate, pcm);
    }
    CComPtr<CMemorySource> source(pSource);
    source->SetFramesPerSample({512, 1024, 333, 4096, 64});
    HRESULT hr = S_OK;
    CComPtr<CIntonaraPlugIn> filter(new CIntonaraPlugIn(nullptr, &hr));
    CComPtr<CCheckingSink> sink(new CCheckingSink(bFloat));
    CDspObject* pDsp = nullptr;
    filter->GetDspObject(&pDsp);

    CRunResult result;
    CFilterGraph graph;
    result.hr = graph.ConnectChain({source, filter, sink});
    if (FAILED(result.hr))
        return result;

    // The stream goes one media sample at a time and, before the next one,
    // waits until the user side has finished another action: however fast
    // the engine runs, every block then overlaps some change.
    std::atomic<bool> streaming{true};
    std::atomic<int64_t> actions{0};
    std::thread stream([&] {
        HRESULT hrStream = graph.Run();
        while (SUCCEEDED(hrStream)) {
            const int64_t seen = actions.load(std::memory_order_relaxed);
            int delivered = 0;
            hrStream = graph.Step(1, &delivered);
            if (hrStream != S_OK || delivered == 0)
                break;
            while (actions.load(std::memory_order_relaxed) == seen)
                std::this_thread::yield();
        }
        if (hrStream == S_OK && !graph.IsComplete())
            hrStream = FAILED(graph.AbortResult()) ? graph.AbortResult() : S_FALSE;
        result.hr = hrStream;
        streaming.store(false, std::memory_order_release);
    });
    CUserSide user(filter, pDsp);
    while (streaming.load(std::memory_order_acquire)) {
        user.Act();
        actions.fetch_add(1, std::memory_order_relaxed);
    }
    stream.join();
    graph.Stop();

    result.nFrames = sink->Frames();
    result.nNonFinite = sink->NonFinite();
    result.nChanges = user.Changes();
    return result;
}

} // namespace

TEST(GraphThreads, FloatAndSixteenBitStreamsSurviveEverySettingChangingUnderThem)
{
    // The 16-bit stream is a quarter as long: the two threads still overlap
    // in many changes mid-stream.
    for (const auto& [bFloat, frames, changes] : {std::tuple{true, kFrames, 1000}, {false, kFrames / 4, 250}}) {
        const CRunResult r = StreamWhileTheUserActs(bFloat, frames);
        ASSERT_EQ(r.hr, S_OK) << bFloat;
        EXPECT_EQ(r.nFrames, frames) << bFloat;
        EXPECT_EQ(r.nNonFinite, 0);
        EXPECT_GT(r.nChanges, changes) << bFloat;
        std::printf("%s: %lld samples streamed while %d settings changed\n", bFloat ? "float" : "16-bit",
                    static_cast<long long>(r.nFrames), r.nChanges);
    }
}

// What the fuzz targets found, pinned down as ordinary tests: each case is
// one fault that a fuzzer reached, rebuilt by hand with the values that
// caused it. Under the sanitizer build they also catch the undefined
// behaviour (out-of-range float to int casts, ring reads out of bounds)
// that the faults started from.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <limits>
#include <memory>
#include <numbers>
#include <vector>

#include "engine/EngineProbe.h"
#include "host/ActvPlug.h"
#include "host/Persist.h"
#include "modes/DspObject.h"
#include "platform/com/Stream.h"
#include "settings/ParameterIds.h"

namespace {

constexpr int kRate = 44100;
constexpr int kLatency = 30;  // samples, at no shift
constexpr int kDefaultBlock[9] = {2, 0, 100, 126, 0, 30, 55, 300, 25};

// A voiced tone a little sharp of A3, with two overtones; its peak stays
// below 0.85.
std::vector<float> Tone(double seconds, double hz = 222.0)
{
    std::vector<float> v(static_cast<size_t>(seconds * kRate));
    for (size_t i = 0; i < v.size(); ++i) {
        const double phase = 2.0 * std::numbers::pi * hz * static_cast<double>(i) / kRate;
        v[i] = static_cast<float>(0.5 * std::sin(phase) + 0.2 * std::sin(2.0 * phase) + 0.1 * std::sin(3.0 * phase));
    }
    return v;
}

float Peak(const std::vector<float>& v)
{
    float peak = 0.0f;
    for (float x : v)
        peak = std::max(peak, std::fabs(x));
    return peak;
}

std::unique_ptr<CDspObject> Controller()
{
    auto dsp = std::make_unique<CDspObject>();
    dsp->Initialise();
    dsp->SetAutomaticSettings(kDefaultBlock);
    dsp->SetSampleRate(static_cast<float>(kRate));
    dsp->ResetEngine();
    return dsp;
}

// Runs the input through the engine in blocks of 256 and checks after every
// block that the read speed is one the shifter can follow. Within half a
// sample of its centre the parabola through three samples of size at most M
// stays within 1.25 M, so that bounds every output sample.
// The vibrato phase, a position in the 1000-entry table, after each block.
std::vector<float> RunChecked(CDspObject& dsp, const std::vector<float>& in, std::vector<float>* pPhases = nullptr)
{
    std::vector<float> out(in.size());
    const float bound = 1.25f * Peak(in);
    for (size_t pos = 0; pos < in.size(); pos += 256) {
        const int n = static_cast<int>(std::min<size_t>(256, in.size() - pos));
        dsp.m_Engine.Process(&in[pos], &out[pos], n);
        float ratio = 0.0f;
        dsp.m_Engine.GetStatus(&ratio, nullptr);
        EXPECT_GT(ratio, 0.0f) << "at sample " << pos;
        EXPECT_LE(ratio, 2.0f) << "at sample " << pos;
        if (pPhases != nullptr)
            pPhases->push_back(CEngineProbe::VibPhase(dsp.m_Engine));
        for (int i = 0; i < n; ++i) {
            if (!(std::fabs(out[pos + static_cast<size_t>(i)]) <= bound)) {
                ADD_FAILURE() << "sample " << pos + static_cast<size_t>(i) << " is " << out[pos + static_cast<size_t>(i)];
                return out;
            }
        }
    }
    return out;
}

} // namespace

// A drawn target period so small that measured / target overflows: folding
// infinity into an octave by halving never ended, and the stream hung. A
// target that cannot be folded leaves the frame alone, so the output is the
// input delayed and nothing else.
TEST(FuzzFindings, CorrectingTowardAnUnfoldableTargetLeavesTheVoiceAlone)
{
    auto dsp = Controller();
    dsp->SetParameter(PARAM_MODE, 1);
    std::vector<TrackRecord> records(300, TrackRecord{0.0f, 0.0f, 3000.0f, -1.0f,
                                                      std::numeric_limits<float>::denorm_min()});
    dsp->StartCorrecting(records.data(), static_cast<int>(records.size()));
    dsp->SetParameter(PARAM_CORRECT_PITCH, 1);

    const std::vector<float> in = Tone(1.0);
    // The fault was a hang inside Process, which no assertion can catch:
    // give the run a few seconds (it needs milliseconds), then give up on
    // the whole program.
    auto run = std::async(std::launch::async, [&] { return RunChecked(*dsp, in); });
    if (run.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        std::fprintf(stderr, "correcting toward an unfoldable target never finished\n");
        std::abort();
    }
    const std::vector<float> out = run.get();
    ASSERT_GT(dsp->m_Engine.GetFrameIndex(), 100) << "the pass never ran";
    for (size_t i = 0; i < out.size(); ++i) {
        // The engine flushes near-silence (below 1e-10) to exact zeros.
        float expected = i >= kLatency ? in[i - kLatency] : 0.0f;
        if (std::fabs(static_cast<double>(expected)) < 1e-10)
            expected = 0.0f;
        ASSERT_EQ(out[i], expected) << "sample " << i;
    }
}

// A vibrato rate of billions of tenths of a hertz advanced the vibrato phase
// by more than the table per frame; one wrap per frame could not keep up and
// the phase outgrew what the table index (an int) can hold (a negative rate
// took it below the table instead). The phase must stay a position in the
// table whatever the rate.
TEST(FuzzFindings, AbsurdVibratoRatesKeepThePhaseInTheTable)
{
    for (int rate : {INT_MAX, 1000000, -55, INT_MIN}) {
        SCOPED_TRACE(rate);
        auto dsp = Controller();
        dsp->SetParameter(PARAM_VIBRATO_DELAY, 0);
        dsp->SetParameter(PARAM_VIBRATO_TYPE, 1);
        dsp->SetParameter(PARAM_VIBRATO_RATE, rate);
        std::vector<float> phases;
        RunChecked(*dsp, Tone(2.0), &phases);
        for (size_t i = 0; i < phases.size(); ++i) {
            ASSERT_GE(phases[i], 0.0f) << "block " << i;
            ASSERT_LT(phases[i], 1000.0f) << "block " << i;
        }
    }
}

// A vibrato thousands of cents deep asked the shifter for read speeds far
// above two samples per sample; its read position then ran away from the
// ring and a splice indexed far outside it.
TEST(FuzzFindings, AbsurdVibratoDepthsAreHeldToSpeedsTheShifterCanFollow)
{
    for (int depth : {INT_MAX, 100000, -100000}) {
        SCOPED_TRACE(depth);
        auto dsp = Controller();
        dsp->SetParameter(PARAM_VIBRATO_DELAY, 0);
        dsp->SetParameter(PARAM_VIBRATO_TYPE, 2);
        dsp->SetParameter(PARAM_VIBRATO_DEPTH, depth);
        RunChecked(*dsp, Tone(2.0));
    }
}

namespace {

HRESULT LoadStream(CIntonaraPlugIn* pFilter, const int* pBlock)
{
    BYTE bytes[kSettingsStreamSize];
    WriteSettingsHeader(bytes);
    WriteSettingsBody(bytes + kSettingsHeaderSize, pBlock);
    CComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(bytes, sizeof bytes, stream.GetAddressOf()), S_OK);
    return pFilter->Load(stream);
}

} // namespace

// A stream with a well-formed header carries whatever a damaged project
// holds: a key past B, a threshold above 100, a scale that does not exist.
// Load hands the values on as they stand, so the processor has to stay
// sound with them: the stream loads, and a voice streamed afterwards comes
// out finite, at speeds the shifter can follow.
TEST(FuzzFindings, SettingsStreamsWithImpossibleValuesLoadAndStaySound)
{
    const int highest[9] = {28, 11, 200, 400, 3, 100, 100, 3000, 100};
    const int lowest[9] = {0, 0, 0, 0, 0, 0, 1, 0, 0};
    const std::vector<float> tone = Tone(0.5);
    for (int field = 0; field < 9; ++field) {
        for (const int value : {highest[field] + 1, lowest[field] - 1, INT_MAX, INT_MIN}) {
            SCOPED_TRACE(testing::Message() << "field " << field << " = " << value);
            HRESULT hr = S_OK;
            CComPtr<CIntonaraPlugIn> filter(new CIntonaraPlugIn(nullptr, &hr));
            int block[9];
            std::copy(std::begin(kDefaultBlock), std::end(kDefaultBlock), block);
            block[field] = value;
            EXPECT_EQ(LoadStream(filter, block), S_OK);
            CDspObject* pDsp = nullptr;
            ASSERT_EQ(filter->GetDspObject(&pDsp), S_OK);
            pDsp->SetSampleRate(static_cast<float>(kRate));
            RunChecked(*pDsp, tone);
        }
    }
    for (const int* ends : {highest, lowest}) {
        HRESULT hr = S_OK;
        CComPtr<CIntonaraPlugIn> filter(new CIntonaraPlugIn(nullptr, &hr));
        EXPECT_EQ(LoadStream(filter, ends), S_OK);
        int now[9] = {};
        ASSERT_EQ(filter->GetSettings(now), S_OK);
        EXPECT_TRUE(std::equal(now, now + 9, ends));
    }
}

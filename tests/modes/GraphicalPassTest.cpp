// The graphical-mode passes: arming, progress and the blinking status,
// the records a tracking pass leaves, their conversion to cents, and a
// correcting pass that follows targets written into the records.

#include <bit>
#include <cmath>
#include <cstring>

#include "ModesTestSupport.h"
#include "analysis/PitchAnalysis.h"
#include "engine/PitchUnits.h"
#include "voice/VoiceSynth.h"

using namespace modestest;
using ::testing::_;
using ::testing::StrEq;

namespace {

constexpr int kLeadIn = 1000;  // silent samples before the voice

int32_t SlotAsInt(const float& slot)
{
    int32_t v;
    std::memcpy(&v, &slot, sizeof v);
    return v;
}

// Cents relative to middle C of a period at fs, rounded half away from zero:
// 440 Hz is 900 cents, and every octave is 1200.
int ExpectedCents(double period, double fs)
{
    const double hz = fs / period;
    return static_cast<int>(std::round(900.0 + 1200.0 * std::log2(hz / 440.0)));
}

// The first sample the engine takes for sound (it flushes anything below
// 1e-10 to silence).
size_t FirstAudible(const std::vector<float>& in)
{
    for (size_t i = 0; i < in.size(); ++i)
        if (std::fabs(static_cast<double>(in[i])) >= 1e-10)
            return i;
    return in.size();
}

struct GraphicalDsp
{
    CTestDsp dsp;
    std::vector<TrackRecord> records;

    explicit GraphicalDsp(int capacity, float fs = 44100.0f) : records(capacity)
    {
        Prepare(dsp, fs);
        dsp.SetParameter(PARAM_MODE, 1);
    }
    int Capacity() const { return static_cast<int>(records.size()); }

    // As the main view does it: the switch, then the pass on its buffer.
    void ArmTracking()
    {
        dsp.SetParameter(PARAM_TRACK_PITCH, 1);
        dsp.StartTracking(records.data(), Capacity());
    }
    void ArmCorrecting()
    {
        dsp.SetParameter(PARAM_CORRECT_PITCH, 1);
        dsp.StartCorrecting(records.data(), Capacity());
    }
    int Finish()
    {
        int count = -2;
        dsp.FinishTracking(nullptr, nullptr, nullptr, &count, Capacity(), records.data());
        return count;
    }
    int TrackingStatus()
    {
        unsigned last = 0;
        short blink = 0;
        return dsp.GetTrackingStatus(&last, &blink, Capacity(), nullptr);
    }
};

std::vector<float> LeadInThen(const std::vector<float>& voice)
{
    return Concat(Silence(kLeadIn), voice);
}

} // namespace

TEST(TrackingPass, OneRecordPerFrameFromTheFirstAudibleSample)
{
    GraphicalDsp g(4000);
    g.ArmTracking();
    EXPECT_EQ(g.TrackingStatus(), -1);

    // Silence flows: the wait holds the clock at record 0.
    RunBlocks(g.dsp, Silence(kLeadIn));
    EXPECT_EQ(g.TrackingStatus(), 0);

    const std::vector<float> voiceOnly = voice::SynthesizeSteadyVowel(220.0, 0.5, 44100.0);
    const std::vector<float> in = LeadInThen(voiceOnly);
    RunBlocks(g.dsp, voiceOnly, 333);
    const size_t start = FirstAudible(in);
    ASSERT_LT(start, in.size());
    const int samplesHeard = static_cast<int>(in.size() - start);
    const int index = g.TrackingStatus();
    EXPECT_EQ(index, (samplesHeard - 1) / 200);

    // Each record holds the range of its own 200 samples.
    for (int k = 0; k < index; ++k) {
        const auto from = in.begin() + static_cast<long>(start) + 200L * k;
        const auto [lo, hi] = std::minmax_element(from, from + 200);
        ASSERT_EQ(g.records[k].fMinSample, *lo) << k;
        ASSERT_EQ(g.records[k].fMaxSample, *hi) << k;
    }

    // Before the detector locks a record has no period; once locked, the
    // records hold periods of a 220 Hz voice (200.45 samples).
    EXPECT_EQ(g.records[0].fMaxPeriod, -1.0f);
    EXPECT_EQ(g.records[0].fMinPeriod, 3000.0f);
    int voiced = 0;
    for (int k = 0; k < index; ++k) {
        if (g.records[k].fMaxPeriod == -1.0f)
            continue;
        ++voiced;
        EXPECT_NEAR(g.records[k].fMinPeriod, 200.45, 3.0) << k;
        EXPECT_NEAR(g.records[k].fMaxPeriod, 200.45, 3.0) << k;
    }
    EXPECT_GT(voiced, index * 3 / 4);

    const std::vector<TrackRecord> tracked = g.records;
    EXPECT_EQ(g.Finish(), index);
    EXPECT_EQ(g.dsp.m_Engine.IsTracking(), 0);
    for (int k = 0; k < index; ++k) {
        if (tracked[k].fMaxPeriod == -1.0f) {
            EXPECT_EQ(SlotAsInt(g.records[k].fMaxPeriod), 30000) << k;
        } else {
            // A3 is 300 cents below middle C.
            EXPECT_NEAR(SlotAsInt(g.records[k].fMaxPeriod), -300, 25) << k;
            EXPECT_NEAR(SlotAsInt(g.records[k].fMinPeriod), -300, 25) << k;
        }
        // The sample range is the graph's waveform and stays as it was.
        EXPECT_EQ(g.records[k].fMinSample, tracked[k].fMinSample);
    }
    // The record being written when the pass ended is not converted.
    EXPECT_EQ(std::memcmp(&g.records[index], &tracked[index], sizeof(TrackRecord)), 0);
}

TEST(TrackingPass, StopsByItselfAtTheLastRecord)
{
    GraphicalDsp g(8);
    g.ArmTracking();
    RunBlocks(g.dsp, LeadInThen(voice::SynthesizeSteadyVowel(300.0, 0.1, 44100.0)));
    EXPECT_EQ(g.TrackingStatus(), g.Capacity() - 1);
    EXPECT_EQ(g.dsp.m_Engine.IsTracking(), 0);
    const TrackRecord last = g.records.back();
    EXPECT_EQ(g.Finish(), g.Capacity() - 1);
    EXPECT_EQ(std::memcmp(&g.records.back(), &last, sizeof last), 0);
    // Every record before it was converted: cents or the unvoiced mark.
    for (int k = 0; k < g.Capacity() - 1; ++k) {
        const int32_t top = SlotAsInt(g.records[k].fMaxPeriod);
        EXPECT_TRUE(top == 30000 || std::abs(top - ExpectedCents(44100.0 / 300.0, 44100.0)) < 25) << top;
    }
}

TEST(TrackingPass, FinishConvertsPeriodsToCentsAtTheStreamRate)
{
    for (const float fs : {44100.0f, 48000.0f}) {
        GraphicalDsp g(100, fs);
        g.ArmTracking();
        RunBlocks(g.dsp, LeadInThen(voice::SynthesizeSteadyVowel(200.0, 0.03, fs)));
        ASSERT_GE(g.TrackingStatus(), 5);

        // Periods written by hand: 100 samples at 44100 Hz is 441 Hz, 3.93
        // cents above A4, so 904; at 48000 Hz it is 480 Hz, 1051.
        const struct { float lo, hi; } periods[] = {{100.0f, 100.0f}, {400.0f, 400.0f}, {200.0f, 220.5f},
                                                    {3000.0f, -1.0f}, {87.3f, 91.9f}};
        for (int k = 0; k < 5; ++k) {
            g.records[k].fMinPeriod = periods[k].lo;
            g.records[k].fMaxPeriod = periods[k].hi;
        }
        g.Finish();

        EXPECT_EQ(SlotAsInt(g.records[0].fMaxPeriod), fs == 44100.0f ? 904 : 1051);
        for (int k : {0, 1, 2, 4}) {
            EXPECT_EQ(SlotAsInt(g.records[k].fMaxPeriod), ExpectedCents(periods[k].hi, fs)) << k;
            EXPECT_EQ(SlotAsInt(g.records[k].fMinPeriod), ExpectedCents(periods[k].lo, fs)) << k;
        }
        // Low pitches are negative cents: NaN patterns as floats, kept intact.
        EXPECT_EQ(SlotAsInt(g.records[1].fMaxPeriod), fs == 44100.0f ? -1496 : -1349);
        // No period in the frame: the unvoiced mark on top, the bottom as it was.
        EXPECT_EQ(SlotAsInt(g.records[3].fMaxPeriod), 30000);
        EXPECT_EQ(g.records[3].fMinPeriod, 3000.0f);

        // Finishing again does not take cents for periods.
        const std::vector<TrackRecord> once = g.records;
        g.Finish();
        EXPECT_EQ(std::memcmp(once.data(), g.records.data(), sizeof(TrackRecord) * once.size()), 0);
    }
}

TEST(TrackingPass, AnAttachedGraphViewDoesTheConversion)
{
    GraphicalDsp g(50);
    Panel panel;
    g.dsp.AttachDialog(&panel.dialog);
    g.ArmTracking();
    RunBlocks(g.dsp, LeadInThen(voice::SynthesizeSteadyVowel(200.0, 0.02, 44100.0)));
    const int index = g.TrackingStatus();
    ASSERT_GE(index, 3);
    for (int k = 0; k < index; ++k)
        g.records[k].fMinPeriod = g.records[k].fMaxPeriod = 150.0f;

    EXPECT_CALL(panel.main, PeriodToCents(150.0f)).Times(2 * index).WillRepeatedly(::testing::Return(-77));
    EXPECT_EQ(g.Finish(), index);
    for (int k = 0; k < index; ++k)
        EXPECT_EQ(SlotAsInt(g.records[k].fMinPeriod), -77);
    g.dsp.AttachDialog(nullptr);
}

TEST(TrackingPass, FinishRightAfterArmingConvertsNothing)
{
    GraphicalDsp g(20);
    for (TrackRecord& r : g.records)
        r = {0.1f, 0.2f, 150.0f, 160.0f, 0.0f};
    const std::vector<TrackRecord> before = g.records;
    g.ArmTracking();
    EXPECT_EQ(g.Finish(), -1);
    EXPECT_EQ(g.dsp.m_Engine.IsTracking(), 0);
    EXPECT_EQ(std::memcmp(before.data(), g.records.data(), sizeof(TrackRecord) * before.size()), 0);
}

TEST(PassStatus, BlinksWhileArmedAndStaysOnceAudioFlows)
{
    GraphicalDsp g(20);
    MockStatusWindow window;
    g.ArmTracking();
    unsigned last = 0;
    short blink = 1;

    // Due: the text shows, and the blink turns to the dark phase.
    g.dsp.clockMs = 100000;
    EXPECT_CALL(window, SetStatusText(StrEq("Tracking...")));
    EXPECT_EQ(g.dsp.GetTrackingStatus(&last, &blink, 20, &window), -1);
    EXPECT_EQ(last, 100000u);
    EXPECT_EQ(blink, 0);
    ::testing::Mock::VerifyAndClearExpectations(&window);

    // Within 200 ms of the last toggle nothing changes.
    g.dsp.clockMs = 100200;
    EXPECT_CALL(window, SetStatusText(_)).Times(0);
    EXPECT_EQ(g.dsp.GetTrackingStatus(&last, &blink, 20, &window), -1);
    EXPECT_EQ(blink, 0);
    ::testing::Mock::VerifyAndClearExpectations(&window);

    g.dsp.clockMs = 100201;
    EXPECT_CALL(window, SetStatusText(StrEq("")));
    g.dsp.GetTrackingStatus(&last, &blink, 20, &window);
    EXPECT_EQ(blink, 1);
    ::testing::Mock::VerifyAndClearExpectations(&window);

    // Into the next hour the clock starts again from 0; the blink goes on.
    last = 3599900;
    g.dsp.clockMs = 40;
    EXPECT_CALL(window, SetStatusText(StrEq("Tracking...")));
    g.dsp.GetTrackingStatus(&last, &blink, 20, &window);
    EXPECT_EQ(last, 40u);
    ::testing::Mock::VerifyAndClearExpectations(&window);

    // Without a window the blink state still runs.
    g.dsp.clockMs = 5000;
    g.dsp.GetTrackingStatus(&last, &blink, 20, nullptr);
    EXPECT_EQ(blink, 1);

    // Silent audio reaches the engine: record 0, steady text, no blinking.
    RunBlocks(g.dsp, Silence(10));
    g.dsp.clockMs = 9000;
    EXPECT_CALL(window, SetStatusText(StrEq("Tracking..."))).Times(2);
    EXPECT_EQ(g.dsp.GetTrackingStatus(&last, &blink, 20, &window), 0);
    EXPECT_EQ(g.dsp.GetTrackingStatus(&last, &blink, 20, &window), 0);
    EXPECT_EQ(blink, 1);
    EXPECT_EQ(last, 5000u);
}

TEST(PassStatus, CorrectingReportsThroughItsIndexCell)
{
    GraphicalDsp g(20);
    MockStatusWindow window;
    g.ArmCorrecting();
    unsigned last = 0;
    short blink = 1;
    int index = 99;

    EXPECT_CALL(window, SetStatusText(StrEq("Correcting..."))).Times(2);
    g.dsp.GetCorrectingStatus(&last, &blink, 0, &index, &window);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(blink, 0);

    RunBlocks(g.dsp, LeadInThen(voice::SynthesizeSteadyVowel(200.0, 0.01, 44100.0)));
    g.dsp.GetCorrectingStatus(&last, &blink, 0, &index, &window);
    EXPECT_EQ(index, g.dsp.m_Engine.GetFrameIndex());
    EXPECT_GT(index, 0);
}

TEST(CorrectingPass, ResetEngineKeepsThePassWhereItIs)
{
    // The filter's Stop, Pause and Run clear the audio state only.
    GraphicalDsp g(100);
    g.ArmTracking();
    RunBlocks(g.dsp, LeadInThen(Held(voice::SynthesizeSteadyVowel(200.0, 0.3, 44100.0), 44100.0)));
    const CPitchEngine& e = g.dsp.m_Engine;
    const int index = e.GetFrameIndex();
    ASSERT_EQ(e.IsSearching(), 0);

    g.dsp.ResetEngine();
    EXPECT_EQ(e.IsSearching(), 1);
    EXPECT_EQ(e.IsPeriodValid(), 0);
    for (int i = 0; i < CPitchEngine::kRingSize; i += 5)
        ASSERT_EQ(e.RingSample(i), 0.0f) << i;
    EXPECT_EQ(e.IsTracking(), 1);
    EXPECT_EQ(e.GetFrameIndex(), index);
}

TEST(CorrectingPass, NullRecordsLeaveTheEngineAsItWas)
{
    GraphicalDsp g(30);
    g.ArmTracking();
    RunBlocks(g.dsp, LeadInThen(voice::SynthesizeSteadyVowel(200.0, 0.02, 44100.0)));
    const CPitchEngine& e = g.dsp.m_Engine;
    const int index = e.GetFrameIndex();
    ASSERT_GT(index, 0);

    g.dsp.StartCorrecting(nullptr, 500);
    EXPECT_EQ(e.GetFrameIndex(), index);
    EXPECT_EQ(e.GetTrackCapacity(), 30);
    EXPECT_EQ(e.IsCorrecting(), 0);
    EXPECT_EQ(e.IsTracking(), 1);
}

TEST(CorrectingPass, ModeSwitchParksAFullPassAndResumesCorrecting)
{
    GraphicalDsp g(4);
    g.ArmTracking();
    RunBlocks(g.dsp, LeadInThen(voice::SynthesizeSteadyVowel(200.0, 0.05, 44100.0)));
    ASSERT_EQ(g.dsp.m_Engine.GetFrameIndex(), 3);
    // Armed again on the full buffer while automatic mode is in force: back
    // in graphical mode the frame count has reached the capacity, so the pass
    // is ended on the last record instead of waiting armed.
    g.dsp.SetParameter(PARAM_MODE, 0);
    g.dsp.StartTracking(g.records.data(), 4);  // a stray arm, outside graphical mode
    g.dsp.SetParameter(PARAM_MODE, 1);
    EXPECT_EQ(g.dsp.m_Engine.IsTracking(), 0);
    EXPECT_EQ(g.dsp.m_Engine.GetFrameIndex(), 3);

    // A correcting pass still on when the mode is applied continues at the
    // frame the clock has reached.
    GraphicalDsp c(100);
    c.ArmCorrecting();
    RunBlocks(c.dsp, LeadInThen(voice::SynthesizeSteadyVowel(200.0, 0.05, 44100.0)));
    int frames = 0;
    c.dsp.m_Engine.GetStatus(nullptr, &frames);
    ASSERT_GT(frames, 5);
    c.dsp.m_Engine.SetFrameIndex(2);
    c.dsp.ApplyModeSettings();
    EXPECT_EQ(c.dsp.m_Engine.GetFrameIndex(), frames);
    EXPECT_EQ(c.dsp.m_Engine.IsCorrecting(), 1);
}

TEST(CorrectingPass, FollowsTheTargetsWrittenIntoTheRecords)
{
    constexpr double fs = 44100.0;
    constexpr double sung = 196.0;  // G3
    const double lead = kLeadIn / fs;
    GraphicalDsp g(2000);
    const std::vector<float> in = LeadInThen(voice::SynthesizeSteadyVowel(sung, 1.2, fs));

    g.ArmTracking();
    RunBlocks(g.dsp, in);
    g.dsp.SetParameter(PARAM_TRACK_PITCH, 0);
    const int tracked = g.Finish();
    ASSERT_GT(tracked, 250);

    // A semitone up over the first 120 frames, then "leave alone".
    const float up = static_cast<float>(fs / (sung * SemitoneFactor(1.0)));
    constexpr int kSplit = 120;  // frame 120 starts 0.544 s into the voice
    for (int k = 0; k < tracked; ++k)
        g.records[k].fTargetPeriod = k < kSplit ? up : 0.0f;

    g.dsp.ResetEngine();  // the graph is run again from stopped
    g.ArmCorrecting();
    const std::vector<float> out = RunBlocks(g.dsp, in);
    EXPECT_EQ(g.dsp.m_Engine.GetFrameIndex(), (static_cast<int>(in.size() - FirstAudible(in)) - 1) / 200);

    const auto frames = analysis::AnalysePitch(out, fs, {.method = "yinfast"});
    const auto raised = analysis::DeviationFromTarget(frames, sung, lead + 0.2, lead + 0.5);
    const auto alone = analysis::DeviationFromTarget(frames, sung, lead + 0.7, lead + 1.1);
    ASSERT_GT(raised.frames, 20u);
    ASSERT_GT(alone.frames, 20u);
    EXPECT_NEAR(raised.medianCents, 100.0, 3.0);
    EXPECT_NEAR(alone.medianCents, 0.0, 3.0);
}

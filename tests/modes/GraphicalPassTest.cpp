// The graphical-mode passes: the records a tracking pass leaves and their
// conversion to cents, the blinking status of an armed pass, and a
// correcting pass that follows the targets written into the records.

#include <bit>
#include <cmath>
#include <cstring>
#include <string>

#include "ModesTestSupport.h"
#include "analysis/PitchAnalysis.h"
#include "voice/VoiceSynth.h"

namespace {

constexpr int kLeadIn = 1000;  // silent samples before the voice

int32_t Cents(float slot) { return std::bit_cast<int32_t>(slot); }

bool Same(const TrackRecord& a, const TrackRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::vector<float> Voice(double hz, double seconds, double fs = 44100.0)
{
    std::vector<float> v(kLeadIn, 0.0f);
    const std::vector<float> sung = voice::SynthesizeSteadyVowel(hz, seconds, fs);
    v.insert(v.end(), sung.begin(), sung.end());
    return v;
}

struct CGraphical : CTestDsp {
    std::vector<TrackRecord> records;
    explicit CGraphical(int capacity, float fs = 44100.0f) : CTestDsp(fs), records(capacity) { SetParameter(PARAM_MODE, 1); }
    int Capacity() const { return static_cast<int>(records.size()); }
    // As the main view does it: the switch, then the pass on its buffer.
    void Track() { SetParameter(PARAM_TRACK_PITCH, 1); StartTracking(records.data(), Capacity()); }
    void Correct() { SetParameter(PARAM_CORRECT_PITCH, 1); StartCorrecting(records.data(), Capacity()); }
    int Finish()
    {
        int count = -2;
        FinishTracking(nullptr, nullptr, nullptr, &count, Capacity(), records.data());
        return count;
    }
};

struct CStatusTexts : IStatusWindow {
    std::vector<std::string> shown;
    void SetStatusText(const char* text) override { shown.emplace_back(text); }
};

} // namespace

TEST(TrackingPass, OneRecordPerFrameFromTheFirstSoundThenCentsOnce)
{
    constexpr float fs = 48000.0f;
    CGraphical g(4000, fs);
    g.Track();
    const std::vector<float> in = Voice(220.0, 0.5, fs);
    g.Run(std::vector<float>(in.begin(), in.begin() + kLeadIn));
    EXPECT_EQ(g.m_Engine.GetFrameIndex(), 0) << "silence holds the clock";
    g.Run(std::vector<float>(in.begin() + kLeadIn, in.end()), 333);
    size_t start = 0;  // the first sample the engine takes for sound
    while (std::fabs(static_cast<double>(in[start])) < 1e-10)
        ++start;
    const int index = g.m_Engine.GetFrameIndex();
    ASSERT_EQ(index, static_cast<int>(in.size() - start - 1) / 200);
    int voiced = 0;
    for (int k = 0; k < index; ++k) {
        const auto [lo, hi] = std::minmax_element(in.begin() + start + 200 * k, in.begin() + start + 200 * k + 200);
        ASSERT_EQ(std::pair(g.records[k].fMinSample, g.records[k].fMaxSample), std::pair(*lo, *hi)) << k;
        voiced += g.records[k].fMaxPeriod != -1.0f;
    }
    EXPECT_EQ(std::pair(g.records[0].fMinPeriod, g.records[0].fMaxPeriod), std::pair(3000.0f, -1.0f)) << "before the lock";
    EXPECT_GT(voiced, index * 3 / 4);

    const TrackRecord open = g.records[index];
    EXPECT_EQ(g.Finish(), index);
    EXPECT_EQ(g.m_Engine.IsTracking(), 0);
    int spread = 0;  // A3 is 300 cents below middle C, at the stream's rate
    for (int k = 0; k < index; ++k) {
        const int32_t low = Cents(g.records[k].fMaxPeriod), high = Cents(g.records[k].fMinPeriod);
        if (low == CDspObject::kUnvoicedCents)
            continue;
        EXPECT_TRUE(std::abs(low + 300) <= 25 && high >= low && high - low < 25) << k << ": " << low << " " << high;
        spread += high > low;
    }
    EXPECT_GT(spread, 0);
    EXPECT_TRUE(Same(g.records[index], open)) << "the record still being written is not converted";
    const std::vector<TrackRecord> once = g.records;
    g.Finish();  // cents are not periods
    EXPECT_EQ(std::memcmp(once.data(), g.records.data(), sizeof(TrackRecord) * once.size()), 0);
}

TEST(PassStatus, BlinksEvery200MsWhileArmedAndStaysOnceAudioFlows)
{
    CGraphical g(20);
    CStatusTexts window;
    g.Track();
    unsigned last = 0;
    short blink = 1;
    auto poll = [&](unsigned now) { g.clockMs = now; return g.GetTrackingStatus(&last, &blink, 20, &window); };
    EXPECT_EQ(poll(100000), -1);
    EXPECT_EQ(std::pair(last, blink), std::pair(100000u, short{0}));
    poll(100200);  // within 200 ms of the last toggle: nothing
    EXPECT_EQ(blink, 0);
    poll(100201);
    EXPECT_EQ(blink, 1);
    last = 3599900;  // into the next hour the clock starts again from 0
    poll(40);
    EXPECT_EQ(last, 40u);
    EXPECT_EQ(window.shown, (std::vector<std::string>{"Tracking...", "", "Tracking..."}));

    g.Run(std::vector<float>(10, 0.0f));  // audio reaches the engine: steady text
    EXPECT_EQ(poll(9000), 0);
    EXPECT_EQ(std::pair(last, window.shown.back()), std::pair(40u, std::string("Tracking...")));

    CGraphical c(20);
    c.Correct();
    int index = 99;
    blink = 1;
    c.GetCorrectingStatus(&last, &blink, 0, &index, &window);
    EXPECT_EQ(std::pair(index, window.shown.back()), std::pair(-1, std::string("Correcting...")));
}

TEST(CorrectingPass, FollowsTheTargetsWrittenIntoTheRecords)
{
    constexpr double fs = 44100.0, sung = 196.0;  // G3
    const double lead = kLeadIn / fs;
    CGraphical g(2000);
    const std::vector<float> in = Voice(sung, 1.2);
    g.Track();
    g.Run(in);
    g.SetParameter(PARAM_TRACK_PITCH, 0);
    const int tracked = g.Finish();
    ASSERT_GT(tracked, 250);
    // Two semitones up over the first 120 frames (0.544 s), then "leave alone".
    for (int k = 0; k < tracked; ++k)
        g.records[k].fTargetPeriod = k < 120 ? static_cast<float>(fs / (sung * std::exp2(2.0 / 12.0))) : 0.0f;

    g.ResetEngine();  // the graph is run again from stopped
    g.Correct();
    g.StartCorrecting(nullptr, 500);  // no records: the pass stays as it is
    EXPECT_EQ(std::pair(g.m_Engine.IsCorrecting(), g.m_Engine.GetFrameIndex()), std::pair(1, -1));
    const size_t raisedEnd = kLeadIn + static_cast<size_t>(0.45 * fs);
    std::vector<float> out = g.Run(std::vector<float>(in.begin(), in.begin() + raisedEnd));
    const int meter = g.PitchChangeCents();  // whole cents, cut toward zero
    EXPECT_TRUE(meter >= 197 && meter <= 200) << meter;
    const std::vector<float> rest = g.Run(std::vector<float>(in.begin() + raisedEnd, in.end()));
    out.insert(out.end(), rest.begin(), rest.end());
    const auto frames = analysis::AnalysePitch(out, fs, {.method = "yinfast"});
    const auto raised = analysis::DeviationFromTarget(frames, sung, lead + 0.2, lead + 0.44);
    const auto alone = analysis::DeviationFromTarget(frames, sung, lead + 0.7, lead + 1.1);
    ASSERT_GT(std::min(raised.frames, alone.frames), 20u);
    EXPECT_NEAR(raised.medianCents, 200.0, 3.0);
    EXPECT_NEAR(alone.medianCents, 0.0, 3.0);
    g.ResetEngine();  // Stop, Pause and Run clear the audio state only
    EXPECT_EQ(g.m_Engine.IsCorrecting(), 1);
}

TEST(CorrectingPass, ModeSwitchParksAFullPassAndResumesCorrecting)
{
    CGraphical g(4);
    g.Track();
    g.Run(Voice(200.0, 0.05));
    ASSERT_EQ(g.m_Engine.GetFrameIndex(), 3);
    // Armed again on the full buffer outside graphical mode: back in it, the
    // frame count has reached the capacity, so the pass ends on the last record.
    g.SetParameter(PARAM_MODE, 0);
    g.StartTracking(g.records.data(), 4);
    g.SetParameter(PARAM_MODE, 1);
    EXPECT_EQ(std::pair(g.m_Engine.IsTracking(), g.m_Engine.GetFrameIndex()), std::pair(0, 3));

    // A correcting pass still on when the mode is applied continues at the
    // frame the clock has reached.
    CGraphical c(100);
    c.Correct();
    c.Run(Voice(200.0, 0.05));
    int frames = 0;
    c.m_Engine.GetStatus(nullptr, &frames);
    ASSERT_GT(frames, 5);
    c.m_Engine.SetFrameIndex(2);
    c.ApplyModeSettings();
    EXPECT_EQ(std::pair(c.m_Engine.IsCorrecting(), c.m_Engine.GetFrameIndex()), std::pair(1, frames));
}

// The filter's output, pinned: each case streams a fixed input through the
// filter in the in-process graph, with its settings given through the
// control interface as a host gives them, and compares a checksum of every
// output byte with the one recorded.

#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "engine/EngineProbe.h"
#include "golden/GoldenCases.h"
#include "host/ActvPlug.h"
#include "platform/media/FilterGraph.h"
#include "support/MemoryFilters.h"

namespace {


enum class Input { Demo, Vibrato };

struct Case {
    const char* name;
    Input input;
    DWORD rate;
    bool pcm16;
    // Settings-block values (index, value) put one by one.
    std::vector<std::pair<int, int>> puts;
    bool bypass = false;
    uint64_t expected = 0;
    // Frames per media sample, in turn: uneven sizes, as hosts deliver them.
    std::vector<LONG> pattern = {4096, 441, 2000, 17};
};

const std::vector<Case>& Cases()
{
    static const std::vector<Case> cases = {
        {"demo 44100 float defaults", Input::Demo, 44100, false, {}, false, 0x6536b96cb7e641cbull},
        {"demo 44100 pcm16 defaults", Input::Demo, 44100, true, {}, false, 0x1af596fb2b7959fcull},
        {"demo 48000 pcm16 scale key detune retune threshold", Input::Demo, 48000, true,
         {{SETTING_SCALE, 0}, {SETTING_KEY, 9}, {SETTING_DETUNE, 85}, {SETTING_RETUNE_SPEED, 0},
          {SETTING_THRESHOLD, 60}}, false, 0x6966dabed711052full},
        {"vibrato 48000 float sine vibrato", Input::Vibrato, 48000, false,
         {{SETTING_VIBRATO_TYPE, 1}, {SETTING_VIBRATO_DEPTH, 40}, {SETTING_VIBRATO_RATE, 65},
          {SETTING_VIBRATO_DELAY, 150}, {SETTING_RETUNE_SPEED, 264}}, false, 0xd883ed787674f079ull},
        {"vibrato 44100 pcm16 sawtooth microtonal", Input::Vibrato, 44100, true,
         {{SETTING_VIBRATO_TYPE, 3}, {SETTING_SCALE, 14}, {SETTING_KEY, 3}, {SETTING_DETUNE, 133}}, false, 0x34f26a43b5806ba1ull},
        {"vibrato 44100 float square slow low threshold", Input::Vibrato, 44100, false,
         {{SETTING_VIBRATO_TYPE, 2}, {SETTING_RETUNE_SPEED, 400}, {SETTING_THRESHOLD, 5}, {SETTING_SCALE, 25}},
         false, 0x30b5e739659a110bull},
        {"demo 44100 pcm16 bypass", Input::Demo, 44100, true, {}, true, 0x0386f4ca9e2405b8ull},
        {"demo 48000 float sine vibrato minor", Input::Demo, 48000, false,
         {{SETTING_SCALE, 2}, {SETTING_KEY, 4}, {SETTING_VIBRATO_TYPE, 1}, {SETTING_VIBRATO_DEPTH, 70},
          {SETTING_VIBRATO_DELAY, 0}}, false, 0x6793f2691f1ed217ull},
        {"vibrato 48000 pcm16 square fast retune", Input::Vibrato, 48000, true,
         {{SETTING_VIBRATO_TYPE, 2}, {SETTING_VIBRATO_RATE, 30}, {SETTING_RETUNE_SPEED, 1}, {SETTING_THRESHOLD, 40}},
         false, 0xb8e8cee5bff125daull},
        // A retune speed and fields after it, put in block order as the tool
        // and the plug-in put them. The speeds are fader steps the processor
        // reports as a neighbouring step. These checksums come from the tool
        // as it was before settings went through the control interface, when
        // each value given was set on the processor once; the puts must
        // leave the same samples.
        {"demo 44100 pcm16 retune threshold", Input::Demo, 44100, true,
         {{SETTING_RETUNE_SPEED, 81}, {SETTING_THRESHOLD, 80}}, false, 0xe2cd5cf51122941aull},
        {"demo 48000 float retune sawtooth vibrato at once", Input::Demo, 48000, false,
         {{SETTING_RETUNE_SPEED, 281}, {SETTING_VIBRATO_TYPE, 3}, {SETTING_VIBRATO_DELAY, 0}}, false,
         0x1252a68ebb62d46eull},
        {"vibrato 44100 pcm16 key retune sine vibrato threshold", Input::Vibrato, 44100, true,
         {{SETTING_KEY, 5}, {SETTING_RETUNE_SPEED, 50}, {SETTING_VIBRATO_TYPE, 1}, {SETTING_VIBRATO_DEPTH, 60},
          {SETTING_VIBRATO_RATE, 70}, {SETTING_THRESHOLD, 40}}, false, 0x04d758a512ec0877ull},
        // Samples larger than the conversion buffers: the same samples as in
        // small blocks.
        {"demo 44100 pcm16 defaults", Input::Demo, 44100, true, {}, false, 0x1af596fb2b7959fcull, {100000, 70000}},
    };
    return cases;
}

std::vector<BYTE> RunThroughFilter(const Case& c)
{
    const std::vector<float> in = c.input == Input::Demo ? golden::DemoPhrase(c.rate, 4.0)
                                                         : golden::VibratoPassage(c.rate);
    const std::vector<LONG>& pattern = c.pattern;
    CComPtr<CMemorySource> source(c.pcm16 ? CMemorySource::CreatePcm16(c.rate, golden::Quantise(in))
                                          : CMemorySource::CreateFloat(c.rate, in));
    source->SetFramesPerSample(pattern);
    HRESULT hr = S_OK;
    CComPtr<CIntonaraPlugIn> filter(new CIntonaraPlugIn(nullptr, &hr));
    CComPtr<CMemorySink> sink(new CMemorySink);
    IIntonaraControl* control = filter;
    using Put = HRESULT (IIntonaraControl::*)(int);
    constexpr std::array<Put, kSettingsCount> kPut = {
        &IIntonaraControl::put_Scale,        &IIntonaraControl::put_Key,          &IIntonaraControl::put_Detune,
        &IIntonaraControl::put_RetuneSpeed,  &IIntonaraControl::put_VibratoType,  &IIntonaraControl::put_VibratoDepth,
        &IIntonaraControl::put_VibratoRate,  &IIntonaraControl::put_VibratoDelay, &IIntonaraControl::put_Threshold};
    for (const auto& [index, value] : c.puts)
        EXPECT_EQ((control->*kPut[static_cast<size_t>(index)])(value), S_OK);
    if (c.bypass) {
        CDspObject* dsp = nullptr;
        control->GetDspObject(&dsp);
        dsp->SetControlValue(0, 1);
    }
    CFilterGraph graph;
    EXPECT_EQ(graph.ConnectChain({source, filter, sink}), S_OK);
    EXPECT_EQ(graph.RunToCompletion(), S_OK);
    graph.Stop();
    const std::vector<BYTE> out = sink->Data();
    EXPECT_EQ(out.size(), in.size() * (c.pcm16 ? 2u : 4u)) << c.name;
    return out;
}

TEST(FilterGolden, EveryCaseGivesTheRecordedSamples)
{
    bool same = true;
    for (const Case& c : Cases()) {
        const std::vector<BYTE> out = RunThroughFilter(c);
        const uint64_t actual = golden::Checksum(out.data(), out.size());
        same = golden::Matches(c.name, actual, c.expected) && same;
    }
    EXPECT_TRUE(same);
}

// Processors without 256-bit vectors run the baseline build of the engine's
// block loop, which must give the same samples.
TEST(FilterGolden, BaselineCodeGivesTheSameSamples)
{
    if (!CEngineProbe::UsesWideCode())
        GTEST_SKIP() << "this processor runs the baseline code in the test above";
    CEngineProbe::UseWideCode(false);
    bool same = true;
    for (const Case& c : {Cases()[0], Cases()[4]}) {
        const std::vector<BYTE> out = RunThroughFilter(c);
        same = golden::Matches(c.name, golden::Checksum(out.data(), out.size()), c.expected) && same;
    }
    CEngineProbe::UseWideCode(true);
    EXPECT_TRUE(same);
}

} // namespace

// The graphical passes, pinned: a tracking pass over a sung passage, then a
// correcting pass over the same passage toward targets drawn from what was
// tracked. The checksum covers both passes' output samples and every record
// the engine wrote while tracking.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "engine/EngineProbe.h"
#include "golden/GoldenCases.h"
#include "host/ActvPlug.h"
#include "settings/ParameterIds.h"

namespace {

constexpr double kRate = 44100.0;

// The filter's own processor, reached the way the property page reaches it.
CDspObject* Processor(CIntonaraPlugIn* filter)
{
    IIntonaraControl* control = filter;
    CDspObject* dsp = nullptr;
    EXPECT_EQ(control->GetDspObject(&dsp), S_OK);
    return dsp;
}

// A host's uneven buffers, straight into the engine as the filter's Receive
// would hand them over.
std::vector<float> Stream(CDspObject* dsp, const std::vector<float>& in)
{
    std::vector<float> out(in.size());
    const size_t pattern[] = {4096, 441, 2000, 17};
    for (size_t done = 0, k = 0; done < in.size(); ++k) {
        const size_t n = std::min(pattern[k % 4], in.size() - done);
        dsp->m_Engine.Process(in.data() + done, out.data() + done, static_cast<int>(n));
        done += n;
    }
    return out;
}

// The nearest equal-tempered period: what "Make Auto" aims a voiced frame at.
float NearestNotePeriod(float period)
{
    const double semitones = std::round(12.0 * std::log2(kRate / period / 440.0));
    return static_cast<float>(kRate / (440.0 * std::exp2(semitones / 12.0)));
}

// Both passes' output and the records, end to end.
uint64_t TrackThenCorrect()
{
    std::vector<float> in(3000, 0.0f); // silence before the passage: the wait
    const std::vector<float> passage = golden::VibratoPassage(kRate);
    in.insert(in.end(), passage.begin(), passage.end());

    HRESULT hr = S_OK;
    CComPtr<CIntonaraPlugIn> filter(new CIntonaraPlugIn(nullptr, &hr));
    CDspObject* dsp = Processor(filter);
    if (dsp == nullptr)
        return 0;
    dsp->SetSampleRate(static_cast<float>(kRate));
    dsp->SetParameter(PARAM_MODE, 1);
    dsp->ResetEngine();

    const int capacity = static_cast<int>(passage.size() / 200) + 10;
    std::vector<TrackRecord> records(static_cast<size_t>(capacity), TrackRecord{0, 0, 0, 0, 0});
    dsp->SetParameter(PARAM_TRACK_PITCH, 1);
    dsp->StartTracking(records.data(), capacity);
    const std::vector<float> tracked = Stream(dsp, in);
    const std::vector<TrackRecord> written = records;
    dsp->SetParameter(PARAM_TRACK_PITCH, 0);

    int voiced = 0;
    for (size_t k = 0; k < records.size(); ++k) {
        const bool hasPeriod = written[k].fMaxPeriod > 0.0f;
        voiced += hasPeriod;
        records[k].fTargetPeriod = hasPeriod ? NearestNotePeriod(written[k].fMaxPeriod) : 0.0f;
    }
    EXPECT_GT(voiced, capacity / 2) << "the passage is sung, so most frames have a period";

    dsp->ResetEngine();
    dsp->SetParameter(PARAM_CORRECT_PITCH, 1);
    dsp->StartCorrecting(records.data(), capacity);
    const std::vector<float> corrected = Stream(dsp, in);
    dsp->SetParameter(PARAM_CORRECT_PITCH, 0);

    std::vector<float> all = tracked;
    for (const TrackRecord& r : written)
        all.insert(all.end(), {r.fMinSample, r.fMaxSample, r.fMinPeriod, r.fMaxPeriod});
    all.insert(all.end(), corrected.begin(), corrected.end());
    EXPECT_NE(tracked, corrected) << "the correcting pass shifts";
    return golden::Checksum(all.data(), all.size() * sizeof(float));
}

TEST(GraphicalGolden, TrackingThenCorrectingGivesTheRecordedSamples)
{
    constexpr uint64_t kExpected = 0x0a53ff460194734full;
    EXPECT_TRUE(golden::Matches("graphical 44100 track then correct", TrackThenCorrect(), kExpected));
    if (CEngineProbe::UsesWideCode()) { // and the baseline build of the block loop
        CEngineProbe::UseWideCode(false);
        EXPECT_TRUE(golden::Matches("graphical 44100 track then correct, baseline code", TrackThenCorrect(), kExpected));
        CEngineProbe::UseWideCode(true);
    }
}

} // namespace

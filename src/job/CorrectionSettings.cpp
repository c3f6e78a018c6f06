#include "job/CorrectionSettings.h"

#include <algorithm>
#include <memory>

#include "modes/DspObject.h"
#include "settings/ParameterIds.h"
#include "settings/RetuneTaper.h"

namespace job {

namespace {

SettingRange ReadRange(CParameterStore& store, int id)
{
    int first = 0, second = 0, def = 0;
    store.GetParameterRange(id, &first, &second, &def);
    return {std::min(first, second), std::max(first, second), def};
}

} // namespace

AutomaticRanges ReadAutomaticRanges(CParameterStore& store)
{
    AutomaticRanges r;
    // The Scale slider's ends do not describe the scale list; its step
    // count does.
    int scales = 0;
    store.GetParameterSteps(PARAM_SCALE, &scales);
    r.scale = ReadRange(store, PARAM_SCALE);
    r.scale.nLow = 0;
    r.scale.nHigh = scales - 1;
    r.key = ReadRange(store, PARAM_KEY);
    r.detune = ReadRange(store, PARAM_DETUNE);
    r.retuneMs = ReadRange(store, PARAM_RETUNE);
    r.vibratoType = ReadRange(store, PARAM_VIBRATO_TYPE);
    r.depth = ReadRange(store, PARAM_VIBRATO_DEPTH);
    r.rate = ReadRange(store, PARAM_VIBRATO_RATE);
    r.delay = ReadRange(store, PARAM_VIBRATO_DELAY);
    r.threshold = ReadRange(store, PARAM_THRESHOLD);
    return r;
}

const AutomaticRanges& GetAutomaticRanges()
{
    static const AutomaticRanges ranges = [] {
        auto dsp = std::make_unique<CDspObject>();
        return ReadAutomaticRanges(*dsp);
    }();
    return ranges;
}

SettingsBlock DefaultSettingsBlock(const AutomaticRanges& r)
{
    // The store gives the retune default in milliseconds; the block carries
    // the taper index.
    return {r.scale.nDefault,
            r.key.nDefault,
            r.detune.nDefault,
            retune_taper::MsToIndex(r.retuneMs.nDefault),
            r.vibratoType.nDefault,
            r.depth.nDefault,
            r.rate.nDefault,
            r.delay.nDefault,
            r.threshold.nDefault};
}

int InitialSampleRate()
{
    static const int rate = [] {
        auto dsp = std::make_unique<CDspObject>();
        dsp->Initialise();
        return static_cast<int>(dsp->GetSampleRate());
    }();
    return rate;
}

} // namespace job

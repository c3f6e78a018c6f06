#include "settings/ParameterStore.h"
#include "settings/RetuneTaper.h"

namespace {

bool IsParameterId(int id)
{
    return id >= kFirstParameterId && id <= kLastParameterId;
}

struct RangeRow
{
    int nFirstEnd, nSecondEnd, nDefault;
};

// Slider ends, not minimum and maximum: the speed and threshold sliders put
// their large value first. Defaults are in stored units (milliseconds for
// the retune speeds).
bool LookUpRange(int id, RangeRow* row)
{
    switch (id) {
    case PARAM_MODE: *row = {0, 1, 0}; return true;
    case PARAM_SCALE: *row = {0, 53, 2}; return true;
    case PARAM_KEY: *row = {0, 11, 0}; return true;
    case PARAM_DETUNE: *row = {0, 200, 100}; return true;
    case PARAM_RETUNE: *row = {400, 0, 20}; return true;
    case PARAM_VIBRATO_TYPE: *row = {0, 3, 0}; return true;
    case PARAM_VIBRATO_DEPTH: *row = {0, 100, 30}; return true;
    case PARAM_VIBRATO_RATE: *row = {1, 100, 55}; return true;
    case PARAM_VIBRATO_DELAY: *row = {0, 3000, 300}; return true;
    case PARAM_THRESHOLD: *row = {100, 0, 25}; return true;
    case PARAM_GRAPH_THRESHOLD: *row = {100, 0, 25}; return true;
    case PARAM_GRAPH_RETUNE: *row = {400, 0, 20}; return true;
    default: return false;
    }
}

} // namespace

int CParameterStore::GetParameter(int id, int* value)
{
    if (!IsParameterId(id) || !value)
        return 0;
    switch (id) {
    case PARAM_MODE: *value = Relaxed(m_nMode); break;
    case PARAM_SCALE: m_pScale->GetScale(value); break;
    case PARAM_KEY: *value = Relaxed(m_nKey); break;
    case PARAM_DETUNE: *value = Relaxed(m_nDetune); break;
    case PARAM_RETUNE: *value = retune_taper::MsToIndex(Relaxed(m_nRetuneMs)); break;
    case PARAM_VIBRATO_TYPE: *value = Relaxed(m_nVibratoType); break;
    case PARAM_VIBRATO_DEPTH: *value = Relaxed(m_nVibratoDepth); break;
    case PARAM_VIBRATO_RATE: *value = Relaxed(m_nVibratoRate); break;
    case PARAM_VIBRATO_DELAY: *value = Relaxed(m_nVibratoDelay); break;
    case PARAM_THRESHOLD: *value = Relaxed(m_nThreshold); break;
    case PARAM_TRACK_HIGH: *value = Relaxed(m_bTrackHigh); break;
    case PARAM_GRAPH: *value = Relaxed(m_nGraph); break;
    case PARAM_ENV_UNTIED: *value = Relaxed(m_bEnvScaleL); break;
    case PARAM_ENV_TIED: *value = Relaxed(m_bEnvScaleR); break;
    case PARAM_TRACK_PITCH: *value = Relaxed(m_bTrackPitch); break;
    case PARAM_CORRECT_PITCH: *value = Relaxed(m_bCorrectPitch); break;
    case PARAM_GRAPH_THRESHOLD: *value = Relaxed(m_nGraphThreshold); break;
    case PARAM_GRAPH_RETUNE: *value = retune_taper::MsToIndex(Relaxed(m_nGraphRetuneMs)); break;
    // Exchanged as 0..199 for 1..200 seconds.
    case PARAM_BUFFER_SIZE: *value = Relaxed(m_nBufferSize) - 1; break;
    case PARAM_USE_CURSORS: *value = Relaxed(m_bUseCursors); break;
    default: *value = 0; break;  // commands have no state
    }
    return 0;
}

int CParameterStore::GetParameterSteps(int id, int* steps)
{
    if (!IsParameterId(id) || !steps)
        return 0;
    switch (id) {
    case PARAM_SCALE: m_pScale->GetScaleCount(steps); break;
    case PARAM_KEY: *steps = 12; break;
    case PARAM_DETUNE: *steps = 201; break;
    case PARAM_RETUNE:
    case PARAM_GRAPH_RETUNE: *steps = retune_taper::kSteps; break;
    case PARAM_VIBRATO_TYPE:
    case PARAM_GRAPH: *steps = 4; break;
    case PARAM_VIBRATO_DEPTH: *steps = 101; break;
    case PARAM_VIBRATO_RATE:
    case PARAM_THRESHOLD:
    case PARAM_GRAPH_THRESHOLD: *steps = 100; break;
    case PARAM_VIBRATO_DELAY: *steps = 3001; break;
    case PARAM_BUFFER_SIZE: *steps = 200; break;
    default: *steps = 2; break;  // switches and commands
    }
    return 0;
}

int CParameterStore::GetParameterRange(int id, int* firstEnd, int* secondEnd, int* defaultValue)
{
    RangeRow row;
    if (!LookUpRange(id, &row))
        return 0;
    if (firstEnd)
        *firstEnd = row.nFirstEnd;
    if (secondEnd)
        *secondEnd = row.nSecondEnd;
    if (defaultValue)
        *defaultValue = row.nDefault;
    return 0;
}

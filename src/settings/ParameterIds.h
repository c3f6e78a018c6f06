#pragma once
// Parameter IDs, as exchanged with the control panel and the host, and the
// engine flag bits the store asks the controller to switch.

enum ParameterId : int
{
    PARAM_MODE = 1,
    PARAM_SCALE = 2,
    PARAM_KEY = 3,
    PARAM_DETUNE = 4,
    PARAM_RETUNE = 5,
    PARAM_VIBRATO_TYPE = 6,
    PARAM_VIBRATO_DEPTH = 7,
    PARAM_VIBRATO_RATE = 8,
    PARAM_VIBRATO_DELAY = 9,
    PARAM_THRESHOLD = 10,
    PARAM_EDIT_SCALE = 11,
    PARAM_TRACK_HIGH = 12,
    PARAM_ZOOM_TIME_OUT = 13,
    PARAM_ZOOM_PITCH_IN = 14,
    PARAM_ZOOM_PITCH_OUT = 15,
    PARAM_ZOOM_TIME_IN = 16,
    PARAM_GRAPH = 17,
    PARAM_MAKE_CURVE = 18,
    PARAM_AUTO_CURVE = 19,
    PARAM_CUT = 20,
    PARAM_COPY = 21,
    PARAM_PASTE = 22,
    PARAM_UNDO = 23,
    PARAM_SELECT_ALL = 24,
    PARAM_ENV_UNTIED = 25,
    PARAM_ENV_ZOOM_IN = 26,
    PARAM_ENV_ZOOM_OUT = 27,
    PARAM_ENV_TIED = 28,
    PARAM_TRACK_PITCH = 29,
    PARAM_CORRECT_PITCH = 30,
    PARAM_GRAPH_THRESHOLD = 31,
    PARAM_GRAPH_RETUNE = 32,
    PARAM_BUFFER_SIZE = 33,
    PARAM_USE_CURSORS = 34,
};

inline constexpr int kFirstParameterId = PARAM_MODE;
inline constexpr int kLastParameterId = PARAM_USE_CURSORS;

enum EngineFlag : int
{
    ENGINE_FLAG_TRACK_HIGH = 9,
    ENGINE_FLAG_CONTROL_VALUE2 = 10,
    ENGINE_FLAG_AUTO_CORRECT = 11,
    ENGINE_FLAG_TRACKING = 12,
    ENGINE_FLAG_CORRECTING = 13,
    ENGINE_FLAG_VIBRATO = 14,
    ENGINE_FLAG_WAIT_FOR_SIGNAL = 15,
};

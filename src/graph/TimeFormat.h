#pragma once
// Time as the graph writes it under its ruler: frames turned into hours,
// minutes, seconds and twenty-fourths of a second, and the spacing of the
// ruler's lines.

#include <string>

namespace graph {

struct TimeText
{
    std::string sText;  // "3:00", "1:00:00", "1:02:03:04"
    int nValue = 0;     // the time in twenty-fourths of a second
};

TimeText FormatTime(int frame, float frameRate);

// The time of a frame in whole milliseconds, split the way FormatTime
// splits it.
int FrameToMilliseconds(int frame, float frameRate);

struct RulerSteps
{
    int nFirstMs = 0;  // the first line at or after the left edge
    int nStepMs = 1;
};

// Lines for a ruler whose edges lie at these times: about five, at round
// steps of half-seconds, half-minutes or half-hours.
RulerSteps ChooseRulerSteps(int leftMs, int rightMs);

} // namespace graph

#include "graph/TimeFormat.h"

#include <cstdio>

namespace graph {

namespace {

struct Split
{
    int nHours = 0;
    int nMinutes = 0;
    int nSeconds = 0;
    double dFraction = 0.0;  // of a second
};

// The hour, minute and second of a frame. The 0.99 keeps a frame that
// starts a hair before a whole second from reading as the second before.
Split SplitFrame(int frame, float frameRate)
{
    const float framesPerHour = frameRate * 3600;
    double x = (frame + 0.99) / framesPerHour;
    Split s;
    s.nHours = static_cast<int>(x);
    x = (x - s.nHours) * 60;
    s.nMinutes = static_cast<int>(x);
    x = (x - s.nMinutes) * 60;
    s.nSeconds = static_cast<int>(x);
    s.dFraction = x - s.nSeconds;
    return s;
}

} // namespace

TimeText FormatTime(int frame, float frameRate)
{
    const Split s = SplitFrame(frame, frameRate);
    const int twentyFourths = static_cast<int>(s.dFraction * 24);
    TimeText result;
    result.nValue = ((s.nHours * 3600 + s.nMinutes * 60 + s.nSeconds) * 24) + twentyFourths;

    char text[32];
    const auto h = static_cast<short>(s.nHours);
    const auto m = static_cast<short>(s.nMinutes);
    const auto sec = static_cast<short>(s.nSeconds);
    const auto t = static_cast<short>(twentyFourths);
    if (h != 0)
        std::snprintf(text, sizeof text, "%2hd:%02hd:%02hd:%02hd", h, m, sec, t);
    else if (m != 0)
        std::snprintf(text, sizeof text, "%2hd:%02hd:%02hd", m, sec, t);
    else
        std::snprintf(text, sizeof text, "%2hd:%02hd", sec, t);
    int skip = 0;
    while (skip < 15 && text[skip] == ' ')
        ++skip;
    result.sText = text + skip;
    return result;
}

int FrameToMilliseconds(int frame, float frameRate)
{
    const Split s = SplitFrame(frame, frameRate);
    const int ms = static_cast<int>(s.dFraction * 1000);
    return (s.nHours * 3600 + s.nMinutes * 60 + s.nSeconds) * 1000 + ms;
}

RulerSteps ChooseRulerSteps(int leftMs, int rightMs)
{
    static constexpr int kMultipliers[] = {1, 2, 4, 5, 10, 15, 20, 30, 40, 60};
    const int spacing = (rightMs - leftMs) / 5;
    const int unit = spacing < 30001 ? 500 : spacing < 1800001 ? 30000 : 1800000;
    int multiplier = 10;
    for (int m : kMultipliers) {
        if (m >= spacing / unit) {
            multiplier = m;
            break;
        }
    }
    RulerSteps steps;
    steps.nStepMs = unit * multiplier;
    steps.nFirstMs = ((steps.nStepMs / 2 + leftMs) / steps.nStepMs) * steps.nStepMs;
    return steps;
}

} // namespace graph

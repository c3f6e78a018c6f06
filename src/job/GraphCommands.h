#pragma once
// What `intonara graph` does to a session, apart from the two passes
// (job/GraphPasses.h): curves made from the tracked pitch, a line through
// given points, a cut, an undo, a picture and a description. Each edit
// opens the session in a workspace, runs the graph view's own command and
// writes the session back; a command that finds nothing to do says so
// (a failure) and leaves the file as it was.

#include <optional>
#include <string>
#include <vector>

#include "job/CorrectionSettings.h"

namespace job {

// "make curve" (or "make auto", with the automatic-mode settings given,
// which the session keeps) over from..to seconds, all tracked frames when
// both are absent. Returns a line for the user.
std::string MakeSessionCurves(const std::string& sessionPath, std::optional<double> from, std::optional<double> to,
                              bool bAuto, const CorrectionSettings& autoSettings);

struct GraphPoint
{
    double dSeconds = 0.0;
    int nCents = 0;  // relative to middle C
};
// "TIME:PITCH": seconds, then a note with its octave as the note labels
// write it ("A3", "C#4", "E-flat2"; C3 is middle C) or signed cents.
GraphPoint ParseGraphPoint(const std::string& text, const char* option = "--point");
int ParsePitch(const std::string& text, const char* option);

std::string AddSessionLine(const std::string& sessionPath, const std::vector<GraphPoint>& points);
std::string CutSessionRange(const std::string& sessionPath, double from, double to);
std::string UndoSessionEdit(const std::string& sessionPath);

// Both views as the panel draws them, fitted to the passage; the main view
// width x height pixels, the envelope view under it. Written whole.
void DrawSessionPicture(const std::string& sessionPath, const std::string& pngPath, int width, int height);

struct GraphCurveSpan
{
    double dStart = 0.0;  // seconds
    double dEnd = 0.0;
    int nNodes = 0;
};

struct GraphInfo
{
    std::string sSource;
    int nSampleRate = 0;
    long long nSourceFrames = 0;
    long long nSourceBytes = 0;
    int nTrackedFrames = 0;
    double dTrackedSeconds = 0.0;
    double dVoicedShare = 0.0;  // of the tracked frames
    std::optional<int> nLowestCents;
    std::optional<int> nHighestCents;
    std::vector<GraphCurveSpan> curves;
    int nNodes = 0;
    bool bUndo = false;
    bool bClipboard = false;
    // Settings as the session holds them.
    int nScale = 0, nKey = 0, nDetuneCents = 0, nRetuneMs = 0, nVibratoType = 0, nVibratoDepth = 0,
        nVibratoRate = 0, nVibratoDelay = 0, nGraphThreshold = 0, nGraphRetuneMs = 0, nBufferSeconds = 0;
};

GraphInfo DescribeSession(const std::string& sessionPath);
std::string FormatGraphInfo(const GraphInfo& info, bool bJson);

// A pitch in cents as a note name with its octave ("A3", "C#4").
std::string CentsToNoteName(int cents);

} // namespace job

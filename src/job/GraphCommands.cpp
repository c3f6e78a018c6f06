#include "job/GraphCommands.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "graph/BlockTable.h"
#include "graph/EnvelopeGraphView.h"
#include "graph/GraphHost.h"
#include "graph/MainGraphView.h"
#include "job/GraphSession.h"
#include "job/GraphWorkspace.h"
#include "job/JobError.h"
#include "job/OptionParsing.h"
#include "job/TextFormat.h"
#include "modes/DspObject.h"
#include "platform/gdi/Surface.h"
#include "settings/ParameterIds.h"
#include "settings/RetuneTaper.h"
#include "settings/ScaleSet.h"

namespace job {

namespace {

constexpr int kMinPictureWidth = 100;
constexpr int kMaxPictureWidth = 4000;
constexpr int kMinPictureHeight = 60;
constexpr int kMaxPictureHeight = 3000;

std::vector<uint8_t> ViewState(CMainGraphView& view)
{
    std::vector<uint8_t> state(static_cast<size_t>(view.GetStateSize()));
    view.SaveState(state.data());
    return state;
}

// A session opened in a hidden workspace, written back by Save.
class CSessionEdit
{
public:
    CSessionEdit(const std::string& path, const GraphStart& overrides = {}) : m_sPath(path)
    {
        m_Workspace.Open(ReadSession(path), path, overrides);
    }
    CGraphWorkspace& Workspace() { return m_Workspace; }
    CMainGraphView& Main() { return m_Workspace.Main(); }
    void Save() { WriteSession(m_Workspace.Capture(), m_sPath); }

private:
    std::string m_sPath;
    CGraphWorkspace m_Workspace;
};

std::string Seconds(double s)
{
    return Printf("%.2f s", s);
}

int CurveCount(const CurveNode* list)
{
    int curves = 0;
    for (int i = 0; i < NodeCount(list); ++i)
        curves += list[i].segment == SEGMENT_END ? 1 : 0;
    return curves;
}

} // namespace

std::string CentsToNoteName(int cents)
{
    static const char* const kNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    const int semitones = static_cast<int>(std::lround(cents / 100.0));
    const int octave = static_cast<int>(std::floor(semitones / 12.0));
    return Printf("%s%d", kNames[semitones - 12 * octave], octave + 3);
}

int ParsePitch(const std::string& text, const char* option)
{
    static constexpr int kSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // A..G
    const std::string t = text;
    if (!t.empty() && (std::isdigit(static_cast<unsigned char>(t[0])) || t[0] == '-' || t[0] == '+'))
        return ParseWholeNumber(t[0] == '+' ? t.substr(1) : t, option, kLowestCents, kHighestCents,
                                "cents from middle C");
    const auto bad = [&]() -> int {
        ThrowUsage(Printf("%s takes a note with its octave (\"A3\", \"C#4\", \"E-flat2\"; C3 is middle C) or "
                          "cents from middle C, not \"%s\"",
                          option, text.c_str()));
    };
    if (t.empty())
        return bad();
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(t[0])));
    if (letter < 'A' || letter > 'G')
        return bad();
    int semitone = kSemitone[letter - 'A'];
    size_t pos = 1;
    static const std::pair<const char*, int> kAccidentals[] = {
        {"-sharp", 1}, {"-flat", -1}, {"\xE2\x99\xAF", 1}, {"\xE2\x99\xAD", -1}, {"#", 1}, {"b", -1}, {"s", 1}};
    for (const auto& [spelling, shift] : kAccidentals) {
        if (t.compare(pos, std::string(spelling).size(), spelling) == 0) {
            semitone += shift;
            pos += std::string(spelling).size();
            break;
        }
    }
    const std::string octave = t.substr(pos);
    if (octave.empty() || !(std::isdigit(static_cast<unsigned char>(octave.back()))))
        return bad();
    char* end = nullptr;
    const long number = std::strtol(octave.c_str(), &end, 10);
    if (*end != '\0' || number < -10 || number > 20)
        return bad();
    const int cents = (semitone + 12 * (static_cast<int>(number) - 3)) * 100;
    if (cents < kLowestCents || cents > kHighestCents)
        ThrowUsage(Printf("%s: %s lies outside the graph's range, F0 to C6 (-3200 to 3600 cents)", option,
                          text.c_str()));
    return cents;
}

GraphPoint ParseGraphPoint(const std::string& text, const char* option)
{
    const size_t colon = text.find(':');
    if (colon == std::string::npos)
        ThrowUsage(Printf("%s takes TIME:PITCH (seconds, then a note such as A3 or cents), not \"%s\"", option,
                          text.c_str()));
    GraphPoint point;
    const std::string time = text.substr(0, colon);
    char* end = nullptr;
    point.dSeconds = std::strtod(time.c_str(), &end);
    if (time.empty() || *end != '\0' || !std::isfinite(point.dSeconds) || point.dSeconds < 0.0)
        ThrowUsage(Printf("%s: \"%s\" is not a time in seconds", option, time.c_str()));
    point.nCents = ParsePitch(text.substr(colon + 1), option);
    return point;
}

std::string MakeSessionCurves(const std::string& sessionPath, std::optional<double> from, std::optional<double> to,
                              bool bAuto, const CorrectionSettings& autoSettings)
{
    GraphStart overrides;
    if (bAuto) {
        const std::optional<int> given[] = {autoSettings.nScale,        autoSettings.nKey,
                                            autoSettings.nDetune,       autoSettings.nRetuneIndex,
                                            autoSettings.nVibratoType,  autoSettings.nVibratoDepth,
                                            autoSettings.nVibratoRate,  autoSettings.nVibratoDelay};
        for (size_t i = 0; i < std::size(given); ++i)
            overrides.automatic[i] = given[i];
    }
    CSessionEdit edit(sessionPath, overrides);
    CMainGraphView& main = edit.Main();
    const int tracked = main.TrackedFrames();
    if (tracked == 0)
        ThrowFailure(sessionPath + " holds no tracked pitch; track a sound file into it first (intonara graph track)");
    const int first = from ? std::clamp(edit.Workspace().FrameAt(*from), 0, tracked) : 0;
    const int end = to ? std::clamp(edit.Workspace().FrameAt(*to), 0, tracked) : tracked;
    if (first >= end)
        ThrowUsage(Printf("--from (%s) must come before --to (%s) within the %s tracked", Seconds(from.value_or(0)).c_str(),
                          Seconds(to.value_or(0)).c_str(), Seconds(edit.Workspace().SecondsAt(tracked)).c_str()));
    const bool whole = first == 0 && end == tracked;
    main.SetTimeSelection(whole ? 0 : first, whole ? 0 : end);
    edit.Workspace().Envelope().SetTimeSelection(whole ? 0 : first, whole ? 0 : end);
    main.IdleUpdate();

    const std::vector<uint8_t> before = ViewState(main);
    const int curvesBefore = CurveCount(main.Curves());
    bAuto ? main.MakeAutoCurve() : main.MakeCurveFromTrack();
    if (ViewState(main) == before)
        ThrowFailure(Printf("%s: no voiced stretch longer than four frames between %s and %s; nothing was made",
                            sessionPath.c_str(), Seconds(edit.Workspace().SecondsAt(first)).c_str(),
                            Seconds(edit.Workspace().SecondsAt(end)).c_str()));
    edit.Save();
    return Printf("%s: %s over %s to %s; the session now has %d curves", sessionPath.c_str(),
                  bAuto ? "make auto" : "make curve", Seconds(edit.Workspace().SecondsAt(first)).c_str(),
                  Seconds(edit.Workspace().SecondsAt(end)).c_str(), std::max(curvesBefore, CurveCount(main.Curves())));
}

std::string AddSessionLine(const std::string& sessionPath, const std::vector<GraphPoint>& points)
{
    if (points.size() < 2)
        ThrowUsage("a line needs at least two --point options");
    CSessionEdit edit(sessionPath);
    std::vector<int> times;
    std::vector<int> pitches;
    for (const GraphPoint& p : points) {
        const int frame = edit.Workspace().FrameAt(p.dSeconds);
        if (!times.empty() && frame <= times.back())
            ThrowUsage(Printf("the points of a line must go forward in time, at least one frame (%.1f ms) apart",
                              1000.0 / edit.Main().FrameRate()));
        times.push_back(frame);
        pitches.push_back(p.nCents);
    }
    CMainGraphView& main = edit.Main();
    main.SaveUndo();
    main.MakeLineCurveAt(times.data(), pitches.data(), static_cast<int>(times.size()));
    main.UpdateTotalLength();
    edit.Save();
    return Printf("%s: a line of %zu points from %s to %s", sessionPath.c_str(), points.size(),
                  Seconds(points.front().dSeconds).c_str(), Seconds(points.back().dSeconds).c_str());
}

std::string CutSessionRange(const std::string& sessionPath, double from, double to)
{
    if (!(from < to))
        ThrowUsage("--from must come before --to");
    CSessionEdit edit(sessionPath);
    CMainGraphView& main = edit.Main();
    const int before = NodeCount(main.Curves());
    main.SelectAllNodes(const_cast<CurveNode*>(main.Curves()), 0);
    main.SelectTimeRange(edit.Workspace().FrameAt(from), edit.Workspace().FrameAt(to), 1);
    main.UpdateSelectionButtons();
    main.Cut();
    const int after = NodeCount(main.Curves());
    if (main.UndoCurves() == nullptr || after == before)
        ThrowFailure(Printf("%s: no stretch of curve between %s and %s; nothing was cut", sessionPath.c_str(),
                            Seconds(from).c_str(), Seconds(to).c_str()));
    edit.Save();
    return Printf("%s: cut between %s and %s, %d nodes left", sessionPath.c_str(), Seconds(from).c_str(),
                  Seconds(to).c_str(), after);
}

std::string UndoSessionEdit(const std::string& sessionPath)
{
    CSessionEdit edit(sessionPath);
    CMainGraphView& main = edit.Main();
    if (main.UndoCurves() == nullptr)
        ThrowFailure(sessionPath + " has nothing to undo");
    main.Undo();
    edit.Save();
    return Printf("%s: undone; %d curves", sessionPath.c_str(), CurveCount(main.Curves()));
}

void DrawSessionPicture(const std::string& sessionPath, const std::string& pngPath, int width, int height)
{
    if (width < kMinPictureWidth || width > kMaxPictureWidth)
        ThrowUsage(Printf("--width takes %d to %d pixels", kMinPictureWidth, kMaxPictureWidth));
    if (height < kMinPictureHeight || height > kMaxPictureHeight)
        ThrowUsage(Printf("--height takes %d to %d pixels", kMinPictureHeight, kMaxPictureHeight));
    const GraphSession session = ReadSession(sessionPath);
    CGraphWorkspace workspace(width, height, true);
    workspace.Open(session, sessionPath);
    CMainGraphView& main = workspace.Main();
    if (main.TrackedFrames() > 0)
        main.FitPitchToTrack(false);
    else
        main.FitTime(false);
    main.SetTimeSelection(0, 0);
    workspace.Envelope().SetTimeSelection(0, 0);
    main.Redraw(nullptr, nullptr);
    workspace.Envelope().Redraw(nullptr, nullptr);
    // Written beside its name and renamed into place, like every output.
    if (!platform::gdi::SavePng(workspace.Picture(), pngPath.c_str()))
        ThrowFailure("cannot write the picture " + pngPath);
}

GraphInfo DescribeSession(const std::string& sessionPath)
{
    const GraphSession s = ReadSession(sessionPath);
    GraphInfo info;
    info.sSource = s.sSourcePath;
    info.nSampleRate = s.nSampleRate;
    info.nSourceFrames = s.nSourceFrames;
    info.nSourceBytes = s.nSourceBytes;
    info.nTrackedFrames = s.nTrackedFrames;
    const double frameRate = s.nSampleRate / 200.0;
    info.dTrackedSeconds = s.nTrackedFrames / frameRate;
    int voiced = 0;
    for (int i = 0; i < s.nTrackedFrames; ++i) {
        const auto low = static_cast<int32_t>(s.records[5 * static_cast<size_t>(i) + 3]);
        const auto high = static_cast<int32_t>(s.records[5 * static_cast<size_t>(i) + 2]);
        if (low == kUnvoicedMark)
            continue;
        ++voiced;
        info.nLowestCents = std::min(info.nLowestCents.value_or(low), low);
        info.nHighestCents = std::max(info.nHighestCents.value_or(high), high);
    }
    info.dVoicedShare = s.nTrackedFrames > 0 ? static_cast<double>(voiced) / s.nTrackedFrames : 0.0;

    CGraphWorkspace workspace;
    workspace.Open(s, sessionPath);
    const CurveNode* curves = workspace.Main().Curves();
    const int count = NodeCount(curves);
    info.nNodes = count;
    for (int i = 0, start = 0; i < count; ++i) {
        if (curves[i].segment != SEGMENT_END && i + 1 < count)
            continue;
        info.curves.push_back({curves[start].time / frameRate, curves[i].time / frameRate, i - start + 1});
        start = i + 1;
    }
    info.bUndo = workspace.Main().UndoCurves() != nullptr;
    info.bClipboard = workspace.Main().Clipboard() != nullptr;
    info.nScale = s.Parameter(PARAM_SCALE);
    info.nKey = s.Parameter(PARAM_KEY);
    info.nDetuneCents = s.Parameter(PARAM_DETUNE) - 100;
    info.nRetuneMs = retune_taper::IndexToMs(s.Parameter(PARAM_RETUNE));
    info.nVibratoType = s.Parameter(PARAM_VIBRATO_TYPE);
    info.nVibratoDepth = s.Parameter(PARAM_VIBRATO_DEPTH);
    info.nVibratoRate = s.Parameter(PARAM_VIBRATO_RATE);
    info.nVibratoDelay = s.Parameter(PARAM_VIBRATO_DELAY);
    info.nGraphThreshold = s.Parameter(PARAM_GRAPH_THRESHOLD);
    info.nGraphRetuneMs = retune_taper::IndexToMs(s.Parameter(PARAM_GRAPH_RETUNE));
    info.nBufferSeconds = s.Parameter(PARAM_BUFFER_SIZE) + 1;
    return info;
}

namespace {

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\')
            out += Printf("\\%c", c);
        else if (c < 0x20)
            out += Printf("\\u%04x", c);
        else
            out += static_cast<char>(c);
    }
    return out + "\"";
}

} // namespace

std::string FormatGraphInfo(const GraphInfo& i, bool bJson)
{
    const double sourceSeconds = i.nSampleRate > 0 ? static_cast<double>(i.nSourceFrames) / i.nSampleRate : 0.0;
    const char* vibrato = VibratoTypeName(i.nVibratoType);
    if (bJson) {
        std::string curves;
        for (const GraphCurveSpan& c : i.curves)
            curves += Printf("%s{\"start\": %.3f, \"end\": %.3f, \"nodes\": %d}", curves.empty() ? "" : ", ", c.dStart,
                             c.dEnd, c.nNodes);
        return Printf("{\n  \"source\": {\"path\": %s, \"sample_rate\": %d, \"frames\": %lld, \"seconds\": %.3f, "
                      "\"bytes\": %lld},\n"
                      "  \"tracked\": {\"frames\": %d, \"seconds\": %.3f, \"voiced_share\": %.4f, "
                      "\"lowest_cents\": %s, \"highest_cents\": %s},\n"
                      "  \"curves\": {\"count\": %zu, \"nodes\": %d, \"spans\": [%s]},\n"
                      "  \"undo\": %s,\n  \"clipboard\": %s,\n"
                      "  \"settings\": {\"scale\": %s, \"key\": %s, \"detune_cents\": %d, \"retune_ms\": %d, "
                      "\"vibrato\": %s, \"vibrato_depth_cents\": %d, \"vibrato_rate_hz\": %.1f, "
                      "\"vibrato_delay_ms\": %d, \"graph_threshold\": %d, \"graph_retune_ms\": %d, "
                      "\"buffer_seconds\": %d}\n}\n",
                      JsonString(i.sSource).c_str(), i.nSampleRate, i.nSourceFrames, sourceSeconds, i.nSourceBytes,
                      i.nTrackedFrames, i.dTrackedSeconds, i.dVoicedShare,
                      i.nLowestCents ? std::to_string(*i.nLowestCents).c_str() : "null",
                      i.nHighestCents ? std::to_string(*i.nHighestCents).c_str() : "null", i.curves.size(), i.nNodes,
                      curves.c_str(), i.bUndo ? "true" : "false", i.bClipboard ? "true" : "false",
                      JsonString(CScaleSet::GetDisplayName(i.nScale)).c_str(),
                      JsonString(CScaleSet::GetKeyName(i.nKey)).c_str(), i.nDetuneCents, i.nRetuneMs,
                      JsonString(vibrato).c_str(), i.nVibratoDepth, i.nVibratoRate / 10.0, i.nVibratoDelay,
                      i.nGraphThreshold, i.nGraphRetuneMs, i.nBufferSeconds);
    }
    std::string text = Printf("source:   %s (%d Hz, %.2f s, %lld bytes)\n", i.sSource.c_str(), i.nSampleRate,
                              sourceSeconds, i.nSourceBytes);
    text += Printf("tracked:  %d frames (%.2f s), %.0f%% voiced", i.nTrackedFrames, i.dTrackedSeconds,
                   100.0 * i.dVoicedShare);
    if (i.nLowestCents)
        text += Printf(", %s to %s (%d to %d cents)", CentsToNoteName(*i.nLowestCents).c_str(),
                       CentsToNoteName(*i.nHighestCents).c_str(), *i.nLowestCents, *i.nHighestCents);
    text += Printf("\ncurves:   %zu (%d nodes)%s%s\n", i.curves.size(), i.nNodes, i.bUndo ? ", an edit to undo" : "",
                   i.bClipboard ? ", a clipboard" : "");
    for (const GraphCurveSpan& c : i.curves)
        text += Printf("          %.2f to %.2f s, %d nodes\n", c.dStart, c.dEnd, c.nNodes);
    text += Printf("settings: scale \"%s\", key %s, detune %d cents, retune %d ms, vibrato %s", 
                   CScaleSet::GetDisplayName(i.nScale), CScaleSet::GetKeyName(i.nKey), i.nDetuneCents, i.nRetuneMs,
                   vibrato);
    if (i.nVibratoType != 0)
        text += Printf(" (%d cents, %.1f Hz, after %d ms)", i.nVibratoDepth, i.nVibratoRate / 10.0, i.nVibratoDelay);
    text += Printf("; graph threshold %d, graph retune %d ms; buffer %d s\n", i.nGraphThreshold, i.nGraphRetuneMs,
                   i.nBufferSeconds);
    return text;
}

} // namespace job

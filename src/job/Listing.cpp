#include "job/Listing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "job/JobError.h"
#include "job/TextFormat.h"
#include "settings/ScaleSet.h"

namespace job {

namespace {

constexpr int kMaxEntries = 54; // the largest scale, octave included

const char* StateText(NoteState state)
{
    switch (state) {
    case NoteState::Tracked: return "";
    case NoteState::NotTracked: return "not tracked";
    case NoteState::Removed: return "removed";
    }
    return "";
}

} // namespace

std::vector<ScaleListRow> ListScales()
{
    CScaleSet scales;
    int count = 0;
    scales.GetScaleCount(&count);
    std::vector<ScaleListRow> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back({i, CScaleSet::GetDisplayName(i), scales.GetNoteCount(static_cast<short>(i)) - 1});
    return rows;
}

std::string FormatScaleList(const std::vector<ScaleListRow>& rows)
{
    std::string text = "index  notes  name\n";
    for (const ScaleListRow& row : rows)
        text += Printf("%5d  %5d  %s\n", row.nIndex, row.nNotes, row.sName.c_str());
    return text;
}

NoteList ListNotes(CScaleSet& scales, int scale, int key, double sampleRate, int detuneCents)
{
    NoteList list;
    list.nScale = scale;
    list.nKey = key;
    list.dSampleRate = sampleRate;
    list.dKeyHz = 440.0 * std::pow(2.0, (key - 9) / 12.0);
    list.nDetuneCents = detuneCents;
    const double detune = std::pow(2.0, detuneCents / 1200.0);
    list.dA4Hz = 440.0 * detune;

    int entries = 0;
    const int* degrees = nullptr;
    scales.GetScaleTable(static_cast<short>(scale), &entries, &degrees);
    if (entries < 2 || entries > kMaxEntries || !degrees)
        ThrowUsage("no scale has the index " + std::to_string(scale));

    // Which notes survive the flags, and which of those are not tracked.
    int flagged[kMaxEntries];
    std::copy(degrees, degrees + entries, flagged);
    int left = entries;
    int tonicNotTracked = 0;
    scales.ApplyNoteFlags(static_cast<short>(scale), &left, flagged, &tonicNotTracked);

    int previous = 0;
    scales.GetScale(&previous);
    scales.SetScale(static_cast<short>(scale));
    short count = 0;
    const int* periods = nullptr;
    const int* bounds = nullptr;
    const int failed = scales.ComputeTargets(static_cast<short>(key), sampleRate, &count, &periods, &bounds);
    scales.SetScale(static_cast<short>(previous));
    if (failed != 0 || count != left)
        ThrowFailure("scale " + std::to_string(scale) + " gives no notes to correct to in that key");
    list.nTargets = count;

    // The scale set folds the key note's period up by powers of two; its
    // table's lowest note is the key note an octave lower still.
    double folded = sampleRate / list.dKeyHz;
    list.dPeriodScale = 2.0;
    while (folded < CScaleSet::kFoldLow) {
        folded *= 2.0;
        list.dPeriodScale *= 2.0;
    }

    int next = 0; // the next surviving note, in ascending pitch
    for (int degree = 0; degree < entries - 1; ++degree) {
        NoteListRow row;
        row.nDegree = degree;
        row.sName = scales.GetNoteName(static_cast<short>(key), static_cast<short>(scale),
                                       static_cast<short>(degree));
        row.dCents = degrees[degree] / 100.0;
        row.dHz = list.dKeyHz * detune * std::pow(2.0, degrees[degree] / 120000.0);
        if (next < left && std::abs(flagged[next]) == degrees[degree]) {
            // Periods run from the highest note down.
            const int i = count - 1 - next;
            row.nPeriod = periods[i];
            row.nCaptureLow = bounds[i];
            row.nCaptureHigh = bounds[i + 1];
            // The engine compares the detuned period with the bounds, so
            // the ranges move with the notes.
            row.dCaptureFromHz = sampleRate * list.dPeriodScale * detune / row.nCaptureHigh;
            row.dCaptureToHz = sampleRate * list.dPeriodScale * detune / row.nCaptureLow;
            // A zero period is what the engine sees of a note it must not
            // correct to, whichever flag caused it.
            row.eState = row.nPeriod == 0 ? NoteState::NotTracked : NoteState::Tracked;
            ++next;
        } else {
            row.eState = NoteState::Removed;
        }
        list.rows.push_back(row);
    }
    return list;
}

namespace {

std::string TuningText(const NoteList& list)
{
    if (list.nDetuneCents == 0)
        return "A4 = 440 Hz";
    return Printf("detune %+d cents, A4 = %.2f Hz", list.nDetuneCents, list.dA4Hz);
}

// Trailing blanks from an empty last column.
std::string WithoutTrailingBlanks(const std::string& text)
{
    std::string trimmed;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        trimmed += line + "\n";
        start = end + 1;
    }
    return trimmed;
}

} // namespace

std::string FormatNoteList(const NoteList& list, bool raw)
{
    std::string text;
    if (raw) {
        text = Printf("# \"%s\" in key %s at %g Hz: %d notes to correct to\n",
                      CScaleSet::GetDisplayName(list.nScale), CScaleSet::GetKeyName(list.nKey), list.dSampleRate,
                      list.nTargets);
        text += Printf("# period and capture range in 1/%.0f sample, as the engine receives them\n",
                       list.dPeriodScale);
        text += "degree  note        cents        Hz    period  capture from        to  state\n";
    } else {
        text = Printf("# \"%s\" in key %s, %s: %d notes to correct to\n", CScaleSet::GetDisplayName(list.nScale),
                      CScaleSet::GetKeyName(list.nKey), TuningText(list).c_str(), list.nTargets);
        text += "# a voice between \"captures from\" and \"to\" (in any octave) is pulled to the note\n";
        text += "degree  note        cents        Hz  captures from Hz     to Hz  state\n";
    }
    for (const NoteListRow& row : list.rows) {
        const char* name = row.sName.empty() ? "-" : row.sName.c_str();
        std::string columns;
        if (row.eState == NoteState::Removed)
            columns = Printf(raw ? "  %8s  %12s  %8s" : "  %16s  %8s", "-", "-", "-");
        else if (raw)
            columns = Printf("  %8d  %12d  %8d", row.nPeriod, row.nCaptureLow, row.nCaptureHigh);
        else
            columns = Printf("  %16.2f  %8.2f", row.dCaptureFromHz, row.dCaptureToHz);
        text += Printf("%6d  %-8s %8.2f %9.2f%s  %s\n", row.nDegree, name, row.dCents, row.dHz, columns.c_str(),
                       StateText(row.eState));
    }
    return WithoutTrailingBlanks(text);
}

} // namespace job

#include "job/NoteAnalysis.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "job/TextFormat.h"
#include "settings/ScaleSet.h"

namespace job {

namespace {

// C0, the bottom of octave 0 in scientific pitch notation.
constexpr double kC0Hz = 16.351597831287414;
// A note is in tune within this many cents either way, for the summary.
constexpr double kInTuneCents = 10.0;

// Which scale note, in which octave, a frame is pulled to.
struct NoteKey
{
    int nRow = -1;
    int nOctave = 0;
    bool operator==(const NoteKey&) const = default;
};

double Cents(double hz, double reference)
{
    return 1200.0 * std::log2(hz / reference);
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle), values.end());
    const double upper = values[middle];
    if (values.size() % 2 == 1)
        return upper;
    return (upper + *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle))) / 2.0;
}

std::string NoteName(const NoteList& scale, const NoteListRow& row, int octave)
{
    if (row.sName.empty())
        return Printf("degree %d", row.nDegree);
    // The octave number of the note as written, so the detune does not
    // move it into the next octave.
    const double undetuned = row.dHz / std::pow(2.0, scale.nDetuneCents / 1200.0) * std::pow(2.0, octave);
    return row.sName + std::to_string(static_cast<int>(std::floor(std::log2(undetuned / kC0Hz) + 1e-9)));
}

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else if (static_cast<unsigned char>(c) < 0x20)
            out += Printf("\\u%04x", c);
        else
            out += c;
    }
    return out + "\"";
}

struct Summary
{
    double dSungSeconds = 0.0;
    double dMedianDeviation = 0.0; // of the notes' absolute deviations
    int nInTune = 0;
    const SungNote* pFurthest = nullptr;
};

Summary Summarise(const PitchAnalysis& a)
{
    Summary s;
    std::vector<double> sizes;
    for (const SungNote& note : a.notes) {
        s.dSungSeconds += note.dEnd - note.dStart;
        sizes.push_back(std::fabs(note.dDeviation));
        s.nInTune += std::fabs(note.dDeviation) <= kInTuneCents ? 1 : 0;
        if (!s.pFurthest || std::fabs(note.dDeviation) > std::fabs(s.pFurthest->dDeviation))
            s.pFurthest = &note;
    }
    s.dMedianDeviation = Median(sizes);
    return s;
}

std::string ScaleHeading(const NoteList& scale)
{
    std::string text = Printf("\"%s\" in key %s, ", CScaleSet::GetDisplayName(scale.nScale),
                              CScaleSet::GetKeyName(scale.nKey));
    if (scale.nDetuneCents == 0)
        return text + "A4 = 440 Hz";
    return text + Printf("detune %+d cents, A4 = %.2f Hz", scale.nDetuneCents, scale.dA4Hz);
}

} // namespace

const NoteListRow* CapturingNote(const NoteList& scale, double hz, int* octave)
{
    // The ranges tile one octave from the lowest note's lower edge.
    double bottom = 0.0;
    for (const NoteListRow& row : scale.rows)
        if (row.eState != NoteState::Removed && (bottom == 0.0 || row.dCaptureFromHz < bottom))
            bottom = row.dCaptureFromHz;
    if (!(bottom > 0.0) || !(hz > 0.0) || !std::isfinite(hz))
        return nullptr;
    const int k = static_cast<int>(std::floor(std::log2(hz / bottom)));
    const double folded = hz / std::ldexp(1.0, k);
    const NoteListRow* found = nullptr;
    for (const NoteListRow& row : scale.rows)
        if (row.eState != NoteState::Removed && folded >= row.dCaptureFromHz && folded < row.dCaptureToHz)
            found = &row;
    // Rounding can leave a pitch a hair outside every range, at the top.
    if (!found)
        for (const NoteListRow& row : scale.rows)
            if (row.eState != NoteState::Removed && (!found || row.dCaptureToHz > found->dCaptureToHz))
                found = &row;
    if (octave)
        *octave = k;
    return found;
}

std::vector<SungNote> FindSungNotes(const std::vector<TrackedFrame>& frames, double frameSeconds,
                                    const NoteList& scale)
{
    std::vector<std::optional<NoteKey>> keys(frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        int octave = 0;
        if (const NoteListRow* row = CapturingNote(scale, frames[i].dHz, &octave))
            keys[i] = NoteKey{static_cast<int>(row - scale.rows.data()), octave};
    }

    // Stretches of one note long enough to be sung, merged across short gaps.
    struct Stretch
    {
        NoteKey key;
        size_t first = 0, last = 0;
    };
    std::vector<Stretch> stretches;
    for (size_t i = 0; i < keys.size();) {
        size_t end = i;
        while (end + 1 < keys.size() && keys[end + 1] == keys[i])
            ++end;
        if (keys[i] && static_cast<double>(end - i + 1) * frameSeconds >= kMinNoteSeconds) {
            if (!stretches.empty() && stretches.back().key == *keys[i] &&
                static_cast<double>(i - stretches.back().last - 1) * frameSeconds < kMaxNoteGapSeconds)
                stretches.back().last = end;
            else
                stretches.push_back({*keys[i], i, end});
        }
        i = end + 1;
    }

    std::vector<SungNote> notes;
    for (const Stretch& s : stretches) {
        const NoteListRow& row = scale.rows[static_cast<size_t>(s.key.nRow)];
        SungNote note;
        note.dStart = frames[s.first].dSeconds;
        note.dEnd = frames[s.last].dSeconds + frameSeconds;
        note.nDegree = row.nDegree;
        note.sName = NoteName(scale, row, s.key.nOctave);
        note.dNoteHz = std::ldexp(row.dHz, s.key.nOctave);
        note.bTracked = row.eState == NoteState::Tracked;
        std::vector<double> deviations;
        for (size_t i = s.first; i <= s.last; ++i)
            if (keys[i] == s.key)
                deviations.push_back(Cents(frames[i].dHz, note.dNoteHz));
        note.nFrames = static_cast<int>(deviations.size());
        note.dDeviation = Median(deviations);
        notes.push_back(note);
    }
    return notes;
}

std::string FormatAnalysis(const PitchAnalysis& a)
{
    std::string text = Printf("# %s: the notes of %s as the engine tracks them\n", ScaleHeading(a.scale).c_str(),
                              a.sPath.c_str());
    text += Printf("%8s%8s  %-9s%9s  %s\n", "start", "end", "note", "Hz", "deviation");
    for (const SungNote& note : a.notes)
        text += Printf("%8.2f%8.2f  %-9s%9.2f  %+6.1f cents%s\n", note.dStart, note.dEnd, note.sName.c_str(),
                       note.dNoteHz, note.dDeviation, note.bTracked ? "" : " (not tracked: left alone)");
    if (a.notes.empty())
        return text + Printf("no sung notes in %.2f s: the detector found no steady pitch\n", a.dSeconds);
    const Summary s = Summarise(a);
    text += Printf("%zu note%s in %.2f s (%.2f s sung): median deviation %.1f cents, %d within %.0f cents; "
                   "furthest %s, %+.1f cents at %.2f s\n",
                   a.notes.size(), a.notes.size() == 1 ? "" : "s", a.dSeconds, s.dSungSeconds, s.dMedianDeviation,
                   s.nInTune, kInTuneCents, s.pFurthest->sName.c_str(), s.pFurthest->dDeviation,
                   s.pFurthest->dStart);
    return text;
}

std::string FormatAnalysisJson(const PitchAnalysis& a)
{
    std::string json = "{\n";
    json += "  \"file\": " + JsonString(a.sPath) + ",\n";
    json += Printf("  \"sample_rate\": %d,\n  \"seconds\": %.3f,\n", a.nSampleRate, a.dSeconds);
    json += "  \"scale\": " + JsonString(CScaleSet::GetDisplayName(a.scale.nScale)) + ",\n";
    json += "  \"key\": " + JsonString(CScaleSet::GetKeyName(a.scale.nKey)) + ",\n";
    json += Printf("  \"detune_cents\": %d,\n  \"a4_hz\": %.2f,\n", a.scale.nDetuneCents, a.scale.dA4Hz);
    json += "  \"notes\": [";
    for (size_t i = 0; i < a.notes.size(); ++i) {
        const SungNote& n = a.notes[i];
        json += Printf("%s\n    {\"start\": %.3f, \"end\": %.3f, \"note\": %s, \"degree\": %d, \"note_hz\": %.2f, "
                       "\"deviation_cents\": %.1f, \"tracked\": %s}",
                       i == 0 ? "" : ",", n.dStart, n.dEnd, JsonString(n.sName).c_str(), n.nDegree, n.dNoteHz,
                       n.dDeviation, n.bTracked ? "true" : "false");
    }
    json += a.notes.empty() ? "],\n" : "\n  ],\n";
    const Summary s = Summarise(a);
    json += Printf("  \"summary\": {\"notes\": %zu, \"sung_seconds\": %.3f, \"median_deviation_cents\": %.1f, "
                   "\"within_%.0f_cents\": %d",
                   a.notes.size(), s.dSungSeconds, s.dMedianDeviation, kInTuneCents, s.nInTune);
    if (s.pFurthest)
        json += Printf(", \"furthest\": {\"note\": %s, \"start\": %.3f, \"deviation_cents\": %.1f}",
                       JsonString(s.pFurthest->sName).c_str(), s.pFurthest->dStart, s.pFurthest->dDeviation);
    return json + "}\n}\n";
}

} // namespace job

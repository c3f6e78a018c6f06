#pragma once
// What the tool's "scales" and "notes" subcommands print.

#include <string>
#include <vector>

class CScaleSet;

namespace job {

struct ScaleListRow
{
    int nIndex = 0;
    std::string sName;  // as the control panel lists it
    int nNotes = 0;     // per octave
};

std::vector<ScaleListRow> ListScales();
std::string FormatScaleList(const std::vector<ScaleListRow>& rows);

enum class NoteState
{
    Tracked,
    NotTracked, // stays a boundary, never a target
    Removed,    // its neighbours share its range
};

struct NoteListRow
{
    int nDegree = 0;
    std::string sName;      // empty for notes between the named ones
    double dCents = 0.0;    // above the key note
    double dHz = 0.0;       // in the octave from the key note up, detune applied
    NoteState eState = NoteState::Tracked;
    // The pitches a voice is pulled to this note from, in the same octave;
    // 0 for a removed note.
    double dCaptureFromHz = 0.0;
    double dCaptureToHz = 0.0;
    // In the engine's units (see NoteList::nPeriodScale); all 0 for a
    // removed note, and the period 0 for a note that is not tracked.
    int nPeriod = 0;
    int nCaptureLow = 0;  // shortest period captured by this note
    int nCaptureHigh = 0; // longest (exclusive)
};

struct NoteList
{
    int nScale = 0;
    int nKey = 0;
    double dSampleRate = 0.0;
    double dKeyHz = 0.0;      // without the detune
    int nDetuneCents = 0;     // moves every frequency listed
    double dA4Hz = 440.0;     // with the detune
    // Periods are samples times this power of two: the engine keeps them
    // scaled up so that integer arithmetic on them stays fine-grained.
    double dPeriodScale = 1.0;
    int nTargets = 0; // notes left after removals
    std::vector<NoteListRow> rows;
};

// Uses the scale set's note flags; the current scale is restored afterwards.
// Throws a failure when no target table can be made (every note removed).
NoteList ListNotes(CScaleSet& scales, int scale, int key, double sampleRate, int detuneCents = 0);
// Frequencies for people; with raw, the engine's periods and capture
// bounds in its scaled units instead.
std::string FormatNoteList(const NoteList& list, bool raw = false);

} // namespace job

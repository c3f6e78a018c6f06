#pragma once
// What "intonara analyze" reports: the pitch the engine's detector tracked,
// frame by frame, cut into sung notes, each compared with the note of the
// scale the engine would pull it to.

#include <string>
#include <vector>

#include "job/Listing.h"

namespace job {

// One 200-sample frame of a tracking pass.
struct TrackedFrame
{
    double dSeconds = 0.0; // where the frame starts in the file
    double dHz = 0.0;      // 0 when the detector found no pitch in it
};

struct SungNote
{
    double dStart = 0.0; // seconds from the start of the file
    double dEnd = 0.0;
    int nDegree = 0;           // the scale note's row in the note list
    std::string sName;         // with its octave, "A3"; "degree 5" for an unnamed note
    double dNoteHz = 0.0;      // that note in the octave sung, detune applied
    double dDeviation = 0.0;   // median over the note's frames, in cents, + is sharp
    bool bTracked = true;      // false: the note is not tracked, the engine leaves it
    int nFrames = 0;
};

struct PitchAnalysis
{
    std::string sPath;
    int nSampleRate = 0;
    double dSeconds = 0.0; // length of the file
    NoteList scale;        // the notes the voice is compared with
    std::vector<TrackedFrame> frames;
    std::vector<SungNote> notes;
};

// A note must hold its pitch this long to count; shorter stretches are
// glides between notes or detector hiccups.
inline constexpr double kMinNoteSeconds = 0.06;
// Two stretches on the same note with less than this between them are one
// note (a vibrato crossing a boundary, a consonant).
inline constexpr double kMaxNoteGapSeconds = 0.1;

// The scale note whose capture range holds hz in some octave, as the
// engine decides it, or null (no ranges at all). octave receives the power
// of two between the listed note and the one sung.
const NoteListRow* CapturingNote(const NoteList& scale, double hz, int* octave);

// Cuts the frames into notes; frames are in time order, frameSeconds apart.
std::vector<SungNote> FindSungNotes(const std::vector<TrackedFrame>& frames, double frameSeconds,
                                    const NoteList& scale);

// One line per note, then a summary.
std::string FormatAnalysis(const PitchAnalysis& analysis);
// The same as one JSON object.
std::string FormatAnalysisJson(const PitchAnalysis& analysis);

} // namespace job

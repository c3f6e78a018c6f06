#pragma once
// The notes of the current scale on the pitch axis: one octave of note
// positions in cents after key and detune, starting from the lowest note of
// the rotated octave, with octave numbers counted so that the octave from
// the lowest note at or below middle C is number 3.

#include <vector>

class CScaleSet;

namespace graph {

struct NoteTable
{
    std::vector<int> cents;  // by note index (scale degree)
    int nLowest = 0;         // the note the octave starts from
    int Count() const { return static_cast<int>(cents.size()); }
    // The note m places above the lowest, cyclically.
    int NoteAt(int m) const { return (nLowest + m) % Count(); }
};

NoteTable BuildNoteTable(CScaleSet& scales, int scale, int key, int detuneCents);

// Folds p into the octave above the lowest note and returns that octave's
// number.
int FoldOctave(const NoteTable& table, int* p);

struct NoteReading
{
    int nNote = -1;      // -1: the table is empty
    int nOctave = 3;
    int nDeviation = 0;  // cents from the note, negative below it
};

// The note nearest a pitch (the lower one on a tie).
NoteReading ReadNote(const NoteTable& table, int cents);

} // namespace graph

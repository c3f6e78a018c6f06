#include "graph/NoteTable.h"

#include <cstdlib>

#include "settings/ScaleSet.h"

namespace graph {

namespace {

// Scale positions are hundredths of a cent; an octave is 120000 of them.
constexpr int kOctavePositions = 120000;
constexpr int kMiddleOctave = 3;

} // namespace

NoteTable BuildNoteTable(CScaleSet& scales, int scale, int key, int detuneCents)
{
    NoteTable table;
    int entries = 0;
    const int* degrees = nullptr;
    scales.GetScaleTable(static_cast<short>(scale), &entries, &degrees);
    const int notes = scales.GetNoteCount(static_cast<short>(scale)) - 1;
    if (degrees == nullptr || notes <= 0 || notes > entries)
        return table;
    bool wrapped = false;
    for (int i = 0; i < notes; ++i) {
        int position = degrees[i] + key * 10000;
        if (position > kOctavePositions - 1) {
            position -= kOctavePositions;
            if (!wrapped) {
                table.nLowest = i;
                wrapped = true;
            }
        }
        position += detuneCents * 100;
        table.cents.push_back((position + 50) / 100);
    }
    return table;
}

int FoldOctave(const NoteTable& table, int* p)
{
    int octave = kMiddleOctave;
    if (table.cents.empty())
        return octave;
    const int lowest = table.cents[static_cast<size_t>(table.nLowest)];
    while (*p < lowest) {
        *p += 1200;
        --octave;
    }
    while (*p >= lowest + 1200) {
        *p -= 1200;
        ++octave;
    }
    return octave;
}

NoteReading ReadNote(const NoteTable& table, int cents)
{
    NoteReading reading;
    const int n = table.Count();
    if (n == 0)
        return reading;
    int p = cents;
    int octave = FoldOctave(table, &p);
    // The upper note: the first at or above p, else the lowest of the next octave.
    int m = 0;
    while (m < n && table.cents[static_cast<size_t>(table.NoteAt(m))] < p)
        ++m;
    if (m == n) {
        m = 0;
        p -= 1200;
        ++octave;
    }
    const int upper = table.NoteAt(m);
    const int upperCents = table.cents[static_cast<size_t>(upper)];
    const int lower = table.NoteAt((m + n - 1) % n);
    const int lowerOctave = m == 0 ? octave - 1 : octave;
    const int lowerCents = table.cents[static_cast<size_t>(lower)] - (m == 0 ? 1200 : 0);
    if (std::abs(upperCents - p) < std::abs(p - lowerCents)) {
        reading.nNote = upper;
        reading.nOctave = octave;
        reading.nDeviation = p - upperCents;
    } else {
        reading.nNote = lower;
        reading.nOctave = lowerOctave;
        reading.nDeviation = p - lowerCents;
    }
    return reading;
}

} // namespace graph

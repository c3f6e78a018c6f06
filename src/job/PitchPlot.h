#pragma once
// "intonara analyze --png": the tracked pitch drawn over the note lines of
// the scale, time across and pitch up, as a PNG picture. A plain plot until
// the graphical editor's graph view can draw it.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "job/NoteAnalysis.h"

namespace job {

using PlotColour = std::array<uint8_t, 3>;

inline constexpr PlotColour kPlotBackground = {255, 255, 255};
inline constexpr PlotColour kPlotNoteLine = {205, 205, 205};
inline constexpr PlotColour kPlotKeyLine = {150, 150, 150};
inline constexpr PlotColour kPlotSecondLine = {235, 235, 235};
inline constexpr PlotColour kPlotLabel = {90, 90, 90};
inline constexpr PlotColour kPlotPitch = {30, 80, 200};
inline constexpr PlotColour kPlotSungNote = {210, 40, 40};

struct PlotImage
{
    int nWidth = 0;
    int nHeight = 0;
    std::vector<uint8_t> rgb; // rows top to bottom, three bytes a pixel

    PlotColour At(int x, int y) const;
};

// Pixels across per second of audio, and the picture's bounds.
inline constexpr int kPlotPixelsPerSecond = 100;
inline constexpr int kPlotMinWidth = 800;
inline constexpr int kPlotMaxWidth = 4000;
inline constexpr int kPlotHeight = 480;

PlotImage DrawPitchPlot(const PitchAnalysis& analysis);

// Writes the picture to path, complete or not at all. Throws CJobError.
void WritePitchPlot(const PitchAnalysis& analysis, const std::string& path);

} // namespace job

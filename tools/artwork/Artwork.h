#pragma once

// The module's pictures, drawn by numbers: the fader's thumb and track with
// their stencils, the graph buttons, a brand emblem and the graph cursors.
// DrawArtwork() gives every file the resource script names, byte for byte;
// intonara-artwork writes them under resources/, and a test checks the
// committed files still equal what this code draws.

#include <string>
#include <vector>

namespace artwork {

struct ArtworkFile {
    std::string m_strPath;   // relative to resources/, with '/' separators
    std::string m_strBytes;  // the whole file
};

std::vector<ArtworkFile> DrawArtwork();

// The parts, each appending its files.
void DrawFaderArt(std::vector<ArtworkFile>& files);
void DrawButtonArt(std::vector<ArtworkFile>& files);
void DrawCursorArt(std::vector<ArtworkFile>& files);

}  // namespace artwork

// The fader: a 24 x 23 thumb whose cap fills rows 2 to 22 (its index line on
// row 12), and a 26 x 118 track with a sunken groove and scale ticks. The
// control draws the track at (15, 5) and the thumb at x 17 with 101 pixels of
// travel, so the thumb's index line runs from y 12 to y 113 and the ticks sit
// at the tenths of that travel.
//
// Each picture comes with a stencil resource that is white where the picture
// covers the background and black elsewhere; the control inverts stencils
// when it loads them, ANDs the result onto the background and ORs the
// picture on top, so a picture must be black wherever its stencil is.

#include "Artwork.h"
#include "IndexedImage.h"

namespace artwork {

namespace {

constexpr int kThumbWidth = 24;
constexpr int kThumbHeight = 23;
constexpr int kCapTop = 2;
constexpr int kCapBottom = 22;
constexpr int kIndexRow = 12;

constexpr int kTrackWidth = 26;
constexpr int kTrackHeight = 118;
constexpr int kTrackTop = 5;      // where the control puts the track
constexpr int kTravel = 101;      // pixels the thumb moves
constexpr int kGrooveLeft = 12;   // the groove sits under the thumb's middle
constexpr int kGrooveRight = 15;
constexpr int kGrooveTop = 2;
constexpr int kGrooveBottom = 113;

// Palette of the 8-bit thumb: the sixteen standard colours, then 240 greys
// from black to white.
std::vector<Rgb> GreyPalette()
{
    std::vector<Rgb> palette = StandardPalette16();
    for (int k = 0; k < 240; ++k) {
        const auto level = static_cast<std::uint8_t>((k * 255 + 119) / 239);
        palette.push_back({level, level, level});
    }
    return palette;
}

int Grey(int level)
{
    return 16 + (level * 239 + 127) / 255;
}

void DrawThumb(std::vector<ArtworkFile>& files)
{
    IndexedImage thumb(kThumbWidth, kThumbHeight, 8, GreyPalette(), kBlack);
    thumb.FillRect(0, kCapTop, kThumbWidth - 1, kCapBottom, Grey(184));
    // Grip ridges above and below the index line.
    for (int row : {5, 8, 16, 19}) {
        thumb.HLine(2, kThumbWidth - 3, row, Grey(120));
        thumb.HLine(2, kThumbWidth - 3, row + 1, Grey(236));
    }
    thumb.HLine(1, kThumbWidth - 2, kIndexRow - 1, Grey(96));
    thumb.HLine(1, kThumbWidth - 2, kIndexRow, kBlack);
    thumb.HLine(1, kThumbWidth - 2, kIndexRow + 1, kWhite);
    thumb.Bevel(0, kCapTop, kThumbWidth - 1, kCapBottom, kWhite, Grey(32));
    thumb.Bevel(1, kCapTop + 1, kThumbWidth - 2, kCapBottom - 1, Grey(228), Grey(104));
    files.push_back({"bitmaps/fader-thumb.bmp", thumb.EncodeBmp()});

    IndexedImage stencil(kThumbWidth, kThumbHeight, 4, StandardPalette16(), kBlack);
    stencil.FillRect(0, kCapTop, kThumbWidth - 1, kCapBottom, kWhite);
    files.push_back({"bitmaps/fader-thumb-stencil.bmp", stencil.EncodeBmp()});
}

void DrawTrack(std::vector<ArtworkFile>& files)
{
    IndexedImage track(kTrackWidth, kTrackHeight, 4, StandardPalette16(), kBlack);
    IndexedImage stencil(kTrackWidth, kTrackHeight, 4, StandardPalette16(), kBlack);
    auto both = [&](int left, int top, int right, int bottom, int colour) {
        track.FillRect(left, top, right, bottom, colour);
        stencil.FillRect(left, top, right, bottom, kWhite);
    };
    // A slot cut into the face: shadow on the top and left, light on the
    // bottom and right, black inside.
    both(kGrooveLeft, kGrooveTop, kGrooveRight, kGrooveBottom, kBlack);
    track.Bevel(kGrooveLeft, kGrooveTop, kGrooveRight, kGrooveBottom, kGrey, kWhite);
    // Ticks at every tenth of the travel, longer at the ends and the middle.
    for (int k = 0; k <= 10; ++k) {
        const int row = kIndexRow + (kTravel * k + 5) / 10 - kTrackTop;
        const bool major = k % 5 == 0;
        both(major ? 3 : 6, row, kGrooveLeft - 3, row, kBlack);
        both(kGrooveRight + 3, row, major ? kTrackWidth - 2 : kGrooveRight + 6, row, kBlack);
    }
    files.push_back({"bitmaps/fader-track.bmp", track.EncodeBmp()});
    files.push_back({"bitmaps/fader-track-stencil.bmp", stencil.EncodeBmp()});
}

}  // namespace

void DrawFaderArt(std::vector<ArtworkFile>& files)
{
    DrawThumb(files);
    DrawTrack(files);
}

}  // namespace artwork

// The graph's own cursors, 32 x 32, white strokes with a black outline so
// they show on the white graph and on the dark tracked pitch alike: a
// crosshair target (loaded with the others but not shown), the node cursor
// and the segment cursor of the move tool (four-way arrows with a node or a
// line at the centre) and the zoom cursor (a magnifier, hot at the lens
// centre).

#include "Artwork.h"
#include "IndexedImage.h"

namespace artwork {

namespace {

constexpr int kSide = 32;
constexpr int kCentre = 15;

// Arrows from the centre to all four sides.
void FourWayArrows(CursorPicture& picture)
{
    picture.Line(4, kCentre, 26, kCentre, '+');
    picture.Line(kCentre, 4, kCentre, 26, '+');
    for (int i = 1; i <= 3; ++i) {
        picture.Line(4 + i, kCentre - i, 4 + i, kCentre + i, '+');
        picture.Line(26 - i, kCentre - i, 26 - i, kCentre + i, '+');
        picture.Line(kCentre - i, 4 + i, kCentre + i, 4 + i, '+');
        picture.Line(kCentre - i, 26 - i, kCentre + i, 26 - i, '+');
    }
}

std::string Target()
{
    CursorPicture picture(kSide, kSide);
    picture.Circle(kCentre, kCentre, 7, '+');
    picture.Line(kCentre, 2, kCentre, 11, '+');
    picture.Line(kCentre, 19, kCentre, 28, '+');
    picture.Line(2, kCentre, 11, kCentre, '+');
    picture.Line(19, kCentre, 28, kCentre, '+');
    picture.Set(kCentre, kCentre, '~');
    picture.Outline();
    picture.SetHotSpot(kCentre, kCentre);
    return picture.Encode("crosshair target");
}

std::string Node()
{
    CursorPicture picture(kSide, kSide);
    FourWayArrows(picture);
    picture.FillRect(kCentre - 3, kCentre - 3, kCentre + 3, kCentre + 3, '+');
    picture.FillRect(kCentre - 1, kCentre - 1, kCentre + 1, kCentre + 1, '#');
    picture.Outline();
    picture.SetHotSpot(kCentre, kCentre);
    return picture.Encode("node cursor: moves the node under it");
}

std::string Segment()
{
    CursorPicture picture(kSide, kSide);
    FourWayArrows(picture);
    picture.Line(kCentre - 8, kCentre + 4, kCentre + 8, kCentre - 4, '+');
    picture.Line(kCentre - 8, kCentre + 5, kCentre + 8, kCentre - 3, '+');
    picture.Outline();
    picture.SetHotSpot(kCentre, kCentre);
    return picture.Encode("segment cursor: moves the segment under it");
}

std::string Zoom()
{
    CursorPicture picture(kSide, kSide);
    constexpr int lens = 11;
    picture.Disc(lens, lens, 7, '~');
    picture.Circle(lens, lens, 7, '+');
    picture.Line(lens - 4, lens, lens + 4, lens, '#');
    picture.Line(lens, lens - 4, lens, lens + 4, '#');
    for (int t = 6; t <= 16; ++t) {
        picture.FillRect(lens + t - 1, lens + t - 1, lens + t + 1, lens + t + 1, '+');
    }
    picture.Outline();
    picture.SetHotSpot(lens, lens);
    return picture.Encode("zoom cursor: drag a box to zoom into");
}

}  // namespace

void DrawCursorArt(std::vector<ArtworkFile>& files)
{
    files.push_back({"cursors/target.cursor", Target()});
    files.push_back({"cursors/node.cursor", Node()});
    files.push_back({"cursors/segment.cursor", Segment()});
    files.push_back({"cursors/zoom.cursor", Zoom()});
}

}  // namespace artwork

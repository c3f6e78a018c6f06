// Pictures for the graph's bitmap buttons, drawn on the button face colour
// (the standard silver) so a button can copy one onto its face as it is: the
// time and pitch zooms of the main graph, the envelope's amplitude zooms, the
// four editing tools (plain, and on a checked face for a latched tool), the
// envelope's untied and tied pictures, and the brand emblem.
//
// A picture leaves a 2-pixel margin to the button's size for its bevel:
// 21 x 36 zoom-time buttons get 17 x 32 pictures, 21 x 18 pitch buttons
// 17 x 14, 21 x 17 envelope buttons 17 x 13, 32 x 32 tool buttons 24 x 24
// (centred), and the 21 x 35 envelope tie buttons 17 x 31.

#include "Artwork.h"
#include "IndexedImage.h"

#include <initializer_list>

namespace artwork {

namespace {

IndexedImage Face(int width, int height)
{
    return IndexedImage(width, height, 4, StandardPalette16(), kSilver);
}

// A little picture spelled out in characters: '#' black, 'o' white, 'n'
// navy, 'g' grey; anything else leaves the pixel alone.
void Pattern(IndexedImage& image, int x, int y, std::initializer_list<const char*> rows)
{
    int row = 0;
    for (const char* text : rows) {
        for (int col = 0; text[col] != '\0'; ++col) {
            const char c = text[col];
            const int index = c == '#' ? kBlack : c == 'o' ? kWhite : c == 'n' ? kNavy : c == 'g' ? kGrey : -1;
            if (index >= 0) {
                image.Set(x + col, y + row, index);
            }
        }
        ++row;
    }
}

// A magnifying glass with a plus or a minus in the lens and the handle to
// the lower right.
void Magnifier(IndexedImage& image, int cx, int cy, int r, bool plus)
{
    image.Disc(cx, cy, r, kWhite);
    image.Circle(cx, cy, r, kBlack);
    const int arm = r - 2;
    image.HLine(cx - arm, cx + arm, cy, kNavy);
    if (plus) {
        image.VLine(cx, cy - arm, cy + arm, kNavy);
    }
    const int reach = r * 7 / 10 + 1;
    for (int d = 0; d < 3; ++d) {
        image.Line(cx + reach + d, cy + reach, cx + reach + d + 3, cy + reach + 3, kBlack);
    }
}

// A double arrow across [a, b] at `at`: heads pointing outward (spread)
// or inward (squeeze). Horizontal unless `vertical`.
void DoubleArrow(IndexedImage& image, int a, int b, int at, bool outward, bool vertical)
{
    auto line = [&](int u0, int u1, int v) {
        vertical ? image.VLine(v, u0, u1, kNavy) : image.HLine(u0, u1, v, kNavy);
    };
    auto cross = [&](int u, int half) {
        vertical ? image.HLine(at - half, at + half, u, kNavy) : image.VLine(u, at - half, at + half, kNavy);
    };
    const int mid = (a + b) / 2;
    if (outward) {
        line(a, b, at);
        for (int i = 0; i < 3; ++i) {
            cross(a + i, i);
            cross(b - i, i);
        }
    } else {
        line(a, mid - 2, at);
        line(mid + 2, b, at);
        for (int i = 0; i < 3; ++i) {
            cross(mid - 2 - i, i);
            cross(mid + 2 + i, i);
        }
    }
}

IndexedImage TimeZoom(bool in)
{
    IndexedImage image = Face(17, 32);
    Magnifier(image, 7, 9, 6, in);
    DoubleArrow(image, 1, 15, 24, in, false);
    return image;
}

IndexedImage SmallZoom(int height, bool in)
{
    IndexedImage image = Face(17, height);
    Magnifier(image, 5, 5, 4, in);
    DoubleArrow(image, 1, height - 2, 14, in, true);
    return image;
}

IndexedImage LineTool()
{
    IndexedImage image = Face(24, 24);
    image.Line(4, 19, 19, 4, kBlack);
    image.Line(5, 19, 19, 5, kBlack);
    image.FillRect(2, 17, 6, 21, kNavy);
    image.FillRect(17, 2, 21, 6, kNavy);
    image.FillRect(3, 18, 5, 20, kWhite);
    image.FillRect(18, 3, 20, 5, kWhite);
    return image;
}

IndexedImage FreehandTool()
{
    IndexedImage image = Face(24, 24);
    // One and a half waves, from the left edge to the right.
    static const int kRows[] = {14, 11, 8, 6, 5, 6, 8, 11, 14, 17, 19, 20, 19, 17, 14, 11, 8, 6, 5, 6};
    for (int i = 0; i + 1 < static_cast<int>(sizeof kRows / sizeof kRows[0]); ++i) {
        const int x = 2 + i;
        image.Line(x, kRows[i], x + 1, kRows[i + 1], kBlack);
        image.Line(x, kRows[i] + 1, x + 1, kRows[i + 1] + 1, kBlack);
    }
    return image;
}

IndexedImage MoveTool()
{
    IndexedImage image = Face(24, 24);
    Pattern(image, 3, 2,
            {"#",
             "##",
             "#o#",
             "#oo#",
             "#ooo#",
             "#oooo#",
             "#ooooo#",
             "#oooooo#",
             "#ooooooo#",
             "#oooo#####",
             "#oo#oo#",
             "#o# #oo#",
             "##  #oo#",
             "#    #oo#",
             "     #oo#",
             "      ##"});
    // The node being moved.
    image.FillRect(15, 15, 21, 21, kNavy);
    image.FillRect(17, 17, 19, 19, kWhite);
    return image;
}

IndexedImage ZoomBoxTool()
{
    IndexedImage image = Face(24, 24);
    for (int x = 1; x <= 16; x += 2) {
        image.Set(x, 1, kBlack);
        image.Set(x, 13, kBlack);
    }
    for (int y = 1; y <= 13; y += 2) {
        image.Set(1, y, kBlack);
        image.Set(17, y, kBlack);
    }
    Magnifier(image, 14, 14, 5, true);
    return image;
}

// A latched tool: the same picture on a checked face.
IndexedImage Latched(IndexedImage image)
{
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            if (image.At(x, y) == kSilver && (x + y) % 2 == 0) {
                image.Set(x, y, kWhite);
            }
        }
    }
    return image;
}

// The envelope's time axis on its own (two rulers apart) and tied to the
// main graph's (the rulers joined by links).
IndexedImage EnvelopeTie(bool tied)
{
    IndexedImage image = Face(17, 31);
    for (int y : {4, 26}) {
        image.FillRect(1, y - 1, 15, y + 1, kWhite);
        image.Bevel(1, y - 1, 15, y + 1, kBlack, kBlack);
        for (int x = 3; x <= 13; x += 5) {
            image.VLine(x, y - 1, y + 1, kBlack);
        }
    }
    if (tied) {
        for (int x : {5, 11}) {
            image.VLine(x, 6, 24, kNavy);
            image.VLine(x + 1, 6, 24, kNavy);
        }
    } else {
        DoubleArrow(image, 9, 21, 8, true, true);
    }
    return image;
}

IndexedImage BrandEmblem()
{
    IndexedImage image = Face(32, 32);
    image.Disc(15, 15, 15, kNavy);
    image.Circle(15, 15, 15, kBlack);
    // An eighth note leaning on a pitch line.
    image.HLine(4, 26, 20, kAqua);
    image.Disc(11, 21, 3, kWhite);
    image.FillRect(14, 6, 15, 21, kWhite);
    image.Line(15, 6, 21, 12, kWhite);
    image.Line(15, 7, 21, 13, kWhite);
    return image;
}

}  // namespace

void DrawButtonArt(std::vector<ArtworkFile>& files)
{
    auto add = [&](const char* name, const IndexedImage& image) {
        files.push_back({std::string("bitmaps/") + name + ".bmp", image.EncodeBmp()});
    };
    add("brand-emblem", BrandEmblem());
    add("zoom-time-out", TimeZoom(false));
    add("zoom-time-in", TimeZoom(true));
    add("zoom-pitch-in", SmallZoom(14, true));
    add("zoom-pitch-out", SmallZoom(14, false));
    add("zoom-amplitude-in", SmallZoom(13, true));
    add("zoom-amplitude-out", SmallZoom(13, false));
    add("tool-line", LineTool());
    add("tool-freehand", FreehandTool());
    add("tool-move", MoveTool());
    add("tool-zoom-box", ZoomBoxTool());
    add("tool-line-latched", Latched(LineTool()));
    add("tool-freehand-latched", Latched(FreehandTool()));
    add("tool-move-latched", Latched(MoveTool()));
    add("tool-zoom-box-latched", Latched(ZoomBoxTool()));
    add("envelope-untied", EnvelopeTie(false));
    add("envelope-tied", EnvelopeTie(true));
}

}  // namespace artwork

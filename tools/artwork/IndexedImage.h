#pragma once

// A small paletted picture for drawing the module's artwork by numbers: every
// pixel is a palette index, every shape lands on whole pixels, and the result
// is written as a bottom-up .bmp with the 40-byte header and a full colour
// table, the form the resource compiler takes.

#include <cstdint>
#include <string>
#include <vector>

namespace artwork {

struct Rgb {
    std::uint8_t r, g, b;
};

class IndexedImage {
public:
    // `bitCount` is 4 or 8; the palette is padded with black to 2^bitCount
    // entries.
    IndexedImage(int width, int height, int bitCount, std::vector<Rgb> palette, int background = 0);

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    int BitCount() const { return m_nBitCount; }
    int At(int x, int y) const;

    // Drawing clips to the picture. Ranges are inclusive at both ends.
    void Set(int x, int y, int index);
    void FillRect(int left, int top, int right, int bottom, int index);
    void HLine(int x0, int x1, int y, int index) { FillRect(x0, y, x1, y, index); }
    void VLine(int x, int y0, int y1, int index) { FillRect(x, y0, x, y1, index); }
    // Every pixel of the straight line from one end to the other.
    void Line(int x0, int y0, int x1, int y1, int index);
    // Ring and disc of the pixels whose centres lie within r + 0.5 of the
    // centre (the ring: the disc's pixels with a neighbour outside it).
    void Circle(int cx, int cy, int r, int index);
    void Disc(int cx, int cy, int r, int index);
    // Light top and left edges, dark bottom and right ones.
    void Bevel(int left, int top, int right, int bottom, int light, int dark);
    // Copies `other` (same palette assumed) with its top-left at (x, y),
    // leaving pixels of index `skip` out (-1 copies all).
    void Paste(const IndexedImage& other, int x, int y, int skip = -1);
    // Every pixel of index `from` becomes `to`.
    void Replace(int from, int to);

    // The complete .bmp file.
    std::string EncodeBmp() const;

private:
    int m_nWidth;
    int m_nHeight;
    int m_nBitCount;
    std::vector<Rgb> m_palette;
    std::vector<std::uint8_t> m_pixels;  // top row first
};

// The sixteen colours of the classic display adapter, in their usual order:
// 0 black, 7 silver (the button face), 8 grey, 15 white and the rest.
std::vector<Rgb> StandardPalette16();

enum StandardColour : int {
    kBlack = 0,
    kMaroon = 1,
    kGreen = 2,
    kOlive = 3,
    kNavy = 4,
    kPurple = 5,
    kTeal = 6,
    kSilver = 7,
    kGrey = 8,
    kRed = 9,
    kLime = 10,
    kYellow = 11,
    kBlue = 12,
    kFuchsia = 13,
    kAqua = 14,
    kWhite = 15,
};

// Monochrome cursors as the resource compiler reads them: a text picture,
// one character per pixel ('.' transparent, '#' black, '+' white, '~'
// inverted), and the hot spot.
class CursorPicture {
public:
    CursorPicture(int width, int height);

    void Set(int x, int y, char pixel);
    void Line(int x0, int y0, int x1, int y1, char pixel);
    void FillRect(int left, int top, int right, int bottom, char pixel);
    void Circle(int cx, int cy, int r, char pixel);
    void Disc(int cx, int cy, int r, char pixel);
    // Surrounds every drawn white or inverting pixel that touches a
    // transparent one (side or corner) with black, so the shape shows on any
    // background.
    void Outline();
    void SetHotSpot(int x, int y) { m_xHot = x; m_yHot = y; }

    // The .cursor file, with a first comment line saying what it is.
    std::string Encode(const std::string& comment) const;

private:
    int m_nWidth;
    int m_nHeight;
    int m_xHot = 0;
    int m_yHot = 0;
    std::vector<std::string> m_rows;
};

}  // namespace artwork

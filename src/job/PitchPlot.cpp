#include "job/PitchPlot.h"

#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "job/JobError.h"
#include "job/OutputFile.h"

namespace job {

namespace {

constexpr int kLeft = 44;   // room for note names
constexpr int kRight = 10;
constexpr int kTop = 10;
constexpr int kBottom = 22; // room for the seconds
// Pitch shown beyond the highest and lowest tracked frame.
constexpr double kMarginCents = 150.0;

// A 3 by 5 pixel font for note names and seconds, drawn twice the size.
struct Glyph
{
    char c;
    uint8_t rows[5]; // three bits a row, the left pixel highest
};
constexpr Glyph kGlyphs[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 7, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 2, 2, 2}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {'A', {2, 5, 7, 5, 5}}, {'B', {6, 5, 6, 5, 6}},
    {'C', {3, 4, 4, 4, 3}}, {'D', {6, 5, 5, 5, 6}}, {'E', {7, 4, 6, 4, 7}}, {'F', {7, 4, 6, 4, 4}},
    {'G', {3, 4, 5, 5, 3}}, {'#', {5, 7, 5, 7, 5}}, {'b', {4, 4, 6, 5, 6}}, {'-', {0, 0, 7, 0, 0}},
};
constexpr int kGlyphScale = 2;
constexpr int kGlyphAdvance = 4 * kGlyphScale;
constexpr int kGlyphHeight = 5 * kGlyphScale;

class CCanvas
{
public:
    explicit CCanvas(PlotImage& image) : m_Image(image) {}

    void Set(int x, int y, const PlotColour& c)
    {
        if (x < 0 || y < 0 || x >= m_Image.nWidth || y >= m_Image.nHeight)
            return;
        std::copy(c.begin(), c.end(), m_Image.rgb.begin() + (static_cast<std::ptrdiff_t>(y) * m_Image.nWidth + x) * 3);
    }

    void HorizontalLine(int x0, int x1, int y, const PlotColour& c, int dash = 0)
    {
        for (int x = x0; x <= x1; ++x)
            if (dash == 0 || (x / dash) % 2 == 0)
                Set(x, y, c);
    }

    void VerticalLine(int x, int y0, int y1, const PlotColour& c)
    {
        for (int y = y0; y <= y1; ++y)
            Set(x, y, c);
    }

    void Line(int x0, int y0, int x1, int y1, const PlotColour& c)
    {
        const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        int error = dx + dy;
        for (;;) {
            Set(x0, y0, c);
            if (x0 == x1 && y0 == y1)
                return;
            const int twice = 2 * error;
            if (twice >= dy) {
                error += dy;
                x0 += sx;
            }
            if (twice <= dx) {
                error += dx;
                y0 += sy;
            }
        }
    }

    // Text whose top left corner is at (x, y); characters without a glyph
    // are left out.
    void Text(int x, int y, const std::string& text, const PlotColour& c)
    {
        for (const char ch : text) {
            const auto glyph = std::find_if(std::begin(kGlyphs), std::end(kGlyphs), [ch](const Glyph& g) { return g.c == ch; });
            if (glyph == std::end(kGlyphs))
                continue;
            for (int row = 0; row < 5; ++row)
                for (int col = 0; col < 3; ++col)
                    if (glyph->rows[row] & (4 >> col))
                        for (int k = 0; k < kGlyphScale * kGlyphScale; ++k)
                            Set(x + col * kGlyphScale + k % kGlyphScale, y + row * kGlyphScale + k / kGlyphScale, c);
            x += kGlyphAdvance;
        }
    }

private:
    PlotImage& m_Image;
};

// "D-flat" and "F-sharp" as the font can write them.
std::string ShortName(std::string name)
{
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"-flat", "b"}, {"-sharp", "#"}})
        if (const auto at = name.find(from); at != std::string::npos)
            name.replace(at, from.size(), to);
    return name;
}

// Where time and pitch land in the picture.
class CPlotScale
{
public:
    CPlotScale(const PitchAnalysis& a, int width, int height)
    {
        double low = 0.0, high = 0.0;
        for (const TrackedFrame& f : a.frames)
            if (f.dHz > 0.0) {
                low = low == 0.0 ? f.dHz : std::min(low, f.dHz);
                high = std::max(high, f.dHz);
            }
        if (low == 0.0) {
            // Nothing tracked: the octave below and above A4.
            low = 220.0;
            high = 440.0;
        }
        m_dLowCents = 1200.0 * std::log2(low) - kMarginCents;
        m_dHighCents = std::max(1200.0 * std::log2(high) + kMarginCents, m_dLowCents + 1200.0);
        m_dSeconds = std::max(a.dSeconds, 1e-3);
        m_nPlotWidth = width - kLeft - kRight;
        m_nPlotHeight = height - kTop - kBottom;
    }

    int X(double seconds) const
    {
        return kLeft + static_cast<int>(std::lround(seconds / m_dSeconds * (m_nPlotWidth - 1)));
    }
    int Y(double hz) const
    {
        const double cents = 1200.0 * std::log2(hz);
        return kTop + static_cast<int>(std::lround((m_dHighCents - cents) / (m_dHighCents - m_dLowCents) *
                                                   (m_nPlotHeight - 1)));
    }
    bool Shows(double hz) const
    {
        const double cents = 1200.0 * std::log2(hz);
        return cents >= m_dLowCents && cents <= m_dHighCents;
    }

private:
    double m_dLowCents = 0.0, m_dHighCents = 0.0, m_dSeconds = 1.0;
    int m_nPlotWidth = 1, m_nPlotHeight = 1;
};

void DrawNoteLines(CCanvas& canvas, const PitchAnalysis& a, const CPlotScale& scale, int right)
{
    // Top to bottom, so that labels are only written where there is room.
    struct Line
    {
        int y;
        const NoteListRow* row;
        int octave;
    };
    std::vector<Line> lines;
    for (const NoteListRow& row : a.scale.rows) {
        if (row.eState == NoteState::Removed)
            continue;
        // The listed octave is the key note's; ten either way reach past
        // anything audible.
        for (int k = -10; k <= 10; ++k) {
            const double hz = std::ldexp(row.dHz, k);
            if (scale.Shows(hz))
                lines.push_back({scale.Y(hz), &row, k});
        }
    }
    std::sort(lines.begin(), lines.end(), [](const Line& l, const Line& r) { return l.y < r.y; });
    int lastLabel = -1000;
    for (const Line& line : lines) {
        const bool key = line.row->nDegree == 0;
        canvas.HorizontalLine(kLeft, right, line.y, key ? kPlotKeyLine : kPlotNoteLine,
                              line.row->eState == NoteState::NotTracked ? 3 : 0);
        if (!line.row->sName.empty() && line.y - lastLabel >= kGlyphHeight + 1) {
            const double undetuned = std::ldexp(line.row->dHz, line.octave) / std::exp2(a.scale.nDetuneCents / 1200.0);
            const int octave = static_cast<int>(std::floor(std::log2(undetuned / 16.351597831287414) + 1e-9));
            canvas.Text(2, line.y - kGlyphHeight / 2, ShortName(line.row->sName) + std::to_string(octave), kPlotLabel);
            lastLabel = line.y;
        }
    }
}

} // namespace

PlotColour PlotImage::At(int x, int y) const
{
    const auto* p = &rgb[(static_cast<size_t>(y) * static_cast<size_t>(nWidth) + static_cast<size_t>(x)) * 3];
    return {p[0], p[1], p[2]};
}

PlotImage DrawPitchPlot(const PitchAnalysis& a)
{
    PlotImage image;
    image.nWidth = std::clamp(static_cast<int>(std::ceil(a.dSeconds * kPlotPixelsPerSecond)) + kLeft + kRight,
                              kPlotMinWidth, kPlotMaxWidth);
    image.nHeight = kPlotHeight;
    image.rgb.resize(static_cast<size_t>(image.nWidth) * static_cast<size_t>(image.nHeight) * 3);
    for (size_t i = 0; i < image.rgb.size(); i += 3)
        std::copy(kPlotBackground.begin(), kPlotBackground.end(), image.rgb.begin() + static_cast<std::ptrdiff_t>(i));

    CCanvas canvas(image);
    const CPlotScale scale(a, image.nWidth, image.nHeight);
    const int right = image.nWidth - kRight - 1;
    const int bottom = image.nHeight - kBottom - 1;

    // Whole seconds, numbered where there is room.
    int lastLabel = -1000;
    for (int second = 0; second <= static_cast<int>(a.dSeconds); ++second) {
        const int x = scale.X(second);
        if (second > 0)
            canvas.VerticalLine(x, kTop, bottom, kPlotSecondLine);
        const std::string label = std::to_string(second);
        if (x - lastLabel >= static_cast<int>(label.size() + 1) * kGlyphAdvance) {
            canvas.Text(x - 2, bottom + 6, label, kPlotLabel);
            lastLabel = x;
        }
    }
    DrawNoteLines(canvas, a, scale, right);

    // The notes found, at the pitch they were sung, under the tracked pitch.
    for (const SungNote& note : a.notes) {
        const int y = scale.Y(note.dNoteHz * std::exp2(note.dDeviation / 1200.0));
        for (int dy = -1; dy <= 1; ++dy)
            canvas.HorizontalLine(scale.X(note.dStart), scale.X(note.dEnd), y + dy, kPlotSungNote);
    }
    const TrackedFrame* previous = nullptr;
    for (const TrackedFrame& f : a.frames) {
        if (!(f.dHz > 0.0)) {
            previous = nullptr;
            continue;
        }
        if (previous)
            canvas.Line(scale.X(previous->dSeconds), scale.Y(previous->dHz), scale.X(f.dSeconds), scale.Y(f.dHz),
                        kPlotPitch);
        else
            canvas.Set(scale.X(f.dSeconds), scale.Y(f.dHz), kPlotPitch);
        previous = &f;
    }
    return image;
}

void WritePitchPlot(const PitchAnalysis& analysis, const std::string& path)
{
    const PlotImage image = DrawPitchPlot(analysis);
    CPendingOutput output(path);
    FILE* file = ::fdopen(::dup(output.Descriptor()), "wb");
    if (!file)
        ThrowFailure("cannot write " + path + ": " + std::strerror(errno));
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    // Changed after setjmp, so it must not live in a register.
    volatile bool written = false;
    // libpng reports its errors by jumping back here.
    if (png && info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(image.nWidth), static_cast<png_uint_32>(image.nHeight), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < image.nHeight; ++y)
            png_write_row(png, &image.rgb[static_cast<size_t>(y) * static_cast<size_t>(image.nWidth) * 3]);
        png_write_end(png, nullptr);
        written = true;
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        ThrowFailure("cannot write the picture " + path);
    output.Commit();
}

} // namespace job

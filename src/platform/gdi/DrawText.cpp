// DrawText: mnemonic prefixes, line and word breaking, alignment in a
// rectangle, ellipsis, and measuring without drawing.

#include "platform/gdi/FontEngine.h"
#include "platform/gdi/GdiObjects.h"

#include <cstring>
#include <string>

using namespace platform::gdi;
using namespace platform::gdi::detail;

namespace {

// Text with its mnemonic marks: marks[i] is set for the character that an
// '&' before it underlines.
struct Marked {
    std::string text;
    std::vector<bool> marks;

    void Append(char c, bool mark)
    {
        text += c;
        marks.push_back(mark);
    }
    Marked Slice(std::size_t from, std::size_t to) const
    {
        Marked m;
        m.text = text.substr(from, to - from);
        m.marks.assign(marks.begin() + static_cast<std::ptrdiff_t>(from), marks.begin() + static_cast<std::ptrdiff_t>(to));
        return m;
    }
};

Marked ReadPrefixes(const char* text, int length, bool prefixes)
{
    Marked out;
    for (int i = 0; i < length; ++i) {
        const char c = text[i];
        if (prefixes && c == '&') {
            if (i + 1 < length && text[i + 1] == '&') {
                out.Append('&', false);
                ++i;
            } else if (i + 1 < length) {
                out.Append(text[i + 1], true);
                ++i;
            }
            // A lone '&' at the end shows nothing.
            continue;
        }
        out.Append(c, false);
    }
    return out;
}

struct Layout {
    FontFace& face;
    UINT format;
    LONG tabWidth;

    LONG Width(const std::string& s) const
    {
        LONG w = 0;
        for (unsigned char c : s) {
            w += Advance(c, w);
        }
        return w;
    }
    // A tab moves to the next multiple of the tab width when tabs expand.
    LONG Advance(unsigned char c, LONG at) const
    {
        if (c == '\t' && (format & DT_EXPANDTABS)) {
            return tabWidth - (at % tabWidth);
        }
        return face.Advance(c);
    }
};

// The physical lines of the text: split at line ends unless single-line,
// where line-end characters are dropped.
std::vector<Marked> SplitLines(const Marked& all, bool single)
{
    std::vector<Marked> lines(1);
    for (std::size_t i = 0; i < all.text.size(); ++i) {
        const char c = all.text[i];
        if (c == '\r') {
            continue;
        }
        if (c == '\n') {
            if (!single) {
                lines.emplace_back();
            }
            continue;
        }
        lines.back().Append(c, all.marks[i]);
    }
    return lines;
}

// Greedy word wrap: a line breaks before the word that would cross the
// width, and the spaces at the break vanish. A word wider than the width
// keeps a line of its own.
std::vector<Marked> Wrap(const Marked& line, const Layout& layout, LONG width)
{
    std::vector<Marked> out;
    const std::string& s = line.text;
    std::size_t start = 0;
    while (true) {
        std::size_t end = start;     // end of the text that fits so far
        std::size_t pos = start;
        while (pos < s.size()) {
            std::size_t wordEnd = pos;
            while (wordEnd < s.size() && s[wordEnd] == ' ') ++wordEnd;
            while (wordEnd < s.size() && s[wordEnd] != ' ') ++wordEnd;
            if (end > start && layout.Width(s.substr(start, wordEnd - start)) > width) {
                break;
            }
            end = wordEnd;
            pos = wordEnd;
        }
        out.push_back(line.Slice(start, end));
        std::size_t next = end;
        while (next < s.size() && s[next] == ' ') ++next;
        if (next >= s.size()) {
            break;
        }
        start = next;
    }
    return out;
}

// Cuts characters off the end until the text and "..." fit.
Marked WithEllipsis(const Marked& line, const Layout& layout, LONG width)
{
    if (layout.Width(line.text) <= width) {
        return line;
    }
    std::size_t keep = line.text.size();
    while (keep > 0 && layout.Width(line.text.substr(0, keep) + "...") > width) {
        --keep;
    }
    Marked out = line.Slice(0, keep);
    for (int i = 0; i < 3; ++i) out.Append('.', false);
    return out;
}

// Expanded tabs become per-character advances for the painter.
std::vector<int> Advances(const std::string& s, const Layout& layout)
{
    std::vector<int> dx;
    LONG at = 0;
    for (unsigned char c : s) {
        const LONG a = layout.Advance(c, at);
        dx.push_back(static_cast<int>(a));
        at += a;
    }
    return dx;
}

} // namespace

int DrawText(HDC dc, const char* text, int length, RECT* rect, UINT format)
{
    if (dc == nullptr || rect == nullptr || text == nullptr) {
        return 0;
    }
    if (length < 0) {
        length = static_cast<int>(std::strlen(text));
    }
    FontFace& face = FaceOf(dc);
    const TEXTMETRIC tm = face.Metrics();
    const Layout layout{face, format, 8 * std::max<LONG>(tm.tmAveCharWidth, 1)};
    const bool single = (format & DT_SINGLELINE) != 0;
    const LONG width = rect->right - rect->left;

    const Marked all = ReadPrefixes(text, length, (format & DT_NOPREFIX) == 0);
    std::vector<Marked> lines;
    for (const Marked& line : SplitLines(all, single)) {
        if ((format & DT_WORDBREAK) && !single) {
            for (Marked& part : Wrap(line, layout, width)) lines.push_back(std::move(part));
        } else {
            lines.push_back(line);
        }
    }
    if (format & DT_END_ELLIPSIS) {
        for (Marked& line : lines) line = WithEllipsis(line, layout, width);
    }

    const LONG lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    const LONG height = lineHeight * static_cast<LONG>(lines.size());
    LONG top = rect->top;
    if (single && (format & DT_VCENTER)) {
        top = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
    } else if (single && (format & DT_BOTTOM)) {
        top = rect->bottom - lineHeight;
    }
    const int result = (single && (format & (DT_VCENTER | DT_BOTTOM))) ? static_cast<int>(top - rect->top + lineHeight)
                                                                       : static_cast<int>(height);

    if (format & DT_CALCRECT) {
        LONG widest = 0;
        for (const Marked& line : lines) widest = std::max(widest, layout.Width(line.text));
        // A wrapped text keeps the width it was wrapped to unless a word
        // overflows it; anything else takes the width of its longest line.
        if (!((format & DT_WORDBREAK) && !single) || widest > width) {
            rect->right = rect->left + widest;
        }
        rect->bottom = rect->top + height;
        return static_cast<int>(height);
    }

    const RECT limit = ToSurface(dc, *rect);
    const bool clip = (format & DT_NOCLIP) == 0;
    const bool showMarks = (format & DT_HIDEPREFIX) == 0;
    LONG y = top;
    for (const Marked& line : lines) {
        const LONG w = layout.Width(line.text);
        LONG x = rect->left;
        if (format & DT_CENTER) {
            x = rect->left + (width - w) / 2;
        } else if (format & DT_RIGHT) {
            x = rect->right - w;
        }
        const std::vector<int> dx = Advances(line.text, layout);
        const TextRun run{reinterpret_cast<const unsigned char*>(line.text.data()), static_cast<int>(line.text.size()),
                          dx.data(), showMarks ? &line.marks : nullptr};
        PaintText(dc, dc->SurfaceX(x), dc->SurfaceY(y), run, clip ? &limit : nullptr, dc->m_state.nBkMode == OPAQUE);
        y += lineHeight;
    }
    return result;
}

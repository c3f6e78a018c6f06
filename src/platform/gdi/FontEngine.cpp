// Typefaces through FreeType: which Liberation file a font description
// names, the pixel size and metrics it gets, and glyphs rendered once and
// kept.
//
// The library is set up without reading FREETYPE_PROPERTIES and with the
// hinting interpreter fixed, so the same calls give the same pixels
// whatever the environment says.

#include "platform/gdi/FontEngine.h"

#include "platform/gdi/Dc.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_DRIVER_H
#include FT_MODULE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <strings.h>

namespace platform::gdi::detail {

namespace {

enum Family { kSans, kSerif, kMono };

const char* const kFiles[3][4] = {
    {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf", "LiberationSans-Italic.ttf",
     "LiberationSans-BoldItalic.ttf"},
    {"LiberationSerif-Regular.ttf", "LiberationSerif-Bold.ttf", "LiberationSerif-Italic.ttf",
     "LiberationSerif-BoldItalic.ttf"},
    {"LiberationMono-Regular.ttf", "LiberationMono-Bold.ttf", "LiberationMono-Italic.ttf",
     "LiberationMono-BoldItalic.ttf"},
};

Family FamilyOf(const LOGFONT& font)
{
    const char* name = font.lfFaceName;
    if (strcasecmp(name, "Times New Roman") == 0 || strcasecmp(name, "Times") == 0) {
        return kSerif;
    }
    if (strcasecmp(name, "Courier New") == 0 || strcasecmp(name, "Courier") == 0) {
        return kMono;
    }
    if (name[0] == '\0') {
        // No name: the pitch and family hints choose.
        const BYTE family = font.lfPitchAndFamily & 0xF0;
        if ((font.lfPitchAndFamily & 0x03) == FIXED_PITCH || family == FF_MODERN) {
            return kMono;
        }
        if (family == FF_ROMAN) {
            return kSerif;
        }
    }
    return kSans;
}

// The Western code page's characters 0x80..0x9F where they differ from
// Latin-1; 0 marks the unused codes.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char32_t Unicode(unsigned char c)
{
    if (c >= 0x80 && c < 0xA0) {
        return kHighControls[c - 0x80];
    }
    return c;
}

// Letter frequencies of English text, per thousand, that weight the
// lowercase advances into an average character width.
constexpr int kLetterWeights[26] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6, 35, 20,
                                    56, 56, 17, 4,  49, 56, 71,  31, 10, 18, 3, 18, 2};
constexpr int kSpaceWeight = 166;

void* Allocate(FT_Memory, long size) { return std::malloc(static_cast<std::size_t>(size)); }
void Release(FT_Memory, void* block) { std::free(block); }
void* Reallocate(FT_Memory, long, long size, void* block) { return std::realloc(block, static_cast<std::size_t>(size)); }

struct Library {
    FT_MemoryRec_ memory{nullptr, Allocate, Release, Reallocate};
    FT_Library ft = nullptr;
    std::mutex lock; // FreeType objects are not safe to share between threads
    std::map<FontFace::Key, std::unique_ptr<FontFace>> faces;
    std::string files[12]; // font file contents by file index, read once
    bool read[12] = {};
    bool reported = false;
    struct Cell {
        int upem, ascent, descent;
    };
    Cell cells[3] = {};
    bool cellRead[3] = {};

    Library()
    {
        // FT_Init_FreeType would also apply FREETYPE_PROPERTIES.
        FT_New_Library(&memory, &ft);
        FT_Add_Default_Modules(ft);
        FT_UInt interpreter = TT_INTERPRETER_VERSION_40;
        FT_Property_Set(ft, "truetype", "interpreter-version", &interpreter);
    }

    // The bytes of a font file, empty when it cannot be read (said once on
    // standard error).
    const std::string& File(int index)
    {
        if (!read[index]) {
            read[index] = true;
            const std::string path = std::string(FontDirectory()) + "/" + kFiles[index / 4][index % 4];
            std::ifstream in(path, std::ios::binary);
            files[index].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            if (files[index].empty() && !reported) {
                reported = true;
                std::fprintf(stderr,
                             "intonara: cannot read the font file %s; text will not be drawn (install the "
                             "package fonts-liberation2, or set INTONARA_FONT_DIR)\n",
                             path.c_str());
            }
        }
        return files[index];
    }
};

Library& TheLibrary()
{
    static Library* library = new Library; // faces live until the process ends
    return *library;
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return (a + b - 1) / b; }
LONG RoundDiv(std::int64_t a, std::int64_t b) { return static_cast<LONG>(a >= 0 ? (2 * a + b) / (2 * b) : -((-2 * a + b) / (2 * b))); }

// The vertical font-unit metrics that set the cell: ascent and descent above
// and below the baseline.
struct CellUnits {
    int upem = 2048;
    int ascent = 1854;
    int descent = 434;
};

CellUnits CellOf(FT_Face face)
{
    CellUnits u;
    if (face == nullptr) {
        return u;
    }
    u.upem = face->units_per_EM;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
        u.ascent = os2->usWinAscent;
        u.descent = os2->usWinDescent;
    } else {
        u.ascent = face->ascender;
        u.descent = -face->descender;
    }
    return u;
}

LONG CellHeight(const CellUnits& u, int ppem)
{
    return static_cast<LONG>(CeilDiv(std::int64_t{u.ascent} * ppem, u.upem) +
                             CeilDiv(std::int64_t{u.descent} * ppem, u.upem));
}

// Pixels per em for a requested height: a negative height is the em
// itself; a positive one is the cell, and the largest em whose cell fits it
// is taken.
int PixelsPerEm(LONG height, const CellUnits& u)
{
    if (height < 0) {
        return static_cast<int>(std::min<LONG>(-height, 2048));
    }
    if (height == 0) {
        return 12;
    }
    const LONG cell = std::min<LONG>(height, 2048);
    int ppem = static_cast<int>(std::max<std::int64_t>(1, std::int64_t{cell} * u.upem / (u.ascent + u.descent)));
    while (ppem > 1 && CellHeight(u, ppem) > cell) --ppem;
    while (CellHeight(u, ppem + 1) <= cell) ++ppem;
    return ppem;
}

FT_Face OpenFace(Library& lib, int file)
{
    const std::string& bytes = lib.File(file);
    FT_Face face = nullptr;
    if (bytes.empty() || FT_New_Memory_Face(lib.ft, reinterpret_cast<const FT_Byte*>(bytes.data()),
                                            static_cast<FT_Long>(bytes.size()), 0, &face) != 0) {
        return nullptr;
    }
    return face;
}

} // namespace

bool FontFace::Key::operator<(const Key& o) const
{
    return std::tie(file, ppem, mono) < std::tie(o.file, o.ppem, o.mono);
}

FontFace& FontFace::For(const LOGFONT& font, int dpi)
{
    Library& lib = TheLibrary();
    const Family family = FamilyOf(font);
    const int file = family * 4 + (font.lfWeight >= FW_SEMIBOLD ? 1 : 0) + (font.lfItalic ? 2 : 0);
    std::lock_guard<std::mutex> guard(lib.lock);
    // The size depends only on the family's cell proportions, read once from
    // the regular file.
    if (!lib.cellRead[family]) {
        lib.cellRead[family] = true;
        FT_Face probe = OpenFace(lib, family * 4);
        const CellUnits u = CellOf(probe);
        lib.cells[family] = {u.upem, u.ascent, u.descent};
        if (probe != nullptr) {
            FT_Done_Face(probe);
        }
    }
    const auto& cell = lib.cells[family];
    const int ppem = PixelsPerEm(font.lfHeight, CellUnits{cell.upem, cell.ascent, cell.descent});
    const Key key{file, ppem, font.lfQuality == NONANTIALIASED_QUALITY};
    auto& slot = lib.faces[key];
    if (!slot) {
        slot = std::make_unique<FontFace>(key, font, dpi);
    }
    return *slot;
}

FontFace::FontFace(const Key& key, const LOGFONT& font, int dpi) : m_key(key)
{
    Library& lib = TheLibrary(); // the caller holds its lock
    FT_Face face = OpenFace(lib, key.file);
    m_pFace = face;
    const CellUnits u = CellOf(face);
    const int ppem = key.ppem;
    TEXTMETRIC& tm = m_metrics;
    tm.tmAscent = static_cast<LONG>(CeilDiv(std::int64_t{u.ascent} * ppem, u.upem));
    tm.tmDescent = static_cast<LONG>(CeilDiv(std::int64_t{u.descent} * ppem, u.upem));
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = tm.tmHeight - ppem;
    tm.tmWeight = font.lfWeight >= FW_SEMIBOLD ? FW_BOLD : FW_NORMAL;
    tm.tmItalic = font.lfItalic ? 1 : 0;
    tm.tmUnderlined = font.lfUnderline ? 1 : 0;
    tm.tmStruckOut = font.lfStrikeOut ? 1 : 0;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFF;
    tm.tmDefaultChar = '?';
    tm.tmBreakChar = ' ';
    tm.tmCharSet = ANSI_CHARSET;
    tm.tmDigitizedAspectX = dpi;
    tm.tmDigitizedAspectY = dpi;
    const int familyIndex = key.file / 4;
    tm.tmPitchAndFamily = static_cast<BYTE>(TMPF_TRUETYPE | TMPF_VECTOR | (familyIndex == kMono ? 0 : TMPF_FIXED_PITCH) |
                                            (familyIndex == kMono    ? FF_MODERN
                                             : familyIndex == kSerif ? FF_ROMAN
                                                                     : FF_SWISS));
    if (face == nullptr) {
        tm.tmAveCharWidth = std::max(1, ppem / 2);
        tm.tmMaxCharWidth = ppem;
        return;
    }
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem));

    // Vertical placement of the lines text can carry.
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    if (hhea != nullptr) {
        const int gap = hhea->Line_Gap - ((u.ascent + u.descent) - (hhea->Ascender - hhea->Descender));
        tm.tmExternalLeading = std::max<LONG>(0, RoundDiv(std::int64_t{gap} * ppem, u.upem));
    }
    m_nUnderlineOffset = std::max<LONG>(1, RoundDiv(-std::int64_t{face->underline_position} * ppem, u.upem));
    m_nUnderlineThickness = std::max<LONG>(1, RoundDiv(std::int64_t{face->underline_thickness} * ppem, u.upem));
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != nullptr) {
        m_nStrikeOffset = std::max<LONG>(1, RoundDiv(std::int64_t{os2->yStrikeoutPosition} * ppem, u.upem));
    }

    // The average width weighs the unscaled lowercase advances by how often
    // the letters occur, as the classic metric did.
    std::int64_t weighted = 0;
    for (int i = 0; i <= 26; ++i) {
        const FT_ULong c = i < 26 ? static_cast<FT_ULong>('a' + i) : ' ';
        FT_Fixed advance = 0;
        if (FT_Load_Char(face, c, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) == 0) {
            advance = face->glyph->advance.x;
        }
        weighted += std::int64_t{advance} * (i < 26 ? kLetterWeights[i] : kSpaceWeight);
    }
    tm.tmAveCharWidth = std::max<LONG>(1, RoundDiv(weighted * ppem, std::int64_t{1000} * u.upem));
    tm.tmMaxCharWidth = static_cast<LONG>(CeilDiv(std::int64_t{face->max_advance_width} * ppem, u.upem));
}

FontFace::~FontFace()
{
    for (auto& g : m_glyphs) {
        delete g.load();
    }
    if (m_pFace != nullptr) {
        FT_Done_Face(static_cast<FT_Face>(m_pFace));
    }
}

const Glyph& FontFace::GlyphOf(unsigned char c)
{
    Glyph* g = m_glyphs[c].load(std::memory_order_acquire);
    if (g != nullptr) {
        return *g;
    }
    Library& lib = TheLibrary();
    std::lock_guard<std::mutex> guard(lib.lock);
    g = m_glyphs[c].load(std::memory_order_acquire);
    if (g == nullptr) {
        g = Render(c);
        m_glyphs[c].store(g, std::memory_order_release);
    }
    return *g;
}

Glyph* FontFace::Render(unsigned char c)
{
    auto glyph = std::make_unique<Glyph>();
    auto face = static_cast<FT_Face>(m_pFace);
    const char32_t code = Unicode(c);
    if (c < 0x20 || code == 0) {
        return glyph.release(); // control codes take no room and show nothing
    }
    if (face == nullptr) {
        glyph->advance = std::max(1, m_key.ppem / 2);
        return glyph.release();
    }
    const FT_Int32 load = m_key.mono ? (FT_LOAD_TARGET_MONO | FT_LOAD_FORCE_AUTOHINT) : FT_LOAD_TARGET_NORMAL;
    if (FT_Load_Char(face, code, load) != 0 ||
        FT_Render_Glyph(face->glyph, m_key.mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) {
        return glyph.release();
    }
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph->advance = static_cast<int>((slot->advance.x + 32) >> 6);
    glyph->left = slot->bitmap_left;
    glyph->top = slot->bitmap_top;
    glyph->width = static_cast<int>(bitmap.width);
    glyph->rows = static_cast<int>(bitmap.rows);
    glyph->coverage.resize(static_cast<std::size_t>(glyph->width) * glyph->rows);
    for (int y = 0; y < glyph->rows; ++y) {
        const unsigned char* src = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        std::uint8_t* dst = glyph->coverage.data() + static_cast<std::size_t>(y) * glyph->width;
        for (int x = 0; x < glyph->width; ++x) {
            dst[x] = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (((src[x >> 3] >> (7 - (x & 7))) & 1) ? 255 : 0)
                                                             : src[x];
        }
    }
    return glyph.release();
}

} // namespace platform::gdi::detail

namespace platform::gdi {

const char* FontDirectory()
{
    const char* dir = std::getenv("INTONARA_FONT_DIR");
    return (dir != nullptr && *dir != '\0') ? dir : "/usr/share/fonts/truetype/liberation2";
}

} // namespace platform::gdi

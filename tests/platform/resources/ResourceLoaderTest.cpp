// The loaders against this program's own resources (ResourceTest.rc):
// what comes back is what the script says, byte for byte.

#include "platform/resources/DialogTemplate.h"
#include "platform/resources/ImageResources.h"
#include "platform/resources/Resources.h"

#include "PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

namespace {


std::string LoadString(UINT id, int bufferMax = 256)
{
    std::vector<char> buffer(static_cast<std::size_t>(bufferMax), 'x');
    const int n = LoadStringA(nullptr, id, buffer.data(), bufferMax);
    EXPECT_EQ(std::strlen(buffer.data()), static_cast<std::size_t>(n)) << "string " << id;
    return std::string(buffer.data());
}

std::vector<BYTE> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(StringResources, TextComesBackWithItsEscapesResolved)
{
    EXPECT_EQ(LoadString(0), "zero");
    EXPECT_EQ(LoadString(1), "Tab\there\nquote \" backslash \\ octal A hex B");
    EXPECT_EQ(LoadString(15), "last of the first block");
    EXPECT_EQ(LoadString(16), "first of the second block");
    EXPECT_EQ(LoadString(100), "Retune Speed");
    EXPECT_EQ(LoadString(4000), "Gr\xC3\xBC\xC3\x9F" "e, F\xE2\x99\xAF");
    EXPECT_EQ(LoadString(65535), "the last ID");
    EXPECT_EQ(LoadString(200), "joined from two parts");
}

TEST(StringResources, MissingIdsGiveNothingAndTextIsCutToTheBufferAndTerminated)
{
    const std::tuple<UINT, int, const char*, const char*> cases[] = {
        {101, 16, "", "defined but empty"},
        {17, 16, "", "absent from a block that exists"},
        {102, 16, "", "absent"},
        {3000, 16, "", "no block at all"},
        {65536, 16, "", "beyond the last ID"},
        {100, 8, "Retune ", "cut"},
        {100, 13, "Retune Speed", "just fits"},
        {100, 12, "Retune Spee", "one short"},
        {100, 1, "", "room for the terminator only"},
    };
    for (const auto& [id, size, text, why] : cases) {
        EXPECT_EQ(LoadString(id, size), text) << "string " << id << " in " << size << " bytes: " << why;
    }
    EXPECT_EQ(LoadStringA(nullptr, 100, nullptr, 16), 0);
    char buffer[4] = "abc";
    EXPECT_EQ(LoadStringA(nullptr, 100, buffer, 0), 0);
    EXPECT_STREQ(buffer, "abc") << "no room: nothing written";
}

TEST(FindResource, NumbersAndHashNamesFindTheSameResource)
{
    HRSRC byNumber = FindResourceA(nullptr, MAKEINTRESOURCE(117), RT_BITMAP);
    ASSERT_NE(byNumber, nullptr);
    EXPECT_EQ(FindResourceA(nullptr, "#117", RT_BITMAP), byNumber);
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCE(117), "#2"), byNumber);
    EXPECT_TRUE(IS_INTRESOURCE(MAKEINTRESOURCE(65535)));
    EXPECT_FALSE(IS_INTRESOURCE("#117"));
}

TEST(FindResource, WrongTypeIdOrModuleFindsNothingAndSaysWhy)
{
    SetLastError(0);
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCE(117), RT_DIALOG), nullptr) << "a bitmap is not a dialog";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCE(120), RT_BITMAP), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCE(117), RT_MENU), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(FindResourceA(nullptr, "bitmap", RT_BITMAP), nullptr) << "resources have numbers, not names";
    EXPECT_EQ(FindResourceA(nullptr, "#1x", RT_BITMAP), nullptr);
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCE(117), nullptr), nullptr);

    static char notAModule;
    EXPECT_EQ(FindResourceA(reinterpret_cast<HMODULE>(&notAModule), MAKEINTRESOURCE(117), RT_BITMAP), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    char buffer[8];
    EXPECT_EQ(LoadStringA(reinterpret_cast<HMODULE>(&notAModule), 100, buffer, sizeof buffer), 0);
}

TEST(FindResource, LoadAndLockGiveTheDataAndFreeKeepsIt)
{
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCE(117), RT_BITMAP);
    ASSERT_NE(resource, nullptr);
    HGLOBAL loaded = LoadResource(nullptr, resource);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(LockResource(loaded), loaded);
    const std::vector<BYTE> file = ReadFile(kResourceDir + "/bitmaps/four.bmp");
    ASSERT_EQ(SizeofResource(nullptr, resource), file.size() - 14);
    EXPECT_EQ(FreeResource(loaded), FALSE);
    EXPECT_EQ(std::memcmp(LockResource(loaded), file.data() + 14, file.size() - 14), 0);
    EXPECT_EQ(SizeofResource(nullptr, nullptr), 0u);
    EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
}

// ---------------------------------------------------------------------------
// Bitmaps

struct BitmapCase {
    UINT m_nId;
    const char* m_pszFile;
    std::size_t m_nTrailingBytes;  // after the pixels in the file, not part of the bitmap
    LONG m_nWidth;
    LONG m_nHeight;
    WORD m_nBitCount;
    DWORD m_nColours;
};

class BitmapResources : public ::testing::TestWithParam<BitmapCase> {};

TEST_P(BitmapResources, HeaderColoursAndBitsAreTheFilesDibPart)
{
    const BitmapCase& c = GetParam();
    const std::vector<BYTE> file = ReadFile(kResourceDir + "/bitmaps/" + c.m_pszFile);
    ASSERT_GT(file.size(), 54u);
    const std::vector<BYTE> dib(file.begin() + 14, file.end() - static_cast<std::ptrdiff_t>(c.m_nTrailingBytes));

    BitmapResourceData data;
    ASSERT_TRUE(GetBitmapResourceData(nullptr, MAKEINTRESOURCE(c.m_nId), &data));
    EXPECT_EQ(data.m_nWidth, c.m_nWidth);
    EXPECT_EQ(data.m_nHeight, c.m_nHeight);
    EXPECT_EQ(data.m_nBitCount, c.m_nBitCount);
    EXPECT_EQ(data.m_nColours, c.m_nColours);
    EXPECT_EQ(data.m_cbInfo, 40 + 4 * c.m_nColours);
    ASSERT_EQ(data.m_cbInfo + data.m_cbBits, dib.size());
    EXPECT_EQ(std::vector<BYTE>(data.m_pInfo, data.m_pInfo + data.m_cbInfo),
              std::vector<BYTE>(dib.begin(), dib.begin() + data.m_cbInfo));
    EXPECT_EQ(std::vector<BYTE>(data.m_pBits, data.m_pBits + data.m_cbBits),
              std::vector<BYTE>(dib.begin() + data.m_cbInfo, dib.end()));
    // The file's own pointer to its pixels agrees.
    const DWORD pixelOffset = file[10] | file[11] << 8 | file[12] << 16 | file[13] << 24;
    EXPECT_EQ(std::memcmp(data.m_pBits, file.data() + pixelOffset, data.m_cbBits), 0);
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, BitmapResources,
                         ::testing::Values(BitmapCase{117, "four.bmp", 0, 5, 3, 4, 16},
                                           BitmapCase{118, "eight.bmp", 0, 7, 2, 8, 256},
                                           BitmapCase{119, "true.bmp", 2, 3, 2, 24, 0}),
                         [](const auto& info) { return std::string(info.param.m_pszFile).substr(0, 4); });

TEST(BitmapResourcesMissing, NoBitmapOfThatIdOrType)
{
    BitmapResourceData data;
    EXPECT_FALSE(GetBitmapResourceData(nullptr, MAKEINTRESOURCE(149), &data)) << "149 is a cursor";
    EXPECT_EQ(data.m_pInfo, nullptr);
}

// ---------------------------------------------------------------------------
// Cursors

TEST(CursorResources, PictureMasksAndHotSpotAsDrawn)
{
    // cursors/test.cursor
    const char* const picture[] = {"..######..", ".#++++++#.", "#+~~~~~~+#", ".#......#."};
    CursorResourceImage image;
    ASSERT_TRUE(GetCursorResourceImage(nullptr, MAKEINTRESOURCE(149), &image));
    ASSERT_EQ(image.m_nWidth, 10);
    ASSERT_EQ(image.m_nHeight, 4);
    EXPECT_EQ(image.m_xHotSpot, 7);
    EXPECT_EQ(image.m_yHotSpot, 2);
    ASSERT_EQ(image.m_andMask.size(), 40u);
    ASSERT_EQ(image.m_xorMask.size(), 40u);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 10; ++x) {
            const char c = picture[y][x];
            const std::size_t i = static_cast<std::size_t>(y * 10 + x);
            const int expectedAnd = c == '.' || c == '~' ? 1 : 0;  // the screen shows through
            const int expectedXor = c == '+' || c == '~' ? 1 : 0;  // white, or inverted
            EXPECT_EQ(image.m_andMask[i], expectedAnd) << "pixel " << x << ", " << y;
            EXPECT_EQ(image.m_xorMask[i], expectedXor) << "pixel " << x << ", " << y;
        }
    }
    EXPECT_FALSE(GetCursorResourceImage(nullptr, MAKEINTRESOURCE(117), &image)) << "117 is a bitmap";
}

// ---------------------------------------------------------------------------
// Dialog templates

namespace {

struct ExpectedItem {
    int m_nId;
    const char* m_pszClass;
    const char* m_pszText;
    DWORD m_dwStyle;
    DWORD m_dwExStyle;
    short m_x, m_y, m_cx, m_cy;
};

}  // namespace

TEST(DialogTemplates, EveryFieldOfEveryItemComesBackAsWritten)
{
    DialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(nullptr, MAKEINTRESOURCE(105), &dialog));
    // DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, and DS_SETFONT for
    // the FONT line.
    EXPECT_EQ(std::tuple(dialog.m_dwStyle, dialog.m_dwExStyle, dialog.m_x, dialog.m_y, dialog.m_cx, dialog.m_cy),
              std::tuple(0x80C800C0u, 0x00010000u, 10, 20, 299, 241));
    EXPECT_EQ(std::tuple(dialog.m_strCaption, dialog.m_strClass), std::tuple("Edit Scales", ""));
    EXPECT_TRUE(dialog.m_bHasFont);
    EXPECT_EQ(std::tuple(dialog.m_nPointSize, dialog.m_strFont, dialog.m_nWeight, dialog.m_bItalic, dialog.m_nCharSet),
              std::tuple(9, "Arial", 700, 1, 1));

    // Controls start from WS_CHILD | WS_VISIBLE (0x50000000).
    const ExpectedItem expected[] = {
        {1, "Button", "OK", 0x50010001, 0, 242, 7, 50, 14},
        {1049, "Button", "Set &Major Scale", 0x40010000, 0, 242, 24, 50, 14},
        {1053, "SysListView32", "", 0x50808001, 0x200, 7, 41, 225, 100},
        {-1, "Static", "Edit Scale:", 0x50000080, 0, -5, -6, 40, 8},
        {1054, "ListBox", "", 0x50200280, 0, 7, 160, 90, 50},
        {1023, "ComboBox", "", 0x50210003, 0, 0, 0, 76, 100},
        {2007, "ScrollBar", "", 0x50000000, 0, 0, 32767, 380, 0},
        {1178, "Edit", "12", 0x50802802, 0, 1, 2, 3, 4},
        {2005, "MainGraphView", "Gr\xC3\xB6\xC3\x9F" "e", 0x50800000, 0x12345678, 5, 65, 380, 230},
    };
    ASSERT_EQ(dialog.m_items.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const DialogItemTemplate& item = dialog.m_items[i];
        const ExpectedItem& e = expected[i];
        SCOPED_TRACE("item " + std::to_string(i));
        EXPECT_EQ(std::tuple(item.m_nId, item.m_strClass, item.m_strText, item.m_dwStyle, item.m_dwExStyle),
                  std::tuple(e.m_nId, e.m_pszClass, e.m_pszText, e.m_dwStyle, e.m_dwExStyle));
        EXPECT_EQ(std::tuple(item.m_dwHelpId, item.m_x, item.m_y, item.m_cx, item.m_cy),
                  std::tuple(0u, e.m_x, e.m_y, e.m_cx, e.m_cy));
    }
}

TEST(DialogTemplates, WithoutAFontLineThereIsNoFont)
{
    DialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(nullptr, "#158", &dialog));
    EXPECT_EQ(dialog.m_dwStyle, 0x80000000u);
    EXPECT_FALSE(dialog.m_bHasFont);
    EXPECT_EQ(dialog.m_x, -32768);
    ASSERT_EQ(dialog.m_items.size(), 1u);
    EXPECT_EQ(dialog.m_items[0].m_strClass, "Edit");
    EXPECT_EQ(dialog.m_items[0].m_dwStyle, 0x50000080u);
    EXPECT_FALSE(LoadDialogTemplate(nullptr, MAKEINTRESOURCE(101), &dialog));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST(DialogTemplates, CutShortOrDamagedDataIsRefused)
{
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCE(105), RT_DIALOG);
    ASSERT_NE(resource, nullptr);
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, resource)));
    const std::vector<BYTE> bytes(data, data + SizeofResource(nullptr, resource));
    DialogTemplate dialog;
    ASSERT_TRUE(ParseDialogTemplate(bytes.data(), bytes.size(), &dialog));
    // The last item ends with its 2-byte creation-data count; every shorter
    // length leaves something unread.
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        ASSERT_FALSE(ParseDialogTemplate(bytes.data(), size, &dialog)) << "cut to " << size << " bytes";
    }
    std::vector<BYTE> damaged = bytes;
    damaged[2] = 0x00;  // not the extended template's signature
    EXPECT_FALSE(ParseDialogTemplate(damaged.data(), damaged.size(), &dialog));
    EXPECT_FALSE(ParseDialogTemplate(nullptr, 0, &dialog));
}

TEST(ResourceSets, ASecondSetLinkedIntoTheProgramIsSearchedToo)
{
    // SecondSet.rc, linked after ResourceTest.rc.
    EXPECT_EQ(LoadString(300), "from the second set");
    EXPECT_EQ(LoadString(0), "zero") << "the set linked first wins";
    DialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(nullptr, MAKEINTRESOURCE(106), &dialog));
    EXPECT_EQ(dialog.m_dwStyle, 0x40000000u);
    EXPECT_EQ(dialog.m_cy, 4);
    EXPECT_TRUE(dialog.m_items.empty());
}

// The application object's start-up and shutdown: COM, the bitmap set and the
// three brand fonts.

#include "ShellTestSupport.h"

#include "platform/com/Com.h"
#include "shell/BitmapSet.h"

#include <cstring>

namespace {

struct FontCase {
    CFont* font;
    LONG height;
    BYTE outputPrecision;
};

TEST(App, StartUpInitialisesComAndFillsTheBitmapSet)
{
    shelltest::StartApp();
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE) << "COM is already initialised on this thread";
    CoUninitialize();
    EXPECT_EQ(AfxGetApp(), &theApp);
    for (int slot = 0; slot < CBitmapSet::kSlotCount; ++slot) {
        EXPECT_GT(g_Bitmaps.GetBitmapWidth(slot), 0) << "slot " << slot;
    }
}

TEST(App, TheThreeFontsAreTimesNewRomanAtTheirHeights)
{
    shelltest::StartApp();
    HDC dc = CreateCompatibleDC(nullptr);
    LONG averageWidth[3] = {};
    int i = 0;
    for (const FontCase& c : {FontCase{&g_fontSmall, 14, 5}, FontCase{&g_fontMedium, 16, 5},
                              FontCase{&g_fontLarge, 28, 0}}) {
        ASSERT_NE(c.font->m_hObject, nullptr);
        LOGFONT log{};
        ASSERT_EQ(c.font->GetObject(sizeof log, &log), static_cast<int>(sizeof log));
        EXPECT_EQ(log.lfHeight, c.height);
        EXPECT_EQ(log.lfWidth, 0);
        EXPECT_EQ(log.lfEscapement, 0);
        EXPECT_EQ(log.lfOrientation, 0);
        EXPECT_EQ(log.lfWeight, 500);
        EXPECT_EQ(log.lfItalic, 0);
        EXPECT_EQ(log.lfUnderline, 0);
        EXPECT_EQ(log.lfStrikeOut, 0);
        EXPECT_EQ(log.lfCharSet, ANSI_CHARSET);
        EXPECT_EQ(log.lfOutPrecision, c.outputPrecision);
        EXPECT_EQ(log.lfClipPrecision, 0);
        EXPECT_EQ(log.lfQuality, 2);
        EXPECT_EQ(log.lfPitchAndFamily, 2);
        EXPECT_STREQ(log.lfFaceName, "Times New Roman");

        HGDIOBJ old = SelectObject(dc, c.font->m_hObject);
        TEXTMETRIC tm{};
        ASSERT_TRUE(GetTextMetrics(dc, &tm));
        // A positive height asks for the character cell; the cell may come
        // out a pixel short, never taller.
        EXPECT_LE(tm.tmHeight, c.height);
        EXPECT_GE(tm.tmHeight, c.height - 1);
        EXPECT_EQ(tm.tmWeight, 500);
        averageWidth[i++] = tm.tmAveCharWidth;
        SelectObject(dc, old);
    }
    DeleteDC(dc);
    EXPECT_LT(averageWidth[0], averageWidth[2]);
    EXPECT_LE(averageWidth[0], averageWidth[1]);
}

TEST(App, ShutdownDeletesTheFontsAndAnotherStartUpMakesThemAgain)
{
    shelltest::StartApp();
    theApp.ExitInstance();
    EXPECT_EQ(g_fontSmall.m_hObject, nullptr);
    EXPECT_EQ(g_fontMedium.m_hObject, nullptr);
    EXPECT_EQ(g_fontLarge.m_hObject, nullptr);
    EXPECT_TRUE(theApp.InitInstance());
    CoUninitialize();  // the second start-up's
    EXPECT_NE(g_fontLarge.m_hObject, nullptr);
    EXPECT_GT(g_Bitmaps.GetBitmapWidth(kBitmapThumb), 0);
}

}  // namespace

// The application object's start-up and shutdown: COM, the bitmap set and the
// three brand fonts.

#include "ShellTestSupport.h"

#include "platform/com/Com.h"
#include "shell/BitmapSet.h"

#include <tuple>

namespace {

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
    LONG previousWidth = 0;
    for (auto [font, height, precision] : {std::tuple{&g_fontSmall, 14, 5}, std::tuple{&g_fontMedium, 16, 5},
                                           std::tuple{&g_fontLarge, 28, 0}}) {
        LOGFONT log{};
        ASSERT_EQ(font->GetObject(sizeof log, &log), static_cast<int>(sizeof log));
        // Height, width, escapement, orientation, weight 500, no italic,
        // underline or strike-out, ANSI, output precision, default clipping,
        // proof quality, variable pitch.
        EXPECT_EQ(std::tie(log.lfHeight, log.lfWidth, log.lfEscapement, log.lfOrientation, log.lfWeight),
                  std::make_tuple(LONG{height}, LONG{0}, LONG{0}, LONG{0}, LONG{500}));
        EXPECT_EQ(std::make_tuple(log.lfItalic, log.lfUnderline, log.lfStrikeOut, log.lfCharSet, log.lfOutPrecision,
                                  log.lfClipPrecision, log.lfQuality, log.lfPitchAndFamily),
                  std::make_tuple(0, 0, 0, 0, precision, 0, 2, 2));
        EXPECT_STREQ(log.lfFaceName, "Times New Roman");

        HGDIOBJ old = SelectObject(dc, font->m_hObject);
        TEXTMETRIC tm{};
        ASSERT_TRUE(GetTextMetrics(dc, &tm));
        // A positive height asks for the cell, which may come out a pixel short.
        EXPECT_TRUE(tm.tmHeight == height || tm.tmHeight == height - 1) << tm.tmHeight;
        EXPECT_EQ(tm.tmWeight, 500);
        EXPECT_GE(tm.tmAveCharWidth, previousWidth + (height == 28 ? 2 : 0)) << "larger fonts, wider letters";
        previousWidth = tm.tmAveCharWidth;
        SelectObject(dc, old);
    }
    DeleteDC(dc);
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

// The fader's placement of values, its value text and its picture.

#include "PanelTestSupport.h"

#include <thread>

using namespace paneltest;

namespace {

struct Placement {
    int first, second, value, thumbY;
};

TEST_F(SliderTest, ThePanelsRangesPutTheirSecondEndAtTheTop)
{
    const Placement cases[] = {
        {-100, 100, 100, 0},  {-100, 100, -100, 101}, {-100, 100, 0, 51},  // Scale Detune
        {400, 0, 0, 0},       {400, 0, 400, 101},     {400, 0, 198, 50},   // Retune: "fast" on top
        {100, 0, 0, 0},       {100, 0, 100, 101},                          // Tracking: "choosy" on top
        {0, 100, 100, 0},     {0, 100, 0, 101},       {0, 100, 30, 71},    // Depth
        {1, 100, 100, 0},     {1, 100, 1, 101},                            // Rate, ends at the ends
        {0, 3000, 3000, 0},   {0, 3000, 300, 91},                          // Delay
    };
    CSliderControl& slider = Make(2, 0, 100, 50);
    for (const Placement& c : cases) {
        slider.SetRange(c.first, c.second);
        slider.SetValue(c.value);
        EXPECT_EQ(slider.GetThumbY(), c.thumbY) << c.first << ".." << c.second << " value " << c.value;
        EXPECT_EQ(slider.GetValue(), c.value) << c.first << ".." << c.second;
    }
    slider.SetRange(-100, 100);
    slider.SetValue(-250);
    EXPECT_EQ(slider.GetValue(), -100) << "a value past an end reads as that end";
    EXPECT_EQ(slider.GetThumbY(), 101);
}

TEST_F(SliderTest, TheValueFieldShowsMillisecondsForRetuneAndHertzForRate)
{
    struct Text {
        int index, first, second, value;
        const char* shown;
    };
    const Text cases[] = {
        {1, 400, 0, 126, "20"},  {1, 400, 0, 200, "50"},   {1, 400, 0, 198, "48"}, {1, 400, 0, 11, "0"},
        {6, 400, 0, 400, "400"}, {6, 400, 0, 264, "100"},  {4, 1, 100, 55, "5.5"}, {4, 1, 100, 100, "10.0"},
        {4, 1, 100, 5, ".5"},    {0, -100, 100, -37, "-37"}, {5, 0, 3000, 2500, "2500"},
    };
    for (const Text& c : cases) {
        CSliderControl& slider = Make(c.index, c.first, c.second, c.value);
        slider.UpdateValueField();
        EXPECT_EQ(FieldText(), c.shown) << "slider " << c.index << " value " << c.value;
    }
}

TEST_F(SliderTest, TheSunkenFrameIsBlackAtTheTopAndLeftAndWhiteAtTheRightAndBottom)
{
    Make(2, 100, 0, 100);  // thumb at the bottom, out of the way
    // A 45 x 130 fader: top line at y 1 from x 16, left line at x 16 from
    // y 1, right line at x 41, bottom line at y 124.
    for (int x : {16, 30, 40}) {
        EXPECT_EQ(Pixel(x, 1), kBlack) << x;
        EXPECT_EQ(Pixel(x, 124), kWhite) << x;
    }
    for (int y : {1, 50, 123}) {
        EXPECT_EQ(Pixel(16, y), kBlack) << y;
        EXPECT_EQ(Pixel(41, y), kWhite) << y;
    }
    EXPECT_EQ(Pixel(41, 124), kWhite);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(Pixel(15, 50), face) << "outside the frame the dialog's colour shows";
    EXPECT_EQ(Pixel(42, 50), face);
    EXPECT_EQ(Pixel(30, 0), face);
}

TEST_F(SliderTest, TheThumbIsComposedOverTheTrack)
{
    CSliderControl& slider = Make(2, 100, 0, 60);  // thumb top at 101 - 101 * 40 / 100 = 61
    const int y = slider.GetThumbY();
    ASSERT_EQ(y, 61);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    // The thumb: its index line across the middle, a white edge on top, and
    // its first two rows clear, showing what lies under them.
    EXPECT_EQ(Pixel(29, y + 12), kBlack);
    EXPECT_EQ(Pixel(22, y + 2), kWhite);
    EXPECT_EQ(Pixel(26, y + 1), face);
    // The track's groove above and below it: black inside, grey and white
    // edges.
    for (int row : {y - 10, y + 40}) {
        EXPECT_EQ(Pixel(28, row), kBlack) << row;
        EXPECT_EQ(Pixel(27, row), RGB(128, 128, 128)) << row;
        EXPECT_EQ(Pixel(30, row), kWhite) << row;
    }
    // Moving the thumb puts the groove back where it was.
    slider.SetValue(0);
    EXPECT_EQ(Pixel(28, y + 12), kBlack);
    EXPECT_EQ(Pixel(27, y + 12), RGB(128, 128, 128));
    EXPECT_EQ(Pixel(26, y + 2), face) << "no trace of the old thumb";
    EXPECT_EQ(Pixel(29, 12), kBlack) << "the index line at the top";
}

TEST_F(SliderTest, AValueSetFromAnotherThreadShowsAtTheNextPaint)
{
    CSliderControl& slider = Make(3, 0, 100, 0);
    std::thread host([&] { slider.SetValue(100); });
    host.join();
    EXPECT_EQ(slider.GetThumbY(), 0);
    EXPECT_EQ(slider.GetValue(), 100);
    m_ui.Pump();
    EXPECT_EQ(Pixel(29, 12), kBlack) << "the thumb is drawn at the top";
    EXPECT_EQ(Pixel(26, 101 + 2), GetSysColor(COLOR_BTNFACE)) << "and no longer at the bottom";
}

}  // namespace

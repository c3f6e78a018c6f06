// Where the font files come from: drawing from several threads at once
// gives the pixels one thread gives, and missing files are reported
// instead of crashing.

#include "gdi/GdiTestSupport.h"

#include "PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

namespace {

std::vector<std::uint32_t> Render(int height, BYTE quality)
{
    CCanvas c(160, 40);
    CSelected f(c.Dc(), CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, quality, VARIABLE_PITCH,
                                   height % 2 ? "Times New Roman" : "Arial"));
    RECT r{2, 2, 158, 38};
    DrawText(c.Dc(), "Velmora Intonara Plugin 0123456789 &Track", -1, &r, DT_WORDBREAK);
    return std::vector<std::uint32_t>(c.Pixels().Row(0), c.Pixels().Row(0) + 160 * 40);
}

TEST(FontFiles, ThreadsRenderingAtOnceGetTheSamePixelsAsOneThread)
{
    // Sizes no other test uses, so the threads race to render new glyphs.
    const int heights[4] = {-17, -19, 21, 23};
    std::vector<std::uint32_t> results[4];
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&, i] { results[i] = Render(heights[i], i == 3 ? NONANTIALIASED_QUALITY : PROOF_QUALITY); });
    }
    for (auto& t : threads) {
        t.join();
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(results[i], Render(heights[i], i == 3 ? NONANTIALIASED_QUALITY : PROOF_QUALITY)) << heights[i];
    }
}

TEST(FontFilesDeathTest, MissingFilesAreReportedAndTextIsLeftOut)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    CScratchDir empty;
    // The child process starts afresh, so it looks for the files anew.
    EXPECT_EXIT(
        {
            ::setenv("INTONARA_FONT_DIR", empty.Path().c_str(), 1);
            CCanvas c(80, 20);
            TextOut(c.Dc(), 2, 2, "Tracking", 8);
            TEXTMETRIC tm{};
            GetTextMetrics(c.Dc(), &tm);
            const bool blank = c.CountNot(RGB(255, 255, 255)) == 0;
            std::exit(blank && tm.tmHeight > 0 && tm.tmAveCharWidth > 0 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "cannot read the font file .*LiberationSans-Regular.ttf.*fonts-liberation2");
}

} // namespace

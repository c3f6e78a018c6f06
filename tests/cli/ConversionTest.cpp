// The 16-bit conversions must match the plug-in's exactly: divide by 32768
// on the way in; on the way out multiply by 32768, truncate toward zero and
// clamp.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "job/SampleConversion.h"

using job::FloatToPcm16;
using job::Pcm16ToFloat;

TEST(SampleConversion, EdgeValues)
{
    EXPECT_EQ(Pcm16ToFloat(-32768), -1.0f);
    EXPECT_EQ(FloatToPcm16(-1.0f), -32768);
    EXPECT_EQ(FloatToPcm16(1.0f), 32767);      // 32768 does not fit
    EXPECT_EQ(FloatToPcm16(-1.5f), -32768);
    EXPECT_EQ(FloatToPcm16(0.99999f), 32767);  // 32767.67 truncated
    EXPECT_EQ(FloatToPcm16(-0.00002f), 0);     // -0.655 truncated toward zero, not down to -1
    EXPECT_EQ(FloatToPcm16(-0.50001f), -16384); // -16384.33: floor would give -16385
    EXPECT_EQ(FloatToPcm16(0.50001f), 16384);
    EXPECT_EQ(FloatToPcm16(std::numeric_limits<float>::infinity()), 32767);
    EXPECT_EQ(FloatToPcm16(-std::numeric_limits<float>::infinity()), -32768);
    EXPECT_EQ(FloatToPcm16(std::nanf("")), 0);
}

TEST(SampleConversion, EverySixteenBitValueSurvivesTheRoundTrip)
{
    int16_t in[65536];
    float middle[65536];
    int16_t out[65536];
    for (int i = 0; i < 65536; ++i)
        in[i] = static_cast<int16_t>(i - 32768);
    job::ConvertPcm16ToFloat(in, middle, 65536);
    job::ConvertFloatToPcm16(middle, out, 65536);
    for (int i = 0; i < 65536; ++i) {
        ASSERT_EQ(middle[i], static_cast<float>(in[i]) / 32768.0f) << in[i];
        ASSERT_EQ(out[i], in[i]);
    }
}

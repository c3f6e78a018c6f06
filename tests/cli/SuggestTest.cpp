// The nearest valid word to a mistyped one.

#include <gtest/gtest.h>

#include "job/Suggest.h"

TEST(Suggest, EditsBetweenWords)
{
    EXPECT_EQ(job::EditDistance("corect", "correct"), 1);
    EXPECT_EQ(job::EditDistance("scael", "scale"), 1); // two neighbours swapped
    EXPECT_EQ(job::EditDistance("kitten", "sitting"), 3);
    EXPECT_EQ(job::EditDistance("NOTES", "notes"), 0);
    EXPECT_EQ(job::EditDistance("", "abc"), 3);
    EXPECT_EQ(job::EditDistance("abc", ""), 3);
}

TEST(Suggest, NearestWordOrNone)
{
    const std::vector<std::string> options = {"--scale", "--key", "--retune", "--retune-index", "--vibrato",
                                              "-o", "-h"};
    EXPECT_EQ(job::NearestWord("--vibrto", options), "--vibrato");
    EXPECT_EQ(job::NearestWord("--scael", options), "--scale");
    // The beginning of two options: the shorter is meant more often.
    EXPECT_EQ(job::NearestWord("--ret", options), "--retune");
    EXPECT_EQ(job::NearestWord("--retune-i", options), "--retune-index");
    // Nothing is near a short or a far-off word.
    EXPECT_FALSE(job::NearestWord("-x", options));
    EXPECT_FALSE(job::NearestWord("--frobnicate", options));
    EXPECT_FALSE(job::NearestWord("", options));
    EXPECT_EQ(job::DidYouMean("--kye", options), "; did you mean \"--key\"?");
    EXPECT_EQ(job::DidYouMean("--zzzzzz", options), "");
}

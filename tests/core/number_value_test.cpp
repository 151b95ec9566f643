#include "core/number_value.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(NumberValue, LeadingNumberOfText) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"30min", 30},    {"1 2", 12},  {"\t1\n5", 15}, {"abc", 0},    {"", 0},
        {"-1", -1},       {"+7", 7},    {"1E3", 1000},  {"2d2", 200},  {"1.5e-1", 0.15},
        {"1e", 1},        {"1e+x", 1},  {"&H10", 16},   {"&hff", 255}, {"&O17", 15},
        {"&Hzz", 0},      {"2.5", 2.5}, {".5", 0.5},    {"5.", 5},     {"-.25x", -0.25},
        {"0.125", 0.125}, {"07", 7},    {"--1", 0},     {"1,5", 1},    {"-", 0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(NumberValue(c.text), c.value) << c.text;
    EXPECT_TRUE(std::isinf(NumberValue("1e400")));
    EXPECT_EQ(NumberValue("1e-400"), 0);
}

TEST(NumberValue, WholeNumberNeedsTheWholeText) {
    EXPECT_EQ(WholeNumber(" -1 "), -1);
    EXPECT_EQ(WholeNumber("5"), 5);
    EXPECT_EQ(WholeNumber("1e3"), 1000);
    EXPECT_EQ(WholeNumber("5abc"), std::nullopt);
    EXPECT_EQ(WholeNumber("yes"), std::nullopt);
    EXPECT_EQ(WholeNumber(""), std::nullopt);
    EXPECT_EQ(WholeNumber("   "), std::nullopt);
}

TEST(RoundToInt32, HalfToEvenWithinRange) {
    EXPECT_EQ(RoundToInt32(2.5), 2);
    EXPECT_EQ(RoundToInt32(3.5), 4);
    EXPECT_EQ(RoundToInt32(-2.5), -2);
    EXPECT_EQ(RoundToInt32(7.5), 8);
    EXPECT_EQ(RoundToInt32(22.5), 22);
    EXPECT_EQ(RoundToInt32(0.6), 1);
    EXPECT_EQ(RoundToInt32(2147483647.4), 2147483647);
    EXPECT_EQ(RoundToInt32(2147483647.5), std::nullopt);
    EXPECT_EQ(RoundToInt32(-2147483648.5), -2147483648);  // ties to even stay in range
    EXPECT_EQ(RoundToInt32(-2147483649.0), std::nullopt);
    EXPECT_EQ(RoundToInt32(NAN), std::nullopt);
    EXPECT_EQ(RoundToInt32(INFINITY), std::nullopt);
}

#include "core/number_value.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(NumberValue, LeadingNumberOfText) {
    const struct {
        const char* text;
        double value;
        size_t length;  // of the blank-free text taken
        // clang-format off
    } cases[] = {
        {"30min", 30, 2}, {"1 2", 12, 2}, {"\t1\n5", 15, 2}, {"abc", 0, 0}, {"", 0, 0},
        {"-1", -1, 2}, {"+7", 7, 2}, {"1E3", 1000, 3}, {"2d2", 200, 3}, {"2D-1", 0.2, 4},
        {"1.5e-1", .15, 6}, {"1e", 1, 1}, {"1e+x", 1, 1}, {"5.e2", 500, 4}, {"-.5E+1", -5, 6},
        {"&H10", 16, 4}, {"&hff", 255, 4}, {"&HAF", 175, 4}, {"&HaFg", 175, 4}, {"&O17", 15, 4},
        {"&o78", 7, 3}, {"&H", 0, 0}, {"&", 0, 0}, {"&x0", 0, 0}, {"&Hzz", 0, 0}, {"2.5", 2.5, 3},
        {".5", 0.5, 2}, {"5.", 5, 2}, {"5.x", 5, 2}, {".", 0, 0}, {"-.25x", -.25, 4}, {"07", 7, 2},
        {"--1", 0, 0}, {"1,5", 1, 1}, {"-", 0, 0}, {"1.2.3", 1.2, 3}, {"9e999", INFINITY, 5},
        {"1e-999", 0, 6},
    };
    // clang-format on
    for (const auto& c : cases) {
        const LeadingNumber n = ParseLeadingNumber(c.text);
        EXPECT_EQ(n.value, c.value) << c.text;
        EXPECT_EQ(n.length, c.length) << c.text;
    }
    EXPECT_EQ(WholeNumber(" -1 "), -1);
    EXPECT_EQ(WholeNumber("&H1f"), 31);
    for (const char* text : {"5abc", "yes", "", "   ", "1e", "&H"})
        EXPECT_EQ(WholeNumber(text), std::nullopt) << text;
}

TEST(RoundToInt32, HalfToEvenWithinRange) {
    const struct {
        double value;
        std::optional<int32_t> rounded;
        // clang-format off
    } cases[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {0.6, 1}, {2147483647.4, 2147483647},
        {2147483647.5, std::nullopt}, {-2147483648.5, INT32_MIN}, {-2147483649.0, std::nullopt},
        {NAN, std::nullopt}, {INFINITY, std::nullopt},
    };
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(RoundToInt32(c.value), c.rounded) << c.value;
}

#include "app/number_value.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/app_error.h"

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

TEST(AlertLimit, FromTheThreeTexts) {
    const struct {
        const char *days, *hours, *minutes;
        std::optional<int32_t> seconds;
    } cases[] = {
        {"1", "2", "3", 93780},
        {"1", "2", "30", 95400},
        {"2", "", "abc", 172800},
        {"0", "1.5", "0", 5400},
        {"0", "0", "0.125", 8},
        {"0", "0", "0.375", 22},
        {"", "", "0.01", 1},
        {"", "", "-30", -1800},
        {"0", "-1", "0", -3600},
        {" 1 2", "", "", 12 * 86400},
        {"24855", "0", "0", 2147472000},
        {"24856", "0", "0", std::nullopt},
        {"", "596524", "", std::nullopt},
        {"1e400", "", "", std::nullopt},
        {"-24856", "", "", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AlertLimit(c.days, c.hours, c.minutes), c.seconds)
            << c.days << "/" << c.hours << "/" << c.minutes;
    try {
        AlertLimitOrThrow("24856", "0", "0");
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(e.Number(), kErrOverflow);
        EXPECT_NE(std::string(e.what()).find("24855 days"), std::string::npos) << e.what();
    }
}

#include <gtest/gtest.h>

#include "ui/adjust_dialog.h"
#include "ui/alert_text.h"
#include "ui/config_dialog.h"

TEST(ConfigDialog, AppliesOptionsAndLimitOrNothing) {
    AppState state;
    EXPECT_EQ(ApplyConfig(state, {true, false, true, "1", "2", "30"}), std::nullopt);
    EXPECT_EQ(SettingsOf(state), (Settings{true, false, true, "1", "2", "30"}));
    EXPECT_EQ(state.AlertLimitSeconds, 95400);
    EXPECT_EQ(ApplyConfig(state, {false, true, false, "", "", "-30"}), std::nullopt);
    EXPECT_EQ(state.AlertLimitSeconds, -1800);  // computed while the alert is off too

    const AppState before = state;
    const auto error = ApplyConfig(state, {true, true, true, "24856", "", ""});
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("24855 days"), std::string::npos) << *error;
    EXPECT_EQ(SettingsOf(state), SettingsOf(before));
    EXPECT_EQ(state.AlertLimitSeconds, -1800);

    EXPECT_TRUE(DaysKeyPasses('0') && DaysKeyPasses('9') && DaysKeyPasses(8));
    for (unsigned c : {97u, 45u, 46u, 32u, 13u, 27u, 22u})  // a - . space Enter Esc Ctrl+V
        EXPECT_FALSE(DaysKeyPasses(c)) << c;
}

TEST(AdjustDialog, AddRoundsEachFieldSubtractRoundsTheResult) {
    using enum AdjustDirection;
    const struct {
        int32_t total;
        const char *days, *hours, *minutes;
        AdjustDirection direction;
        int32_t expected;
    } cases[] = {
        {100, "", "", "", Add, 100},
        {100, "", "", "", Subtract, 100},
        {100, "1", "2", "3", Add, 93880},
        {0, "24855", "", "", Add, 2147472000},
        {0, "", "2.5", "", Add, 7200},
        {0, "", "3.5", "", Add, 14400},
        {0, "1.5", "", "", Add, 172800},
        {0, "1.5", "", "", Subtract, -129600},
        {100, "", "", "0.5", Subtract, 70},
        {100, "", "", "0.25", Subtract, 85},
        {3600, "1", "", "", Subtract, -82800},
        {0, "12abc", "", "abc", Add, 12 * 86400},
        {0, "-1", "", "", Add, -86400},
        {INT32_MIN, "", "", "-0.4", Subtract, INT32_MIN + 24},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AdjustedTotal(c.total, c.days, c.hours, c.minutes, c.direction),
                  (std::variant<int32_t, std::string>(c.expected)))
            << c.total << " " << c.days << "/" << c.hours << "/" << c.minutes;
}

TEST(AdjustDialog, RefusesWhatLeavesTheRange) {
    using enum AdjustDirection;
    const struct {
        int32_t total;
        const char *days, *hours, *minutes;
        AdjustDirection direction;
        const char* expected;
    } cases[] = {
        {0, "24856", "", "", Add, "The days amount \"24856\" is too large. At most 24855 days"},
        {0, "", "596524", "", Add, "At most 596523 hours"},
        {0, "", "", "1e12", Add, "At most 35791394 minutes"},
        {2147483000, "", "", "11", Add, "larger than 2147483647"},
        {-2147483000, "", "", "-11", Add, "smaller than -2147483648"},
        {-2147483000, "", "", "11", Subtract, "smaller than -2147483648"},
        {0, "1e400", "", "", Subtract, "smaller than"},
    };
    for (const auto& c : cases) {
        const auto result = AdjustedTotal(c.total, c.days, c.hours, c.minutes, c.direction);
        ASSERT_TRUE(std::holds_alternative<std::string>(result)) << c.days << c.hours << c.minutes;
        EXPECT_NE(std::get<std::string>(result).find(c.expected), std::string::npos)
            << std::get<std::string>(result);
    }
}

TEST(AlertWindow, MessageRepeatsTheLimitAsTyped) {
    const struct {
        const char *days, *hours, *minutes, *message;
    } cases[] = {
        {"1", "2", "30", "An Alert limit of 1 days, 2 hours, and 30 minutes has been reached."},
        {"0", "0", "5", "An Alert limit of 0 days, 0 hours, and 5 minutes has been reached."},
        {"07", "abc", "2.5",
         "An Alert limit of 7 days, 0 hours, and 2.5 minutes has been reached."},
        {"0", "-1", "", "An Alert limit of 0 days,-1 hours, and 0 minutes has been reached."},
        {"-0", "0.5", "100000",
         "An Alert limit of 0 days, 0.5 hours, and 100000 minutes has been "
         "reached."},
    };
    for (const auto& c : cases) {
        AppState state;
        state.AlertDays = c.days;
        state.AlertHours = c.hours;
        state.AlertMinutes = c.minutes;
        EXPECT_EQ(AlertMessage(state), c.message);
    }
}

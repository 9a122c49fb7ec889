#include "mz/DateTimeText.h"

#include "TestCases.h"
#include "TestRegional.h"

#include <gtest/gtest.h>

namespace mz {
namespace {

// Failure messages show each case below by its title.
using test::PrintTo;

using test::BrazilianRegional;

RegionalSettings German() {
    RegionalSettings r = BrazilianRegional();
    r.dateSeparator = '.';
    return r;
}

RegionalSettings TwelveHour(bool amPmFirst, bool leadingZero) {
    RegionalSettings r;
    r.shortDateFormat = "yyyy/m/d";
    r.dateSeparator = '-';
    r.timeSeparator = '.';
    r.hourLeadingZero = leadingZero;
    r.amPmFirst = amPmFirst;
    r.amText = "AM";
    r.pmText = "PM";
    return r;
}

struct DateTimeCase {
    const char* title;
    LocalDateTime moment;
    RegionalSettings regional;
    std::string expected;
};

class DateTimeTextTable : public testing::TestWithParam<DateTimeCase> {};

TEST_P(DateTimeTextTable, FormatsTheMoment) {
    EXPECT_EQ(DateTimeText(GetParam().moment, GetParam().regional), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DateTimeTextTable,
    testing::Values(
        DateTimeCase{
            "Brazil", {2025, 3, 8, 14, 3, 27, 0}, BrazilianRegional(), "08/03/2025 14:03:27"},
        DateTimeCase{"BrazilMidnight", {2025, 3, 8, 0, 0, 0, 0}, BrazilianRegional(), "08/03/2025"},
        DateTimeCase{
            "MillisecondsIgnored", {2025, 3, 8, 0, 0, 0, 999}, BrazilianRegional(), "08/03/2025"},
        DateTimeCase{"OneSecondPastMidnight",
                     {2025, 3, 8, 0, 0, 1, 0},
                     BrazilianRegional(),
                     "08/03/2025 00:00:01"},
        DateTimeCase{
            "GermanSeparator", {2025, 12, 31, 9, 5, 0, 0}, German(), "31.12.2025 09:05:00"},
        DateTimeCase{"Fallback",
                     {2025, 3, 8, 14, 3, 27, 0},
                     FallbackRegionalSettings(),
                     "3/8/25 2:03:27 pm"},
        DateTimeCase{"FallbackMorning",
                     {2009, 11, 25, 9, 30, 5, 0},
                     FallbackRegionalSettings(),
                     "11/25/09 9:30:05 am"},
        DateTimeCase{
            "FallbackMidnight", {2025, 3, 8, 0, 0, 0, 0}, FallbackRegionalSettings(), "3/8/25"},
        DateTimeCase{"TwelveAfterMidnight",
                     {2025, 3, 8, 0, 15, 0, 0},
                     FallbackRegionalSettings(),
                     "3/8/25 12:15:00 am"},
        DateTimeCase{
            "Noon", {2025, 3, 8, 12, 0, 0, 0}, FallbackRegionalSettings(), "3/8/25 12:00:00 pm"},
        DateTimeCase{"MarkerFirst",
                     {2025, 3, 8, 14, 3, 27, 0},
                     TwelveHour(true, false),
                     "2025-3-8 PM 2.03.27"},
        DateTimeCase{"MarkerAfterLeadingZero",
                     {2025, 3, 8, 7, 3, 27, 0},
                     TwelveHour(false, true),
                     "2025-3-8 07.03.27 AM"},
        DateTimeCase{"TwoDigitYear",
                     {2000, 1, 2, 23, 59, 59, 0},
                     [] {
                         RegionalSettings r = BrazilianRegional();
                         r.shortDateFormat = "d/m/yy";
                         r.hourLeadingZero = false;
                         return r;
                     }(),
                     "2/1/00 23:59:59"},
        DateTimeCase{"QuotedLiteral",
                     {2025, 3, 8, 0, 0, 0, 0},
                     [] {
                         RegionalSettings r = BrazilianRegional();
                         r.shortDateFormat = "yyyy\"y\"mm'/'dd";
                         return r;
                     }(),
                     "2025y03/08"}),
    test::ByTitle);

TEST(DateTimeText, FallbackSettingsAreTheNoRegionValues) {
    const RegionalSettings fallback = FallbackRegionalSettings();
    EXPECT_EQ(fallback.shortDateFormat, "m/d/yy");
    EXPECT_EQ(fallback.dateSeparator, '/');
    EXPECT_EQ(fallback.timeSeparator, ':');
    EXPECT_EQ(fallback.amText, "am");
    EXPECT_EQ(fallback.pmText, "pm");
    EXPECT_TRUE(fallback.twelveHourClock);
    EXPECT_FALSE(fallback.hourLeadingZero);
    EXPECT_FALSE(fallback.amPmFirst);
}

TEST(SystemClock, GivesAPlausibleLocalTime) {
    const LocalDateTime now = SystemClock().Now();
    EXPECT_GE(now.year, 2024);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_GE(now.day, 1);
    EXPECT_LE(now.day, 31);
    EXPECT_LT(now.hour, 24);
    EXPECT_LT(now.minute, 60);
    EXPECT_LT(now.second, 61);
    EXPECT_LT(now.millisecond, 1000);
}

} // namespace
} // namespace mz

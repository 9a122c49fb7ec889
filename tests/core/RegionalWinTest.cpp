// Regional settings read from Windows' locale data (GetLocaleInfoEx).
#include "TestCases.h"
#include "mz/Text.h"
#include "mz/platform/Regional.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace mz::platform {
namespace {

using test::PrintTo;

struct LocaleCase {
    const char* title;
    const char* locale;
    std::string text; // 8 March 2025, 14:03:27
    std::string shortDateFormat;
    bool twelveHourClock;
    NumberSeparators numbers;
};

class NamedLocale : public testing::TestWithParam<LocaleCase> {};

TEST_P(NamedLocale, GivesItsPatterns) {
    const LocaleCase& c = GetParam();
    const RegionalSettings regional = LoadRegionalSettings(c.locale);
    EXPECT_EQ(regional.shortDateFormat, c.shortDateFormat);
    EXPECT_EQ(regional.twelveHourClock, c.twelveHourClock);
    EXPECT_EQ(regional.numbers, c.numbers);
    EXPECT_EQ(DateTimeText({2025, 3, 8, 14, 3, 27, 0}, regional), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NamedLocale,
    testing::Values(
        LocaleCase{"Brazil", "pt-BR", "08/03/2025 14:03:27", "dd/mm/yyyy", false, {'.', ','}},
        LocaleCase{"UnitedStates", "en-US", "3/8/2025 2:03:27 PM", "m/d/yyyy", true, {',', '.'}}),
    test::ByTitle);

TEST(LoadRegionalSettings, UnknownLocaleGivesTheFallback) {
    EXPECT_EQ(LoadRegionalSettings("xx-NOWHERE"), FallbackRegionalSettings());
}

TEST(LoadRegionalSettings, ReadsTheUsersLocale) {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    ASSERT_GT(::GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH), 0);
    const std::wstring wide = name;
    EXPECT_EQ(LoadRegionalSettings(), LoadRegionalSettings(std::string(wide.begin(), wide.end())));
}

} // namespace
} // namespace mz::platform

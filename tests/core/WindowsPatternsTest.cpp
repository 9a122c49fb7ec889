#include "TestCases.h"
#include "mz/platform/Regional.h"

#include <gtest/gtest.h>

namespace mz::platform {
namespace {

using test::PrintTo;

struct WindowsCase {
    const char* title;
    WindowsLocaleItems items;
    RegionalSettings expected;
};

RegionalSettings Settings(std::string format, char dateSep, char timeSep, bool leadingZero,
                          bool twelveHour, bool amPmFirst, std::string am, std::string pm,
                          NumberSeparators numbers) {
    return RegionalSettings{std::move(format), dateSep,       timeSep,
                            leadingZero,       twelveHour,    amPmFirst,
                            std::move(am),     std::move(pm), numbers};
}

class FromWindows : public testing::TestWithParam<WindowsCase> {};

TEST_P(FromWindows, DerivesTheSettings) {
    EXPECT_EQ(RegionalSettingsFromWindows(GetParam().items), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FromWindows,
    testing::Values(
        WindowsCase{"Brazil",
                    {"dd/MM/yyyy", "HH:mm:ss", "", "", ".", ","},
                    Settings("dd/mm/yyyy", '/', ':', true, false, false, "am", "pm", {'.', ','})},
        WindowsCase{"UnitedStates",
                    {"M/d/yyyy", "h:mm:ss tt", "AM", "PM", ",", "."},
                    Settings("m/d/yyyy", '/', ':', false, true, false, "AM", "PM", {',', '.'})},
        WindowsCase{"Germany",
                    {"dd.MM.yyyy", "HH:mm:ss", "", "", ".", ","},
                    Settings("dd/mm/yyyy", '.', ':', true, false, false, "am", "pm", {'.', ','})},
        WindowsCase{"MarkerFirst",
                    {"yyyy/M/d", "tt hh:mm:ss", "\xA4\x57\xA4\xC8", "\xA4\x55\xA4\xC8", ",", "."},
                    Settings("yyyy/m/d", '/', ':', true, true, true, "\xA4\x57\xA4\xC8",
                             "\xA4\x55\xA4\xC8", {',', '.'})},
        WindowsCase{"TwelveHourWithoutMarker",
                    {"yy-MM-dd", "h.mm.ss", "AM", "PM", "", "."},
                    Settings("yy/mm/dd", '-', '.', false, true, false, "", "", {'\0', '.'})},
        WindowsCase{
            "QuotedTextAndMonthNames",
            {"d 'de' MMMM", "H:mm:ss", "", "", "\xA0", ","},
            Settings("d \"d\"\"e\" mm", '/', ':', false, false, false, "am", "pm", {'\xA0', ','})},
        WindowsCase{
            "OtherSlashQuoted",
            {"dd-MM/yyyy", "HH:mm", "", "", ".", ","},
            Settings("dd/mm\"/\"yyyy", '-', ':', true, false, false, "am", "pm", {'.', ','})},
        WindowsCase{"LongSeparatorsKeepTheDefaults",
                    {"", "", "", "", "''", "::"},
                    Settings("m/d/yy", '/', ':', false, true, false, "am", "pm", {'\0', '.'})}),
    test::ByTitle);

TEST(FromWindows, EmptyItemsGiveTheFallback) {
    EXPECT_EQ(RegionalSettingsFromWindows({}), FallbackRegionalSettings());
}

} // namespace
} // namespace mz::platform

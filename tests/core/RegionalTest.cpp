#include "mz/platform/Regional.h"

#include "TestCases.h"
#include "TestFiles.h"
#include "mz/Services.h"

#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>

namespace mz::platform {
namespace {

// Failure messages show each case below by its title.
using test::PrintTo;

struct PosixCase {
    const char* title;
    std::string dFmt;
    std::string tFmt;
    std::string am;
    std::string pm;
    RegionalSettings expected;
};

RegionalSettings Settings(std::string format, char dateSep, char timeSep, bool leadingZero,
                          bool twelveHour, bool amPmFirst = false, std::string am = "am",
                          std::string pm = "pm") {
    return RegionalSettings{std::move(format), dateSep,       timeSep,
                            leadingZero,       twelveHour,    amPmFirst,
                            std::move(am),     std::move(pm), {}};
}

class FromPosix : public testing::TestWithParam<PosixCase> {};

TEST_P(FromPosix, DerivesTheSettings) {
    const PosixCase& c = GetParam();
    EXPECT_EQ(RegionalSettingsFromPosix(c.dFmt, c.tFmt, c.am, c.pm), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FromPosix,
    testing::Values(
        PosixCase{"Brazil", "%d/%m/%Y", "%H:%M:%S", "", "",
                  Settings("dd/mm/yyyy", '/', ':', true, false)},
        PosixCase{"BrazilWithT", "%d/%m/%Y", "%T", "", "",
                  Settings("dd/mm/yyyy", '/', ':', true, false)},
        PosixCase{"German", "%d.%m.%Y", "%T", "", "",
                  Settings("dd/mm/yyyy", '.', ':', true, false)},
        PosixCase{"UnitedStates", "%m/%d/%Y", "%r", "AM", "PM",
                  Settings("mm/dd/yyyy", '/', ':', true, true, false, "AM", "PM")},
        PosixCase{"IsoDate", "%F", "%R", "", "", Settings("yyyy/mm/dd", '-', ':', true, false)},
        PosixCase{"SlashDate", "%D", "%T", "", "", Settings("mm/dd/yy", '/', ':', true, false)},
        PosixCase{"NoPadding", "%-d.%-m.%Y", "%-H.%M.%S", "", "",
                  Settings("d/m/yyyy", '.', '.', false, false)},
        PosixCase{"SpacePaddedDay", "%e/%m/%y", "%k:%M:%S", "", "",
                  Settings("d/mm/yy", '/', ':', false, false)},
        PosixCase{"TwelveHourNoZero", "%Y-%m-%d", "%l:%M:%S %p", "AM", "PM",
                  Settings("yyyy/mm/dd", '-', ':', false, true, false, "AM", "PM")},
        PosixCase{"MarkerFirst", "%Y/%m/%d", "%p %I:%M:%S", "\xB0\xA1", "\xB0\xA2",
                  Settings("yyyy/mm/dd", '/', ':', true, true, true, "\xB0\xA1", "\xB0\xA2")},
        PosixCase{"LowerCaseMarker", "%m/%d/%y", "%I:%M:%S %P", "AM", "PM",
                  Settings("mm/dd/yy", '/', ':', true, true, false, "am", "pm")},
        PosixCase{"LettersQuoted", "%Y year %m-%d", "%H:%M", "", "",
                  Settings("yyyy \"y\"\"e\"\"a\"\"r\" mm/dd", '-', ':', true, false)},
        PosixCase{"OtherSlashQuoted", "%d-%m/%Y", "%H:%M", "", "",
                  Settings("dd/mm\"/\"yyyy", '-', ':', true, false)},
        PosixCase{"EmptyPatterns", "", "", "", "", FallbackRegionalSettings()}),
    test::ByTitle);

// Sets an environment variable for the life of the object, then puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(LoadRegionalSettings, CLocaleGivesTheFallback) {
    const ScopedEnv all("LC_ALL", "C");
    EXPECT_EQ(LoadRegionalSettings(), FallbackRegionalSettings());
}

TEST(LoadRegionalSettings, UnknownLocaleGivesTheFallback) {
    const ScopedEnv all("LC_ALL", "xx_NOWHERE.UTF-8");
    EXPECT_EQ(LoadRegionalSettings(), FallbackRegionalSettings());
}

TEST(LoadRegionalSettings, ReadsABrazilianLocale) {
    if (!std::filesystem::exists("/usr/share/i18n/locales/pt_BR")) {
        GTEST_SKIP() << "the pt_BR locale source is not installed";
    }
    const test::TempDir dir;
    const std::string target = dir.File("pt_BR.UTF-8");
    const std::string command = "localedef -i pt_BR -f UTF-8 '" + target + "' >/dev/null 2>&1";
    [[maybe_unused]] const int status = std::system(command.c_str()); // warnings exit non-zero
    ASSERT_TRUE(std::filesystem::exists(target / std::filesystem::path("LC_TIME")))
        << "localedef did not build the locale";
    const ScopedEnv path("LOCPATH", dir.Root().string());
    const ScopedEnv all("LC_ALL", "pt_BR.UTF-8");

    const std::string before = std::setlocale(LC_TIME, nullptr);
    const RegionalSettings regional = LoadRegionalSettings();
    EXPECT_EQ(std::setlocale(LC_TIME, nullptr), before); // the process locale is put back
    EXPECT_EQ(regional.shortDateFormat, "dd/mm/yyyy");
    EXPECT_EQ(regional.dateSeparator, '/');
    EXPECT_EQ(regional.timeSeparator, ':');
    EXPECT_TRUE(regional.hourLeadingZero);
    EXPECT_FALSE(regional.twelveHourClock);
    EXPECT_EQ(DateTimeText({2025, 3, 8, 14, 3, 27, 0}, regional), "08/03/2025 14:03:27");
    // Brazilian numbers group thousands with "." and take "," for decimals.
    EXPECT_EQ(regional.numbers, (NumberSeparators{.group = '.', .decimal = ','}));
    EXPECT_EQ(std::setlocale(LC_NUMERIC, nullptr), std::string("C"));
}

TEST(RegionalSettingsOwner, ReloadsInPlaceOnRefresh) {
    int loads = 0;
    RegionalSettingsOwner owner([&] {
        RegionalSettings settings;
        settings.dateSeparator = loads++ == 0 ? '/' : '-';
        return settings;
    });
    const RegionalSettings& seen = owner.Current(); // as Services holds it
    EXPECT_EQ(seen.dateSeparator, '/');
    owner.Refresh();
    EXPECT_EQ(seen.dateSeparator, '-');
    EXPECT_EQ(loads, 2);
}

} // namespace
} // namespace mz::platform

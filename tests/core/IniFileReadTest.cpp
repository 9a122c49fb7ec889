#include "TestCases.h"
#include "TestClock.h"
#include "TestFiles.h"
#include "mz/IniFile.h"

#include <gtest/gtest.h>

namespace mz {
namespace {

// Failure messages show each case below by its title.
using test::PrintTo;

struct ReadCase {
    const char* title;
    std::string content;
    std::string section;
    std::string key;
    std::string expected; // read with the default "<def>"
};

class IniReadString : public testing::TestWithParam<ReadCase> {
protected:
    test::TempDir dir;
};

TEST_P(IniReadString, ReadsTheValue) {
    const std::string path = dir.File("settings.ini");
    test::WriteBytes(path, GetParam().content);
    const TIniFile ini(path, mz::platform::SystemFileSystem(), mz::test::NoSleeper());
    EXPECT_EQ(ini.ReadString(GetParam().section, GetParam().key, "<def>"), GetParam().expected);
}

const std::string Long(3000, 'a');

INSTANTIATE_TEST_SUITE_P(
    Table, IniReadString,
    testing::Values(
        ReadCase{"Plain", "[ip]\r\nhost=server\r\n", "ip", "host", "server"},
        ReadCase{"CaseOfNames", "[IP]\r\nHost=server\r\n", "ip", "HOST", "server"},
        ReadCase{"BlanksAndTabs", "[ip]\r\n \thost \t= \t a b \t\r\n", "ip", "host", "a b"},
        ReadCase{"DoubleQuotes", "[s]\nk=\" a \"\n", "s", "k", " a "},
        ReadCase{"SingleQuotes", "[s]\nk='x'\n", "s", "k", "x"},
        ReadCase{"QuotesAfterTrim", "[s]\nk=  \"x\"  \n", "s", "k", "x"},
        ReadCase{"MismatchedQuotes", "[s]\nk=\"x'\n", "s", "k", "\"x'"},
        ReadCase{"QuoteInside", "[s]\nk=\"a\" b\n", "s", "k", "\"a\" b"},
        ReadCase{"OneQuoteOnly", "[s]\nk=\"\n", "s", "k", "\""},
        ReadCase{"OnlyOnePairRemoved", "[s]\nk=\"\"x\"\"\n", "s", "k", "\"x\""},
        ReadCase{"EmptyValue", "[s]\nk=\nother=1\n", "s", "k", ""},
        ReadCase{"EmptyQuotedValue", "[s]\nk=''\n", "s", "k", ""},
        ReadCase{"EqualsInValue", "[s]\nk=a=b\n", "s", "k", "a=b"},
        ReadCase{"MissingKey", "[s]\nk=1\n", "s", "x", "<def>"},
        ReadCase{"MissingSection", "[s]\nk=1\n", "t", "k", "<def>"},
        ReadCase{"KeyInAnotherSection", "[s]\n[t]\nk=1\n", "s", "k", "<def>"},
        ReadCase{"KeyBeforeAnySection", "k=1\n[s]\n", "s", "k", "<def>"},
        ReadCase{"LineWithoutEquals", "[s]\nk\n", "s", "k", "<def>"},
        ReadCase{"CommentLine", "[s]\n;k=1\nk=2\n", "s", "k", "2"},
        ReadCase{"FirstKeyWins", "[s]\nk=1\nK=2\n", "s", "k", "1"},
        ReadCase{"FirstSectionWins", "[s]\na=1\n[S]\nk=2\n", "s", "k", "<def>"},
        ReadCase{"IndentedSection", "  [s]  \r\nk=1\r\n", "s", "k", "1"},
        ReadCase{"BlanksInsideTheBrackets", "[ zelnor\t]\r\nk=1\r\n", "zelnor", "k", "1"},
        ReadCase{"BlanksAroundTheAskedNames", "[s]\r\nk=1\r\n", " s ", "\tk ", "1"},
        ReadCase{"ByteOrderMarkBeforeTheFirstSection", "\xEF\xBB\xBF[ip]\r\nlocal=db\r\n", "ip",
                 "local", "db"},
        ReadCase{"ByteOrderMarkOnlyAtTheStart", "[s]\r\n\xEF\xBB\xBFk=1\r\n", "s", "k", "<def>"},
        ReadCase{"CrLineEnds", "[a]\rk=1\r[s]\rk=2\r", "s", "k", "2"},
        ReadCase{"LastLineWithoutEnd", "[s]\r\nk=last", "s", "k", "last"},
        ReadCase{"Windows1252Value", "[s]\r\nk=n\xE3o\r\n", "s", "k", "n\xE3o"},
        ReadCase{"LongValueCut", "[s]\nk=" + Long + "\n", "s", "k", Long.substr(0, 2047)},
        ReadCase{"LongQuotedValueCut", "[s]\nk=\"" + Long + "\"\n", "s", "k", Long.substr(0, 2047)},
        ReadCase{"EmptyFile", "", "s", "k", "<def>"}),
    test::ByTitle);

TEST(IniRead, MissingFileReadsAsMissingKeys) {
    const test::TempDir dir;
    const TIniFile ini(dir.File("absent.ini"), mz::platform::SystemFileSystem(),
                       mz::test::NoSleeper());
    EXPECT_EQ(ini.ReadString("s", "k", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("s", "k", 5), 5);
    EXPECT_FALSE(std::filesystem::exists(dir.File("absent.ini")));
}

TEST(IniRead, ReadsTheFileAsItIsAtEachCall) {
    const test::TempDir dir;
    const std::string path = dir.File("settings.ini");
    const TIniFile ini(path, mz::platform::SystemFileSystem(), mz::test::NoSleeper());
    test::WriteBytes(path, "[s]\nk=1\n");
    EXPECT_EQ(ini.ReadString("s", "k", ""), "1");
    test::WriteBytes(path, "[s]\nk=2\n");
    EXPECT_EQ(ini.ReadString("s", "k", ""), "2");
}

struct IntegerCase {
    const char* value;
    std::int32_t expected; // read with the default -99
};

void PrintTo(const IntegerCase& c, std::ostream* out) {
    *out << '"' << c.value << '"';
}

class IniReadInteger : public testing::TestWithParam<IntegerCase> {
protected:
    test::TempDir dir;
};

TEST_P(IniReadInteger, ReadsTheValue) {
    const std::string path = dir.File("monitor.ini");
    test::WriteBytes(path, std::string("[MONITOR]\r\nintervalo=") + GetParam().value + "\r\n");
    EXPECT_EQ(TIniFile(path, mz::platform::SystemFileSystem(), mz::test::NoSleeper())
                  .ReadInteger("monitor", "INTERVALO", -99),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniReadInteger,
    testing::Values(IntegerCase{"10", 10}, IntegerCase{"  10  ", 10}, IntegerCase{"\"10\"", 10},
                    IntegerCase{"-5", -5}, IntegerCase{"+5", 5}, IntegerCase{"0x1A", 26},
                    IntegerCase{"0X1a", 26}, IntegerCase{"$1A", 26}, IntegerCase{"x1A", 26},
                    IntegerCase{"$FFFFFFFF", -1}, IntegerCase{"-$1", -1}, IntegerCase{"0x", -99},
                    IntegerCase{"$", -99}, IntegerCase{"$100000000", -99},
                    IntegerCase{"2147483647", 2147483647}, IntegerCase{"2147483648", -99},
                    IntegerCase{"-2147483648", -2147483647 - 1}, IntegerCase{"-2147483649", -99},
                    IntegerCase{"", -99}, IntegerCase{"1 0", -99}, IntegerCase{"ten", -99},
                    IntegerCase{"5.0", -99}, IntegerCase{"\" 7\"", 7}, IntegerCase{"\"7 \"", -99}));

} // namespace
} // namespace mz

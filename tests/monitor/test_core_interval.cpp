#include "TestClock.h"
#include "TestFiles.h"
#include "mz/Exception.h"
#include "mz/monitor/HandlerGuard.h"
#include "mz/monitor/IntervalRules.h"
#include "mz/platform/FileSystem.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace mz {
namespace {

struct ReadCase {
    const char* text;
    NumberSeparators separators;
    std::int32_t expected;
};

class IntervalRead : public testing::TestWithParam<ReadCase> {};

TEST_P(IntervalRead, ReadsTheTypedValueUnclamped) {
    EXPECT_EQ(ReadIntervalText(GetParam().text, GetParam().separators), GetParam().expected);
}

constexpr NumberSeparators NoGroup{'\0', '.'};
constexpr NumberSeparators Brazil{'.', ','};
constexpr NumberSeparators SameAsDecimal{'.', '.'};

INSTANTIATE_TEST_SUITE_P(
    Interval, IntervalRead,
    testing::Values(ReadCase{"5", NoGroup, 5}, ReadCase{"007", NoGroup, 7},
                    ReadCase{"0", NoGroup, 0}, ReadCase{"3", NoGroup, 3},
                    ReadCase{"45", NoGroup, 45}, ReadCase{"-7", NoGroup, -7},
                    ReadCase{"+8", NoGroup, 8}, ReadCase{"  12", NoGroup, 12},
                    ReadCase{"$1E", NoGroup, 30}, ReadCase{"0x0A", NoGroup, 10},
                    ReadCase{"", NoGroup, 5}, ReadCase{"abc", NoGroup, 5},
                    ReadCase{"-", NoGroup, 5}, ReadCase{"12 ", NoGroup, 5},
                    ReadCase{"2147483648", NoGroup, 5}, ReadCase{"1.000", NoGroup, 5},
                    ReadCase{"1.000", Brazil, 1000}, ReadCase{"1.0.", Brazil, 10},
                    ReadCase{"1,5", Brazil, 5}, ReadCase{"1.000", SameAsDecimal, 5}));

struct StepCase {
    const char* text;
    int steps;
    const char* expected;
};

class IntervalStep : public testing::TestWithParam<StepCase> {};

TEST_P(IntervalStep, ReadsAddsAndClampsEachStep) {
    EXPECT_EQ(StepIntervalText(GetParam().text, GetParam().steps, NoGroup), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Interval, IntervalStep,
                         testing::Values(StepCase{"5", 1, "6"}, StepCase{"30", 1, "30"},
                                         StepCase{"5", -1, "5"}, StepCase{"3", 1, "5"},
                                         StepCase{"45", -1, "30"}, StepCase{"abc", 1, "6"},
                                         StepCase{"10", 3, "13"}, StepCase{"10", -3, "7"},
                                         StepCase{"29", 5, "30"}, StepCase{"7", 0, "7"}));

struct SetCase {
    std::int32_t value;
    const char* expected;
};

class IntervalSet : public testing::TestWithParam<SetCase> {};

TEST_P(IntervalSet, ClampsToTheRangeAsPlainDecimal) {
    EXPECT_EQ(IntervalText(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Interval, IntervalSet,
                         testing::Values(SetCase{0, "5"}, SetCase{3, "5"}, SetCase{5, "5"},
                                         SetCase{17, "17"}, SetCase{30, "30"}, SetCase{45, "30"},
                                         SetCase{-7, "5"}, SetCase{2147483647, "30"},
                                         SetCase{-2147483647 - 1, "5"}));

struct MessageCase {
    const char* message;
    const char* expected;
};

class ErrorText : public testing::TestWithParam<MessageCase> {};

TEST_P(ErrorText, AppendsAFullStopAfterCharactersAboveIt) {
    EXPECT_EQ(ErrorMessageText(GetParam().message), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Interval, ErrorText,
                         testing::Values(MessageCase{"", ""}, MessageCase{"Falha", "Falha."},
                                         MessageCase{"Intervalo maximo de 30 minutos.",
                                                     "Intervalo maximo de 30 minutos."},
                                         MessageCase{"Erro!", "Erro!"}, MessageCase{"(x)", "(x)"},
                                         MessageCase{"x ", "x "}, MessageCase{"x-", "x-"},
                                         MessageCase{"x,", "x,"}, MessageCase{"a/b", "a/b."},
                                         MessageCase{"I/O error 103", "I/O error 103."},
                                         MessageCase{"n\xE3o", "n\xE3o."},
                                         MessageCase{"x\x7F", "x\x7F."}));

using test::ReadBytes;
using test::WriteBytes;

TEST(IntervalFile, CreatesTheDefaultOnlyWhenMissing) {
    const test::TempDir dir;
    const IntervalFile file(dir.Path(), platform::SystemFileSystem(), test::NoSleeper());
    EXPECT_EQ(file.Path(), dir.Path() + "monitor_zelnor.ini");
    file.CreateIfMissing();
    EXPECT_EQ(ReadBytes(file.Path()), "[MONITOR]\r\nintervalo=5\r\n");
    EXPECT_EQ(file.Read(0), 5);

    WriteBytes(file.Path(), "[MONITOR]\r\nintervalo=abc\r\n");
    file.CreateIfMissing();
    EXPECT_EQ(ReadBytes(file.Path()), "[MONITOR]\r\nintervalo=abc\r\n");
    EXPECT_EQ(file.Read(0), 0);
}

TEST(IntervalFile, ReadingAMissingFileGivesTheDefaultAndCreatesNothing) {
    const test::TempDir dir;
    const IntervalFile file(dir.Path(), platform::SystemFileSystem(), test::NoSleeper());
    EXPECT_EQ(file.Read(0), 0);
    EXPECT_FALSE(std::filesystem::exists(file.Path()));
}

TEST(IntervalFile, WritesTheTextAsGiven) {
    const test::TempDir dir;
    const IntervalFile file(dir.Path(), platform::SystemFileSystem(), test::NoSleeper());
    file.Write("007");
    EXPECT_EQ(ReadBytes(file.Path()), "[MONITOR]\r\nintervalo=007\r\n");
    file.Write("");
    EXPECT_EQ(ReadBytes(file.Path()), "[MONITOR]\r\nintervalo=\r\n");
}

TEST(IntervalFile, AFailedWriteNamesThePath) {
    const test::TempDir dir;
    const test::ReadOnlyFiles files;
    const IntervalFile file(dir.Path(), files, test::NoSleeper());
    try {
        file.CreateIfMissing();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + file.Path());
    }
    EXPECT_FALSE(std::filesystem::exists(file.Path()));
}

} // namespace
} // namespace mz

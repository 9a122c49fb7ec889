#include "mz/Exception.h"
#include "mz/monitor/MonitorCycle.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace mz {
namespace {

// The rest of the program as the cycle sees it, recording what the cycle asks of it.
struct CycleBench {
    std::int32_t interval = 5;
    bool active = false;
    int tick = 0;
    std::vector<int> testTicks;
    std::vector<std::string> logLines;
    std::vector<std::string> reports;
    std::function<bool()> testBody = [] { return true; };
    std::function<void()> duringReport = [] {};
    std::string logError; // when set, writing the log fails with it

    HandlerGuard guard{[this](const std::string& message) {
        reports.push_back(message);
        duringReport();
    }};
    MonitorCycle cycle{MonitorCycleHooks{
                           .readInterval = [this] { return interval; },
                           .isWindowActive = [this] { return active; },
                           .writeLog =
                               [this](std::string_view line) {
                                   if (!logError.empty()) {
                                       throw Exception(logError);
                                   }
                                   logLines.emplace_back(line);
                               },
                       },
                       guard};

    CycleBench() { AttachTest(); }

    void AttachTest() {
        cycle.AttachTest([this] {
            testTicks.push_back(tick);
            return testBody();
        });
    }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i) {
            ++tick;
            cycle.Tick();
        }
    }
};

struct TickCase {
    const char* name;
    std::int32_t interval;
    int ticks;
    int changeAtTick; // 0: no change
    std::int32_t changedInterval;
    int activeAtTick; // 0: never active
    std::vector<int> expectedTestTicks;
};

class CycleTicks : public testing::TestWithParam<TickCase> {};

TEST_P(CycleTicks, RunsTestsWhenDue) {
    const TickCase& c = GetParam();
    CycleBench bench;
    bench.interval = c.interval;
    for (int t = 1; t <= c.ticks; ++t) {
        if (t == c.changeAtTick) {
            bench.interval = c.changedInterval;
        }
        bench.active = (t == c.activeAtTick);
        bench.Ticks(1);
    }
    EXPECT_EQ(bench.testTicks, c.expectedTestTicks);
    EXPECT_TRUE(bench.logLines.empty());
    EXPECT_TRUE(bench.reports.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cycle, CycleTicks,
    testing::Values(TickCase{"EveryFifthTick", 5, 16, 0, 0, 0, {5, 10, 15}},
                    TickCase{"ThirtyMinutes", 30, 61, 0, 0, 0, {30, 60}},
                    TickCase{"TypedZeroEveryTick", 0, 3, 0, 0, 0, {1, 2, 3}},
                    TickCase{"TypedNegativeEveryTick", -2, 3, 0, 0, 0, {1, 2, 3}},
                    TickCase{"TypedOneEveryTick", 1, 3, 0, 0, 0, {1, 2, 3}},
                    TickCase{"LoweredBelowCountRunsAtNextTick", 10, 13, 8, 5, 0, {8, 13}},
                    TickCase{"RaisedAfterCountingWaitsLonger", 5, 12, 3, 7, 0, {7}},
                    TickCase{"ActiveWindowSkipsAndRestartsCount", 5, 15, 0, 0, 5, {10, 15}},
                    TickCase{"ActiveBeforeDueDoesNothing", 5, 10, 0, 0, 4, {5, 10}}),
    [](const testing::TestParamInfo<TickCase>& info) { return std::string(info.param.name); });

struct OutcomeCase {
    const char* name;
    std::function<bool()> testBody;
    std::string logError;
    std::vector<std::string> expectedLogLines;
    std::vector<std::string> expectedReports;
};

class CycleOutcomes : public testing::TestWithParam<OutcomeCase> {};

TEST_P(CycleOutcomes, LogsAndReportsOnce) {
    const OutcomeCase& c = GetParam();
    CycleBench bench;
    bench.testBody = c.testBody;
    bench.logError = c.logError;
    bench.Ticks(5);
    EXPECT_EQ(bench.testTicks, std::vector<int>{5});
    EXPECT_EQ(bench.logLines, c.expectedLogLines);
    EXPECT_EQ(bench.reports, c.expectedReports);
    EXPECT_EQ(bench.cycle.MinuteCounter(), 0);
    EXPECT_FALSE(bench.guard.ReportOpen());
    // The cycle carries on: the next test comes due a whole interval later.
    bench.Ticks(5);
    EXPECT_EQ(bench.testTicks, (std::vector<int>{5, 10}));
}

INSTANTIATE_TEST_SUITE_P(
    Cycle, CycleOutcomes,
    testing::Values(
        OutcomeCase{"GoodReply", [] { return true; }, "", {}, {}},
        OutcomeCase{"NoReplyLogsOneLine",
                    [] { return false; },
                    "",
                    {"Falha ao obter a resposta do zelnor"},
                    {}},
        OutcomeCase{"TestErrorReportedNotLogged",
                    []() -> bool { throw Exception("Filial n\xE3o identificada."); },
                    "",
                    {},
                    {"Filial n\xE3o identificada."}},
        OutcomeCase{"ForeignExceptionReported",
                    []() -> bool { throw std::runtime_error("Lost connection"); },
                    "",
                    {},
                    {"Lost connection"}},
        OutcomeCase{
            "LogFailureReported", [] { return false; }, "I/O error 103", {}, {"I/O error 103"}}),
    [](const testing::TestParamInfo<OutcomeCase>& info) { return std::string(info.param.name); });

TEST(Cycle, HoldsTestsUntilOneIsAttached) {
    CycleBench bench;
    bench.cycle.DetachTest();
    bench.Ticks(10);
    EXPECT_TRUE(bench.testTicks.empty());
    EXPECT_EQ(bench.cycle.MinuteCounter(), 0);
    bench.AttachTest();
    bench.Ticks(5);
    EXPECT_EQ(bench.testTicks, std::vector<int>{15});
}

TEST(Cycle, TicksDuringAnErrorReportAreCountedButRunNoTest) {
    CycleBench bench;
    bench.interval = 1;
    bench.testBody = []() -> bool { throw Exception("Can't connect to MySQL server"); };
    int nestedTicks = 0;
    bench.duringReport = [&] {
        // Ticks that the message box's own loop delivers while it waits for OK.
        for (; nestedTicks < 4; ++nestedTicks) {
            bench.Ticks(1);
        }
    };
    bench.Ticks(1);
    EXPECT_EQ(bench.testTicks, std::vector<int>{1});
    EXPECT_EQ(bench.reports.size(), 1u);
    EXPECT_EQ(nestedTicks, 4);
    // Once the report is closed, tests run again at the next due tick.
    bench.duringReport = [] {};
    bench.Ticks(1);
    EXPECT_EQ(bench.testTicks, (std::vector<int>{1, 6}));
    EXPECT_EQ(bench.reports.size(), 2u);
}

TEST(Cycle, TicksDuringATestRunNoNestedTest) {
    CycleBench bench;
    bench.interval = 1;
    int nestedTicks = 0;
    bench.testBody = [&] {
        // Ticks delivered while the test waits for its reply.
        for (; nestedTicks < 3; ++nestedTicks) {
            bench.Ticks(1);
        }
        return true;
    };
    bench.Ticks(1);
    EXPECT_EQ(bench.testTicks, std::vector<int>{1});
    EXPECT_EQ(nestedTicks, 3);
    bench.testBody = [] { return true; };
    bench.Ticks(1);
    EXPECT_EQ(bench.testTicks, (std::vector<int>{1, 5}));
}

TEST(HandlerGuard, ReportsEachFailureOnceAndSurvivesAFailingReporter) {
    std::vector<std::string> reports;
    bool openDuringReport = false;
    HandlerGuard* self = nullptr;
    HandlerGuard guard([&](const std::string& message) {
        reports.push_back(message);
        openDuringReport = self->ReportOpen();
        throw std::runtime_error("reporter broke");
    });
    self = &guard;
    bool ran = false;
    guard.Run([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(reports.empty());
    guard.Run([] { throw Exception("Unable to write to /x/monitor_zelnor.ini"); });
    guard.Run([] { throw 42; });
    EXPECT_EQ(reports, (std::vector<std::string>{"Unable to write to /x/monitor_zelnor.ini",
                                                 "Unknown error"}));
    EXPECT_TRUE(openDuringReport);
    EXPECT_FALSE(guard.ReportOpen());
}

} // namespace
} // namespace mz

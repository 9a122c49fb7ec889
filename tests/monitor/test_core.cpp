// The minute cycle of the monitor core: when tests run, what is logged, what is shown.
#include "TestCases.h"
#include "core_bench.h"
#include "mz/Exception.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <utility>

namespace mz::test {
namespace {

struct TickCase {
    const char* title;
    std::string interval;
    int ticks;
    int changeAtTick; // 0: no change
    std::string changedInterval;
    int activeAtTick; // 0: never active
    std::vector<int> expectedTestTicks;
};
using test::PrintTo;

class CoreTicks : public testing::TestWithParam<TickCase> {};

TEST_P(CoreTicks, RunsTestsWhenDue) {
    const TickCase& c = GetParam();
    CoreBench bench;
    bench.view.interval = c.interval;
    for (int t = 1; t <= c.ticks; ++t) {
        if (t == c.changeAtTick) {
            bench.view.interval = c.changedInterval;
        }
        bench.view.active = (t == c.activeAtTick);
        bench.Ticks(1);
    }
    EXPECT_EQ(bench.testTicks, c.expectedTestTicks);
    EXPECT_TRUE(bench.LogLines().empty());
    EXPECT_TRUE(bench.view.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Core, CoreTicks,
    testing::Values(TickCase{"EveryFifthTick", "5", 16, 0, "", 0, {5, 10, 15}},
                    TickCase{"ThirtyMinutes", "30", 61, 0, "", 0, {30, 60}},
                    TickCase{"TypedZeroEveryTick", "0", 3, 0, "", 0, {1, 2, 3}},
                    TickCase{"TypedNegativeEveryTick", "-2", 3, 0, "", 0, {1, 2, 3}},
                    TickCase{"TypedOneEveryTick", "1", 3, 0, "", 0, {1, 2, 3}},
                    TickCase{"NoNumberReadsAsFive", "abc", 10, 0, "", 0, {5, 10}},
                    TickCase{"LoweredBelowCountRunsAtNextTick", "10", 13, 8, "5", 0, {8, 13}},
                    TickCase{"RaisedAfterCountingWaitsLonger", "5", 12, 3, "7", 0, {7}},
                    TickCase{"ActiveWindowSkipsAndRestartsCount", "5", 15, 0, "", 5, {10, 15}},
                    TickCase{"ActiveBeforeDueDoesNothing", "5", 10, 0, "", 4, {5, 10}}),
    ByTitle);

struct OutcomeCase {
    const char* title;
    std::function<ActivityOutcome()> testBody;
    bool logFails;
    std::vector<std::string> expectedLogLines;
    std::vector<std::string> expectedErrors;
    std::string expectedStatus;
};

class CoreOutcomes : public testing::TestWithParam<OutcomeCase> {};

TEST_P(CoreOutcomes, LogsOrReportsOnce) {
    const OutcomeCase& c = GetParam();
    CoreBench bench;
    bench.testBody = c.testBody;
    bench.files.failLog = c.logFails;
    bench.Ticks(5);
    EXPECT_EQ(bench.testTicks, std::vector<int>{5});
    EXPECT_EQ(bench.LogLines(), c.expectedLogLines);
    EXPECT_EQ(bench.view.errors, c.expectedErrors);
    EXPECT_EQ(bench.view.status, c.expectedStatus);
    EXPECT_EQ(bench.core.MinuteCounter(), 0);
    EXPECT_FALSE(bench.core.ReportOpen());
    // The cycle carries on: the next test comes due a whole interval later.
    bench.Ticks(5);
    EXPECT_EQ(bench.testTicks, (std::vector<int>{5, 10}));
}

ActivityOutcome Outcome(ActivityOutcome::Kind kind) {
    return {kind, {2025, 3, 8, 14, 3, 27, 0}};
}

INSTANTIATE_TEST_SUITE_P(
    Core, CoreOutcomes,
    testing::Values(
        OutcomeCase{"GoodReplyShowsItsMoment",
                    [] { return Outcome(ActivityOutcome::Kind::Good); },
                    false,
                    {},
                    {},
                    "Ultimo arquivo de resposta: 08/03/2025 14:03:27"},
        OutcomeCase{"GoodReplyAtMidnightShowsTheDate",
                    [] {
                        return ActivityOutcome{ActivityOutcome::Kind::Good, {2025, 12, 31}};
                    },
                    false,
                    {},
                    {},
                    "Ultimo arquivo de resposta: 31/12/2025"},
        OutcomeCase{"NoReplyLogsOneLine",
                    [] { return Outcome(ActivityOutcome::Kind::NoReply); },
                    false,
                    {"Falha ao obter a resposta do zelnor"},
                    {},
                    ""},
        OutcomeCase{"BadReplyLogsOneLine",
                    [] { return Outcome(ActivityOutcome::Kind::BadReply); },
                    false,
                    {"Falha ao obter a resposta do zelnor"},
                    {},
                    ""},
        OutcomeCase{"TestErrorShownNotLogged",
                    []() -> ActivityOutcome { throw Exception("Filial n\xE3o identificada."); },
                    false,
                    {},
                    {"Filial n\xE3o identificada."},
                    ""},
        OutcomeCase{"ForeignExceptionShownWithAFullStop",
                    []() -> ActivityOutcome { throw std::runtime_error("Lost connection"); },
                    false,
                    {},
                    {"Lost connection."},
                    ""},
        OutcomeCase{"LogFailureShown",
                    [] { return Outcome(ActivityOutcome::Kind::NoReply); },
                    true,
                    {},
                    {"I/O error 103."},
                    ""}),
    ByTitle);

TEST(Core, HoldsTestsUntilTheDataModuleIsAttached) {
    CoreBench bench;
    bench.core.DetachDataModule();
    bench.Ticks(10);
    EXPECT_TRUE(bench.testTicks.empty());
    EXPECT_EQ(bench.core.MinuteCounter(), 0);
    bench.Attach();
    bench.Ticks(5);
    EXPECT_EQ(bench.testTicks, std::vector<int>{15});
}

TEST(Core, TestsGoOnWhileAnErrorBoxIsOpenAndLogWhatWouldOpenAnother) {
    CoreBench bench;
    bench.view.interval = "1";
    bench.testBody = []() -> ActivityOutcome {
        throw Exception("Can't connect to MySQL server on '127.0.0.1'");
    };
    int nestedTicks = 0;
    bench.view.duringError = [&] {
        // Ticks that the message box's own loop delivers while it waits for OK.
        for (; nestedTicks < 4; ++nestedTicks) {
            bench.Ticks(1);
        }
    };
    bench.Ticks(1);
    EXPECT_EQ(bench.testTicks, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(bench.view.errors.size(), 1u) << "one box at a time";
    EXPECT_EQ(bench.view.mostOpenErrors, 1);
    EXPECT_EQ(bench.LogLines(),
              std::vector<std::string>(4, "Can't connect to MySQL server on '127.0.0.1'"));
    // Once the box is closed, the next failure opens one again.
    bench.view.duringError = [] {};
    bench.Ticks(1);
    EXPECT_EQ(bench.view.errors.size(), 2u);
}

TEST(Core, TicksDuringATestRunNoNestedTest) {
    CoreBench bench;
    bench.view.interval = "1";
    int nestedTicks = 0;
    bench.testBody = [&] {
        // Ticks delivered while the test waits for its reply.
        for (; nestedTicks < 3; ++nestedTicks) {
            bench.Ticks(1);
        }
        return Outcome(ActivityOutcome::Kind::Good);
    };
    bench.Ticks(1);
    EXPECT_EQ(bench.testTicks, std::vector<int>{1});
    EXPECT_EQ(nestedTicks, 3);
    bench.testBody = [] { return Outcome(ActivityOutcome::Kind::Good); };
    bench.Ticks(1);
    EXPECT_EQ(bench.testTicks, (std::vector<int>{1, 5}));
}

TEST(Core, TheBoxOfAFailingTickOpensOnceTheTickHasReturned) {
    CoreBench bench;
    bench.view.interval = "1";
    bench.testBody = []() -> ActivityOutcome { throw Exception("I/O error 103"); };
    bench.core.Tick();
    EXPECT_TRUE(bench.view.errors.empty()) << "no box inside the timer's handler";
    EXPECT_TRUE(bench.core.ReportOpen());
    // A second failure before the first box has come up goes to the log.
    bench.core.Tick();
    EXPECT_EQ(bench.LogLines(), std::vector<std::string>{"I/O error 103."});
    bench.view.RunPosted();
    EXPECT_EQ(bench.view.errors, std::vector<std::string>{"I/O error 103."});
    EXPECT_FALSE(bench.core.ReportOpen());
}

TEST(Core, FirstShowingConnectsTheDataModuleOnceAndShowsItsFailure) {
    CoreBench bench;
    bench.core.Window().Start(false);
    bench.view.RunPosted();
    EXPECT_EQ(bench.dm.connects, 1);
    bench.core.Window().Activated();
    bench.core.Window().TrayDoubleClick();
    EXPECT_EQ(bench.dm.connects, 1);

    CoreBench failing;
    failing.dm.failure = "Can't connect to MySQL server";
    failing.core.Window().Start(false);
    EXPECT_TRUE(failing.view.errors.empty());
    failing.view.RunPosted();
    EXPECT_EQ(failing.view.errors, std::vector<std::string>{"Can't connect to MySQL server."});
}

TEST(HandlerGuard, ReportsOneFailureAtATimeAfterItsHandlerAndSurvivesAFailingReporter) {
    std::vector<std::string> reports;
    std::vector<std::string> overflow;
    std::vector<std::function<void()>> posted;
    HandlerGuard* self = nullptr;
    bool openDuringReport = false;
    HandlerGuard guard(
        [&](const std::string& text) {
            reports.push_back(text);
            openDuringReport = self->ReportOpen();
            self->Run([] { throw Exception("second"); });
            throw std::runtime_error("reporter broke");
        },
        [&](const std::string& text) { overflow.push_back(text); },
        [&](std::function<void()> later) { posted.push_back(std::move(later)); });
    self = &guard;
    const auto runPosted = [&] {
        for (auto& later : std::exchange(posted, {})) {
            later();
        }
    };
    bool ran = false;
    guard.Run([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(posted.empty());
    guard.Run([] { throw Exception("Unable to write to /x/monitor_zelnor.ini"); });
    EXPECT_TRUE(reports.empty());
    EXPECT_TRUE(guard.ReportOpen());
    runPosted();
    guard.Run([] { throw 42; });
    runPosted();
    EXPECT_EQ(reports, (std::vector<std::string>{"Unable to write to /x/monitor_zelnor.ini.",
                                                 "Unknown error."}));
    EXPECT_EQ(overflow, (std::vector<std::string>{"second.", "second."}));
    EXPECT_TRUE(openDuringReport);
    EXPECT_FALSE(guard.ReportOpen());
}

TEST(HandlerGuard, AFailedPostLeavesNothingPending) {
    int posts = 0;
    HandlerGuard guard([](const std::string&) {}, [](const std::string&) {},
                       [&](const std::function<void()>&) {
                           ++posts;
                           throw std::runtime_error("queue full");
                       });
    guard.Run([] { throw Exception("first"); });
    EXPECT_FALSE(guard.ReportOpen());
    guard.Run([] { throw Exception("second"); });
    EXPECT_EQ(posts, 2);
}

} // namespace
} // namespace mz::test

// The monitor core keeps the metrics file: at start, after each test, while an error box is open
// and at a clean end; a folder it cannot write to never stops the cycle.
#include "core_bench.h"
#include "mz/Exception.h"
#include "mz/IniFile.h"

#include <gtest/gtest.h>

namespace mz::test {
namespace {

using namespace std::chrono_literals;

class CoreMetrics : public testing::Test {
protected:
    CoreMetrics() {
        TIniFile(bench->dir.Path() + "monitor_zelnor.ini", bench->files, bench->sleeper)
            .WriteString("MONITOR", "prometheus", folder.Path());
    }
    std::string Prom() const {
        return TryReadBytes(folder.Root() / "monitor_zelnor.prom").value_or("");
    }
    bool Shows(const std::string& line) const {
        return Prom().find(line + "\n") != std::string::npos;
    }

    TempDir folder;
    std::unique_ptr<CoreBench> bench = std::make_unique<CoreBench>();
};

TEST_F(CoreMetrics, WritesAtStartAndAfterEachTest) {
    bench->core.Window().Created();
    EXPECT_TRUE(Shows("monitor_zelnor_up 1"));
    EXPECT_TRUE(Shows("monitor_zelnor_interval_seconds 300"));
    EXPECT_FALSE(Shows("monitor_zelnor_tests_total{outcome=\"good\"} 1"));

    bench->testBody = [this] {
        bench->clock.steady += 2345ms;
        return ActivityOutcome{ActivityOutcome::Kind::Good, {2025, 3, 8, 14, 3, 27, 0}};
    };
    bench->Ticks(5);
    EXPECT_TRUE(Shows("monitor_zelnor_tests_total{outcome=\"good\"} 1"));
    EXPECT_TRUE(Shows("monitor_zelnor_last_success_timestamp_seconds 1741453407.000"));
    EXPECT_TRUE(Shows("monitor_zelnor_last_test_duration_seconds 2.345"));

    bench->testBody = [] { return ActivityOutcome{ActivityOutcome::Kind::NoReply, {}}; };
    bench->Ticks(5);
    EXPECT_TRUE(Shows("monitor_zelnor_tests_total{outcome=\"no_reply\"} 1"));
    EXPECT_EQ(bench->LogLines(), std::vector<std::string>{"Falha ao obter a resposta do zelnor"});
}

TEST_F(CoreMetrics, ShowsTheErrorBoxWhileItIsOpen) {
    std::string whileOpen;
    bench->view.duringError = [&] { whileOpen = Prom(); };
    bench->testBody = []() -> ActivityOutcome { throw Exception("Filial n\xE3o identificada."); };
    bench->Ticks(5);
    EXPECT_NE(whileOpen.find("monitor_zelnor_error_box_open 1\n"), std::string::npos);
    EXPECT_NE(whileOpen.find("monitor_zelnor_tests_total{outcome=\"error\"} 1\n"),
              std::string::npos);
    EXPECT_TRUE(Shows("monitor_zelnor_error_box_open 0"));
    EXPECT_EQ(bench->view.errors, std::vector<std::string>{"Filial n\xE3o identificada."});
}

TEST_F(CoreMetrics, WritesDownAtACleanEnd) {
    bench->core.Window().Created();
    bench.reset();
    EXPECT_TRUE(Shows("monitor_zelnor_up 0"));
}

TEST_F(CoreMetrics, FolderThatCannotBeWrittenCostsOneLogLineAndNoBox) {
    TIniFile(bench->dir.Path() + "monitor_zelnor.ini", bench->files, bench->sleeper)
        .WriteString("MONITOR", "prometheus", folder.Path() + "missing");
    bench->core.Window().Created();
    bench->testBody = [] { return ActivityOutcome{ActivityOutcome::Kind::NoReply, {}}; };
    bench->Ticks(10);
    EXPECT_EQ(bench->testTicks, (std::vector<int>{5, 10}));
    EXPECT_TRUE(bench->view.errors.empty());
    const auto lines = bench->LogLines();
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_TRUE(lines[0].starts_with(MetricsFailureLogMessage)) << lines[0];
    EXPECT_EQ(lines[1], "Falha ao obter a resposta do zelnor");
    EXPECT_EQ(lines[2], "Falha ao obter a resposta do zelnor");
}

} // namespace
} // namespace mz::test

// The file for Prometheus' textfile collectors: its text, when it is written, and what a folder
// that cannot be written costs.
#include "TestCases.h"
#include "TestClock.h"
#include "TestFiles.h"
#include "TestRegional.h"
#include "mz/IniFile.h"
#include "mz/monitor/MetricsFile.h"

#include <gtest/gtest.h>

namespace mz::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string FullText =
    R"(# HELP monitor_zelnor_info The monitor's version and the branch code it tests.
# TYPE monitor_zelnor_info gauge
monitor_zelnor_info{version="2.3.0.4",branch="26"} 1
# HELP monitor_zelnor_up 1 while the monitor runs, 0 after a clean end.
# TYPE monitor_zelnor_up gauge
monitor_zelnor_up 1
# HELP monitor_zelnor_interval_seconds The interval between activity tests.
# TYPE monitor_zelnor_interval_seconds gauge
monitor_zelnor_interval_seconds 600
# HELP monitor_zelnor_tests_total Activity tests since the monitor started, by outcome.
# TYPE monitor_zelnor_tests_total counter
monitor_zelnor_tests_total{outcome="good"} 3
monitor_zelnor_tests_total{outcome="no_reply"} 2
monitor_zelnor_tests_total{outcome="bad_reply"} 1
monitor_zelnor_tests_total{outcome="error"} 4
# HELP monitor_zelnor_last_test_timestamp_seconds When the last activity test ended, in Unix time.
# TYPE monitor_zelnor_last_test_timestamp_seconds gauge
monitor_zelnor_last_test_timestamp_seconds 1741453407.005
# HELP monitor_zelnor_last_success_timestamp_seconds When the last good activity test ended, in Unix time.
# TYPE monitor_zelnor_last_success_timestamp_seconds gauge
monitor_zelnor_last_success_timestamp_seconds 1741453107.250
# HELP monitor_zelnor_last_test_duration_seconds How long the last activity test took.
# TYPE monitor_zelnor_last_test_duration_seconds gauge
monitor_zelnor_last_test_duration_seconds 6.042
# HELP monitor_zelnor_error_box_open 1 while an error box waits for OK.
# TYPE monitor_zelnor_error_box_open gauge
monitor_zelnor_error_box_open 1
)";

TEST(MetricsText, GivesEveryMetricWithHelpAndType) {
    MonitorMetrics m;
    m.version = "2.3.0.4";
    m.branch = 26;
    m.intervalSeconds = 600;
    m.tests = {3, 2, 1, 4};
    m.lastTestMs = 1741453407005;
    m.lastSuccessMs = 1741453107250;
    m.lastTestDurationMs = 6042;
    m.errorBoxOpen = true;
    EXPECT_EQ(MetricsText(m), FullText);
}

TEST(MetricsText, LeavesOutTimesNotYetKnownAndEndsLinesWithLfOnly) {
    MonitorMetrics m;
    m.version = "2.3.0.4";
    m.up = false;
    const std::string text = MetricsText(m);
    EXPECT_NE(text.find("\nmonitor_zelnor_up 0\n"), std::string::npos);
    EXPECT_NE(text.find("monitor_zelnor_tests_total{outcome=\"error\"} 0\n"), std::string::npos);
    EXPECT_EQ(text.find("timestamp"), std::string::npos);
    EXPECT_EQ(text.find("duration"), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.back(), '\n');
}

// The real file system; the metrics folder's files can be made to fail at one step.
class MetricsFiles : public platform::FileSystem {
public:
    enum class Fail { Nothing, Open, Write, Replace };

    platform::File Open(const std::string& path, platform::OpenMode mode) const override {
        if (fail == Fail::Open && path.ends_with(".prom.tmp")) {
            throw platform::SystemError({5, "Permission denied"});
        }
        return FileSystem::Open(path, mode);
    }
    std::size_t WriteSome(platform::File::Handle handle, const char* data,
                          std::size_t size) const override {
        if (fail == Fail::Write && std::string_view(data, size).starts_with("# HELP")) {
            throw platform::SystemError({112, "No space left on device"});
        }
        return FileSystem::WriteSome(handle, data, size);
    }
    void ReplaceFileAtomically(const std::string& from, const std::string& to) const override {
        if (fail == Fail::Replace) {
            throw platform::SystemError({5, "Permission denied"});
        }
        FileSystem::ReplaceFileAtomically(from, to);
    }
    Fail fail = Fail::Nothing;
};

// A program directory that is also the working directory (the month log's place), with a
// folder for the metrics beside.
class MetricsBench : public testing::Test {
protected:
    void SetKey(const std::string& value) const {
        TIniFile(dir.Path() + "monitor_zelnor.ini", files, sleeper)
            .WriteString("MONITOR", "prometheus", value);
    }
    fs::path PromPath() const { return folder.Root() / "monitor_zelnor.prom"; }
    std::optional<std::string> Prom() const { return TryReadBytes(PromPath()); }
    std::vector<std::string> LogLines() const {
        return MonthLogMessages(dir.Root(), clock.now.month);
    }
    std::vector<fs::path> FolderEntries() const {
        std::vector<fs::path> names;
        for (const auto& entry : fs::directory_iterator(folder.Root())) {
            names.push_back(entry.path().filename());
        }
        return names;
    }

    TempDir dir;
    TempDir folder;
    WorkingDirectory cwd{dir.Root()};
    FixedClock clock;
    InstantSleeper sleeper;
    MetricsFiles files;
    RegionalSettings regional = BrazilianRegional();
    Services services{files, clock, sleeper, regional};
    MetricsFile metrics{dir.Path(), "2.3.0.4", services};
};

TEST_F(MetricsBench, WritesNothingWithoutTheKey) {
    dir.WriteFile("monitor_zelnor.ini", "[MONITOR]\r\nintervalo=5\r\n");
    metrics.Started();
    SetKey("");
    { MetricsFile::RunningTest(metrics).Done(ActivityOutcome::Kind::Good); }
    metrics.Ended();
    EXPECT_TRUE(FolderEntries().empty());
    EXPECT_TRUE(LogLines().empty());
    EXPECT_EQ(ReadBytes(dir.Root() / "monitor_zelnor.ini"),
              "[MONITOR]\r\nintervalo=5\r\nprometheus=\r\n");
}

struct KeyCase {
    const char* title;
    bool trailingSeparator;
};
using test::PrintTo;

class MetricsKey : public MetricsBench, public testing::WithParamInterface<KeyCase> {};

TEST_P(MetricsKey, WritesTheStateAtStartWithTheSettingsOfTheMoment) {
    dir.WriteFile("monitor_zelnor.ini", "[MONITOR]\r\nintervalo=45\r\n");
    dir.WriteFile("sistema_tervo.ini", "[FilialMatriz]\r\nCodLogica=0x1A\r\n");
    SetKey(GetParam().trailingSeparator ? folder.Path() : folder.Root().string());
    metrics.Started();
    const std::string text = Prom().value_or("");
    EXPECT_NE(text.find("monitor_zelnor_info{version=\"2.3.0.4\",branch=\"26\"} 1\n"),
              std::string::npos);
    EXPECT_NE(text.find("monitor_zelnor_up 1\n"), std::string::npos);
    EXPECT_NE(text.find("monitor_zelnor_interval_seconds 1800\n"), std::string::npos);
    EXPECT_EQ(FolderEntries(), std::vector<fs::path>{"monitor_zelnor.prom"});
    EXPECT_TRUE(LogLines().empty());
}

INSTANTIATE_TEST_SUITE_P(Metrics, MetricsKey,
                         testing::Values(KeyCase{"FolderWithSeparator", true},
                                         KeyCase{"FolderWithoutSeparator", false}),
                         ByTitle);

TEST_F(MetricsBench, CountsTestsAndTimesThem) {
    SetKey(folder.Path());
    {
        MetricsFile::RunningTest test(metrics);
        clock.steady += 2500ms;
        clock.utc += 2500ms;
        test.Done(ActivityOutcome::Kind::Good);
    }
    const std::int64_t good = 1741453409500;
    EXPECT_EQ(metrics.Current().lastSuccessMs, good);
    {
        MetricsFile::RunningTest test(metrics);
        clock.steady += 6010ms;
        clock.utc += 300s;
        test.Done(ActivityOutcome::Kind::NoReply);
    }
    { MetricsFile::RunningTest(metrics).Done(ActivityOutcome::Kind::BadReply); }
    try {
        const MetricsFile::RunningTest test(metrics);
        clock.steady += 15ms;
        throw std::runtime_error("Filial n\xE3o identificada.");
    } catch (const std::runtime_error&) {
    }
    const MonitorMetrics& m = metrics.Current();
    EXPECT_EQ(m.tests, (std::array<std::uint64_t, TestResultCount>{1, 1, 1, 1}));
    EXPECT_EQ(m.lastTestMs, good + 300000);
    EXPECT_EQ(m.lastSuccessMs, good);
    EXPECT_EQ(m.lastTestDurationMs, 15);
    EXPECT_EQ(Prom(), MetricsText(m));
}

TEST_F(MetricsBench, CountsOpenErrorBoxes) {
    SetKey(folder.Path());
    metrics.ErrorBoxShown(true);
    EXPECT_NE(Prom().value_or("").find("monitor_zelnor_error_box_open 1\n"), std::string::npos);
    metrics.ErrorBoxShown(true);
    metrics.ErrorBoxShown(false);
    EXPECT_TRUE(metrics.Current().errorBoxOpen);
    metrics.ErrorBoxShown(false);
    EXPECT_NE(Prom().value_or("").find("monitor_zelnor_error_box_open 0\n"), std::string::npos);
}

TEST_F(MetricsBench, TakesTheKeyAtEachWrite) {
    metrics.Started();
    EXPECT_FALSE(Prom());
    SetKey(folder.Path());
    metrics.Ended();
    EXPECT_NE(Prom().value_or("").find("monitor_zelnor_up 0\n"), std::string::npos);
}

struct FailureCase {
    const char* title;
    MetricsFiles::Fail fail;
    std::string expectedLine;
};

class MetricsFailure : public MetricsBench, public testing::WithParamInterface<FailureCase> {};

TEST_P(MetricsFailure, LogsOnceAndLeavesTheOldFile) {
    SetKey(folder.Path());
    metrics.Started();
    const std::string before = Prom().value_or("");
    files.fail = GetParam().fail;
    { MetricsFile::RunningTest(metrics).Done(ActivityOutcome::Kind::Good); }
    metrics.Ended();
    const std::string expected = std::string(MetricsFailureLogMessage) + "Cannot create file \"" +
                                 folder.Path() + "monitor_zelnor.prom\". " +
                                 GetParam().expectedLine;
    EXPECT_EQ(LogLines(), std::vector<std::string>{expected});
    EXPECT_EQ(Prom(), before);
    EXPECT_EQ(FolderEntries(), std::vector<fs::path>{"monitor_zelnor.prom"});
}

INSTANTIATE_TEST_SUITE_P(
    Metrics, MetricsFailure,
    testing::Values(FailureCase{"TemporaryRefused", MetricsFiles::Fail::Open, "Permission denied"},
                    FailureCase{"DiskFull", MetricsFiles::Fail::Write, "No space left on device"},
                    FailureCase{"RenameRefused", MetricsFiles::Fail::Replace, "Permission denied"}),
    ByTitle);

TEST_F(MetricsBench, MissingFolderIsLoggedOnce) {
    SetKey(folder.Path() + "gone");
    metrics.Started();
    metrics.Ended();
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_TRUE(lines[0].starts_with(std::string(MetricsFailureLogMessage) + "Cannot create file"))
        << lines[0];
    EXPECT_TRUE(FolderEntries().empty());
}

} // namespace
} // namespace mz::test

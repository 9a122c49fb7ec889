#include "mz/monitor/MetricsFile.h"

#include <fmt/format.h>
#include <iterator>
#include <string_view>

namespace mz {

namespace {

// The outcome label of each TestResult, in its order.
constexpr std::array<std::string_view, TestResultCount> OutcomeLabels{"good", "no_reply",
                                                                      "bad_reply", "error"};

void AppendHeader(std::string& out, std::string_view name, std::string_view type,
                  std::string_view help) {
    fmt::format_to(std::back_inserter(out), "# HELP {} {}\n# TYPE {} {}\n", name, help, name, type);
}

// Seconds with their milliseconds, in plain decimals.
std::string Seconds(std::int64_t milliseconds) {
    const bool negative = milliseconds < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(milliseconds)
                                             : static_cast<std::uint64_t>(milliseconds);
    return fmt::format("{}{}.{:03}", negative ? "-" : "", magnitude / 1000, magnitude % 1000);
}

void AppendGauge(std::string& out, std::string_view name, std::string_view help,
                 std::string_view value) {
    AppendHeader(out, name, "gauge", help);
    fmt::format_to(std::back_inserter(out), "{} {}\n", name, value);
}

void AppendSeconds(std::string& out, std::string_view name, std::string_view help,
                   const std::optional<std::int64_t>& milliseconds) {
    if (milliseconds) {
        AppendGauge(out, name, help, Seconds(*milliseconds));
    }
}

} // namespace

std::string MetricsText(const MonitorMetrics& m) {
    std::string out;
    // The version and the branch are the file's only free texts: digits and dots, so no label
    // value needs escaping.
    AppendHeader(out, "monitor_zelnor_info", "gauge",
                 "The monitor's version and the branch code it tests.");
    fmt::format_to(std::back_inserter(out),
                   "monitor_zelnor_info{{version=\"{}\",branch=\"{}\"}} 1\n", m.version, m.branch);
    AppendGauge(out, "monitor_zelnor_up", "1 while the monitor runs, 0 after a clean end.",
                m.up ? "1" : "0");
    AppendGauge(out, "monitor_zelnor_interval_seconds", "The interval between activity tests.",
                fmt::format("{}", m.intervalSeconds));
    AppendHeader(out, "monitor_zelnor_tests_total", "counter",
                 "Activity tests since the monitor started, by outcome.");
    for (std::size_t i = 0; i != TestResultCount; ++i) {
        fmt::format_to(std::back_inserter(out), "monitor_zelnor_tests_total{{outcome=\"{}\"}} {}\n",
                       OutcomeLabels[i], m.tests[i]);
    }
    AppendSeconds(out, "monitor_zelnor_last_test_timestamp_seconds",
                  "When the last activity test ended, in Unix time.", m.lastTestMs);
    AppendSeconds(out, "monitor_zelnor_last_success_timestamp_seconds",
                  "When the last good activity test ended, in Unix time.", m.lastSuccessMs);
    AppendSeconds(out, "monitor_zelnor_last_test_duration_seconds",
                  "How long the last activity test took.", m.lastTestDurationMs);
    AppendGauge(out, "monitor_zelnor_error_box_open", "1 while an error box waits for OK.",
                m.errorBoxOpen ? "1" : "0");
    return out;
}

} // namespace mz

// The activity test as the program runs it, and the same work split into its parts.
#include "WindowlessView.h"
#include "bench_environment.h"
#include "mz/IniFile.h"
#include "mz/Services.h"
#include "mz/data/UDM.h"
#include "mz/monitor/MetricsFile.h"
#include "mz/monitor/uMonitorZelnor.h"
#include "mz/platform/Regional.h"

#include <array>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <functional>
#include <utility>

namespace mz::bench {
namespace {

class QuietWindow : public test::WindowlessView {
public:
    bool IsActive() const override { return false; }
    std::string IntervalText() const override { return "5"; }
    void ProcessMessages() override {}
    void ShowError(const std::string& text) override { status_ = text; }
    void ShowStatus(const std::string& text) override { status_ = text; }

private:
    std::string status_;
};

// The real file system, where the service's good answer comes once the request has been opened,
// outside the timed part: a reply there before the test would be removed as a late one.
class AnsweringFileSystem : public platform::FileSystem {
public:
    platform::File Open(const std::string& path, platform::OpenMode mode) const override {
        platform::File file = platform::FileSystem::Open(path, mode);
        if (state != nullptr && path == requestPath) {
            state->PauseTiming();
            Environment::Get().PutReply();
            state->ResumeTiming();
        }
        return file;
    }

    std::string requestPath = Environment::Get().RequestPath();
    benchmark::State* state = nullptr; // none: nobody answers
};

// A monitor on its own connection to the benchmark server.
struct Monitor {
    explicit Monitor(std::string directory = Environment::Get().ProgramDirectory())
        : programDirectory(std::move(directory)) {
        dm.ConnectTo(server.Host(), server.Database(), server.User(), server.Password(),
                     server.Port());
    }

    std::string programDirectory;
    Environment& environment = Environment::Get();
    test::MariaDbServer& server = environment.Server();
    RegionalSettingsOwner regional{platform::LoadRegionalSettings};
    AnsweringFileSystem files;
    Services services{files, SystemClock(), platform::SystemSleeper(), regional.Current()};
    TDM dm{programDirectory, services.files, services.sleeper};
    QuietWindow window;
    TMonitorZelnor monitor{dm, window, services, programDirectory};
};

// The metrics file of the benchmark's program directory, with the key [MONITOR] prometheus
// naming a folder (on) or empty (off, so it is only looked up), for its lifetime.
struct Metrics {
    Metrics(Monitor& m, bool on)
        : settings(m.programDirectory + "monitor_zelnor.ini", m.services.files, m.services.sleeper),
          metrics(m.programDirectory, ProgramVersion(), m.services) {
        const std::string folder = m.programDirectory + "prometheus";
        std::filesystem::create_directories(folder);
        settings.WriteString("MONITOR", "prometheus", on ? folder : "");
    }
    Metrics(const Metrics&) = delete;
    Metrics& operator=(const Metrics&) = delete;
    ~Metrics() {
        try {
            settings.WriteString("MONITOR", "prometheus", "");
        } catch (...) {
            // The next benchmark writes the key again.
        }
    }

    const TIniFile settings;
    MetricsFile metrics;
};

// Everything a test does: settings, number, request, reply, status, clean-up.
void ActivityTest(benchmark::State& state, Monitor& m) {
    m.files.state = &state;
    for (auto _ : state) {
        if (!m.monitor.RunActivityTest()) {
            state.SkipWithError("the reply was not taken as good");
            break;
        }
    }
}
void BM_ActivityTest(benchmark::State& state) {
    Monitor m;
    ActivityTest(state, m);
}
BENCHMARK(BM_ActivityTest)->Unit(benchmark::kMicrosecond);

// The same with a sistema_tervo.ini of about 1 MiB.
void BM_ActivityTestLargeSettings(benchmark::State& state) {
    Monitor m(Environment::Get().LargeSettingsDirectory());
    ActivityTest(state, m);
}
BENCHMARK(BM_ActivityTestLargeSettings)->Unit(benchmark::kMicrosecond);
// The test as the monitor core runs it, with the metrics file around it: Arg 0 without the key
// [MONITOR] prometheus (it is only looked up), Arg 1 with it (the file is written after each
// test). The difference is what the metrics cost a test.
void BM_ActivityTestMetrics(benchmark::State& state) {
    Monitor m;
    Metrics setup(m, state.range(0) != 0);
    m.files.state = &state;
    for (auto _ : state) {
        MetricsFile::RunningTest measured(setup.metrics);
        const ActivityOutcome outcome = m.monitor.Run();
        measured.Done(outcome.kind);
        if (outcome.kind != ActivityOutcome::Kind::Good) {
            state.SkipWithError("the reply was not taken as good");
            break;
        }
    }
}
BENCHMARK(BM_ActivityTestMetrics)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The metrics file alone: looking the key up and, with it, writing the file.
void BM_MetricsWrite(benchmark::State& state) {
    Monitor m;
    Metrics setup(m, state.range(0) != 0);
    for (auto _ : state) {
        setup.metrics.Started();
    }
}
BENCHMARK(BM_MetricsWrite)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The database part: one select and one prepared update.
void BM_ActivityDatabase(benchmark::State& state) {
    Monitor m;
    for (auto _ : state) {
        benchmark::DoNotOptimize(m.monitor.NextBranchSequence(Branch));
    }
}
BENCHMARK(BM_ActivityDatabase)->Unit(benchmark::kMicrosecond);

// The settings read of a test: the exchange keys, the branch code and the wait.
void BM_ActivitySettings(benchmark::State& state) {
    Monitor m;
    for (auto _ : state) {
        benchmark::DoNotOptimize(m.monitor.LoadActivitySettings());
    }
}
BENCHMARK(BM_ActivitySettings)->Unit(benchmark::kMicrosecond);

// The exchange files through the platform layer, in the order a test touches them.
void BM_ActivityExchangeFiles(benchmark::State& state) {
    Monitor m;
    const platform::FileSystem& files = m.services.files;
    const std::string request = m.environment.RequestPath();
    const std::string reply = m.environment.ReplyPath();
    std::array<char, 64> buffer{};
    m.files.state = &state;
    for (auto _ : state) {
        files.DeleteFile(reply);
        {
            platform::File file = files.Open(request, platform::OpenMode::CreateExclusive);
            file.Write("000197\r\n");
            file.Close();
        }
        benchmark::DoNotOptimize(files.FileExists(reply));
        {
            platform::File file = files.Open(reply, platform::OpenMode::ReadDenyWrite);
            benchmark::DoNotOptimize(file.Read(buffer.data(), buffer.size()));
        }
        if (files.FileExists(reply)) {
            files.DeleteFile(reply);
        }
    }
}
BENCHMARK(BM_ActivityExchangeFiles)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace mz::bench

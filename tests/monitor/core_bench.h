#pragma once

// A monitor core on a temporary program and working directory, with a view and an activity
// test that record what the core does with them.

#include "TestClock.h"
#include "TestFiles.h"
#include "TestRegional.h"
#include "mz/monitor/MonitorCore.h"
#include "test_activity_support.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mz::test {

class CoreView : public IMonitorView {
public:
    bool IsActive() const override { return active; }
    std::string IntervalText() const override { return interval; }
    void ProcessMessages() override {}
    void ShowError(const std::string& text) override {
        errors.push_back(text);
        ++openErrors;
        mostOpenErrors = std::max(mostOpenErrors, openErrors);
        duringError();
        --openErrors;
    }
    void ShowStatus(const std::string& text) override { status = text; }

    bool active = false;
    std::string interval = "5";
    std::string status;
    std::vector<std::string> errors;
    std::function<void()> duringError = [] {};
    int openErrors = 0;
    int mostOpenErrors = 0;
};

// The real file system, able to refuse the month log as a file held by another program would.
class LogFiles : public platform::FileSystem {
public:
    platform::File Open(const std::string& path, platform::OpenMode mode) const override {
        if (failLog && path.starts_with("LogZelnor")) {
            throw platform::SystemError({32, "The file is in use"});
        }
        return FileSystem::Open(path, mode);
    }
    platform::File OpenIn(const std::string& directory, const std::string& name,
                          platform::OpenMode mode) const override {
        if (failLog && directory == "LogZelnor") {
            throw platform::SystemError({32, "The file is in use"});
        }
        return FileSystem::OpenIn(directory, name, mode);
    }
    bool failLog = false;
};

class CoreBench {
public:
    CoreBench() { Attach(); }
    CoreBench(const CoreBench&) = delete;
    CoreBench& operator=(const CoreBench&) = delete;

    void Attach() { core.AttachDataModule(dm, std::make_unique<ScriptedTest>(*this)); }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i) {
            ++tick;
            core.Tick();
        }
    }
    // The messages of the month log's lines, without their moments.
    std::vector<std::string> LogLines() const {
        return MonthLogMessages(dir.Root(), clock.now.month);
    }

    TempDir dir;
    WorkingDirectory cwd{dir.Root()};
    FixedClock clock;
    InstantSleeper sleeper;
    LogFiles files;
    RegionalSettings regional = BrazilianRegional();
    Services services{files, clock, sleeper, regional};
    CoreView view;
    MemoryDataModule dm;
    int tick = 0;
    std::vector<int> testTicks;
    std::function<ActivityOutcome()> testBody = [] {
        return ActivityOutcome{ActivityOutcome::Kind::Good, {2025, 3, 8, 14, 3, 27, 0}};
    };
    MonitorCore core{dir.Path(), services, view};

private:
    class ScriptedTest : public IActivityTest {
    public:
        explicit ScriptedTest(CoreBench& bench) : bench_(bench) {}
        ActivityOutcome Run() override {
            bench_.testTicks.push_back(bench_.tick);
            return bench_.testBody();
        }

    private:
        CoreBench& bench_;
    };
};

} // namespace mz::test

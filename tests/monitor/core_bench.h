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

// Records what the core asks of the window, in order, as short lines; posted actions wait in
// a queue until RunPosted(), as they wait in a window system's queue for the handler to return.
class CoreView : public IMonitorView {
public:
    bool IsActive() const override { return active; }
    std::string IntervalText() const override { return interval; }
    void SetIntervalText(const std::string& text) override {
        interval = text;
        calls.push_back("field " + text);
    }
    void ProcessMessages() override { calls.emplace_back("process"); }
    void Post(std::function<void()> action) override { posted.push_back(std::move(action)); }
    void ShowError(const std::string& text) override {
        errors.push_back(text);
        calls.push_back("box " + text);
        ++openErrors;
        mostOpenErrors = std::max(mostOpenErrors, openErrors);
        duringError();
        --openErrors;
        calls.emplace_back("box closed");
    }
    void ShowStatus(const std::string& text) override { status = text; }
    void ShowSavedMark(bool shown) override { calls.emplace_back(shown ? "mark" : "no mark"); }
    void CentreOnScreen() override { calls.emplace_back("centre"); }
    void ShowOnScreen() override {
        calls.emplace_back("show");
        onScreen = true;
    }
    void ShowMinimised() override { calls.emplace_back("minimised"); }
    void PutAway() override {
        calls.emplace_back("put away");
        onScreen = false;
    }
    void EndProgram() override { calls.emplace_back("end"); }

    // Runs what was posted, and what that posts in turn, as the main loop would.
    void RunPosted() {
        while (!posted.empty()) {
            auto action = std::move(posted.front());
            posted.erase(posted.begin());
            action();
        }
    }

    bool active = false;
    bool onScreen = false;
    std::string interval = "5";
    std::string status;
    std::vector<std::string> calls;
    std::vector<std::string> errors;
    std::vector<std::function<void()>> posted;
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

// Sleeps recorded among the window's calls.
class RecordingSleeper : public platform::Sleeper {
public:
    explicit RecordingSleeper(std::vector<std::string>& calls) : calls_(calls) {}
    void Sleep(std::chrono::milliseconds duration) const override {
        calls_.push_back("sleep " + std::to_string(duration.count()));
    }

private:
    std::vector<std::string>& calls_;
};

class CoreBench {
public:
    CoreBench() { Attach(); }
    CoreBench(const CoreBench&) = delete;
    CoreBench& operator=(const CoreBench&) = delete;

    void Attach() { core.AttachDataModule(dm, std::make_unique<ScriptedTest>(*this)); }
    // Each tick, then what it posted, as the main loop runs them.
    void Ticks(int count) {
        for (int i = 0; i < count; ++i) {
            ++tick;
            core.Tick();
            view.RunPosted();
        }
    }
    // The messages of the month log's lines, without their moments.
    std::vector<std::string> LogLines() const {
        return MonthLogMessages(dir.Root(), clock.now.month);
    }

    TempDir dir;
    WorkingDirectory cwd{dir.Root()};
    FixedClock clock;
    CoreView view;
    RecordingSleeper sleeper{view.calls};
    LogFiles files;
    RegionalSettings regional = BrazilianRegional();
    Services services{files, clock, sleeper, regional};
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

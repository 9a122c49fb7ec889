#pragma once

#include "MariaDbServer.h"
#include "mz/DateTimeText.h"
#include "mz/Services.h"
#include "mz/data/UDM.h"
#include "mz/monitor/MonitorWindow.h"
#include "mz/monitor/uMonitorZelnor.h"
#include "mz/platform/FileSystem.h"
#include "mz/platform/System.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>

namespace mz::test {

// A directory of its own under the system's temporary directory, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // Ends with "/", ready to be used as a path prefix.
    const std::string& Path() const noexcept { return path_; }

private:
    std::string path_;
};

// Makes a directory the current working directory while it lives.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& path);
    ~WorkingDirectory();
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::string previous_;
};

class TestWindow : public IMonitorWindow {
public:
    bool IsActive() const override {
        activeAnswers += active ? 1 : 0;
        return active;
    }
    void SetStatusText(const std::string& text) override { status = text; }
    void ProcessMessages() override {
        ++processed;
        if (onProcess) {
            onProcess(processed);
        }
    }

    bool active = false;
    mutable int activeAnswers = 0; // IsActive calls that answered true
    int processed = 0;
    std::string status;
    std::function<void(int call)> onProcess; // runs inside the n-th ProcessMessages call
};

class FixedClock : public Clock {
public:
    LocalDateTime Now() const override { return now; }
    LocalDateTime now{2025, 3, 8, 14, 3, 27, 0};
};

// Returns at once; only adds up what it was asked to sleep.
class InstantSleeper : public platform::Sleeper {
public:
    void Sleep(std::chrono::milliseconds duration) const override {
        slept += duration;
        ++calls;
    }
    mutable std::chrono::milliseconds slept{0};
    mutable int calls = 0;
};

// The real file system, counting the existence checks per path and able to fail writes.
class WatchedFileSystem : public platform::FileSystem {
public:
    bool FileExists(const std::string& path) const override;
    std::size_t WriteSome(platform::File::Handle handle, const char* data,
                          std::size_t size) const override;

    mutable std::map<std::string, int> looks;
    // Runs after the n-th existence check of a path has been answered.
    std::function<void(const std::string& path, int look)> afterLook;
    std::optional<platform::OsError> writeFailure;
};

// The [zelnor] and [FilialMatriz] keys of sistema_tervo.ini; nullopt leaves a key out.
struct Settings {
    std::optional<std::string> envio;
    std::optional<std::string> resposta;
    std::optional<std::string> tempo = "2500";
    std::optional<std::string> codLogica = "2";
};

// Day/month/year dates and a 24-hour clock with leading zeros.
RegionalSettings BrazilianRegional();

std::optional<std::string> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// One test case's world: its own program, send and reply directories, window, clock and
// sleeper, and a monitor working on the shared database connection.
class Scenario {
public:
    explicit Scenario(TDM& dm, const platform::Sleeper* realSleeper = nullptr);

    void WriteSettings(const Settings& settings) const;
    // Settings with this scenario's send and reply directories.
    Settings DefaultSettings() const;

    std::string RequestPath() const { return sendDir + ExchangeFileName; }
    std::string ReplyPath() const { return replyDir + ExchangeFileName; }
    int ReplyLooks() const;

    TempDir root;
    std::string programDir = root.Path() + "prog/";
    std::string sendDir = root.Path() + "env/";
    std::string replyDir = root.Path() + "rec/";
    TestWindow window;
    FixedClock clock;
    InstantSleeper sleeper;
    WatchedFileSystem files;
    RegionalSettings regional = BrazilianRegional();
    Services services;
    TMonitorZelnor monitor;
};

// Tests of the activity test against the private MariaDB server; the table is emptied first.
class ActivityTest : public ::testing::Test {
protected:
    ActivityTest();

    // Replaces every row by one row for branch; value is an SQL literal ("NULL", "-5").
    void StoreOnly(int branch, const std::string& value) const;
    void ClearTable() const;
    // seq_zelnor of branch as text: "NULL" for a null, "no row" when the branch has none.
    std::string Stored(int branch) const;

    MariaDbServer& db = MariaDbServer::Shared();
    TDM dm{"", platform::SystemFileSystem()};
};

} // namespace mz::test

#pragma once

#include "MariaDbServer.h"
#include "TestClock.h"
#include "TestFiles.h"
#include "TestRegional.h"
#include "mz/DateTimeText.h"
#include "mz/Services.h"
#include "mz/data/UDM.h"
#include "mz/monitor/MonitorWindow.h"
#include "mz/monitor/uMonitorZelnor.h"
#include "mz/platform/FileSystem.h"
#include "mz/platform/System.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>

namespace mz::test {

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

#pragma once

#include "TestClock.h"
#include "TestFiles.h"
#include "TestRegional.h"
#include "WindowlessView.h"
#include "mz/DateTimeText.h"
#include "mz/Services.h"
#include "mz/data/DataModule.h"
#include "mz/monitor/MonitorView.h"
#include "mz/monitor/uMonitorZelnor.h"
#include "mz/platform/FileSystem.h"
#include "mz/platform/System.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mz::test {

class TestWindow : public WindowlessView {
public:
    bool IsActive() const override {
        activeAnswers += active ? 1 : 0;
        return active;
    }
    std::string IntervalText() const override { return interval; }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    void ShowStatus(const std::string& text) override { status = text; }
    void ProcessMessages() override {
        ++processed;
        if (onProcess) {
            onProcess(processed);
        }
    }

    bool active = false;
    std::string interval = "5";
    std::vector<std::string> errors;
    mutable int activeAnswers = 0; // IsActive calls that answered true
    int processed = 0;
    std::string status;
    std::function<void(int call)> onProcess; // runs inside the n-th ProcessMessages call
};

// The real file system, counting the existence checks per path and able to fail writes.
class WatchedFileSystem : public platform::FileSystem {
public:
    bool FileExists(const std::string& path) const override;
    platform::File Open(const std::string& path, platform::OpenMode mode) const override;
    std::size_t WriteSome(platform::File::Handle handle, const char* data,
                          std::size_t size) const override;

    mutable std::map<std::string, int> looks;
    mutable std::map<std::string, int> opens;
    // Runs after the n-th existence check of a path has been answered.
    std::function<void(const std::string& path, int look)> afterLook;
    // Runs after a path has been opened.
    std::function<void(const std::string& path)> afterOpen;
    std::optional<platform::OsError> writeFailure;
};

// The [zelnor] and [FilialMatriz] keys of sistema_tervo.ini; nullopt leaves a key out.
struct Settings {
    std::optional<std::string> envio;
    std::optional<std::string> resposta;
    std::optional<std::string> tempo = "2500";
    std::optional<std::string> codLogica = "2";
};

// The table filial in memory: the branch's number as the statements of the activity test read
// and write it, with failures on demand.
class MemoryDataModule : public IDataModule {
public:
    void OpenConnection() override;
    Variant QueryValue(const std::string& sql, const Variant& defaultValue,
                       bool raiseErrors) override;
    int ExecuteMount(TSqlMount& mount, bool raiseErrors) override;
    void RunInTransaction(const std::function<void()>& work) override;

    std::map<int, std::optional<std::int32_t>> rows; // nullopt: NULL
    std::string failure;                             // when set, every statement fails with it
    std::vector<std::string> statements;
    int connects = 0;
    int transactions = 0;
    int rollbacks = 0;
};

// One test case's world: its own program, send and reply directories, window, clock and
// sleeper, and a monitor working on the given data module.
class Scenario {
public:
    explicit Scenario(IDataModule& dm, const platform::Sleeper* realSleeper = nullptr);

    // Runs one test and shows a good reply's status as the monitor core does.
    bool RunActivityTest();

    void WriteSettings(const Settings& settings) const;
    // Settings with this scenario's send and reply directories.
    Settings DefaultSettings() const;

    std::string RequestPath() const { return sendDir + ExchangeFileName; }
    std::string ReplyPath() const { return replyDir + ExchangeFileName; }
    int ReplyLooks() const;
    // Makes the service answer: the reply appears once the request has been opened, after
    // planted (when given) has run on it.
    void AnswerWith(std::string reply, std::function<void()> planted = {});

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

// Tests of the activity test over the in-memory table.
class ActivityTest : public ::testing::Test {
protected:
    // Replaces every row by one row for branch; value is a literal ("NULL", "-5").
    void StoreOnly(int branch, const std::string& value);
    void ClearTable() { dm.rows.clear(); }
    // seq_zelnor of branch as text: "NULL" for a null, "no row" when the branch has none.
    std::string Stored(int branch) const;

    MemoryDataModule dm;
};

} // namespace mz::test

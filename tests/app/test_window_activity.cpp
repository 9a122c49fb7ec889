// The window's minute cycle driving the real activity test against a private MariaDB server.
#include "MariaDbServer.h"
#include "TestClock.h"
#include "WindowBench.h"
#include "mz/DateTimeText.h"
#include "mz/Services.h"
#include "mz/data/UDM.h"
#include "mz/monitor/uMonitorZelnor.h"

#include <filesystem>
#include <fmt/format.h>
#include <gtest/gtest.h>
#include <optional>

namespace mz::test {
namespace {

struct ActivityCase {
    const char* name;
    std::optional<std::string> reply; // none: the service does not answer
    QString expectedStatus;
    std::vector<std::string> expectedLogLines;
};

// The real file system, where the service answers once the request has been opened: a reply
// put in place before the test would be taken for a late one and removed.
class AnsweringFileSystem : public platform::FileSystem {
public:
    platform::File Open(const std::string& path, platform::OpenMode mode) const override {
        platform::File file = platform::FileSystem::Open(path, mode);
        if (reply && path == requestPath) {
            WriteBytes(replyPath, *reply);
        }
        return file;
    }

    std::string requestPath;
    std::string replyPath;
    std::optional<std::string> reply;
};

const QString SaveHint =
    QString::fromUtf8("Salve a configura\xC3\xA7\xC3\xA3o para ativar o monitoramento.");

class WindowActivity : public testing::TestWithParam<ActivityCase> {
protected:
    void SetUp() override {
        db.Execute(fmt::format("delete from {0}.filial;"
                               "insert into {0}.filial (filial_id, seq_zelnor) values (2, 41)",
                               db.Database()));
        for (const char* sub : {"env/", "rec/"}) {
            std::filesystem::create_directory(bench.dir.Path() + sub);
        }
        WriteBytes(bench.dir.Path() + "sistema_tervo.ini",
                   fmt::format("[zelnor]\r\nenvio={0}env/\r\nresposta={0}rec/\r\ntempo=0\r\n"
                               "[FilialMatriz]\r\nCodLogica=2\r\n",
                               bench.dir.Path()));
    }
    std::string Stored() const {
        return db
            .QueryOne(
                fmt::format("select seq_zelnor from {}.filial where filial_id = 2", db.Database()))
            .value_or("NULL");
    }

    MariaDbServer& db = MariaDbServer::Shared();
    WindowBench bench;
    FixedClock clock;
    InstantSleeper sleeper;
    RegionalSettings regional{"dd/mm/yyyy", '/', ':', true, false, false, "", "", {}};
    AnsweringFileSystem files;
    Services services{files, clock, sleeper, regional};
};

TEST_P(WindowActivity, FifthTickRunsTheTestAndShowsOrLogsItsResult) {
    const ActivityCase& c = GetParam();
    TFrmInicio& window = bench.Create();
    TDM dm(bench.dir.Path(), platform::SystemFileSystem(), NoSleeper());
    TMonitorZelnor monitor(dm, window, services, bench.dir.Path());
    bench.AttachDataModule(
        [&] { dm.ConnectTo(db.Host(), db.Database(), db.User(), db.Password(), db.Port()); },
        [&] { return monitor.RunActivityTest(); });
    bench.StartUp();
    ASSERT_TRUE(bench.errors.isEmpty()) << bench.errors.join(' ').toStdString();
    files.requestPath = bench.dir.Path() + "env/TesteAtividadeX.txt";
    files.replyPath = bench.dir.Path() + "rec/TesteAtividadeX.txt";
    files.reply = c.reply;

    for (int tick = 1; tick <= 4; ++tick) {
        window.tmrTempoTimer();
    }
    EXPECT_EQ(Stored(), "41");
    EXPECT_EQ(window.StatusText(), SaveHint);

    window.tmrTempoTimer();
    EXPECT_EQ(Stored(), "42");
    EXPECT_EQ(TryReadBytes(bench.dir.Path() + "env/TesteAtividadeX.txt"), "004297\r\n");
    EXPECT_FALSE(TryReadBytes(bench.dir.Path() + "rec/TesteAtividadeX.txt").has_value());
    EXPECT_EQ(window.StatusText(), c.expectedStatus);
    EXPECT_EQ(bench.LogLines(), c.expectedLogLines);
    EXPECT_TRUE(bench.errors.isEmpty());
    window.Core().DetachDataModule();
}

INSTANTIATE_TEST_SUITE_P(
    Window, WindowActivity,
    testing::Values(
        ActivityCase{
            "GoodReply", "004297OK\r\n", "Ultimo arquivo de resposta: 08/03/2025 14:03:27", {}},
        ActivityCase{"BadReply", "004297NO\r\n", SaveHint, {"Falha ao obter a resposta do zelnor"}},
        ActivityCase{"NoReply", std::nullopt, SaveHint, {"Falha ao obter a resposta do zelnor"}}),
    [](const testing::TestParamInfo<ActivityCase>& info) { return std::string(info.param.name); });

TEST(WindowActivityErrors, BranchNotIdentifiedIsShownOnceAndNotLoggedByTheCycle) {
    WindowBench bench;
    WriteBytes(bench.dir.Path() + "sistema_tervo.ini", "[FilialMatriz]\r\nCodLogica=0\r\n");
    TFrmInicio& window = bench.Create();
    const FixedClock clock;
    const InstantSleeper sleeper;
    const RegionalSettings regional = FallbackRegionalSettings();
    const Services services{platform::SystemFileSystem(), clock, sleeper, regional};
    TDM dm(bench.dir.Path(), platform::SystemFileSystem(), NoSleeper());
    TMonitorZelnor monitor(dm, window, services, bench.dir.Path());
    bench.AttachDataModule([] {}, [&] { return monitor.RunActivityTest(); });
    {
        // The test writes its own log line below the working directory.
        const WorkingDirectory inside(bench.dir.Path());
        for (int tick = 1; tick <= 5; ++tick) {
            window.tmrTempoTimer();
        }
    }
    // The box comes up once the tick has returned.
    EXPECT_TRUE(bench.errors.isEmpty());
    bench.Settle();
    EXPECT_EQ(bench.errors, QStringList{QString::fromUtf8("Filial n\xC3\xA3o identificada.")});
    // The test's own line only: the cycle logs no error.
    EXPECT_EQ(bench.LogLines(), std::vector<std::string>{"CodFilial n\xE3o identificada."});
    window.Core().DetachDataModule();
}

} // namespace
} // namespace mz::test

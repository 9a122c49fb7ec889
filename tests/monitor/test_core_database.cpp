// The monitor core over the real data module while the database server goes away and comes
// back: the monitor keeps testing, and no second error box opens.
#include "MariaDbServer.h"
#include "core_bench.h"
#include "mz/data/UDM.h"

#include <filesystem>
#include <fmt/format.h>
#include <gtest/gtest.h>

namespace mz::test {
namespace {

// The data module, connecting to the test's server (on its own port) when the window is shown.
class ServerDataModule : public IDataModule {
public:
    ServerDataModule(TDM& dm, MariaDbServer& server) : dm_(dm), server_(server) {}
    void OpenConnection() override {
        dm_.ConnectTo(server_.Host(), server_.Database(), server_.User(), server_.Password(),
                      server_.Port());
    }
    Variant QueryValue(const std::string& sql, const Variant& def, bool raise) override {
        return dm_.QueryValue(sql, def, raise);
    }
    int ExecuteMount(TSqlMount& mount, bool raise) override {
        return dm_.ExecuteMount(mount, raise);
    }
    void RunInTransaction(const std::function<void()>& work) override {
        dm_.RunInTransaction(work);
    }

private:
    TDM& dm_;
    MariaDbServer& server_;
};

TEST(CoreDatabase, KeepsTestingWhileTheStartUpErrorIsOpenAndTheServerComesBack) {
    if (!MariaDbServer::CanRestart) {
        GTEST_SKIP() << "the Windows lane's server is the test script's; a test cannot restart it";
    }
    MariaDbServer server; // its own, since it is stopped and started
    server.Execute(fmt::format("replace into {}.filial values (2, 40)", server.Database()));
    CoreBench bench;
    const std::string send = bench.dir.Path() + "env/";
    std::filesystem::create_directory(send);
    WriteBytes(
        bench.dir.Path() + "sistema_tervo.ini",
        fmt::format("[zelnor]\r\nenvio={}\r\nresposta={}\r\ntempo=0\r\n", send, send + "x/"));
    TDM tdm(bench.dir.Path(), bench.files, bench.sleeper);
    ServerDataModule dm(tdm, server);
    bench.core.AttachDataModule(dm);
    server.Stop();

    constexpr int Ticks = 15;
    constexpr int DownTicks = 3;
    bench.view.interval = "1";
    std::vector<std::string> requests;
    bench.view.duringError = [&] {
        // The start-up box stays open; its loop delivers the timer's ticks.
        for (int tick = 1; tick <= Ticks; ++tick) {
            if (tick == DownTicks + 1) {
                server.Start();
            }
            bench.Ticks(1);
            requests.push_back(ReadBytes(send + "TesteAtividadeX.txt"));
        }
    };
    // The first showing connects: the server is down, so the error box opens once the showing
    // has returned.
    bench.core.Window().Start(false);
    bench.view.RunPosted();
    bench.core.DetachDataModule();

    ASSERT_EQ(bench.view.errors.size(), 1u);
    EXPECT_EQ(bench.view.mostOpenErrors, 1);
    const auto lines = bench.LogLines();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(Ticks));
    for (int i = 0; i < DownTicks; ++i) {
        EXPECT_NE(lines[i].find("connect"), std::string::npos) << lines[i];
    }
    for (int i = DownTicks; i < Ticks; ++i) {
        EXPECT_EQ(lines[i], "Falha ao obter a resposta do zelnor");
        EXPECT_EQ(requests[i], fmt::format("{:04}97\r\n", 41 + i - DownTicks));
    }
    EXPECT_EQ(server.QueryOne(fmt::format("select seq_zelnor from {}.filial where filial_id = 2",
                                          server.Database())),
              std::to_string(40 + Ticks - DownTicks));
}

} // namespace
} // namespace mz::test

// Every wait on the server is bounded by a few seconds: a row another session holds, or a
// server that has stopped answering, fails the call with a message instead of holding the
// window, the tray and the message loop for a minute.
#include "MySqlTestSupport.h"
#include "TestClock.h"
#include "mz/Exception.h"
#include "mz/data/UDM.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <map>

namespace mz::test {
namespace {

constexpr unsigned int FewSeconds = 10;
constexpr const char* ReadForUpdate =
    "select seq_zelnor from filial where filial_id = 7 for update";

// Connector/C, keeping the time limits the connection asks for.
class RecordingApi : public MySqlApi {
public:
    int Options(MYSQL* mysql, mysql_option option, const void* value) const override {
        if (option == MYSQL_OPT_CONNECT_TIMEOUT || option == MYSQL_OPT_READ_TIMEOUT ||
            option == MYSQL_OPT_WRITE_TIMEOUT) {
            seconds[option] = *static_cast<const unsigned int*>(value);
        }
        return MySqlApi::Options(mysql, option, value);
    }
    mutable std::map<mysql_option, unsigned int> seconds;
};

void Connect(TDM& dm, const MariaDbServer& db) {
    dm.ConnectTo(db.Host(), db.Database(), db.User(), db.Password(), db.Port());
}

std::string FailureOf(const std::function<void()>& step) {
    try {
        step();
    } catch (const Exception& error) {
        return error.Message();
    }
    return "(no failure)";
}

TEST(BoundedWaits, EveryWaitIsAFewSecondsAtMost) {
    RecordingApi api;
    TDM dm{"", platform::SystemFileSystem(), NoSleeper(), api};
    Connect(dm, Server());
    for (const auto option :
         {MYSQL_OPT_CONNECT_TIMEOUT, MYSQL_OPT_READ_TIMEOUT, MYSQL_OPT_WRITE_TIMEOUT}) {
        SCOPED_TRACE(static_cast<int>(option));
        ASSERT_TRUE(api.seconds.contains(option));
        EXPECT_GT(api.seconds[option], 0U);
        EXPECT_LE(api.seconds[option], FewSeconds);
    }
    // The lock waits end before the read does, so they fail with the server's own message.
    for (const char* variable : {"innodb_lock_wait_timeout", "lock_wait_timeout"}) {
        SCOPED_TRACE(variable);
        const auto seconds =
            dm.QueryValue(fmt::format("select @@session.{}", variable), 0, true).ToInt64();
        EXPECT_GT(seconds, 0);
        EXPECT_LT(seconds, api.seconds[MYSQL_OPT_READ_TIMEOUT]);
    }
}

TEST(BoundedWaits, ARowHeldByAnotherSessionFailsWithTheServersMessage) {
    MariaDbServer& db = Server();
    db.Execute(fmt::format("delete from {0}.filial where filial_id = 7;"
                           "insert into {0}.filial values (7, 41)",
                           db.Database()));
    TDM holder{"", platform::SystemFileSystem(), NoSleeper()};
    TDM dm{"", platform::SystemFileSystem(), NoSleeper()};
    Connect(holder, db);
    Connect(dm, db);
    holder.RunInTransaction([&] {
        holder.QueryValue(ReadForUpdate, 0, true);
        EXPECT_EQ(
            FailureOf([&] { dm.RunInTransaction([&] { dm.QueryValue(ReadForUpdate, 0, true); }); }),
            "Lock wait timeout exceeded; try restarting transaction");
    });
    // Released, the row is ours again on the same connection.
    dm.RunInTransaction(
        [&] { EXPECT_EQ(dm.QueryValue(ReadForUpdate, 0, true), Variant(std::int64_t{41})); });
}

// A server that accepts connections and answers nothing (stopped with SIGSTOP).
class FrozenServer : public ::testing::Test {
protected:
    void SetUp() override {
        if (!MariaDbServer::CanRestart) {
            GTEST_SKIP() << "the test script's server cannot be stopped from here";
        }
        server.emplace();
        Connect(dm, *server);
        ASSERT_EQ(dm.QueryValue("select 1", 0, true), Variant(std::int64_t{1}));
        server->Freeze();
    }
    void TearDown() override {
        if (server) {
            server->Thaw();
        }
    }

    std::optional<MariaDbServer> server;
    TDM dm{"", platform::SystemFileSystem(), NoSleeper()};
};

TEST_F(FrozenServer, AQueryFailsAndTheNextOneWorksOnceItAnswers) {
    EXPECT_EQ(FailureOf([&] { dm.QueryValue("select 1", 0, true); }),
              "Lost connection to server during query");
    server->Thaw();
    EXPECT_EQ(dm.QueryValue("select 1", 0, true), Variant(std::int64_t{1}));
}

TEST_F(FrozenServer, AConnectionAttemptFails) {
    TDM other{"", platform::SystemFileSystem(), NoSleeper()};
    EXPECT_NE(FailureOf([&] { Connect(other, *server); }), "(no failure)");
}

} // namespace
} // namespace mz::test

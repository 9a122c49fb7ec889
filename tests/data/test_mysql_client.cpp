#include "MySqlClient.h"
#include "MySqlTestSupport.h"
#include "TestCases.h"

#include <fmt/format.h>
#include <functional>
#include <gtest/gtest.h>

namespace mz {
namespace {

// Failure messages show each case below by its title.
using test::PrintTo;

using test::FirstValue;
using test::Server;

class MySqlClientTest : public test::ServerConnectionTest {
protected:
    static void SetUpTestSuite() {
        Server().Execute(fmt::format("CREATE DATABASE IF NOT EXISTS gerente_b;"
                                     "GRANT ALL PRIVILEGES ON gerente_b.* TO '{}'@'127.0.0.1'",
                                     Server().User()));
    }
    std::int64_t ConnectionId() {
        return FirstValue(connection, "select connection_id()").ToInt64();
    }
};

// --- connection settings ------------------------------------------------------------------

struct SettingCase {
    const char* title;
    std::function<void(MySqlConnection&)> change;
    bool keepsConnection;
};

class ConnectionSettings : public MySqlClientTest,
                           public ::testing::WithParamInterface<SettingCase> {};

TEST_P(ConnectionSettings, CloseTheConnectionOnlyWhenAValueChanges) {
    connection.Connect();
    const auto id = ConnectionId();

    GetParam().change(connection);

    EXPECT_EQ(connection.Connected(), GetParam().keepsConnection);
    if (GetParam().keepsConnection) {
        EXPECT_EQ(ConnectionId(), id);
        EXPECT_EQ(api.connects, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectionSettings,
    ::testing::Values(
        SettingCase{"SameServer", [](auto& c) { c.SetServer(Server().Host()); }, true},
        SettingCase{"SamePort", [](auto& c) { c.SetPort(Server().Port()); }, true},
        SettingCase{"SameUser", [](auto& c) { c.SetUsername(Server().User()); }, true},
        SettingCase{"SamePassword", [](auto& c) { c.SetPassword(Server().Password()); }, true},
        SettingCase{"SameDatabase", [](auto& c) { c.SetDatabase(Server().Database()); }, true},
        SettingCase{"LoginPrompt", [](auto& c) { c.SetLoginPrompt(true); }, true},
        SettingCase{"ConnectWhenOpen", [](auto& c) { c.Connect(); }, true},
        SettingCase{"OtherServer", [](auto& c) { c.SetServer("localhost"); }, false},
        SettingCase{"OtherPort", [](auto& c) { c.SetPort(Server().Port() + 1); }, false},
        SettingCase{"UserCaseCounts", [](auto& c) { c.SetUsername("MZUSER"); }, false},
        SettingCase{"OtherPassword", [](auto& c) { c.SetPassword("x"); }, false}),
    test::ByTitle);

TEST_F(MySqlClientTest, ChangingTheDatabaseSwitchesTheOpenConnection) {
    connection.Connect();
    const auto id = ConnectionId();

    connection.SetDatabase("gerente_b");

    EXPECT_EQ(ConnectionId(), id);
    EXPECT_EQ(FirstValue(connection, "select database()"), Variant("gerente_b"));
    EXPECT_EQ(api.connects, 1);
}

TEST_F(MySqlClientTest, ADatabaseTheConnectionCannotSwitchToRaisesAndClosesIt) {
    connection.Connect();

    try {
        connection.SetDatabase("nao_existe");
        FAIL() << "no error";
    } catch (const MySqlError& error) {
        EXPECT_EQ(error.Code(), 1044u) << error.what();
        EXPECT_NE(std::string(error.what()).find("nao_existe"), std::string::npos);
    }
    EXPECT_FALSE(connection.Connected());
    EXPECT_EQ(connection.Database(), "nao_existe");
}

struct ConnectFailureCase {
    const char* title;
    std::function<void(MySqlConnection&)> change;
    unsigned int code;
    const char* messagePart;
};

class ConnectFailures : public MySqlClientTest,
                        public ::testing::WithParamInterface<ConnectFailureCase> {};

TEST_P(ConnectFailures, RaiseTheClientsMessageAndStayClosed) {
    GetParam().change(connection);
    try {
        connection.Connect();
        FAIL() << "connected";
    } catch (const MySqlError& error) {
        EXPECT_EQ(error.Code(), GetParam().code) << error.what();
        EXPECT_NE(std::string(error.what()).find(GetParam().messagePart), std::string::npos)
            << error.what();
    }
    EXPECT_FALSE(connection.Connected());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectFailures,
    ::testing::Values(
        ConnectFailureCase{"LoginRefused", [](auto& c) { c.SetPassword("wrong"); }, 1045,
                           "Access denied for user 'mzuser'"},
        ConnectFailureCase{"NothingListening",
                           [](auto& c) { c.SetPort(test::MariaDbServer::FreePort()); }, 2002,
                           "Can't connect"},
        ConnectFailureCase{"UnknownDatabase", [](auto& c) { c.SetDatabase("nao_existe"); }, 1044,
                           "nao_existe"}),
    test::ByTitle);

// --- lost connections ---------------------------------------------------------------------

struct LostCase {
    const char* title;
    std::function<void(MySqlConnection&)> use;
};

class LostConnection : public MySqlClientTest, public ::testing::WithParamInterface<LostCase> {};

TEST_P(LostConnection, IsRaisedOnceAndOpenedAgainByTheNextUse) {
    Server().Execute("CREATE TABLE IF NOT EXISTS gerente.perdida (id int primary key)");
    connection.Connect();
    Server().Execute(fmt::format("KILL CONNECTION {}", ConnectionId()));

    try {
        GetParam().use(connection);
        FAIL() << "the lost connection went unnoticed";
    } catch (const MySqlError& error) {
        EXPECT_TRUE(IsConnectionLost(error.Code())) << error.Code() << " " << error.what();
        EXPECT_FALSE(std::string(error.what()).empty());
    }
    EXPECT_FALSE(connection.Connected());

    GetParam().use(connection);
    EXPECT_TRUE(connection.Connected());
    EXPECT_EQ(api.connects, 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, LostConnection,
                         ::testing::Values(LostCase{"Query",
                                                    [](auto& c) { FirstValue(c, "select 1"); }},
                                           LostCase{"Command",
                                                    [](auto& c) {
                                                        MySqlCommand command(c);
                                                        command.SetSql("delete from perdida");
                                                        command.Execute();
                                                    }}),
                         test::ByTitle);

TEST_F(MySqlClientTest, OtherErrorsKeepTheConnection) {
    connection.Connect();
    EXPECT_THROW(FirstValue(connection, "selec 1"), MySqlError);
    EXPECT_TRUE(connection.Connected());
    EXPECT_EQ(api.connects, 1);
}

} // namespace
} // namespace mz

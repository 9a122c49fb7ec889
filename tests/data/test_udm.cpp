#include "MySqlClient.h"
#include "MySqlTestSupport.h"
#include "TestCases.h"
#include "TestClock.h"
#include "TestFiles.h"
#include "mz/data/UDM.h"
#include "mz/data/Utils.h"

#include <fmt/format.h>
#include <functional>
#include <gtest/gtest.h>
#include <typeinfo>

namespace mz {
namespace {

// Failure messages show each case below by its title.
using test::PrintTo;

using test::Server;

constexpr const char* PasswordA = "senha-A";
constexpr const char* ReadSequence =
    "select filial.seq_zelnor from filial where filial.filial_id = 2";

// The "ip" section as the maker's installer writes it, the password enciphered.
struct Settings {
    std::string local = "127.0.0.1";
    std::string database = "gerente";
    std::string usuario = "mzsenha";
    std::string password = PasswordA;
    std::optional<std::string> senha; // written as is instead of the enciphered password

    std::string Text() const {
        return fmt::format("[ip]\r\nlocal={}\r\ndatabase={}\r\nusuario={}\r\nsenha={}\r\n", local,
                           database, usuario, senha ? *senha : Cipher("E", password, "KWD"));
    }
};

class UdmTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string sql = "CREATE DATABASE IF NOT EXISTS gerente_b";
        for (const char* user : {"mzsenha", "mzoutro", "mzvazio"}) {
            sql += fmt::format(";CREATE USER IF NOT EXISTS '{0}'@'127.0.0.1'"
                               ";GRANT ALL PRIVILEGES ON gerente.* TO '{0}'@'127.0.0.1'"
                               ";GRANT ALL PRIVILEGES ON gerente_b.* TO '{0}'@'127.0.0.1'",
                               user);
        }
        Server().Execute(sql);
    }
    void SetUp() override {
        Server().Execute(fmt::format("ALTER USER 'mzsenha'@'127.0.0.1' IDENTIFIED BY '{0}';"
                                     "ALTER USER 'mzoutro'@'127.0.0.1' IDENTIFIED BY '{0}';"
                                     "DELETE FROM gerente.filial;"
                                     "INSERT INTO gerente.filial VALUES (2, 56), (3, NULL)",
                                     PasswordA));
    }

    void Load(const Settings& settings, int port = Server().Port()) {
        dm.LoadConnectionSettings(directory.WriteFile("settings.ini", settings.Text()), "ip", port);
    }
    std::int64_t ConnectionId() {
        return dm.QueryValue("select connection_id()", 0, true).ToInt64();
    }

    test::TempDir directory;
    test::CountingMySqlApi api;
    TDM dm{directory.Path(), platform::SystemFileSystem(), test::NoSleeper(), api};
};

// --- connection settings ------------------------------------------------------------------

struct ReloadCase {
    const char* title;
    std::function<void(Settings&)> change;
    const char* serverChange; // run before the second load
    bool sameConnection;
    const char* database;
};

class ReloadingSettings : public UdmTest, public ::testing::WithParamInterface<ReloadCase> {};

TEST_P(ReloadingSettings, KeepsSwitchesOrReopensTheConnection) {
    const auto& c = GetParam();
    Settings settings;
    Load(settings);
    const auto id = ConnectionId();

    c.change(settings);
    if (*c.serverChange) {
        Server().Execute(c.serverChange);
    }
    Load(settings);

    EXPECT_EQ(ConnectionId() == id, c.sameConnection);
    EXPECT_EQ(api.connects, c.sameConnection ? 1 : 2);
    EXPECT_EQ(dm.QueryValue("select database()", "", true), Variant(c.database));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReloadingSettings,
    ::testing::Values(
        ReloadCase{"Unchanged", [](Settings&) {}, "", true, "gerente"},
        ReloadCase{"DatabaseChanged", [](Settings& s) { s.database = "gerente_b"; }, "", true,
                   "gerente_b"},
        ReloadCase{"PasswordChanged", [](Settings& s) { s.password = "senha-B"; },
                   "ALTER USER 'mzsenha'@'127.0.0.1' IDENTIFIED BY 'senha-B'", false, "gerente"},
        ReloadCase{"UserChanged", [](Settings& s) { s.usuario = "mzoutro"; }, "", false, "gerente"},
        ReloadCase{"ServerChanged", [](Settings& s) { s.local = "localhost"; }, "", false,
                   "gerente"}),
    test::ByTitle);

struct EmptyPasswordCase {
    const char* title;
    const char* senha;
};

class EmptyPasswords : public UdmTest, public ::testing::WithParamInterface<EmptyPasswordCase> {};

TEST_P(EmptyPasswords, AreUsedToLogIn) {
    Settings settings;
    settings.usuario = "mzvazio";
    settings.senha = GetParam().senha;
    Load(settings);
    EXPECT_TRUE(dm.Conexao().Connected());
    EXPECT_EQ(dm.Conexao().Password(), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, EmptyPasswords,
                         ::testing::Values(EmptyPasswordCase{"Blank", ""},
                                           EmptyPasswordCase{"OnlyBlanks", "   "},
                                           EmptyPasswordCase{"OnlyTheStartValue", "7B"}),
                         test::ByTitle);

struct ConnectFailureCase {
    const char* title;
    std::function<void(Settings&)> change;
    bool otherPort;
    const char* messagePart;
};

class SettingsConnectFailures : public UdmTest,
                                public ::testing::WithParamInterface<ConnectFailureCase> {};

TEST_P(SettingsConnectFailures, PassTheClientsErrorOnAndLeaveTheConnectionClosed) {
    Settings settings;
    GetParam().change(settings);
    try {
        Load(settings, GetParam().otherPort ? test::MariaDbServer::FreePort() : Server().Port());
        FAIL() << "connected";
    } catch (const MySqlError& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().messagePart), std::string::npos)
            << error.what();
    }
    EXPECT_FALSE(dm.Conexao().Connected());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsConnectFailures,
    ::testing::Values(ConnectFailureCase{"LoginRefused", [](Settings& s) { s.password = "errada"; },
                                         false, "Access denied for user 'mzsenha'"},
                      ConnectFailureCase{"NothingListening", [](Settings&) {}, true,
                                         "Can't connect"}),
    test::ByTitle);

TEST_F(UdmTest, AnUnreadablePasswordStopsBeforeAnyConnectionAttempt) {
    Settings settings;
    settings.senha = "7G0102";
    directory.WriteFile("sistema_tervo.ini", settings.Text());
    try {
        dm.OpenConnection();
        FAIL() << "no error";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "'$7G' is not a valid integer value");
    }
    EXPECT_EQ(api.connects, 0);
    EXPECT_FALSE(dm.Conexao().Connected());
}

// Settings that could not be read are read again by the next query, which never connects with
// settings it did not read.
struct UnreadSettingsCase {
    const char* title;
    std::string messageStart;
    // Makes the file unreadable; the returned function mends it.
    std::function<std::function<void()>(const std::string& path)> spoil;
};

class UnreadSettings : public UdmTest, public ::testing::WithParamInterface<UnreadSettingsCase> {};

TEST_P(UnreadSettings, AreReadAgainByTheNextQuery) {
    const std::string path = directory.WriteFile("sistema_tervo.ini", Settings().Text());
    const auto mend = GetParam().spoil(path);
    const auto expectFailure = [&](const std::function<void()>& step) {
        try {
            step();
            ADD_FAILURE() << "no error";
        } catch (const Exception& error) {
            EXPECT_TRUE(error.Message().starts_with(GetParam().messageStart)) << error.Message();
        }
    };
    expectFailure([&] { dm.LoadConnectionSettings(path, "ip", Server().Port()); });
    expectFailure([&] { dm.QueryValue(ReadSequence, 0, true); });
    EXPECT_EQ(api.connects, 0);

    mend();
    EXPECT_EQ(dm.QueryValue(ReadSequence, 0, true), Variant(56));
    EXPECT_EQ(dm.Conexao().Username(), "mzsenha");
    EXPECT_EQ(api.connects, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreadSettings,
    ::testing::Values(UnreadSettingsCase{"MalformedPassword", "'$7G' is not a valid integer value",
                                         [](const std::string& path) -> std::function<void()> {
                                             Settings settings;
                                             settings.senha = "7G0102";
                                             test::WriteBytes(path, settings.Text());
                                             return [path] {
                                                 test::WriteBytes(path, Settings().Text());
                                             };
                                         }},
                      UnreadSettingsCase{"FileHeldByAnotherProgram", "Cannot open file \"",
                                         [](const std::string& path) -> std::function<void()> {
                                             auto holder = std::make_shared<platform::File>(
                                                 platform::SystemFileSystem().Open(
                                                     path, platform::OpenMode::AppendDenyWrite));
                                             return [holder] { holder->Close(); };
                                         }}),
    test::ByTitle);

TEST_F(UdmTest, AMissingFileGivesTheDefaultSettings) {
    const int port = test::MariaDbServer::FreePort();
    EXPECT_THROW(dm.LoadConnectionSettings(directory.Path() + "nada.ini", "ip", port), MySqlError);
    const MySqlConnection& connection = dm.Conexao();
    EXPECT_EQ(connection.Server(), "localhost");
    EXPECT_EQ(connection.Database(), "gerente");
    EXPECT_EQ(connection.Username(), "root");
    EXPECT_EQ(connection.Password(), DecipherPassword("7B02E95C1A44D0F3B816", "KWD"));
    EXPECT_EQ(connection.Port(), port);
    EXPECT_FALSE(connection.LoginPrompt());
}

// --- QueryValue ---------------------------------------------------------------------------

struct QueryCase {
    const char* title;
    const char* sql;
    Variant defaultValue;
    bool raiseErrors;
    Variant expected;
};

class QueryValues : public UdmTest, public ::testing::WithParamInterface<QueryCase> {};

TEST_P(QueryValues, GiveTheFirstValueOrTheDefault) {
    const auto& c = GetParam();
    Load(Settings());
    EXPECT_EQ(dm.QueryValue(c.sql, c.defaultValue, c.raiseErrors), c.expected);
    EXPECT_EQ(api.openResults, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QueryValues,
    ::testing::Values(
        QueryCase{"Value", ReadSequence, 0, true, 56},
        QueryCase{"NoRow", "select seq_zelnor from filial where filial_id = 99", 7, true, 7},
        QueryCase{"Null", "select seq_zelnor from filial where filial_id = 3", "x", true, "x"},
        QueryCase{"FirstOfSeveral", "select filial_id, 1 from filial order by filial_id", 0, true,
                  2},
        QueryCase{"SwallowedFailure", "select nada from filial", 7, false, Variant()}),
    test::ByTitle);

TEST_F(UdmTest, QueryValueConnectsByItselfWhenClosed) {
    dm.Conexao().SetServer(Server().Host());
    dm.Conexao().SetPort(Server().Port());
    dm.Conexao().SetDatabase(Server().Database());
    dm.Conexao().SetUsername(Server().User());
    dm.Conexao().SetPassword(Server().Password());
    EXPECT_EQ(dm.QueryValue(ReadSequence, 0, true), Variant(56));
}

// --- ExecuteMount -------------------------------------------------------------------------

TSqlMount SequenceUpdate(int filialId) {
    TSqlMount mount(smUpdate, "filial");
    mount.AddField("seq_zelnor", 57, ftInteger);
    mount.SqlWhere(fmt::format("where filial_id = {}", filialId));
    return mount;
}

struct MountCase {
    int filialId;
    int affected;
};

void PrintTo(const MountCase& c, std::ostream* os) {
    *os << "filial " << c.filialId;
}

class MountCounts : public UdmTest, public ::testing::WithParamInterface<MountCase> {};

TEST_P(MountCounts, ReturnTheAffectedRows) {
    Load(Settings());
    TSqlMount mount = SequenceUpdate(GetParam().filialId);
    ASSERT_EQ(mount.GetSql(),
              " update filial set \r\nseq_zelnor = :seq_zelnor\r\nwhere filial_id = " +
                  std::to_string(GetParam().filialId) + "\r\n");
    EXPECT_EQ(dm.ExecuteMount(mount, true), GetParam().affected);
    EXPECT_EQ(Server().QueryOne("select seq_zelnor from gerente.filial where filial_id = 2"),
              GetParam().affected == 1 ? "57" : "56");
}

INSTANTIATE_TEST_SUITE_P(Cases, MountCounts, ::testing::Values(MountCase{2, 1}, MountCase{99, 0}),
                         [](const auto& info) {
                             return "Filial" + std::to_string(info.param.filialId);
                         });

class MountWithoutFields : public UdmTest, public ::testing::WithParamInterface<bool> {};

TEST_P(MountWithoutFields, FailsWhateverRaiseErrorsSays) {
    TSqlMount mount(smUpdate, "filial");
    try {
        dm.ExecuteMount(mount, GetParam());
        FAIL() << "no error";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "Nao ha campos para gerar a instrucao sql.");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MountWithoutFields, ::testing::Bool());

TEST_F(UdmTest, ASwallowedStatementFailureGivesMinusOne) {
    Load(Settings());
    TSqlMount mount(smUpdate, "nada");
    mount.AddField("seq_zelnor", 57, ftInteger);
    EXPECT_EQ(dm.ExecuteMount(mount, false), -1);
}

struct RaisedCase {
    const char* title;
    std::function<void(TDM&)> fail;
    const char* messagePart;
};

class RaisedFailures : public UdmTest, public ::testing::WithParamInterface<RaisedCase> {};

TEST_P(RaisedFailures, AreAPlainExceptionWithTheClientsMessage) {
    Load(Settings());
    try {
        GetParam().fail(dm);
        FAIL() << "no error";
    } catch (const Exception& error) {
        EXPECT_EQ(typeid(error), typeid(Exception));
        EXPECT_NE(std::string(error.what()).find(GetParam().messagePart), std::string::npos)
            << error.what();
    }
    EXPECT_EQ(api.openResults, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RaisedFailures,
    ::testing::Values(RaisedCase{"QueryValue", [](TDM& dm) { dm.QueryValue("selec 1", 0, true); },
                                 "You have an error in your SQL syntax"},
                      RaisedCase{"ExecuteMount",
                                 [](TDM& dm) {
                                     TSqlMount mount(smUpdate, "nada");
                                     mount.AddField("seq_zelnor", 57, ftInteger);
                                     dm.ExecuteMount(mount, true);
                                 },
                                 "gerente.nada"}),
    test::ByTitle);

// --- a restarted server -------------------------------------------------------------------

TEST_F(UdmTest, AfterAServerRestartTheFirstQueryFailsAndTheNextOneWorks) {
    if (!test::MariaDbServer::CanRestart) {
        GTEST_SKIP() << "the Windows lane's server is the test script's; a test cannot restart it";
    }
    Load(Settings());
    ASSERT_EQ(dm.QueryValue(ReadSequence, 0, true), Variant(56));

    Server().Stop();
    Server().Start();

    try {
        dm.QueryValue(ReadSequence, 0, true);
        FAIL() << "the lost connection went unnoticed";
    } catch (const Exception& error) {
        EXPECT_FALSE(std::string(error.what()).empty());
    }
    EXPECT_EQ(dm.QueryValue(ReadSequence, 0, true), Variant(56));
    EXPECT_EQ(api.connects, 2);
}

} // namespace
} // namespace mz

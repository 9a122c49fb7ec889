// The branch number, the request file and the settings of the activity test.
#include "MariaDbServer.h"
#include "mz/Exception.h"
#include "mz/data/UDM.h"
#include "test_activity_support.h"

#include <filesystem>
#include <fmt/format.h>
#include <gmock/gmock.h>

namespace mz::test {
namespace {

using ::testing::HasSubstr;

// The activity test over the real data module and a private MariaDB server; the table is
// emptied first.
class ActivityDbTest : public ::testing::Test {
protected:
    ActivityDbTest() {
        dm.ConnectTo(db.Host(), db.Database(), db.User(), db.Password(), db.Port());
        ClearTable();
    }

    void ClearTable() const { db.Execute(fmt::format("delete from {}.filial", db.Database())); }
    // Replaces every row by one row for branch; value is an SQL literal ("NULL", "-5").
    void StoreOnly(int branch, const std::string& value) const {
        ClearTable();
        db.Execute(fmt::format("insert into {}.filial (filial_id, seq_zelnor) values ({}, {})",
                               db.Database(), branch, value));
    }
    // seq_zelnor of branch as text: "NULL" for a null, "no row" when the branch has none.
    std::string Stored(int branch) const {
        const auto count = db.QueryOne(fmt::format(
            "select count(*) from {}.filial where filial_id = {}", db.Database(), branch));
        if (count != "1") {
            return "no row";
        }
        return db
            .QueryOne(fmt::format("select seq_zelnor from {}.filial where filial_id = {}",
                                  db.Database(), branch))
            .value_or("NULL");
    }

    MariaDbServer& db = MariaDbServer::Shared();
    TDM dm{"", platform::SystemFileSystem(), NoSleeper()};
};

TEST_F(ActivityDbTest, AdvancesTheBranchNumberAndWritesTheRequest) {
    struct Case {
        const char* stored; // SQL literal, or nullptr for no row
        const char* firstRequest;
        const char* secondRequest;
        const char* storedAfter;
    };
    const Case cases[] = {
        {"0", "000197\r\n", "000297\r\n", "2"},
        {"41", "004297\r\n", "004397\r\n", "43"},
        {"9998", "999997\r\n", "000197\r\n", "1"},
        {"9999", "000197\r\n", "000297\r\n", "2"},
        {"123456", "000197\r\n", "000297\r\n", "2"},
        {"2147483647", "000197\r\n", "000297\r\n", "2"},
        {"NULL", "000197\r\n", "000297\r\n", "2"},
        {"-5", "-000497\r\n", "-000397\r\n", "-3"},
        {"-2147483648", "-214748364797\r\n", "-214748364697\r\n", "-2147483646"},
        // Without a row nothing is stored, so every test sends 1.
        {nullptr, "000197\r\n", "000197\r\n", "no row"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "no row");
        if (c.stored) {
            StoreOnly(2, c.stored);
        } else {
            ClearTable();
        }
        Scenario scenario(dm);

        EXPECT_FALSE(scenario.RunActivityTest());
        EXPECT_EQ(TryReadBytes(scenario.RequestPath()), c.firstRequest);
        EXPECT_FALSE(scenario.RunActivityTest());
        EXPECT_EQ(TryReadBytes(scenario.RequestPath()), c.secondRequest);
        EXPECT_EQ(Stored(2), c.storedAfter);
    }
}

TEST_F(ActivityDbTest, NextBranchSequenceStoresAndReturnsTheNextNumber) {
    StoreOnly(7, "9998");
    Scenario scenario(dm);
    EXPECT_EQ(scenario.monitor.NextBranchSequence(7), 9999);
    EXPECT_EQ(scenario.monitor.NextBranchSequence(7), 1);
    EXPECT_EQ(Stored(7), "1");
    EXPECT_EQ(scenario.monitor.NextBranchSequence(8), 1); // no row for 8
    EXPECT_EQ(Stored(8), "no row");
}

TEST_F(ActivityDbTest, ReadsTheBranchCodeFromTheSettings) {
    struct Case {
        std::optional<std::string> codLogica;
        int branch;
    };
    const Case cases[] = {
        {std::nullopt, 2}, {"", 2}, {"abc", 2}, {"0x1A", 26}, {"$1a", 26}, {" 7", 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codLogica.value_or("(missing)"));
        ClearTable();
        db.Execute(
            fmt::format("insert into {}.filial values (2, 10), (7, 10), (26, 10)", db.Database()));
        Scenario scenario(dm);
        Settings settings = scenario.DefaultSettings();
        settings.codLogica = c.codLogica;
        scenario.WriteSettings(settings);

        scenario.RunActivityTest();

        for (const int branch : {2, 7, 26}) {
            EXPECT_EQ(Stored(branch), branch == c.branch ? "11" : "10") << "branch " << branch;
        }
    }
}

TEST_F(ActivityDbTest, RefusesAnUnidentifiedBranchAndLogsIt) {
    for (const char* codLogica : {"0", "0x0"}) {
        SCOPED_TRACE(codLogica);
        StoreOnly(2, "10");
        Scenario scenario(dm);
        Settings settings = scenario.DefaultSettings();
        settings.codLogica = codLogica;
        scenario.WriteSettings(settings);
        const WorkingDirectory cwd(scenario.root.Path());

        try {
            scenario.RunActivityTest();
            ADD_FAILURE() << "no exception";
        } catch (const Exception& error) {
            EXPECT_EQ(error.Message(), "Filial n\xE3o identificada.");
        }

        EXPECT_EQ(TryReadBytes(scenario.root.Path() + "LogZelnor/3.txt"),
                  "08/03/2025 14:03:27 - CodFilial n\xE3o identificada.\r\n");
        EXPECT_EQ(Stored(2), "10");
        EXPECT_FALSE(std::filesystem::exists(scenario.RequestPath()));
        EXPECT_EQ(scenario.sleeper.calls, 0);
    }
}

TEST_F(ActivityDbTest, PassesADatabaseFailureOnBeforeWritingTheRequest) {
    Scenario scenario(dm);
    db.Execute(fmt::format("rename table {0}.filial to {0}.filial_away", db.Database()));
    struct TableBack {
        MariaDbServer& db;
        ~TableBack() {
            db.Execute(fmt::format("rename table {0}.filial_away to {0}.filial", db.Database()));
        }
    } tableBack{db};

    try {
        scenario.RunActivityTest();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& error) {
        EXPECT_THAT(error.Message(), HasSubstr("filial' doesn't exist"));
    }
    EXPECT_FALSE(std::filesystem::exists(scenario.RequestPath()));
}

// The system's words for a missing folder, as a message quotes them: Linux's are known; Windows'
// differ between the system and Wine, so they come from the system (ERROR_PATH_NOT_FOUND).
std::string MissingFolderText() {
#ifdef _WIN32
    std::string text = platform::ErrorText(3);
    text.erase(text.find_last_not_of(" .\r\n") + 1);
    return text;
#else
    return "No such file or directory";
#endif
}

TEST_F(ActivityDbTest, ReportsARequestThatCannotBeWritten) {
    struct Case {
        const char* name;
        bool sendDirMissing;
        std::optional<platform::OsError> writeFailure;
        std::string osText;
    };
    const Case cases[] = {
        {"send directory missing", true, std::nullopt, MissingFolderText()},
        {"disk full", false, platform::OsError{112, "No space left on device.\r\n"},
         "No space left on device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoreOnly(2, "0");
        Scenario scenario(dm);
        if (c.sendDirMissing) {
            std::filesystem::remove(scenario.sendDir);
        }
        scenario.files.writeFailure = c.writeFailure;
        WriteBytes(scenario.ReplyPath(), "000197OK");

        try {
            scenario.RunActivityTest();
            ADD_FAILURE() << "no exception";
        } catch (const Exception& error) {
            EXPECT_EQ(error.Message(), fmt::format("Cannot create file \"{}\". {}",
                                                   scenario.RequestPath(), c.osText));
        }

        EXPECT_EQ(Stored(2), "1");
        EXPECT_FALSE(std::filesystem::exists(scenario.RequestPath()));
        // Removed as a reply left from an earlier test, never judged.
        EXPECT_FALSE(std::filesystem::exists(scenario.ReplyPath()));
        EXPECT_EQ(scenario.sleeper.calls, 0);
        EXPECT_EQ(scenario.window.processed, 0);
    }
}

TEST_F(ActivityDbTest, UsesTheDirectoriesAsPlainPrefixes) {
    struct Case {
        const char* envio; // relative to the scenario's root
        const char* requestFile;
    };
    const Case cases[] = {
        {"env", "envTesteAtividadeX.txt"}, {"", "TesteAtividadeX.txt"}, // the working directory
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.envio);
        StoreOnly(2, "0");
        Scenario scenario(dm);
        const WorkingDirectory cwd(scenario.root.Path());
        Settings settings = scenario.DefaultSettings();
        settings.envio = *c.envio ? scenario.root.Path() + c.envio : std::string();
        scenario.WriteSettings(settings);

        EXPECT_FALSE(scenario.RunActivityTest());
        EXPECT_EQ(TryReadBytes(scenario.root.Path() + c.requestFile), "000197\r\n");
    }
}

TEST_F(ActivityDbTest, LoadsTheExchangeSettings) {
    struct Case {
        const char* name;
        std::optional<Settings> settings; // nullopt: no settings file at all
        TPBMConfig expected;
    };
    const Case cases[] = {
        {"no file",
         std::nullopt,
         {platform::DefaultSendDirectory(), platform::DefaultReplyDirectory(), 2500}},
        {"keys missing",
         Settings{std::nullopt, std::nullopt, std::nullopt, std::nullopt},
         {platform::DefaultSendDirectory(), platform::DefaultReplyDirectory(), 2500}},
        {"empty values", Settings{"", "", "", ""}, {"", "", 2500}},
        {"quoted and hexadecimal",
         Settings{"'/x/env/'", " \"/x/rec/\" ", "0x3E8", "2"},
         {"/x/env/", "/x/rec/", 1000}},
        {"not a number", Settings{"/e/", "/r/", "2,5", "2"}, {"/e/", "/r/", 2500}},
        {"negative", Settings{"/e/", "/r/", "-1500", "2"}, {"/e/", "/r/", -1500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario scenario(dm);
        if (c.settings) {
            scenario.WriteSettings(*c.settings);
        } else {
            std::filesystem::remove(scenario.programDir + "sistema_tervo.ini");
        }

        TPBMConfig config;
        scenario.monitor.LoadPBMConfig(config);

        EXPECT_EQ(config.Envio, c.expected.Envio);
        EXPECT_EQ(config.Resposta, c.expected.Resposta);
        EXPECT_EQ(config.Tempo, c.expected.Tempo);
    }
}

} // namespace
} // namespace mz::test

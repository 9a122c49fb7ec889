// The activity test never writes through a planted link, and a settings file that cannot be
// read for now stops the test before it touches the database or any file.
#include "mz/Exception.h"
#include "mz/log/uLog.h"
#include "test_activity_support.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <sys/stat.h>

namespace mz::test {
namespace {

using ::testing::StartsWith;

TEST_F(ActivityTest, ALinkWhereTheRequestGoesIsACannotCreateFileFailure) {
    StoreOnly(2, "0");
    Scenario scenario(dm);
    const std::string victim = scenario.root.WriteFile("victim.txt", "precious");
    std::filesystem::create_symlink(victim, scenario.RequestPath());
    try {
        scenario.RunActivityTest();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_THAT(e.what(),
                    StartsWith("Cannot create file \"" + scenario.RequestPath() + "\". "));
    }
    EXPECT_EQ(ReadBytes(victim), "precious");
}

TEST_F(ActivityTest, ASettingsFileHeldByAnotherProgramStopsTheTestBeforeAnythingIsTouched) {
    StoreOnly(2, "0");
    Scenario scenario(dm);
    const std::string settings = scenario.programDir + "sistema_tervo.ini";
    {
        const platform::File held =
            platform::SystemFileSystem().Open(settings, platform::OpenMode::AppendDenyWrite);
        try {
            scenario.RunActivityTest();
            FAIL() << "the defaults were used";
        } catch (const Exception& e) {
            EXPECT_THAT(e.what(), StartsWith("Cannot open file \"" + settings + "\". "));
        }
    }
    EXPECT_TRUE(dm.statements.empty());
    EXPECT_EQ(Stored(2), "0");
    EXPECT_FALSE(std::filesystem::exists(scenario.RequestPath()));
    // Let go, the next test runs as usual.
    EXPECT_FALSE(scenario.RunActivityTest());
    EXPECT_EQ(Stored(2), "1");
}

TEST_F(ActivityTest, AFifoAsTheReplyIsNoReply) {
    StoreOnly(2, "0");
    Scenario scenario(dm);
    scenario.files.afterOpen = [&](const std::string& path) {
        if (path == scenario.RequestPath()) {
            ASSERT_EQ(::mkfifo(scenario.ReplyPath().c_str(), 0644), 0);
        }
    };
    EXPECT_FALSE(scenario.RunActivityTest());
    EXPECT_EQ(scenario.sleeper.calls, 600); // three waits of two seconds, as for no file
}

// A second name planted where the program writes: the file it names is never written.
TEST_F(ActivityTest, NeverWritesThroughAHardLinkOrALinkedLogFolder) {
    struct Case {
        const char* title;
        bool request; // else: the month log
        bool linkedFolder;
    };
    const Case cases[] = {
        {"hard link at the request", true, false},
        {"hard link at the month log", false, false},
        {"LogZelnor a link to another folder", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        StoreOnly(2, "0");
        Scenario scenario(dm);
        const WorkingDirectory inside(scenario.root.Root());
        const std::string victim = scenario.root.WriteFile("victim.txt", "precious");
        const std::filesystem::path other = scenario.root.Root() / "other";
        std::filesystem::create_directory(other);
        if (c.request) {
            std::filesystem::create_hard_link(victim, scenario.RequestPath());
        } else if (c.linkedFolder) {
            std::filesystem::create_directory_symlink(other, "LogZelnor");
        } else {
            std::filesystem::create_directory("LogZelnor");
            std::filesystem::create_hard_link(victim, "LogZelnor/3.txt");
        }
        try {
            if (c.request) {
                scenario.RunActivityTest();
            } else {
                WriteLog(scenario.services, "Falha ao obter a resposta do zelnor");
            }
            ADD_FAILURE() << "written";
        } catch (const Exception& e) {
            if (c.request) {
                EXPECT_THAT(e.what(),
                            StartsWith("Cannot create file \"" + scenario.RequestPath() + "\". "));
            } else {
                EXPECT_STREQ(e.what(), "I/O error 103");
            }
        }
        EXPECT_EQ(ReadBytes(victim), "precious");
        EXPECT_TRUE(std::filesystem::is_empty(other));
    }
}

struct LogCase {
    const char* title;
    bool fifo; // else: a link to a file of someone else's
};

TEST(MonthLog, NeverWritesThroughALinkNorWaitsOnAFifo) {
    for (const LogCase& c : {LogCase{"link", false}, LogCase{"fifo", true}}) {
        SCOPED_TRACE(c.title);
        const TempDir dir;
        const WorkingDirectory inside(dir.Root());
        const std::string victim = dir.WriteFile("victim.txt", "precious");
        std::filesystem::create_directory(dir.Root() / "LogZelnor");
        const std::string month = (dir.Root() / "LogZelnor" / "3.txt").string();
        if (c.fifo) {
            ASSERT_EQ(::mkfifo(month.c_str(), 0644), 0);
        } else {
            std::filesystem::create_symlink(victim, month);
        }
        const FixedClock clock;
        const RegionalSettings regional = BrazilianRegional();
        const Services services{platform::SystemFileSystem(), clock, NoSleeper(), regional};
        try {
            WriteLog(services, "Falha ao obter a resposta do zelnor");
            FAIL() << "written";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "I/O error 103");
        }
        EXPECT_EQ(ReadBytes(victim), "precious");
    }
}

} // namespace
} // namespace mz::test

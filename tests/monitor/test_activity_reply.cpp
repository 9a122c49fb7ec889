// How the activity test reads, judges and removes the reply file.
#include "mz/Exception.h"
#include "test_activity_support.h"

#include <fcntl.h>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace mz::test {
namespace {

using namespace std::string_literals;

const std::string Bom = "\xEF\xBB\xBF";

TEST_F(ActivityTest, JudgesTheStatusFieldOfTheFirstLine) {
    struct Case {
        const char* name;
        std::string reply;
        bool good;
    };
    const Case cases[] = {
        {"good", "000197OK", true},
        {"good with its line end", "000197OK\r\n", true},
        {"number and code not compared", "999912OK and more\r\nx", true},
        {"good ended by a lone LF", "000197OK\n", true},
        {"lower case", "000197ok", false},
        {"refused", "000197NO\r\n", false},
        {"short first line", "0001OK", false},
        {"OK alone", "OK", false},
        {"only a line end", "\r\n", false},
        {"OK on the second line", "000197\r\n000197OK\r\n", false},
        {"lone CR before the status", "000197\rOK", false},
        {"lone LF before the status", "\n000197OK", false},
        {"NUL ends the text", "00019\0OK"s, false},
        {"byte-order mark counts as text", Bom + "000OK", true},
        {"byte-order mark shifts the status", Bom + "000197OK", false},
        {"byte-order mark before a short line", Bom + "0001OK", false},
        {"huge single line", "000197OK" + std::string(4 << 20, 'x'), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoreOnly(2, "0");
        Scenario scenario(dm);
        scenario.AnswerWith(c.reply);

        EXPECT_EQ(scenario.RunActivityTest(), c.good);

        EXPECT_EQ(scenario.window.status,
                  c.good ? "Ultimo arquivo de resposta: 08/03/2025 14:03:27" : "");
        EXPECT_FALSE(std::filesystem::exists(scenario.ReplyPath()));
        EXPECT_EQ(TryReadBytes(scenario.RequestPath()), "000197\r\n");
        if (c.reply.find_first_of("\r\n\0"s) != std::string::npos) {
            // Found and read at the first look, so no wait and no second reading.
            EXPECT_EQ(scenario.sleeper.calls, 0);
            EXPECT_EQ(scenario.ReplyLooks(), 1);
            EXPECT_EQ(scenario.files.opens[scenario.ReplyPath()], 1);
        } else {
            // A first line without its end may still be growing: judged at the last look.
            EXPECT_EQ(scenario.sleeper.calls, 600);
            EXPECT_EQ(scenario.ReplyLooks(), 4);
        }
    }
}

// A service that writes its reply a few bytes at a time, without a lock: pieces[0] appears with
// the request, pieces[n] after the n-th look.
TEST_F(ActivityTest, WaitsForTheLineEndOfAReplyBeingWritten) {
    struct Case {
        const char* name;
        std::vector<std::string> pieces;
        bool good;
        int sleeps;
    };
    const Case cases[] = {
        {"line end at the first look", {"0001", "97OK\r\n"}, true, 0},
        {"line end at the third look", {"0001", "97", "OK", "\r\n"}, true, 400},
        {"line end at the last look", {"0", "001", "97", "OK", "\r\n"}, true, 600},
        {"refused once written", {"00", "0197", "NO\n"}, false, 200},
        {"no line end by the last look", {"0001", "97", "OK"}, true, 600},
        {"short line by the last look", {"0001", "OK"}, false, 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoreOnly(2, "0");
        Scenario scenario(dm);
        scenario.AnswerWith(c.pieces.front());
        scenario.files.afterLook = [&](const std::string& path, int look) {
            if (path == scenario.ReplyPath() && look < static_cast<int>(c.pieces.size())) {
                std::ofstream(path, std::ios::binary | std::ios::app) << c.pieces[look];
            }
        };

        EXPECT_EQ(scenario.RunActivityTest(), c.good);

        EXPECT_EQ(scenario.sleeper.calls, c.sleeps);
        EXPECT_FALSE(std::filesystem::exists(scenario.ReplyPath()));
    }
}

TEST_F(ActivityTest, ALateReplyFromAnEarlierTestAnswersNothing) {
    StoreOnly(2, "0");
    Scenario scenario(dm);
    WriteBytes(scenario.ReplyPath(), "000197OK\r\n");

    EXPECT_FALSE(scenario.RunActivityTest());

    EXPECT_EQ(scenario.sleeper.calls, 600);
    EXPECT_FALSE(std::filesystem::exists(scenario.ReplyPath()));
    EXPECT_EQ(TryReadBytes(scenario.RequestPath()), "000197\r\n");
    EXPECT_EQ(scenario.window.status, "");
}

TEST_F(ActivityTest, ShowsTheLocalTimeOfAGoodReply) {
    struct Case {
        LocalDateTime now;
        const char* status;
    };
    const Case cases[] = {
        {{2025, 3, 8, 14, 3, 27, 0}, "Ultimo arquivo de resposta: 08/03/2025 14:03:27"},
        {{2025, 12, 31, 0, 0, 0, 999}, "Ultimo arquivo de resposta: 31/12/2025"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        StoreOnly(2, "0");
        Scenario scenario(dm);
        scenario.clock.now = c.now;
        scenario.window.status = "earlier";
        scenario.AnswerWith("000197OK\r\n");

        EXPECT_TRUE(scenario.RunActivityTest());
        EXPECT_EQ(scenario.window.status, c.status);
    }
}

// Holds a file the way a writer that is not finished does: open, locked exclusively.
class HeldFile {
public:
    explicit HeldFile(const std::string& path)
        : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644)) {
        if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0) {
            throw std::runtime_error("cannot hold " + path);
        }
    }
    ~HeldFile() { ::close(fd_); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    int fd_;
};

TEST_F(ActivityTest, KeepsAReplyThatCannotBeRead) {
    struct Case {
        const char* name;
        std::string reply;
        bool held;
    };
    const Case cases[] = {
        {"empty", "", false},
        {"NUL first",
         "\0"
         "000197OK"s,
         false},
        {"held by its writer", "000197OK", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoreOnly(2, "0");
        Scenario scenario(dm);
        std::optional<HeldFile> hold;
        scenario.AnswerWith(c.reply, [&] {
            if (c.held) {
                hold.emplace(scenario.ReplyPath());
            }
        });

        try {
            scenario.RunActivityTest();
            ADD_FAILURE() << "no exception";
        } catch (const Exception& error) {
            if (c.held) {
                // The operating system's text follows; its wording is the platform's.
                const std::string start =
                    fmt::format("Cannot open file \"{}\". ", scenario.ReplyPath());
                EXPECT_EQ(error.Message().substr(0, start.size()), start);
                EXPECT_GT(error.Message().size(), start.size());
            } else {
                EXPECT_EQ(error.Message(), "List index out of bounds (0)");
            }
        }

        EXPECT_EQ(TryReadBytes(scenario.ReplyPath()), c.reply);
        EXPECT_EQ(scenario.window.status, "");
    }
}

TEST_F(ActivityTest, TakesItsOwnRequestForTheReplyWhenBothDirectoriesAreOne) {
    StoreOnly(2, "0");
    Scenario scenario(dm);
    Settings settings = scenario.DefaultSettings();
    settings.resposta = scenario.sendDir;
    scenario.WriteSettings(settings);

    EXPECT_FALSE(scenario.RunActivityTest());

    EXPECT_FALSE(std::filesystem::exists(scenario.RequestPath()));
    EXPECT_EQ(scenario.sleeper.calls, 0);
    EXPECT_EQ(Stored(2), "1");
}

} // namespace
} // namespace mz::test

// The simulated Zelnor service that the activity tests and benchmarks talk to.
#include "TestFiles.h"
#include "test_zelnor_sim_process.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>

namespace mz::test {
namespace {

namespace fs = std::filesystem;

class ZelnorSimTest : public ::testing::Test {
protected:
    ZelnorSimTest() {
        fs::create_directory(send);
        fs::create_directory(reply);
    }

    std::vector<std::string> Arguments(const char* mode) const {
        return {"--send", send.string(), "--reply", reply.string(), "--mode", mode};
    }

    TempDir root_;
    fs::path send = root_.Root() / "env";
    fs::path reply = root_.Root() / "rec";
};

TEST_F(ZelnorSimTest, AnswersAsItsModeSays) {
    struct Case {
        const char* mode;
        std::optional<std::string> reply;
        const char* answerLine;
    };
    const Case cases[] = {
        {"good", "000197OK\r\n", "answer req.txt good 000197OK"},
        {"bad", "000197NO\r\n", "answer req.txt bad 000197NO"},
        {"empty", "", "answer req.txt empty"},
        {"none", std::nullopt, "answer req.txt none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        fs::remove(reply / "req.txt");
        WriteBytes(send / "req.txt", "000197\r\n");
        std::vector<std::string> arguments = Arguments(c.mode);
        arguments.push_back("--once");
        ZelnorSimProcess service(arguments);

        EXPECT_TRUE(service.LineStartingWith("watching"));
        EXPECT_EQ(service.NextLine(), "request req.txt 000197");
        EXPECT_EQ(service.NextLine(), c.answerLine);
        EXPECT_EQ(service.Wait(), 0);
        EXPECT_EQ(TryReadBytes(reply / "req.txt"), c.reply);
        EXPECT_EQ(TryReadBytes(send / "req.txt"), "000197\r\n"); // the request stays
        EXPECT_EQ(std::distance(fs::directory_iterator(reply), fs::directory_iterator()),
                  c.reply ? 1 : 0); // no temporary file left behind
    }
}

TEST_F(ZelnorSimTest, AnswersARequestAgainOnlyWhenItIsRewritten) {
    ZelnorSimProcess service(Arguments("good"));
    ASSERT_TRUE(service.LineStartingWith("watching"));
    WriteBytes(send / "a.txt", "000197\r\n");
    ASSERT_TRUE(service.LineStartingWith("answer a.txt"));
    fs::remove(reply / "a.txt");

    // Answering another request takes a later look at the directory, which must pass a.txt by.
    WriteBytes(send / "b.txt", "000297\r\n");
    EXPECT_EQ(service.LineStartingWith("answer"), "answer b.txt good 000297OK");
    EXPECT_FALSE(fs::exists(reply / "a.txt"));

    WriteBytes(send / "a.txt", "000397\r\n");
    EXPECT_EQ(service.LineStartingWith("answer"), "answer a.txt good 000397OK");
    EXPECT_EQ(TryReadBytes(reply / "a.txt"), "000397OK\r\n");
}

TEST_F(ZelnorSimTest, StopsCleanlyWhenAsked) {
    ZelnorSimProcess service(Arguments("none"));
    ASSERT_TRUE(service.LineStartingWith("watching"));

    service.Stop();

    EXPECT_EQ(service.NextLine(), "stopped");
    EXPECT_EQ(service.Wait(), 0);
}

#ifndef _WIN32
TEST_F(ZelnorSimTest, StopsCleanlyOnASignal) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        ZelnorSimProcess service(Arguments("none"));
        ASSERT_TRUE(service.LineStartingWith("watching"));

        service.Signal(signal);

        EXPECT_EQ(service.NextLine(), "stopped");
        EXPECT_EQ(service.Wait(), 0);
    }
}
#endif

TEST_F(ZelnorSimTest, ExplainsItsCommandLine) {
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        const char* firstLine;
    };
    const Case cases[] = {
        {{"--help"}, 0, "usage: zelnor_sim"},
        {{"--send", "x"}, 2, ""},
        {{"--send", "x", "--reply", "y", "--mode", "loud"}, 2, ""},
        {{"--send", "/nonexistent/x", "--reply", "/nonexistent/y"}, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        ZelnorSimProcess service(c.arguments);
        const std::optional<std::string> line = service.NextLine();
        EXPECT_EQ(line.value_or("").substr(0, std::string(c.firstLine).size()), c.firstLine);
        EXPECT_EQ(service.Wait(), c.exitCode);
    }
}

} // namespace
} // namespace mz::test

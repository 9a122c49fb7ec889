// The activity test against the simulated Zelnor service running as a process of its own.
#include "mz/Exception.h"
#include "mz/platform/System.h"
#include "test_activity_support.h"
#include "test_zelnor_sim_process.h"

#include <filesystem>
#include <fmt/format.h>

namespace mz::test {
namespace {

TEST_F(ActivityTest, GetsAGoodAnswerFromTheService) {
    StoreOnly(2, "0");
    Scenario scenario(dm, &platform::SystemSleeper());
    Settings settings = scenario.DefaultSettings();
    settings.tempo = "1000";
    scenario.WriteSettings(settings);
    ZelnorSimProcess service(
        {"--send", scenario.sendDir, "--reply", scenario.replyDir, "--mode", "good"});
    ASSERT_TRUE(service.LineStartingWith("watching"));

    EXPECT_TRUE(scenario.RunActivityTest());

    EXPECT_EQ(service.NextLine(), "request TesteAtividadeX.txt 000197");
    EXPECT_EQ(service.NextLine(), "answer TesteAtividadeX.txt good 000197OK");
    EXPECT_EQ(scenario.window.status, "Ultimo arquivo de resposta: 08/03/2025 14:03:27");
    EXPECT_FALSE(std::filesystem::exists(scenario.ReplyPath()));
    EXPECT_EQ(TryReadBytes(scenario.RequestPath()), "000197\r\n");
    service.Stop();
    EXPECT_EQ(service.Wait(), 0);
}

TEST_F(ActivityTest, LeavesAReplyTheServiceIsStillWriting) {
    StoreOnly(2, "0");
    Scenario scenario(dm);
    ZelnorSimProcess service({"--send", scenario.sendDir, "--reply", scenario.replyDir, "--mode",
                              "hold", "--hold-ms", "600000"});
    // The service holds the reply to this test's own request: a held reply from an earlier
    // test is removed before the request is written.
    scenario.files.afterLook = [&](const std::string& path, int look) {
        if (path == scenario.ReplyPath() && look == 1) {
            ASSERT_TRUE(service.LineStartingWith("holding TesteAtividadeX.txt"));
        }
    };

    try {
        scenario.RunActivityTest();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& error) {
        const std::string start = fmt::format("Cannot open file \"{}\". ", scenario.ReplyPath());
        EXPECT_EQ(error.Message().substr(0, start.size()), start);
    }

    EXPECT_TRUE(std::filesystem::exists(scenario.ReplyPath()));
    EXPECT_EQ(scenario.window.status, "");
    service.Stop();
    EXPECT_EQ(service.Wait(), 0);
}

} // namespace
} // namespace mz::test

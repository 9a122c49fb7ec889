// The wait for the reply: tries, whole-second waits and the active window.
#include "test_activity_support.h"

#include <filesystem>

namespace mz::test {
namespace {

using std::chrono::milliseconds;

TEST_F(ActivityTest, WaitsThreeTriesOfWholeSeconds) {
    struct Case {
        std::optional<std::string> tempo;
        milliseconds slept;
    };
    const Case cases[] = {
        {"2500", milliseconds(6000)}, {std::nullopt, milliseconds(6000)},
        {"3999", milliseconds(9000)}, {"1000", milliseconds(3000)},
        {"999", milliseconds(0)},     {"-1500", milliseconds(0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tempo.value_or("(missing)"));
        StoreOnly(2, "0");
        Scenario scenario(dm);
        Settings settings = scenario.DefaultSettings();
        settings.tempo = c.tempo;
        scenario.WriteSettings(settings);

        EXPECT_FALSE(scenario.RunActivityTest());

        EXPECT_EQ(scenario.sleeper.slept, c.slept);
        EXPECT_EQ(scenario.sleeper.calls, c.slept / milliseconds(10));
        // A sleep of 10 ms and a round of messages at every tick, one more round per try.
        EXPECT_EQ(scenario.window.processed, scenario.sleeper.calls + 3);
        // Four looks in the wait; the delete afterwards needs none.
        EXPECT_EQ(scenario.ReplyLooks(), 4);
        EXPECT_EQ(scenario.window.activeAnswers, 0);
    }
}

// Every value of one test comes from one read of the file, also when it changes meanwhile.
TEST_F(ActivityTest, ReadsItsSettingsOnceATest) {
    StoreOnly(2, "0");
    Scenario scenario(dm);
    Settings settings = scenario.DefaultSettings();
    settings.tempo = "1000";
    scenario.WriteSettings(settings);
    settings.tempo = "3000";
    scenario.window.onProcess = [&](int call) {
        if (call == 1) {
            scenario.WriteSettings(settings);
        }
    };

    EXPECT_FALSE(scenario.RunActivityTest());

    EXPECT_EQ(scenario.files.opens[scenario.programDir + "sistema_tervo.ini"], 1);
    EXPECT_EQ(scenario.sleeper.slept, milliseconds(3000));
}

TEST_F(ActivityTest, FindsAReplyThatArrivesDuringTheWait) {
    struct Case {
        const char* name;
        int atProcessCall; // 0: not by a message round
        int afterLook;     // 0: not after a look
        bool good;
        milliseconds slept;
        int looks;
    };
    const Case cases[] = {
        {"during the first wait", 1, 0, true, milliseconds(2000), 2},
        {"in the round after the first try", 201, 0, true, milliseconds(2000), 2},
        {"during the second wait", 202, 0, true, milliseconds(4000), 3},
        {"in the round after the last try", 603, 0, true, milliseconds(6000), 4},
        {"after the last look: deleted unread", 0, 4, false, milliseconds(6000), 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoreOnly(2, "0");
        Scenario scenario(dm);
        const std::string reply = scenario.ReplyPath();
        scenario.window.onProcess = [&](int call) {
            if (call == c.atProcessCall) {
                WriteBytes(reply, "000197OK\r\n");
            }
        };
        scenario.files.afterLook = [&](const std::string& path, int look) {
            if (path == reply && look == c.afterLook) {
                WriteBytes(reply, "000197OK\r\n");
            }
        };

        EXPECT_EQ(scenario.RunActivityTest(), c.good);

        EXPECT_EQ(scenario.sleeper.slept, c.slept);
        EXPECT_EQ(scenario.ReplyLooks(), c.looks);
        EXPECT_FALSE(std::filesystem::exists(reply));
    }
}

TEST_F(ActivityTest, CountsNoTryWhileTheWindowIsActive) {
    struct Case {
        const char* name;
        int activeFrom; // message round that activates the window; 0: active from the start
        int activeUntil;
        int activePasses;
    };
    const Case cases[] = {
        {"active at the start", 0, 5, 5},
        {"activated between two tries", 201, 206, 5},
        {"active only inside a wait", 50, 60, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoreOnly(2, "0");
        Scenario scenario(dm);
        TestWindow& window = scenario.window;
        window.active = c.activeFrom == 0;
        window.onProcess = [&](int call) {
            if (call == c.activeFrom) {
                window.active = true;
            }
            if (call == c.activeUntil) {
                window.active = false;
            }
        };

        EXPECT_FALSE(scenario.RunActivityTest());

        EXPECT_EQ(window.activeAnswers, c.activePasses);
        // Each active pass yields 10 ms and one message round; the three tries still follow.
        EXPECT_EQ(scenario.sleeper.slept, milliseconds(6000 + 10 * c.activePasses));
        EXPECT_EQ(window.processed, 603 + c.activePasses);
        EXPECT_EQ(scenario.ReplyLooks(), 4 + c.activePasses);
    }
}

TEST_F(ActivityTest, KeepsTheWindowAliveWhileItStaysActive) {
    Scenario scenario(dm);
    TestWindow& window = scenario.window;
    window.active = true;
    window.onProcess = [&](int call) {
        if (call == 50) {
            WriteBytes(scenario.ReplyPath(), "000197OK\r\n");
        }
    };

    EXPECT_TRUE(scenario.monitor.WaitForReply(scenario.ReplyPath()));

    EXPECT_EQ(window.activeAnswers, 50);
    EXPECT_EQ(window.processed, 50);
    EXPECT_EQ(scenario.sleeper.slept, milliseconds(500));
}

TEST_F(ActivityTest, WaitSecondsSleepsInTicksOfTenMilliseconds) {
    struct Case {
        std::int32_t seconds;
        int ticks;
    };
    const Case cases[] = {{-1, 0}, {0, 0}, {1, 100}, {3, 300}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        Scenario scenario(dm);

        scenario.monitor.WaitSeconds(c.seconds);

        EXPECT_EQ(scenario.sleeper.calls, c.ticks);
        EXPECT_EQ(scenario.sleeper.slept, milliseconds(10 * c.ticks));
        EXPECT_EQ(scenario.window.processed, c.ticks);
    }
}

} // namespace
} // namespace mz::test

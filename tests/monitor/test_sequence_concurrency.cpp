// Two monitors advancing one branch's number at the same time never hand out the same number.
#include "MariaDbServer.h"
#include "mz/data/UDM.h"
#include "test_activity_support.h"

#include <algorithm>
#include <fmt/format.h>
#include <set>
#include <thread>

namespace mz::test {
namespace {

struct Advancer {
    explicit Advancer(MariaDbServer& db) {
        dm.ConnectTo(db.Host(), db.Database(), db.User(), db.Password(), db.Port());
    }
    void Run(int count) {
        for (int i = 0; i < count; ++i) {
            numbers.push_back(monitor.NextBranchSequence(3));
        }
    }

    TDM dm{"", platform::SystemFileSystem(), NoSleeper()};
    TestWindow window;
    FixedClock clock;
    RegionalSettings regional;
    Services services{platform::SystemFileSystem(), clock, NoSleeper(), regional};
    TMonitorZelnor monitor{dm, window, services, ""};
    std::vector<std::int32_t> numbers;
};

TEST(SequenceConcurrency, TwoConnectionsAdvanceTheSameBranchWithoutLosingANumber) {
    MariaDbServer& db = MariaDbServer::Shared();
    db.Execute(fmt::format("delete from {0}.filial; insert into {0}.filial values (3, 9950)",
                           db.Database()));
    constexpr int Each = 100;
    Advancer first(db);
    Advancer second(db);
    std::thread other([&] { second.Run(Each); });
    first.Run(Each);
    other.join();

    std::set<std::int32_t> handedOut(first.numbers.begin(), first.numbers.end());
    handedOut.insert(second.numbers.begin(), second.numbers.end());
    EXPECT_EQ(handedOut.size(), 2u * Each) << "a number went out twice";
    // 9951 to 9999, then 1 again: 49 + 151 numbers.
    EXPECT_EQ(*handedOut.begin(), 1);
    EXPECT_EQ(*handedOut.rbegin(), 9999);
    EXPECT_EQ(db.QueryOne(fmt::format("select seq_zelnor from {}.filial where filial_id = 3",
                                      db.Database())),
              "151");
}

} // namespace
} // namespace mz::test

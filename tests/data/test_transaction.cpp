// The data module's transaction around a read and its write.
#include "MySqlTestSupport.h"
#include "TestClock.h"
#include "mz/Exception.h"
#include "mz/data/UDM.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <stdexcept>

namespace mz::test {
namespace {

class Transaction : public ::testing::Test {
protected:
    Transaction() {
        dm.ConnectTo(db.Host(), db.Database(), db.User(), db.Password(), db.Port());
        db.Execute(fmt::format("delete from {0}.filial; insert into {0}.filial values (5, 10)",
                               db.Database()));
    }
    std::string Stored() {
        return db
            .QueryOne(
                fmt::format("select seq_zelnor from {}.filial where filial_id = 5", db.Database()))
            .value_or("NULL");
    }
    void Advance(int to) {
        EXPECT_EQ(dm.QueryValue("select seq_zelnor from filial where filial_id = 5 for update",
                                Variant(0), true),
                  Variant(std::int64_t{10}));
        TSqlMount mount(smUpdate, "filial");
        mount.AddField("seq_zelnor", Variant(to), ftInteger);
        mount.SqlWhere("where filial_id = 5");
        dm.ExecuteMount(mount, true);
    }

    MariaDbServer& db = MariaDbServer::Shared();
    TDM dm{"", platform::SystemFileSystem(), NoSleeper()};
};

TEST_F(Transaction, CommitsWhatTheWorkWrote) {
    dm.RunInTransaction([&] { Advance(11); });
    EXPECT_EQ(Stored(), "11");
}

TEST_F(Transaction, RollsBackWhenTheWorkFailsAndPassesTheFailureOn) {
    EXPECT_THROW(dm.RunInTransaction([&] {
        Advance(11);
        throw std::runtime_error("request file");
    }),
                 std::runtime_error);
    EXPECT_EQ(Stored(), "10");
    // The connection is usable again, outside any transaction.
    dm.RunInTransaction([&] { Advance(12); });
    EXPECT_EQ(Stored(), "12");
}

TEST_F(Transaction, AStatementFailureInsideRaisesThePlainClientMessage) {
    try {
        dm.RunInTransaction(
            [&] { dm.QueryValue("select nothing from nowhere for update", Variant(0), true); });
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("nowhere"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Stored(), "10");
}

TEST_F(Transaction, HoldsTheRowAgainstASecondConnectionUntilCommitted) {
    TDM other{"", platform::SystemFileSystem(), NoSleeper()};
    other.ConnectTo(db.Host(), db.Database(), db.User(), db.Password(), db.Port());
    dm.RunInTransaction([&] {
        Advance(11);
        // A second connection's locking read waits for the row; with no wait allowed it fails.
        EXPECT_THROW(
            other.QueryValue("select seq_zelnor from filial where filial_id = 5 for update nowait",
                             Variant(0), true),
            Exception);
    });
    EXPECT_EQ(other.QueryValue("select seq_zelnor from filial where filial_id = 5 for update",
                               Variant(0), true),
              Variant(std::int64_t{11}));
}

} // namespace
} // namespace mz::test

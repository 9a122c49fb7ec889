// One activity test's database work (read the branch's sequence number, store the next one),
// through the data module and through bare Connector/C calls, on the same private server.
#include "MariaDbServer.h"
#include "MySqlClient.h"
#include "mz/data/UDM.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <fmt/format.h>
#include <memory>
#include <stdexcept>

namespace {

using mz::test::MariaDbServer;

constexpr const char* ReadSequence =
    "select filial.seq_zelnor from filial where filial.filial_id = 2";
constexpr const char* StoreSequence =
    " update filial set \r\nseq_zelnor = ?\r\nwhere filial_id = 2\r\n";

int NextSequence(int current) {
    return current % 9999 + 1;
}

MariaDbServer& Server() {
    static MariaDbServer& server = []() -> MariaDbServer& {
        auto& shared = MariaDbServer::Shared();
        shared.Execute("REPLACE INTO gerente.filial VALUES (2, 1)");
        return shared;
    }();
    return server;
}

void ThroughTheDataModule(benchmark::State& state) {
    MariaDbServer& server = Server();
    mz::TDM dm("/nonexistent/", mz::platform::SystemFileSystem(), mz::platform::SystemSleeper());
    dm.ConnectTo(server.Host(), server.Database(), server.User(), server.Password(), server.Port());
    for (auto _ : state) {
        const int current = dm.QueryValue(ReadSequence, 0, true).ToInt32();
        mz::TSqlMount mount(mz::smUpdate, "filial");
        mount.AddField("seq_zelnor", NextSequence(current), mz::ftInteger);
        mount.SqlWhere("where filial_id = 2");
        benchmark::DoNotOptimize(dm.ExecuteMount(mount, true));
    }
}

struct MysqlCloser {
    void operator()(MYSQL* mysql) const noexcept { mysql_close(mysql); }
};

std::unique_ptr<MYSQL, MysqlCloser> BareConnection(const MariaDbServer& server) {
    std::unique_ptr<MYSQL, MysqlCloser> mysql(mysql_init(nullptr));
    const unsigned int protocol = MYSQL_PROTOCOL_TCP;
    mysql_options(mysql.get(), MYSQL_OPT_PROTOCOL, &protocol);
    mysql_options(mysql.get(), MYSQL_SET_CHARSET_NAME, "latin1");
    if (!mysql_real_connect(mysql.get(), server.Host().c_str(), server.User().c_str(),
                            server.Password().c_str(), server.Database().c_str(),
                            static_cast<unsigned int>(server.Port()), nullptr, 0)) {
        throw std::runtime_error(mysql_error(mysql.get()));
    }
    return mysql;
}

int BareRead(MYSQL* mysql) {
    if (mysql_query(mysql, ReadSequence) != 0) {
        throw std::runtime_error(mysql_error(mysql));
    }
    MYSQL_RES* result = mysql_store_result(mysql);
    if (!result) {
        throw std::runtime_error(mysql_error(mysql));
    }
    const MYSQL_ROW row = mysql_fetch_row(result);
    const int value = row && row[0] ? std::atoi(row[0]) : 0;
    mysql_free_result(result);
    return value;
}

std::uint64_t BareStore(MYSQL* mysql, int value) {
    MYSQL_STMT* stmt = mysql_stmt_init(mysql);
    long long parameter = value;
    MYSQL_BIND bind;
    std::memset(&bind, 0, sizeof bind);
    bind.buffer_type = MYSQL_TYPE_LONGLONG;
    bind.buffer = &parameter;
    if (mysql_stmt_prepare(stmt, StoreSequence, std::strlen(StoreSequence)) != 0 ||
        mysql_stmt_bind_param(stmt, &bind) || mysql_stmt_execute(stmt) != 0) {
        const std::string message = mysql_stmt_error(stmt);
        mysql_stmt_close(stmt);
        throw std::runtime_error(message);
    }
    const std::uint64_t rows = mysql_stmt_affected_rows(stmt);
    mysql_stmt_close(stmt);
    return rows;
}

void BareConnectorC(benchmark::State& state) {
    const auto mysql = BareConnection(Server());
    for (auto _ : state) {
        const int current = BareRead(mysql.get());
        benchmark::DoNotOptimize(BareStore(mysql.get(), NextSequence(current)));
    }
}

BENCHMARK(ThroughTheDataModule)->Unit(benchmark::kMicrosecond);
BENCHMARK(BareConnectorC)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();

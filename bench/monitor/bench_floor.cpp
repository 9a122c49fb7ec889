// The floor: the same two statements through bare Connector/C and the same two files through
// plain POSIX calls, with nothing of the program in between.
#include "bench_environment.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <fmt/format.h>
#include <memory>
#include <mysql.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace mz::bench {
namespace {

struct MysqlCloser {
    void operator()(MYSQL* mysql) const noexcept { mysql_close(mysql); }
};
struct StmtCloser {
    void operator()(MYSQL_STMT* stmt) const noexcept { mysql_stmt_close(stmt); }
};

class BareDatabase {
public:
    explicit BareDatabase(const test::MariaDbServer& server) : mysql_(mysql_init(nullptr)) {
        const unsigned int protocol = MYSQL_PROTOCOL_TCP;
        mysql_options(mysql_.get(), MYSQL_OPT_PROTOCOL, &protocol);
        mysql_options(mysql_.get(), MYSQL_SET_CHARSET_NAME, "latin1");
        if (!mysql_real_connect(mysql_.get(), server.Host().c_str(), server.User().c_str(),
                                server.Password().c_str(), server.Database().c_str(),
                                static_cast<unsigned int>(server.Port()), nullptr, 0)) {
            throw std::runtime_error(mysql_error(mysql_.get()));
        }
    }

    std::int64_t Select() {
        const std::string sql =
            fmt::format("select filial.seq_zelnor from filial where filial.filial_id = {}", Branch);
        if (mysql_real_query(mysql_.get(), sql.data(), sql.size()) != 0) {
            throw std::runtime_error(mysql_error(mysql_.get()));
        }
        MYSQL_RES* result = mysql_store_result(mysql_.get());
        const MYSQL_ROW row = result ? mysql_fetch_row(result) : nullptr;
        const std::int64_t value = row && row[0] ? std::strtoll(row[0], nullptr, 10) : 0;
        mysql_free_result(result);
        return value;
    }

    void Update(std::int64_t next) {
        static const std::string sql = fmt::format(
            " update filial set \r\nseq_zelnor = ?\r\nwhere filial_id = {}\r\n", Branch);
        const std::unique_ptr<MYSQL_STMT, StmtCloser> stmt(mysql_stmt_init(mysql_.get()));
        MYSQL_BIND bind{};
        bind.buffer_type = MYSQL_TYPE_LONGLONG;
        bind.buffer = &next;
        if (mysql_stmt_prepare(stmt.get(), sql.data(), sql.size()) != 0 ||
            mysql_stmt_bind_param(stmt.get(), &bind) || mysql_stmt_execute(stmt.get()) != 0) {
            throw std::runtime_error(mysql_stmt_error(stmt.get()));
        }
    }

    void NextNumber() {
        const std::int64_t stored = Select();
        Update(stored >= 9999 ? 1 : stored + 1);
    }

private:
    std::unique_ptr<MYSQL, MysqlCloser> mysql_;
};

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The service answers once the request has been opened, outside the timed part.
void ExchangeFiles(benchmark::State& state, const std::string& request, const std::string& reply) {
    ::unlink(reply.c_str()); // a late answer to an earlier request
    const int out = ::open(request.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    state.PauseTiming();
    Environment::Get().PutReply();
    state.ResumeTiming();
    benchmark::DoNotOptimize(::write(out, "000197\r\n", 8));
    ::close(out);
    benchmark::DoNotOptimize(Exists(reply));
    char buffer[64];
    const int in = ::open(reply.c_str(), O_RDONLY | O_CLOEXEC);
    benchmark::DoNotOptimize(::read(in, buffer, sizeof buffer));
    ::close(in);
    if (Exists(reply)) {
        ::unlink(reply.c_str());
    }
}

void BM_Floor(benchmark::State& state) {
    const Environment& environment = Environment::Get();
    BareDatabase database(environment.Server());
    const std::string request = environment.RequestPath();
    const std::string reply = environment.ReplyPath();
    for (auto _ : state) {
        database.NextNumber();
        ExchangeFiles(state, request, reply);
    }
}
BENCHMARK(BM_Floor)->Unit(benchmark::kMicrosecond);

void BM_FloorDatabase(benchmark::State& state) {
    BareDatabase database(Environment::Get().Server());
    for (auto _ : state) {
        database.NextNumber();
    }
}
BENCHMARK(BM_FloorDatabase)->Unit(benchmark::kMicrosecond);

void BM_FloorFiles(benchmark::State& state) {
    const Environment& environment = Environment::Get();
    const std::string request = environment.RequestPath();
    const std::string reply = environment.ReplyPath();
    for (auto _ : state) {
        ExchangeFiles(state, request, reply);
    }
}
BENCHMARK(BM_FloorFiles)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace mz::bench

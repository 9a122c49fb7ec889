// The part of the MariaDB fixture both platforms share: the administrator's connection, the
// schema, and the shared instance. Starting or finding the server is MariaDbServerPosix.cpp's
// and MariaDbServerWin.cpp's.
#include "MariaDbServer.h"

#include "MariaDbRootConnection.h"

#include <fmt/format.h>
#include <stdexcept>

namespace mz::test {

MariaDbServer& MariaDbServer::Shared() {
    static std::unique_ptr<MariaDbServer> server;
    static std::string failure;
    if (server) {
        return *server;
    }
    if (!failure.empty()) {
        throw std::runtime_error(failure);
    }
    try {
        server = std::make_unique<MariaDbServer>();
    } catch (const std::exception& error) {
        failure = error.what();
        throw;
    }
    return *server;
}

std::string MariaDbServer::ConnectRoot() {
    auto connection = std::make_unique<RootConnection>();
    std::string error = connection->Open(*this);
    if (error.empty()) {
        root_ = std::move(connection);
    }
    return error;
}

MariaDbServer::RootConnection& MariaDbServer::Root() {
    if (!Running()) {
        throw std::runtime_error("the MariaDB test server is stopped");
    }
    if (!root_) {
        if (const auto error = ConnectRoot(); !error.empty()) {
            Fail(error);
        }
    }
    return *root_;
}

// Every database and account but the server's own and the administrator's, as a freshly
// installed server has them.
void MariaDbServer::RemoveLeftovers() {
    Execute("SET SESSION group_concat_max_len = 1048576");
    const auto databases =
        QueryOne("SELECT GROUP_CONCAT(CONCAT('DROP DATABASE `', schema_name, '`') SEPARATOR ';') "
                 "FROM information_schema.schemata WHERE schema_name NOT IN "
                 "('mysql', 'information_schema', 'performance_schema', 'sys')");
    const auto users = QueryOne(fmt::format(
        "SELECT GROUP_CONCAT(CONCAT('DROP USER ''', user, '''@''', host, '''') SEPARATOR ';') "
        "FROM mysql.user WHERE user NOT IN ('root', 'mariadb.sys', 'PUBLIC', '{}') "
        "AND is_role = 'N'",
        rootUser_));
    for (const auto& statements : {databases, users}) {
        if (statements) {
            Execute(*statements);
        }
    }
}

void MariaDbServer::CreateSchema() {
    std::string sql = fmt::format("CREATE DATABASE {0};"
                                  "CREATE TABLE {0}.filial (filial_id int primary key, "
                                  "seq_zelnor int)",
                                  database_);
    for (const char* host : {"127.0.0.1", "localhost"}) {
        sql += fmt::format(";CREATE USER '{0}'@'{1}' IDENTIFIED BY '{2}'"
                           ";GRANT ALL PRIVILEGES ON {3}.* TO '{0}'@'{1}'",
                           user_, host, password_, database_);
    }
    Execute(sql);
}

void MariaDbServer::Execute(const std::string& sql) {
    Root().Run(sql);
}

std::optional<std::string> MariaDbServer::QueryOne(const std::string& sql) {
    return Root().Run(sql);
}

} // namespace mz::test

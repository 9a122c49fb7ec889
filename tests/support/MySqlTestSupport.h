#pragma once

#include "MariaDbServer.h"
#include "MySqlClient.h"

#include <gtest/gtest.h>
#include <string>

namespace mz::test {

// Connector/C with a count of the calls tests care about: connection attempts and results
// held open.
class CountingMySqlApi : public MySqlApi {
public:
    MYSQL* RealConnect(MYSQL* mysql, const char* host, const char* user, const char* password,
                       const char* database, unsigned int port,
                       unsigned long flags) const override {
        ++connects;
        return MySqlApi::RealConnect(mysql, host, user, password, database, port, flags);
    }
    MYSQL_RES* StoreResult(MYSQL* mysql) const override {
        MYSQL_RES* result = MySqlApi::StoreResult(mysql);
        openResults += result ? 1 : 0;
        return result;
    }
    void FreeResult(MYSQL_RES* result) const override {
        openResults -= result ? 1 : 0;
        MySqlApi::FreeResult(result);
    }

    mutable int connects = 0;
    mutable int openResults = 0;
};

inline MariaDbServer& Server() {
    return MariaDbServer::Shared();
}

// Points the connection at the test server as its test user.
inline void UseTestServer(MySqlConnection& connection) {
    connection.SetServer(Server().Host());
    connection.SetPort(Server().Port());
    connection.SetDatabase(Server().Database());
    connection.SetUsername(Server().User());
    connection.SetPassword(Server().Password());
    connection.SetLoginPrompt(false);
}

// A connection through the counting Connector/C, pointed at the test server before each test.
class ServerConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { UseTestServer(connection); }

    CountingMySqlApi api;
    MySqlConnection connection{api};
};

// The first column of the first row; Empty for no row.
inline Variant FirstValue(MySqlConnection& connection, const std::string& sql) {
    MySqlQuery query(connection);
    query.SetSql(sql);
    query.Open();
    return query.IsEmpty() ? Variant() : query.Value(0);
}

} // namespace mz::test

#pragma once

// The fixture's administrator connection; only the fixture's own files include it.

#include "MariaDbServer.h"

#include <fmt/format.h>
#include <memory>
#include <mysql.h>
#include <optional>
#include <stdexcept>
#include <string>

namespace mz::test {

struct MariaDbServer::RootConnection {
    struct Closer {
        void operator()(MYSQL* handle) const noexcept { mysql_close(handle); }
    };
    std::unique_ptr<MYSQL, Closer> handle;

    // Connects over the socket when there is one, else over TCP; an empty text on success,
    // else the client's message.
    std::string Open(const MariaDbServer& server) {
        handle.reset(mysql_init(nullptr));
        if (!handle) {
            return "mysql_init failed";
        }
        const unsigned int timeout = 2;
        mysql_options(handle.get(), MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
        mysql_options(handle.get(), MYSQL_SET_CHARSET_NAME, "latin1");
        const bool local = !server.socketPath_.empty();
        if (!mysql_real_connect(handle.get(), local ? nullptr : server.host_.c_str(),
                                server.rootUser_.c_str(), server.rootPassword_.c_str(), nullptr,
                                local ? 0 : static_cast<unsigned int>(server.port_),
                                local ? server.socketPath_.c_str() : nullptr,
                                CLIENT_MULTI_STATEMENTS)) {
            std::string message = mysql_error(handle.get());
            handle.reset();
            return message;
        }
        return {};
    }

    void Throw(const std::string& sql) const {
        throw std::runtime_error(fmt::format("{} (error {}) in: {}", mysql_error(handle.get()),
                                             mysql_errno(handle.get()), sql));
    }

    // Runs the statements, consuming every result; returns the first result's first value.
    std::optional<std::string> Run(const std::string& sql) {
        MYSQL* const mysql = handle.get();
        if (mysql_real_query(mysql, sql.data(), sql.size()) != 0) {
            Throw(sql);
        }
        std::optional<std::string> first;
        bool firstResult = true;
        for (;;) {
            MYSQL_RES* result = mysql_store_result(mysql);
            if (result) {
                MYSQL_ROW row = mysql_fetch_row(result);
                if (firstResult && row && row[0]) {
                    first.emplace(row[0], mysql_fetch_lengths(result)[0]);
                }
                mysql_free_result(result);
            } else if (mysql_field_count(mysql) != 0) {
                Throw(sql);
            }
            firstResult = false;
            const int next = mysql_next_result(mysql);
            if (next < 0) {
                return first;
            }
            if (next > 0) {
                Throw(sql);
            }
        }
    }
};

} // namespace mz::test

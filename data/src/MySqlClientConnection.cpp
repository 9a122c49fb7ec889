#include "MySqlClient.h"

#include <errmsg.h>

namespace mz {

namespace {

// Every wait on the server is bounded by a few seconds, so a stuck server or a row another
// session holds fails the test with a message instead of holding the window for a minute.
constexpr unsigned int ConnectTimeoutSeconds = 5;
// Longer than the lock waits below, so a lock wait ends with the server's own error rather
// than a lost connection.
constexpr unsigned int ReadWriteTimeoutSeconds = 8;
// Row locks (a row another session holds "for update") and table locks.
constexpr const char* SessionSetup =
    "SET SESSION innodb_lock_wait_timeout = 4, SESSION lock_wait_timeout = 4";

const char* NullIfEmpty(const std::string& text) {
    return text.empty() ? nullptr : text.c_str();
}

} // namespace

MySqlConnection::MySqlConnection(const MySqlApi& api)
    : api_(&api), handle_(nullptr, MySqlHandleCloser{&api}) {}

void MySqlConnection::ChangeSetting(std::string& setting, const std::string& value) {
    if (setting == value) {
        return;
    }
    Close();
    setting = value;
}

void MySqlConnection::SetServer(const std::string& server) {
    ChangeSetting(server_, server);
}
void MySqlConnection::SetUsername(const std::string& username) {
    ChangeSetting(username_, username);
}
void MySqlConnection::SetPassword(const std::string& password) {
    ChangeSetting(password_, password);
}

void MySqlConnection::SetPort(int port) {
    if (port_ == port) {
        return;
    }
    Close();
    port_ = port;
}

void MySqlConnection::SetDatabase(const std::string& database) {
    if (database_ == database) {
        return;
    }
    database_ = database;
    ++generation_;
    if (Connected() && api_->SelectDb(handle_.get(), database_.c_str()) != 0) {
        const unsigned int code = api_->Errno(handle_.get());
        const std::string message = api_->Error(handle_.get());
        // Left open, the connection would go on serving the previous database.
        Close();
        throw MySqlError(code, message);
    }
}

void MySqlConnection::Connect() {
    if (Connected()) {
        return;
    }
    MySqlHandle handle(api_->Init(), MySqlHandleCloser{api_});
    if (!handle) {
        throw MySqlError(CR_OUT_OF_MEMORY, "MySQL client ran out of memory");
    }
    const unsigned int protocol = MYSQL_PROTOCOL_TCP;
    const my_bool reconnect = 0;
    api_->Options(handle.get(), MYSQL_OPT_PROTOCOL, &protocol);
    api_->Options(handle.get(), MYSQL_OPT_CONNECT_TIMEOUT, &ConnectTimeoutSeconds);
    api_->Options(handle.get(), MYSQL_OPT_READ_TIMEOUT, &ReadWriteTimeoutSeconds);
    api_->Options(handle.get(), MYSQL_OPT_WRITE_TIMEOUT, &ReadWriteTimeoutSeconds);
    api_->Options(handle.get(), MYSQL_OPT_RECONNECT, &reconnect);
    api_->Options(handle.get(), MYSQL_INIT_COMMAND, SessionSetup);
    api_->Options(handle.get(), MYSQL_SET_CHARSET_NAME, "latin1");
    const bool connected =
        api_->RealConnect(handle.get(), server_.c_str(), username_.c_str(), password_.c_str(),
                          NullIfEmpty(database_), static_cast<unsigned int>(port_), 0) != nullptr;
    if (!connected || api_->Autocommit(handle.get(), true)) {
        throw MySqlError(api_->Errno(handle.get()), api_->Error(handle.get()));
    }
    handle_ = std::move(handle);
    ++generation_;
}

void MySqlConnection::Close() noexcept {
    handle_.reset();
}

MYSQL* MySqlConnection::Acquire() {
    Connect();
    return handle_.get();
}

void MySqlConnection::ExecuteDirect(const std::string& sql) {
    MYSQL* mysql = Acquire();
    if (api_->RealQuery(mysql, sql.c_str(), static_cast<unsigned long>(sql.size())) != 0) {
        FailFromHandle();
    }
}

void MySqlConnection::RollBackQuietly() noexcept {
    if (!Connected()) {
        return;
    }
    const std::string rollback = "ROLLBACK";
    if (api_->RealQuery(handle_.get(), rollback.c_str(),
                        static_cast<unsigned long>(rollback.size())) != 0) {
        Close();
    }
}

void MySqlConnection::Fail(unsigned int code, const std::string& message) {
    if (IsConnectionLost(code)) {
        Close();
    }
    throw MySqlError(code, message);
}

void MySqlConnection::FailFromHandle() {
    // Both are read before Fail may close the handle.
    const unsigned int code = api_->Errno(handle_.get());
    const std::string message = api_->Error(handle_.get());
    Fail(code, message);
}

} // namespace mz

#include "MySqlClient.h"

#include <errmsg.h>
#include <mysqld_error.h>
#ifdef MZ_CONNECTOR_USES_OPENSSL
#include <openssl/crypto.h>
#endif

namespace mz {

bool IsConnectionLost(unsigned int code) noexcept {
    switch (code) {
    case ER_SERVER_SHUTDOWN:   // 1053
    case ER_CONNECTION_KILLED: // 1927
    case CR_CONNECTION_ERROR:  // 2002
    case CR_CONN_HOST_ERROR:   // 2003
    case CR_SERVER_GONE_ERROR: // 2006
    case CR_SERVER_LOST:       // 2013
    case 4031:                 // disconnected by the server because of inactivity
        return true;
    default:
        return false;
    }
}

namespace {

// Connector/C starts OpenSSL at its first mysql_init, and OpenSSL then loads every one of its
// error texts: 0.6 MiB that stay resident for the program's life. Connector/C reads them only to
// word a TLS failure, and no connection here uses TLS. Started first without them, OpenSSL keeps
// them out; the password exchanges need nothing more.
void StartCryptoWithoutErrorTexts() {
#ifdef MZ_CONNECTOR_USES_OPENSSL
    [[maybe_unused]] static const int started =
        OPENSSL_init_crypto(OPENSSL_INIT_NO_LOAD_CRYPTO_STRINGS, nullptr);
#endif
}

} // namespace

MYSQL* MySqlApi::Init() const {
    StartCryptoWithoutErrorTexts();
    return mysql_init(nullptr);
}

int MySqlApi::Options(MYSQL* mysql, mysql_option option, const void* value) const {
    return mysql_options(mysql, option, value);
}

MYSQL* MySqlApi::RealConnect(MYSQL* mysql, const char* host, const char* user, const char* password,
                             const char* database, unsigned int port, unsigned long flags) const {
    return mysql_real_connect(mysql, host, user, password, database, port, nullptr, flags);
}

void MySqlApi::Close(MYSQL* mysql) const {
    mysql_close(mysql);
}

int MySqlApi::SelectDb(MYSQL* mysql, const char* database) const {
    return mysql_select_db(mysql, database);
}

bool MySqlApi::Autocommit(MYSQL* mysql, bool on) const {
    return mysql_autocommit(mysql, static_cast<my_bool>(on ? 1 : 0));
}

unsigned int MySqlApi::Errno(MYSQL* mysql) const {
    return mysql_errno(mysql);
}

std::string MySqlApi::Error(MYSQL* mysql) const {
    return mysql_error(mysql);
}

int MySqlApi::RealQuery(MYSQL* mysql, const char* sql, unsigned long length) const {
    return mysql_real_query(mysql, sql, length);
}

unsigned int MySqlApi::FieldCount(MYSQL* mysql) const {
    return mysql_field_count(mysql);
}

MYSQL_RES* MySqlApi::StoreResult(MYSQL* mysql) const {
    return mysql_store_result(mysql);
}

void MySqlApi::FreeResult(MYSQL_RES* result) const {
    mysql_free_result(result);
}

MYSQL_ROW MySqlApi::FetchRow(MYSQL_RES* result) const {
    return mysql_fetch_row(result);
}

unsigned long* MySqlApi::FetchLengths(MYSQL_RES* result) const {
    return mysql_fetch_lengths(result);
}

unsigned int MySqlApi::NumFields(MYSQL_RES* result) const {
    return mysql_num_fields(result);
}

MYSQL_FIELD* MySqlApi::FetchFields(MYSQL_RES* result) const {
    return mysql_fetch_fields(result);
}

MYSQL_STMT* MySqlApi::StmtInit(MYSQL* mysql) const {
    return mysql_stmt_init(mysql);
}

int MySqlApi::StmtPrepare(MYSQL_STMT* stmt, const char* sql, unsigned long length) const {
    return mysql_stmt_prepare(stmt, sql, length);
}

unsigned long MySqlApi::StmtParamCount(MYSQL_STMT* stmt) const {
    return mysql_stmt_param_count(stmt);
}

bool MySqlApi::StmtBindParam(MYSQL_STMT* stmt, MYSQL_BIND* binds) const {
    return mysql_stmt_bind_param(stmt, binds);
}

int MySqlApi::StmtExecute(MYSQL_STMT* stmt) const {
    return mysql_stmt_execute(stmt);
}

std::uint64_t MySqlApi::StmtAffectedRows(MYSQL_STMT* stmt) const {
    return mysql_stmt_affected_rows(stmt);
}

bool MySqlApi::StmtClose(MYSQL_STMT* stmt) const {
    return mysql_stmt_close(stmt);
}

unsigned int MySqlApi::StmtErrno(MYSQL_STMT* stmt) const {
    return mysql_stmt_errno(stmt);
}

std::string MySqlApi::StmtError(MYSQL_STMT* stmt) const {
    return mysql_stmt_error(stmt);
}

const MySqlApi& SystemMySqlApi() {
    static const MySqlApi api;
    return api;
}

} // namespace mz

#pragma once

#include "mz/Exception.h"
#include "mz/Params.h"
#include "mz/Variant.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mysql.h>
#include <string>
#include <vector>

namespace mz {

// A failure reported by the MySQL client or server, with the client's own message text.
class MySqlError : public Exception {
public:
    MySqlError(unsigned int code, const std::string& message) : Exception(message), code_(code) {}
    unsigned int Code() const noexcept { return code_; }

private:
    unsigned int code_;
};

// Errors after which the connection is gone and has to be opened again.
bool IsConnectionLost(unsigned int code) noexcept;

// The one seam for calls into MariaDB Connector/C. The default implementations make the
// library's calls; tests derive from it to count calls or make one fail.
class MySqlApi {
public:
    virtual ~MySqlApi() = default;

    virtual MYSQL* Init() const;
    virtual int Options(MYSQL* mysql, mysql_option option, const void* value) const;
    virtual MYSQL* RealConnect(MYSQL* mysql, const char* host, const char* user,
                               const char* password, const char* database, unsigned int port,
                               unsigned long flags) const;
    virtual void Close(MYSQL* mysql) const;
    virtual int SelectDb(MYSQL* mysql, const char* database) const;
    virtual bool Autocommit(MYSQL* mysql, bool on) const;
    virtual unsigned int Errno(MYSQL* mysql) const;
    virtual std::string Error(MYSQL* mysql) const;

    virtual int RealQuery(MYSQL* mysql, const char* sql, unsigned long length) const;
    virtual unsigned int FieldCount(MYSQL* mysql) const;
    virtual MYSQL_RES* StoreResult(MYSQL* mysql) const;
    virtual void FreeResult(MYSQL_RES* result) const;
    virtual MYSQL_ROW FetchRow(MYSQL_RES* result) const;
    virtual unsigned long* FetchLengths(MYSQL_RES* result) const;
    virtual unsigned int NumFields(MYSQL_RES* result) const;
    virtual MYSQL_FIELD* FetchFields(MYSQL_RES* result) const;

    virtual MYSQL_STMT* StmtInit(MYSQL* mysql) const;
    virtual int StmtPrepare(MYSQL_STMT* stmt, const char* sql, unsigned long length) const;
    virtual unsigned long StmtParamCount(MYSQL_STMT* stmt) const;
    virtual bool StmtBindParam(MYSQL_STMT* stmt, MYSQL_BIND* binds) const;
    virtual int StmtExecute(MYSQL_STMT* stmt) const;
    virtual std::uint64_t StmtAffectedRows(MYSQL_STMT* stmt) const;
    virtual bool StmtClose(MYSQL_STMT* stmt) const;
    virtual unsigned int StmtErrno(MYSQL_STMT* stmt) const;
    virtual std::string StmtError(MYSQL_STMT* stmt) const;
};

// Connector/C itself.
const MySqlApi& SystemMySqlApi();

// Owns an open MYSQL handle, closing it through the seam.
struct MySqlHandleCloser {
    const MySqlApi* api = nullptr;
    void operator()(MYSQL* mysql) const noexcept { api->Close(mysql); }
};
using MySqlHandle = std::unique_ptr<MYSQL, MySqlHandleCloser>;

// One connection to a MySQL server over TCP. Closed when created; texts travel as
// Windows-1252 (latin1). Changing Server, Username, Password or Port to another value closes
// an open connection; Database switches the open one. After a failure that means the
// connection is lost it is closed, and the next query or command opens it again.
class MySqlConnection {
public:
    explicit MySqlConnection(const MySqlApi& api);
    MySqlConnection(MySqlConnection&&) noexcept = default;
    MySqlConnection& operator=(MySqlConnection&&) noexcept = default;

    const std::string& Server() const noexcept { return server_; }
    void SetServer(const std::string& server);
    int Port() const noexcept { return port_; }
    void SetPort(int port);
    // Raises MySqlError when the open connection cannot switch; it is then closed, so the
    // next use connects to the database set here or fails for it.
    const std::string& Database() const noexcept { return database_; }
    void SetDatabase(const std::string& database);
    const std::string& Username() const noexcept { return username_; }
    void SetUsername(const std::string& username);
    const std::string& Password() const noexcept { return password_; }
    void SetPassword(const std::string& password);
    // Kept for the settings' sake: this connection never asks the user for anything.
    bool LoginPrompt() const noexcept { return loginPrompt_; }
    void SetLoginPrompt(bool loginPrompt) noexcept { loginPrompt_ = loginPrompt; }

    // Opens the connection unless it is open; raises MySqlError and stays closed on failure.
    void Connect();
    void Close() noexcept;
    bool Connected() const noexcept { return handle_ != nullptr; }
    // Runs a statement without parameters or result (transaction control), connecting first
    // when closed. Raises MySqlError.
    void ExecuteDirect(const std::string& sql);
    // ROLLBACK on an open connection; a failure closes it, which ends the transaction too.
    void RollBackQuietly() noexcept;

    const MySqlApi& Api() const noexcept { return *api_; }
    // Changes whenever a new connection opens or the open one switches database, so that a
    // statement prepared on the earlier one is not used on this one.
    std::uint64_t Generation() const noexcept { return generation_; }
    // The open handle, connecting first when closed.
    MYSQL* Acquire();
    // Raises the failure; closes the connection first when the failure means it is lost.
    [[noreturn]] void Fail(unsigned int code, const std::string& message);
    [[noreturn]] void FailFromHandle();

private:
    void ChangeSetting(std::string& setting, const std::string& value);

    const MySqlApi* api_;
    std::string server_;
    std::string database_;
    std::string username_;
    std::string password_;
    int port_ = 3306;
    bool loginPrompt_ = true;
    MySqlHandle handle_;
    std::uint64_t generation_ = 0;
};

// Runs one select and holds its result, standing on the first row.
class MySqlQuery {
public:
    explicit MySqlQuery(MySqlConnection& connection);

    const std::string& Sql() const noexcept { return sql_; }
    void SetSql(std::string sql);

    // Runs the text (connecting first when needed); raises MySqlError, or Exception when the
    // statement gives no result set.
    void Open();
    void Close() noexcept;
    bool Active() const noexcept { return result_ != nullptr; }

    bool IsEmpty() const; // the result has no row
    std::size_t FieldCount() const;
    bool IsNull(std::size_t field) const;   // of the current row
    Variant Value(std::size_t field) const; // of the current row, by the column's type

private:
    struct ResultFreer {
        const MySqlApi* api = nullptr;
        void operator()(MYSQL_RES* result) const noexcept { api->FreeResult(result); }
    };
    const MYSQL_ROW& Row() const;
    void CheckField(std::size_t field) const;

    MySqlConnection* connection_;
    std::string sql_;
    std::unique_ptr<MYSQL_RES, ResultFreer> result_;
    MYSQL_ROW row_ = nullptr;
    unsigned long* lengths_ = nullptr;
    MYSQL_FIELD* fields_ = nullptr;
    std::size_t fieldCount_ = 0;
};

// A statement text with named parameters (":name"), found outside quoted texts and comments.
struct NamedStatement {
    std::string text;               // the statement with "?" for each parameter
    std::vector<std::string> names; // the parameter of each "?", in order
};
NamedStatement ParseNamedParameters(const std::string& sql);

struct MySqlStatementCloser {
    const MySqlApi* api = nullptr;
    void operator()(MYSQL_STMT* stmt) const noexcept { api->StmtClose(stmt); }
};
using MySqlStatementHandle = std::unique_ptr<MYSQL_STMT, MySqlStatementCloser>;

// Runs one statement with named parameters as a server-side prepared statement, prepared once
// per connection and text: the same text again is neither parsed nor prepared again.
class MySqlCommand {
public:
    explicit MySqlCommand(MySqlConnection& connection);

    const std::string& Sql() const noexcept { return sql_; }
    // Finds the parameters; each starts without a value (bound as NULL).
    void SetSql(std::string sql);
    // One per distinct name (compared without regard to case), in order of appearance.
    TParams& Params() noexcept { return params_; }
    const TParams& Params() const noexcept { return params_; }
    // Takes the data type and value of each parameter from given (first match by name,
    // without regard to case); given parameters the text does not use are ignored. Raises
    // Exception "Parameter '<name>' not found" for a parameter of the text missing in given.
    void BindParams(const TParams& given);

    // Connects when needed, runs the statement in auto-commit mode and returns the number of
    // rows the server counts as affected. Raises MySqlError.
    std::uint64_t Execute();

private:
    MYSQL_STMT* Prepared();

    MySqlConnection* connection_;
    std::string sql_;
    MySqlStatementHandle prepared_;
    std::uint64_t preparedGeneration_ = 0;
    NamedStatement statement_;
    TParams params_;
    std::vector<std::size_t> placeholderParams_; // index into params_ for each "?"
};

} // namespace mz

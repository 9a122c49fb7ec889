#pragma once

#include "mz/Variant.h"
#include "mz/data/DataModule.h"
#include "mz/data/USQLMount.h"
#include "mz/platform/FileSystem.h"
#include "mz/platform/System.h"

#include <memory>
#include <optional>
#include <string>

namespace mz {

class MySqlConnection; // our MySQL client layer (MySqlClient.h)
class MySqlApi;

// The connection settings of section "ip", from one read of the settings file.
struct ConnectionSettings {
    std::string server;
    std::string database;
    std::string user;
    std::string password; // deciphered
};

// The data module: the program's one connection to the pharmacy's MySQL database, with the
// two ways the program uses it. Creating it does not connect.
class TDM : public IDataModule {
public:
    // Reaches the server through MariaDB Connector/C.
    TDM(std::string programDirectory, const platform::FileSystem& fs,
        const platform::Sleeper& sleeper);
    // Reaches the server through api, which must outlive the module.
    TDM(std::string programDirectory, const platform::FileSystem& fs,
        const platform::Sleeper& sleeper, const MySqlApi& api);
    ~TDM() override;
    TDM(const TDM&) = delete;
    TDM& operator=(const TDM&) = delete;

    // Reads section "ip" of sistema_tervo.ini in the program directory and connects (port 3306).
    // Settings that could not be read (the file held by another program, a malformed "senha")
    // are read again by the next query, statement or transaction, which never connects with
    // settings it did not read; a missing file or key reads as its default.
    void OpenConnection() override;
    void LoadConnectionSettings(const std::string& fileName, const std::string& section, int port);
    void ConnectTo(const std::string& server, const std::string& database, const std::string& user,
                   const std::string& password, int port);

    // First column of the first row, or a copy of defaultValue for no row or NULL. A failure
    // raises a plain Exception with the client's message, or gives an empty Variant when
    // raiseErrors is false.
    Variant QueryValue(const std::string& sql, const Variant& defaultValue,
                       bool raiseErrors) override;
    // Rows affected, or -1 after a swallowed failure. The builder's own failures pass unchanged.
    int ExecuteMount(TSqlMount& mount, bool raiseErrors) override;
    // START TRANSACTION, work, COMMIT; ROLLBACK when work or the commit fails. A failure of the
    // transaction's own statements raises a plain Exception with the client's message.
    void RunInTransaction(const std::function<void()>& work) override;

    MySqlConnection& Conexao() noexcept;

private:
    struct Components;
    // Reads the settings again when the last read failed.
    void EnsureConnectionSettings();

    std::string programDirectory_;
    const platform::FileSystem& fs_;
    const platform::Sleeper& sleeper_;
    std::unique_ptr<Components> components_;
    std::string settingsFileName_;
    // Where the last read of the settings came from, while it has not succeeded.
    struct SettingsSource {
        std::string fileName;
        std::string section;
        int port = 0;
    };
    std::optional<SettingsSource> unreadSettings_;
};

} // namespace mz

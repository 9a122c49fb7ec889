#include "mz/data/UDM.h"

#include "MySqlClient.h"
#include "mz/IniFile.h"
#include "mz/data/Utils.h"

#include <algorithm>
#include <climits>
#include <exception>

namespace mz {

namespace {

constexpr int MySqlPort = 3306;
constexpr const char* PasswordKey = "KWD";

} // namespace

struct TDM::Components {
    MySqlConnection Conexao;
    MySqlCommand oCommand{Conexao};
    MySqlQuery oQuery{Conexao};

    explicit Components(const MySqlApi& api) : Conexao(api) { Conexao.SetLoginPrompt(false); }
};

TDM::TDM(std::string programDirectory, const platform::FileSystem& fs,
         const platform::Sleeper& sleeper)
    : TDM(std::move(programDirectory), fs, sleeper, SystemMySqlApi()) {}

TDM::TDM(std::string programDirectory, const platform::FileSystem& fs,
         const platform::Sleeper& sleeper, const MySqlApi& api)
    : programDirectory_(std::move(programDirectory)), fs_(fs), sleeper_(sleeper),
      components_(std::make_unique<Components>(api)),
      settingsFileName_(programDirectory_ + "sistema_tervo.ini") {}

TDM::~TDM() = default;

namespace {

ConnectionSettings ReadConnectionSettings(const TIniValues& values, const std::string& section) {
    ConnectionSettings settings;
    settings.server = values.ReadString(section, "local", "localhost");
    settings.database = values.ReadString(section, "database", "gerente");
    settings.user = values.ReadString(section, "usuario", "root");
    const std::string enciphered = values.ReadString(section, "senha", "7B02E95C1A44D0F3B816");
    settings.password = DecipherPassword(enciphered, PasswordKey);
    return settings;
}

} // namespace

void TDM::OpenConnection() {
    LoadConnectionSettings(settingsFileName_, "ip", MySqlPort);
}

void TDM::LoadConnectionSettings(const std::string& fileName, const std::string& section,
                                 int port) {
    unreadSettings_ = SettingsSource{fileName, section, port};
    const ConnectionSettings settings =
        ReadConnectionSettings(TIniFile(fileName, fs_, sleeper_).Read(), section);
    ConnectTo(settings.server, settings.database, settings.user, settings.password, port);
}

void TDM::EnsureConnectionSettings() {
    if (!unreadSettings_) {
        return;
    }
    try {
        const SettingsSource source = *unreadSettings_;
        LoadConnectionSettings(source.fileName, source.section, source.port);
    } catch (const MySqlError& error) {
        throw Exception(error.what()); // as the query or statement itself would raise it
    }
}

void TDM::ConnectTo(const std::string& server, const std::string& database, const std::string& user,
                    const std::string& password, int port) {
    MySqlConnection& connection = components_->Conexao;
    unreadSettings_.reset();
    connection.SetServer(server);
    connection.SetDatabase(database);
    connection.SetUsername(user);
    connection.SetPassword(password);
    connection.SetPort(port);
    connection.SetLoginPrompt(false);
    connection.Connect();
}

Variant TDM::QueryValue(const std::string& sql, const Variant& defaultValue, bool raiseErrors) {
    EnsureConnectionSettings();
    MySqlQuery& query = components_->oQuery;
    query.SetSql(sql);
    try {
        query.Open();
        Variant result = query.IsEmpty() || query.IsNull(0) ? defaultValue : query.Value(0);
        query.Close();
        return result;
    } catch (const std::exception& error) {
        query.Close();
        if (raiseErrors) {
            throw Exception(error.what());
        }
        return Variant();
    }
}

int TDM::ExecuteMount(TSqlMount& mount, bool raiseErrors) {
    EnsureConnectionSettings();
    MySqlCommand& command = components_->oCommand;
    command.SetSql(mount.GetSql());
    command.BindParams(mount.GetParams());
    try {
        const std::uint64_t rows = command.Execute();
        return static_cast<int>(std::min<std::uint64_t>(rows, INT_MAX));
    } catch (const std::exception& error) {
        if (raiseErrors) {
            throw Exception(error.what());
        }
        return -1;
    }
}

void TDM::RunInTransaction(const std::function<void()>& work) {
    EnsureConnectionSettings();
    MySqlConnection& connection = components_->Conexao;
    try {
        connection.ExecuteDirect("START TRANSACTION");
    } catch (const std::exception& error) {
        throw Exception(error.what());
    }
    try {
        work();
        connection.ExecuteDirect("COMMIT");
    } catch (const std::exception& error) {
        // A lost connection has taken the transaction with it; on an open one nothing of it
        // may stay.
        connection.RollBackQuietly();
        if (dynamic_cast<const MySqlError*>(&error) != nullptr) {
            throw Exception(error.what());
        }
        throw;
    }
}

MySqlConnection& TDM::Conexao() noexcept {
    return components_->Conexao;
}

} // namespace mz

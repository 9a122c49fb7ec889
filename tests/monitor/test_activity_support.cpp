#include "test_activity_support.h"

#include "mz/Exception.h"

#include <filesystem>
#include <fmt/format.h>
#include <stdexcept>

namespace mz::test {

bool WatchedFileSystem::FileExists(const std::string& path) const {
    const bool exists = platform::FileSystem::FileExists(path);
    const int look = ++looks[path];
    if (afterLook) {
        afterLook(path, look);
    }
    return exists;
}

platform::File WatchedFileSystem::Open(const std::string& path, platform::OpenMode mode) const {
    ++opens[path];
    platform::File file = platform::FileSystem::Open(path, mode);
    if (afterOpen) {
        afterOpen(path);
    }
    return file;
}

std::size_t WatchedFileSystem::WriteSome(platform::File::Handle handle, const char* data,
                                         std::size_t size) const {
    if (writeFailure) {
        throw platform::SystemError(*writeFailure);
    }
    return platform::FileSystem::WriteSome(handle, data, size);
}

Scenario::Scenario(IDataModule& dm, const platform::Sleeper* realSleeper)
    : services{files, clock, realSleeper ? *realSleeper : sleeper, regional},
      monitor(dm, window, services, programDir) {
    for (const std::string& dir : {programDir, sendDir, replyDir}) {
        std::filesystem::create_directory(dir);
    }
    WriteSettings(DefaultSettings());
}

bool Scenario::RunActivityTest() {
    const ActivityOutcome outcome = monitor.Run();
    if (outcome.kind != ActivityOutcome::Kind::Good) {
        return false;
    }
    window.ShowStatus(ActivityStatusText(outcome.moment, regional));
    return true;
}

Settings Scenario::DefaultSettings() const {
    Settings settings;
    settings.envio = sendDir;
    settings.resposta = replyDir;
    return settings;
}

void Scenario::WriteSettings(const Settings& settings) const {
    std::string text;
    const auto line = [&text](const char* key, const std::optional<std::string>& value) {
        if (value) {
            text += fmt::format("{}={}\r\n", key, *value);
        }
    };
    text += "[zelnor]\r\n";
    line("envio", settings.envio);
    line("resposta", settings.resposta);
    line("tempo", settings.tempo);
    text += "[FilialMatriz]\r\n";
    line("CodLogica", settings.codLogica);
    WriteBytes(programDir + "sistema_tervo.ini", text);
}

void Scenario::AnswerWith(std::string reply, std::function<void()> planted) {
    files.afterOpen = [this, reply = std::move(reply),
                       planted = std::move(planted)](const std::string& path) {
        if (path == RequestPath()) {
            WriteBytes(ReplyPath(), reply);
            if (planted) {
                planted();
            }
        }
    };
}

int Scenario::ReplyLooks() const {
    const auto found = files.looks.find(ReplyPath());
    return found == files.looks.end() ? 0 : found->second;
}

namespace {

// The branch a statement of the activity test is about: the number after "filial_id = ".
int BranchOf(const std::string& sql) {
    const std::string marker = "filial_id = ";
    const auto at = sql.rfind(marker);
    if (at == std::string::npos) {
        throw std::runtime_error("no branch in: " + sql);
    }
    return std::stoi(sql.substr(at + marker.size()));
}

} // namespace

void MemoryDataModule::OpenConnection() {
    ++connects;
    if (!failure.empty()) {
        throw Exception(failure);
    }
}

Variant MemoryDataModule::QueryValue(const std::string& sql, const Variant& defaultValue,
                                     bool /*raiseErrors*/) {
    statements.push_back(sql);
    if (!failure.empty()) {
        throw Exception(failure);
    }
    const auto row = rows.find(BranchOf(sql));
    if (row == rows.end() || !row->second) {
        return defaultValue;
    }
    return Variant(*row->second);
}

int MemoryDataModule::ExecuteMount(TSqlMount& mount, bool /*raiseErrors*/) {
    const std::string sql = mount.GetSql();
    statements.push_back(sql);
    if (!failure.empty()) {
        throw Exception(failure);
    }
    const auto row = rows.find(BranchOf(mount.WhereText()));
    if (row == rows.end()) {
        return 0;
    }
    row->second = mount.GetParams()[0].Value.ToInt32();
    return 1;
}

void MemoryDataModule::RunInTransaction(const std::function<void()>& work) {
    ++transactions;
    const auto before = rows;
    try {
        work();
    } catch (...) {
        ++rollbacks;
        rows = before;
        throw;
    }
}

void ActivityTest::StoreOnly(int branch, const std::string& value) {
    dm.rows.clear();
    dm.rows[branch] =
        value == "NULL" ? std::nullopt : std::optional<std::int32_t>(std::stoi(value));
}

std::string ActivityTest::Stored(int branch) const {
    const auto row = dm.rows.find(branch);
    if (row == dm.rows.end()) {
        return "no row";
    }
    return row->second ? std::to_string(*row->second) : "NULL";
}

} // namespace mz::test

#include "test_activity_support.h"

#include <filesystem>
#include <fmt/format.h>

namespace mz::test {

bool WatchedFileSystem::FileExists(const std::string& path) const {
    const bool exists = platform::FileSystem::FileExists(path);
    const int look = ++looks[path];
    if (afterLook) {
        afterLook(path, look);
    }
    return exists;
}

std::size_t WatchedFileSystem::WriteSome(platform::File::Handle handle, const char* data,
                                         std::size_t size) const {
    if (writeFailure) {
        throw platform::SystemError(*writeFailure);
    }
    return platform::FileSystem::WriteSome(handle, data, size);
}

Scenario::Scenario(TDM& dm, const platform::Sleeper* realSleeper)
    : services{files, clock, realSleeper ? *realSleeper : sleeper, regional},
      monitor(dm, window, services, programDir) {
    for (const std::string& dir : {programDir, sendDir, replyDir}) {
        std::filesystem::create_directory(dir);
    }
    WriteSettings(DefaultSettings());
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

int Scenario::ReplyLooks() const {
    const auto found = files.looks.find(ReplyPath());
    return found == files.looks.end() ? 0 : found->second;
}

ActivityTest::ActivityTest() {
    dm.ConnectTo(db.Host(), db.Database(), db.User(), db.Password(), db.Port());
    ClearTable();
}

void ActivityTest::ClearTable() const {
    db.Execute(fmt::format("delete from {}.filial", db.Database()));
}

void ActivityTest::StoreOnly(int branch, const std::string& value) const {
    ClearTable();
    db.Execute(fmt::format("insert into {}.filial (filial_id, seq_zelnor) values ({}, {})",
                           db.Database(), branch, value));
}

std::string ActivityTest::Stored(int branch) const {
    const auto exists = db.QueryOne(
        fmt::format("select count(*) from {}.filial where filial_id = {}", db.Database(), branch));
    if (exists != "1") {
        return "no row";
    }
    return db
        .QueryOne(fmt::format("select seq_zelnor from {}.filial where filial_id = {}",
                              db.Database(), branch))
        .value_or("NULL");
}

} // namespace mz::test

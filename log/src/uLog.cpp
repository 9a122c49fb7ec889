#include "mz/log/uLog.h"

#include "mz/Exception.h"
#include "mz/platform/FileSystem.h"
#include "mz/platform/System.h"

#include <fmt/format.h>
#include <string>

namespace mz {

namespace {

constexpr const char* LogDirectory = "LogZelnor";

// Writing to a file that could not be opened is reported as "file not open".
constexpr int FileNotOpen = 103;

std::string IoErrorText(int code) {
    switch (code) {
    case 2:
        return "File not found";
    case 3:
        return "Invalid filename";
    case 4:
        return "Too many open files";
    case 5:
        return "File access denied";
    default:
        return fmt::format("I/O error {}", code);
    }
}

void EnsureLogDirectory(const platform::FileSystem& files) {
    if (files.DirectoryExists(LogDirectory)) {
        return;
    }
    try {
        files.CreateDirectory(LogDirectory);
    } catch (const platform::SystemError&) {
        throw Exception("Falha ao criar o diret\xF3rio LogZelnor");
    }
}

// The month's file, or a closed File when it can be neither appended to nor created; the
// caller reports that when it tries to write.
// Opened inside the folder without following a link there, so a linked LogZelnor never
// leads the log into another folder.
platform::File OpenMonthFile(const platform::FileSystem& files, const std::string& name) {
    try {
        const std::string path = fmt::format("{}{}{}", LogDirectory, platform::PathDelimiter, name);
        const auto mode = files.FileExists(path) ? platform::OpenMode::AppendDenyWrite
                                                 : platform::OpenMode::CreateDenyWrite;
        return files.OpenIn(LogDirectory, name, mode);
    } catch (const platform::SystemError&) {
        return {};
    }
}

} // namespace

void WriteLog(const Services& services, std::string_view message) {
    const int month = services.clock.Now().month;
    EnsureLogDirectory(services.files);
    platform::File file = OpenMonthFile(services.files, fmt::format("{}.txt", month));

    // The time is read again here: a call at the turn of a month writes the new date into the
    // old month's file.
    std::string line = DateTimeText(services.clock.Now(), services.regional);
    line += " - ";
    line += message;
    line += "\r\n";

    if (!file.IsOpen()) {
        throw Exception(IoErrorText(FileNotOpen));
    }
    try {
        file.Write(line);
        file.Close();
    } catch (const platform::SystemError& error) {
        // After a failed write the file is still closed, quietly, when it goes out of scope; the
        // write failure is the one reported.
        throw Exception(IoErrorText(error.Error().code));
    }
}

} // namespace mz

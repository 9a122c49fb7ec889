#include "TestFiles.h"
#include "TestRegional.h"
#include "mz/Exception.h"
#include "mz/log/uLog.h"
#include "mz/platform/FileSystem.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace mz {
namespace {

namespace fs = std::filesystem;

const std::string Failure = "Falha ao obter a resposta do zelnor";

// Gives the moments in turn, then keeps giving the last one.
class ScriptedClock : public Clock {
public:
    explicit ScriptedClock(std::vector<LocalDateTime> moments) : moments_(std::move(moments)) {}
    LocalDateTime Now() const override {
        const LocalDateTime moment = moments_[std::min(next_, moments_.size() - 1)];
        ++next_;
        return moment;
    }
    std::chrono::system_clock::time_point UtcNow() const override { return {}; }
    std::chrono::steady_clock::time_point Steady() const override { return {}; }

private:
    std::vector<LocalDateTime> moments_;
    mutable std::size_t next_ = 0;
};

using test::ReadBytes;
using test::WriteBytes;

// Runs each test in a fresh working directory of its own.
class LogTest : public ::testing::Test {
protected:
    void Write(const std::vector<LocalDateTime>& moments, const std::string& message,
               const platform::FileSystem& files = platform::SystemFileSystem()) {
        const ScriptedClock clock(moments);
        const Services services{files, clock, platform::SystemSleeper(), regional_};
        WriteLog(services, message);
    }

    std::string MessageOf(const std::vector<LocalDateTime>& moments,
                          const platform::FileSystem& files = platform::SystemFileSystem()) {
        try {
            Write(moments, Failure, files);
        } catch (const Exception& e) {
            return e.Message();
        }
        return "(no exception)";
    }

    const RegionalSettings regional_ = test::BrazilianRegional();

private:
    test::TempDir directory_;
    test::WorkingDirectory inside_{directory_.Root()};
};

const LocalDateTime March8 = {2025, 3, 8, 14, 3, 27, 500};

struct LineCase {
    const char* label;
    LocalDateTime moment;
    std::string message;
    const char* file;
    std::string line;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.label;
}

class LogLine : public LogTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LogLine, FirstCallCreatesDirectoryAndMonthFile) {
    const LineCase& c = GetParam();
    Write({c.moment}, c.message);
    EXPECT_TRUE(fs::is_directory("LogZelnor"));
    EXPECT_EQ(ReadBytes(fs::path("LogZelnor") / c.file), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Log, LogLine,
    ::testing::Values(LineCase{"DateAndTime", March8, Failure, "3.txt",
                               "08/03/2025 14:03:27 - Falha ao obter a resposta do zelnor\r\n"},
                      LineCase{"MidnightGivesDateAlone",
                               {2025, 3, 8, 0, 0, 0, 999},
                               Failure,
                               "3.txt",
                               "08/03/2025 - Falha ao obter a resposta do zelnor\r\n"},
                      LineCase{"Windows1252Bytes",
                               {2025, 12, 1, 9, 5, 7, 0},
                               "CodFilial n\xE3o identificada.",
                               "12.txt",
                               "01/12/2025 09:05:07 - CodFilial n\xE3o identificada.\r\n"},
                      LineCase{"EmptyMessage",
                               {2024, 1, 31, 23, 59, 59, 0},
                               "",
                               "1.txt",
                               "31/01/2024 23:59:59 - \r\n"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(LogTest, LaterCallsAppendToTheMonthFileOfEveryYear) {
    Write({March8}, "um");
    Write({{2026, 3, 1, 8, 0, 0, 0}}, "dois");
    EXPECT_EQ(ReadBytes("LogZelnor/3.txt"),
              "08/03/2025 14:03:27 - um\r\n01/03/2026 08:00:00 - dois\r\n");
}

TEST_F(LogTest, MonthTurnWritesNewDateIntoOldMonthFile) {
    Write({{2025, 3, 31, 23, 59, 59, 999}, {2025, 4, 1, 0, 0, 0, 0}}, Failure);
    EXPECT_EQ(ReadBytes("LogZelnor/3.txt"), "01/04/2025 - " + Failure + "\r\n");
    EXPECT_FALSE(fs::exists("LogZelnor/4.txt"));
}

TEST_F(LogTest, FileInPlaceOfDirectory) {
    WriteBytes("LogZelnor", "x");
    EXPECT_EQ(MessageOf({March8}), "Falha ao criar o diret\xF3rio LogZelnor");
    EXPECT_EQ(ReadBytes("LogZelnor"), "x");
}

TEST_F(LogTest, DirectoryInPlaceOfMonthFile) {
    fs::create_directories("LogZelnor/3.txt");
    EXPECT_EQ(MessageOf({March8}), "I/O error 103");
    EXPECT_TRUE(fs::is_empty("LogZelnor/3.txt"));
}

// The real file system, with chosen calls failing; counts opens and closes.
class FailingFileSystem : public platform::FileSystem {
public:
    std::optional<int> openCode;
    std::optional<int> writeCode;
    std::optional<int> closeCode;
    mutable int opened = 0;
    mutable int closed = 0;

    platform::File Open(const std::string& path, platform::OpenMode mode) const override {
        Fail(openCode);
        platform::File file = FileSystem::Open(path, mode);
        ++opened;
        return file;
    }
    platform::File OpenIn(const std::string& directory, const std::string& name,
                          platform::OpenMode mode) const override {
        Fail(openCode);
        platform::File file = FileSystem::OpenIn(directory, name, mode);
        ++opened;
        return file;
    }
    std::size_t WriteSome(platform::File::Handle handle, const char* data,
                          std::size_t size) const override {
        Fail(writeCode);
        return FileSystem::WriteSome(handle, data, size);
    }
    void CloseHandle(platform::File::Handle handle) const override {
        FileSystem::CloseHandle(handle);
        ++closed;
        Fail(closeCode);
    }

private:
    static void Fail(std::optional<int> code) {
        if (code) {
            throw platform::SystemError({*code, "simulated"});
        }
    }
};

struct FailureCase {
    const char* label;
    std::optional<int> open;
    std::optional<int> write;
    std::optional<int> close;
    const char* message;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.label;
}

class LogFailure : public LogTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(LogFailure, ReportsIoErrorAndClosesFile) {
    const FailureCase& c = GetParam();
    FailingFileSystem files;
    files.openCode = c.open;
    files.writeCode = c.write;
    files.closeCode = c.close;
    EXPECT_EQ(MessageOf({March8}, files), c.message);
    EXPECT_EQ(files.closed, files.opened);
}

INSTANTIATE_TEST_SUITE_P(
    Log, LogFailure,
    ::testing::Values(
        FailureCase{"OpenFails", 32, std::nullopt, std::nullopt, "I/O error 103"},
        FailureCase{"WriteFileNotFound", std::nullopt, 2, std::nullopt, "File not found"},
        FailureCase{"WriteInvalidFilename", std::nullopt, 3, std::nullopt, "Invalid filename"},
        FailureCase{"WriteTooManyOpenFiles", std::nullopt, 4, std::nullopt, "Too many open files"},
        FailureCase{"WriteAccessDenied", std::nullopt, 5, std::nullopt, "File access denied"},
        FailureCase{"WriteDiskFull", std::nullopt, 112, std::nullopt, "I/O error 112"},
        FailureCase{"CloseFails", std::nullopt, std::nullopt, 28, "I/O error 28"},
        FailureCase{"WriteFailureWinsOverClose", std::nullopt, 5, 28, "File access denied"}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace mz

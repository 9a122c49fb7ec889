#include "TestCases.h"
#include "TestClock.h"
#include "TestFiles.h"
#include "mz/Exception.h"
#include "mz/IniFile.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mz {
namespace {

// Failure messages show each case below by its title.
using test::PrintTo;

struct WriteCase {
    const char* title;
    std::optional<std::string> before; // nothing: no file
    std::string section;
    std::string key;
    std::string value;
    std::string after;
};

class IniWriteString : public testing::TestWithParam<WriteCase> {
protected:
    test::TempDir dir;
};

TEST_P(IniWriteString, ChangesOnlyTheKeyLine) {
    const WriteCase& c = GetParam();
    const std::string path = dir.File("monitor_zelnor.ini");
    if (c.before) {
        test::WriteBytes(path, *c.before);
    }
    const TIniFile ini(path, mz::platform::SystemFileSystem(), mz::test::NoSleeper());
    ini.WriteString(c.section, c.key, c.value);
    EXPECT_EQ(test::ReadBytes(path), c.after);
    EXPECT_EQ(ini.ReadString(c.section, c.key, "<def>"), c.value);
}

const std::string Other = "; settings\r\n[ip]\r\nhost=db\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, IniWriteString,
    testing::Values(
        WriteCase{"CreatesTheFile", std::nullopt, "MONITOR", "intervalo", "5",
                  "[MONITOR]\r\nintervalo=5\r\n"},
        WriteCase{"FillsAnEmptyFile", "", "MONITOR", "intervalo", "5",
                  "[MONITOR]\r\nintervalo=5\r\n"},
        WriteCase{"ReplacesInPlace", Other + "[MONITOR]\r\nintervalo=5\r\nz=1\r\n", "MONITOR",
                  "intervalo", "10", Other + "[MONITOR]\r\nintervalo=10\r\nz=1\r\n"},
        WriteCase{"KeepsOtherLineEnds", "[a]\nx=1\n[MONITOR]\nintervalo=5\nz=2\rw=3", "MONITOR",
                  "intervalo", "10", "[a]\nx=1\n[MONITOR]\nintervalo=10\r\nz=2\rw=3"},
        WriteCase{"KeepsTheStoredKeyName", "[monitor]\r\n  Intervalo = 5 \r\n", "MONITOR",
                  "intervalo", "7", "[monitor]\r\nIntervalo=7\r\n"},
        WriteCase{"ReplacesOnlyTheFirstMatch",
                  "[monitor]\r\nINTERVALO=1\r\nintervalo=2\r\n[MONITOR]\r\nintervalo=3\r\n",
                  "MONITOR", "intervalo", "9",
                  "[monitor]\r\nINTERVALO=9\r\nintervalo=2\r\n[MONITOR]\r\nintervalo=3\r\n"},
        WriteCase{"AddsAfterTheLastNonBlankLine", "[MONITOR]\r\na=1\r\n; note\r\n\r\n[b]\r\n",
                  "MONITOR", "intervalo", "6",
                  "[MONITOR]\r\na=1\r\n; note\r\nintervalo=6\r\n\r\n[b]\r\n"},
        WriteCase{"AddsToAnEmptySection", "[MONITOR]\r\n\r\n[b]\r\nk=1\r\n", "MONITOR", "intervalo",
                  "6", "[MONITOR]\r\nintervalo=6\r\n\r\n[b]\r\nk=1\r\n"},
        WriteCase{"EndsAnUnendedLastLine", "[MONITOR]\r\na=1", "MONITOR", "intervalo", "6",
                  "[MONITOR]\r\na=1\r\nintervalo=6\r\n"},
        WriteCase{"AppendsTheSection", Other, "MONITOR", "intervalo", "5",
                  Other + "[MONITOR]\r\nintervalo=5\r\n"},
        WriteCase{"AppendsAfterAnUnendedLine", "[a]\r\nx=1", "MONITOR", "intervalo", "5",
                  "[a]\r\nx=1\r\n[MONITOR]\r\nintervalo=5\r\n"},
        WriteCase{"WritesAnEmptyValue", "[s]\r\nk=1\r\n", "s", "k", "", "[s]\r\nk=\r\n"},
        WriteCase{"WritesWindows1252Bytes", std::nullopt, "Configura\xE7\xE3o", "k", "n\xE3o",
                  "[Configura\xE7\xE3o]\r\nk=n\xE3o\r\n"}),
    test::ByTitle);

void ExpectUnableToWrite(const TIniFile& ini, std::string_view key, std::string_view value) {
    try {
        ini.WriteString("MONITOR", key, value);
        ADD_FAILURE() << "the write succeeded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + ini.FileName());
    }
}

TEST(IniWrite, MissingDirectoryRaisesUnableToWrite) {
    const test::TempDir dir;
    ExpectUnableToWrite(TIniFile(dir.File("absent/monitor_zelnor.ini"),
                                 mz::platform::SystemFileSystem(), mz::test::NoSleeper()),
                        "intervalo", "5");
}

TEST(IniWrite, LineBreaksInTheTextsAreRefusedAndTheFileKept) {
    const test::TempDir dir;
    const std::string path = dir.File("monitor_zelnor.ini");
    test::WriteBytes(path, "[MONITOR]\r\nintervalo=5\r\n");
    const TIniFile ini(path, mz::platform::SystemFileSystem(), mz::test::NoSleeper());
    ExpectUnableToWrite(ini, "intervalo", "5\r\n[ip]");
    ExpectUnableToWrite(ini, "a\nb", "5");
    ExpectUnableToWrite(ini, "a=b", "5");
    EXPECT_EQ(test::ReadBytes(path), "[MONITOR]\r\nintervalo=5\r\n");
}

TEST(IniWrite, FileHeldByAnotherWriterIsLeftWhole) {
    const test::TempDir dir;
    const std::string path = dir.File("monitor_zelnor.ini");
    test::WriteBytes(path, "[MONITOR]\r\nintervalo=5\r\n");
    const auto& fs = platform::SystemFileSystem();
    const auto holder = fs.Open(path, platform::OpenMode::AppendDenyWrite);
    ExpectUnableToWrite(TIniFile(path, mz::platform::SystemFileSystem(), mz::test::NoSleeper()),
                        "intervalo", "9");
    EXPECT_EQ(test::ReadBytes(path), "[MONITOR]\r\nintervalo=5\r\n");
}

#ifndef _WIN32 // POSIX permissions and users; Windows has its own access rules
// Root writes into read-only directories, so the write runs in a child that gives up root.
void WriteAsUnprivilegedUser(const std::string& path) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
        std::fputs("could not drop privileges", stderr);
        std::_Exit(2);
    }
    try {
        TIniFile(path, mz::platform::SystemFileSystem(), mz::test::NoSleeper())
            .WriteString("MONITOR", "intervalo", "5");
    } catch (const Exception& e) {
        std::fputs(e.what(), stderr);
        std::_Exit(0);
    }
    std::_Exit(1);
}

TEST(IniWrite, ReadOnlyDirectoryRaisesUnableToWrite) {
    const test::TempDir dir;
    ASSERT_EQ(::chmod(dir.Root().c_str(), 0555), 0);
    const std::string path = dir.File("monitor_zelnor.ini");
    EXPECT_EXIT(WriteAsUnprivilegedUser(path), testing::ExitedWithCode(0),
                "^Unable to write to " + path + "$");
    EXPECT_FALSE(std::filesystem::exists(path));
}
#endif

// Fails the chosen call the way a full disk or a refused open would.
class FailingFileSystem : public platform::FileSystem {
public:
    enum class Step { Open, Write, Close };
    explicit FailingFileSystem(Step step) : step_(step) {}

    platform::File Open(const std::string& path, platform::OpenMode mode) const override {
        if (step_ == Step::Open && mode != platform::OpenMode::ReadDenyWrite) {
            throw platform::SystemError({5, platform::ErrorText(5)});
        }
        return FileSystem::Open(path, mode);
    }
    std::size_t WriteSome(platform::File::Handle handle, const char* data,
                          std::size_t size) const override {
        if (step_ == Step::Write) {
            throw platform::SystemError({112, platform::ErrorText(112)});
        }
        return FileSystem::WriteSome(handle, data, size);
    }
    void CloseHandle(platform::File::Handle handle) const override {
        FileSystem::CloseHandle(handle);
        if (step_ == Step::Close && !closedOnce_) {
            closedOnce_ = true; // the first close is the read's
        } else if (step_ == Step::Close) {
            throw platform::SystemError({112, platform::ErrorText(112)});
        }
    }

private:
    Step step_;
    mutable bool closedOnce_ = false;
};

void PrintTo(FailingFileSystem::Step step, std::ostream* out) {
    *out << "step " << static_cast<int>(step);
}

class IniWriteFailure : public testing::TestWithParam<FailingFileSystem::Step> {};

TEST_P(IniWriteFailure, RaisesUnableToWriteWithThePathAsPassed) {
    const test::TempDir dir;
    const std::string path = dir.File("./monitor_zelnor.ini");
    test::WriteBytes(path, "[MONITOR]\r\nintervalo=5\r\n");
    const FailingFileSystem fs(GetParam());
    const TIniFile ini(path, fs, mz::test::NoSleeper());
    ExpectUnableToWrite(ini, "intervalo", "9");
    if (GetParam() == FailingFileSystem::Step::Open) {
        EXPECT_EQ(test::ReadBytes(path), "[MONITOR]\r\nintervalo=5\r\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Steps, IniWriteFailure,
                         testing::Values(FailingFileSystem::Step::Open,
                                         FailingFileSystem::Step::Write,
                                         FailingFileSystem::Step::Close));

} // namespace
} // namespace mz

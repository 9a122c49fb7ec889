// Files the program does not own are never written through links or special files, settings
// files that cannot be read for a moment are not read as missing, and a failed settings write
// leaves the file as it was.
#include "TestCases.h"
#include "TestClock.h"
#include "TestFiles.h"
#include "mz/Exception.h"
#include "mz/IniFile.h"
#include "mz/platform/FileSystem.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mz::platform {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::WriteBytes;

int FailureCode(const std::function<void()>& action) {
    try {
        action();
    } catch (const SystemError& error) {
        return error.Error().code;
    }
    return 0;
}

struct OpenCase {
    const char* title;
    OpenMode mode;
    bool throughLink; // else: a FIFO at the path
    int expectedCode; // 0: opens
};
using test::PrintTo;

class SpecialPaths : public testing::TestWithParam<OpenCase> {
protected:
    test::TempDir dir;
};

TEST_P(SpecialPaths, OpenOnlyRegularFilesAndFollowNoLinkWhereTheyWrite) {
    const OpenCase& c = GetParam();
    const std::string target = dir.WriteFile("target.txt", "precious");
    const std::string path = dir.File("planted");
    if (c.throughLink) {
        fs::create_symlink(target, path);
    } else {
        ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    }
    // A FIFO without a writer would block an ordinary open for good; this returns at once.
    EXPECT_EQ(FailureCode([&] { SystemFileSystem().Open(path, c.mode); }), c.expectedCode);
    EXPECT_EQ(ReadBytes(target), "precious");
}

INSTANTIATE_TEST_SUITE_P(
    Files, SpecialPaths,
    testing::Values(OpenCase{"RequestThroughALink", OpenMode::CreateExclusive, true, 5},
                    OpenCase{"LogCreatedThroughALink", OpenMode::CreateDenyWrite, true, 5},
                    OpenCase{"LogAppendedThroughALink", OpenMode::AppendDenyWrite, true, 5},
                    OpenCase{"ReplyThroughALink", OpenMode::ReadDenyWrite, true, 5},
                    OpenCase{"SettingsThroughALink", OpenMode::ReadFollowLinks, true, 0},
                    OpenCase{"LogAsAFifo", OpenMode::AppendDenyWrite, false, 5},
                    OpenCase{"ReplyAsAFifo", OpenMode::ReadDenyWrite, false, 5},
                    OpenCase{"SettingsAsAFifo", OpenMode::ReadFollowLinks, false, 5}),
    test::ByTitle);

TEST(SettingsFiles, ADeviceOrAnOversizedFileIsNotReadWhole) {
    const test::TempDir dir;
    const std::string zero = dir.File("sistema_tervo.ini");
    fs::create_symlink("/dev/zero", zero);
    EXPECT_EQ(FailureCode([&] { ReadWholeFile(SystemFileSystem(), zero, MaxSettingsFileBytes); }),
              5);
    const std::string big = dir.WriteFile("big.ini", std::string(MaxSettingsFileBytes + 1, 'x'));
    EXPECT_EQ(FailureCode([&] { ReadWholeFile(SystemFileSystem(), big, MaxSettingsFileBytes); }),
              223);
    const std::string fits = dir.WriteFile("fits.ini", std::string(MaxSettingsFileBytes, 'x'));
    EXPECT_EQ(ReadWholeFile(SystemFileSystem(), fits, MaxSettingsFileBytes).size(),
              MaxSettingsFileBytes);
}

TEST(SettingsFiles, ALockedFileIsRetriedForASecondThenReportedNotReadAsMissing) {
    const test::TempDir dir;
    const std::string path =
        dir.WriteFile("sistema_tervo.ini", "[FilialMatriz]\r\nCodLogica=7\r\n");
    const test::InstantSleeper sleeper;
    const TIniFile ini(path, SystemFileSystem(), sleeper);
    {
        // Another program writing it holds it alone.
        const File held = SystemFileSystem().Open(path, OpenMode::AppendDenyWrite);
        try {
            ini.ReadInteger("FilialMatriz", "CodLogica", 2);
            FAIL() << "read as missing";
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"" + path + "\". ", 0), 0u)
                << e.what();
        }
        EXPECT_EQ(sleeper.slept, std::chrono::milliseconds(950));
    }
    EXPECT_EQ(ini.ReadInteger("FilialMatriz", "CodLogica", 2), 7);
    // A file that is not there still reads as every key missing, without waiting.
    const TIniFile absent(dir.File("absent.ini"), SystemFileSystem(), sleeper);
    const auto before = sleeper.calls;
    EXPECT_EQ(absent.ReadInteger("FilialMatriz", "CodLogica", 2), 2);
    EXPECT_EQ(sleeper.calls, before);
}

// Fails every write after the first bytes, as a full disk does.
class FullDisk : public FileSystem {
public:
    std::size_t WriteSome(File::Handle handle, const char* data, std::size_t size) const override {
        if (size > 4) {
            FileSystem::WriteSome(handle, data, 4);
            throw SystemError({112, "There is not enough space on the disk"});
        }
        return FileSystem::WriteSome(handle, data, size);
    }
};

TEST(SettingsFiles, AFailedWriteLeavesTheOldFileWholeAndASuccessfulOneKeepsItsPermissions) {
    const test::TempDir dir;
    const std::string old = "[MONITOR]\r\nintervalo=10\r\n";
    const std::string path = dir.WriteFile("monitor_zelnor.ini", old);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const FullDisk full;
    EXPECT_THROW(TIniFile(path, full, test::NoSleeper()).WriteString("MONITOR", "intervalo", "20"),
                 Exception);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_FALSE(fs::exists(path + ".new"));

    TIniFile(path, SystemFileSystem(), test::NoSleeper()).WriteString("MONITOR", "intervalo", "20");
    EXPECT_EQ(ReadBytes(path), "[MONITOR]\r\nintervalo=20\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(SettingsFiles, AWriteKeepsTheByteOrderMarkAndFindsTheFirstSectionBehindIt) {
    const test::TempDir dir;
    const std::string path =
        dir.WriteFile("monitor_zelnor.ini", "\xEF\xBB\xBF[MONITOR]\r\nintervalo=10\r\n");
    TIniFile(path, SystemFileSystem(), test::NoSleeper())
        .WriteString(" MONITOR ", "intervalo", "7");
    EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF[MONITOR]\r\nintervalo=7\r\n");
}

} // namespace
} // namespace mz::platform

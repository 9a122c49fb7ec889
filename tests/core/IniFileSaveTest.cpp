// Save honours the file's own protection: a file the user may not write is refused, a link is
// written through to its target, a protected folder is written in place, and nothing left
// beside the file blocks the next Save.
#include "TestClock.h"
#include "TestFiles.h"
#include "mz/Exception.h"
#include "mz/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mz {
namespace {

namespace fs = std::filesystem;

constexpr uid_t Nobody = 65534;
const std::string Before = "[MONITOR]\r\nintervalo=5\r\n";
const std::string After = "[MONITOR]\r\nintervalo=9\r\n";

void Save(const std::string& path) {
    TIniFile(path, platform::SystemFileSystem(), test::NoSleeper())
        .WriteString("MONITOR", "intervalo", "9");
}

// Saves as an ordinary user in a child (root may write anything) and exits 0 with the
// message on stderr when Save raised, 1 when it succeeded.
void SaveAsNobody(const std::string& path) {
    if (::geteuid() == 0 && (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)) {
        std::fputs("could not drop privileges", stderr);
        std::_Exit(2);
    }
    try {
        Save(path);
    } catch (const Exception& e) {
        std::fputs(e.what(), stderr);
        std::_Exit(0);
    }
    std::_Exit(1);
}

class IniSave : public testing::Test {
protected:
    void SetUp() override {
        fs::permissions(dir.Root(), fs::perms::all); // ordinary users may enter and write
        path = dir.WriteFile("monitor_zelnor.ini", Before);
    }
    test::TempDir dir;
    std::string path;
};

TEST_F(IniSave, ReadOnlyFileIsRefusedAndKept) {
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), Nobody, Nobody), 0);
    }
    EXPECT_EXIT(SaveAsNobody(path), testing::ExitedWithCode(0),
                "^Unable to write to " + path + "$");
    EXPECT_EQ(test::ReadBytes(path), Before);
}

TEST_F(IniSave, AnotherUsersFileIsRefusedAndKept) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to make a file of another user";
    }
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0); // root's, readable by all
    EXPECT_EXIT(SaveAsNobody(path), testing::ExitedWithCode(0),
                "^Unable to write to " + path + "$");
    EXPECT_EQ(test::ReadBytes(path), Before);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 0U);
}

TEST_F(IniSave, ProtectedFolderIsWrittenInPlace) {
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), Nobody, Nobody), 0);
    }
    ASSERT_EQ(::chmod(dir.Root().c_str(), 0555), 0);
    EXPECT_EXIT(SaveAsNobody(path), testing::ExitedWithCode(1), "");
    EXPECT_EQ(test::ReadBytes(path), After);
}

TEST_F(IniSave, LinkIsWrittenThroughToItsTarget) {
    const test::TempDir elsewhere;
    const std::string target = elsewhere.WriteFile("real.ini", Before);
    fs::remove(path);
    fs::create_symlink(target, path);
    Save(path);
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(test::ReadBytes(target), After);
}

TEST_F(IniSave, FolderAtTheOldTemporaryNameDoesNotBlock) {
    fs::create_directory(path + ".new");
    Save(path);
    EXPECT_EQ(test::ReadBytes(path), After);
}

TEST_F(IniSave, FolderAtItsOwnTemporaryNameFallsBackToWritingInPlace) {
    fs::create_directory(path + ".saving");
    Save(path);
    EXPECT_EQ(test::ReadBytes(path), After);
}

TEST_F(IniSave, HardLinkAtTheTemporaryNameLeavesItsTargetAlone) {
    const std::string outside = dir.WriteFile("outside.txt", "keep");
    fs::create_hard_link(outside, path + ".saving");
    Save(path);
    EXPECT_EQ(test::ReadBytes(path), After);
    EXPECT_EQ(test::ReadBytes(outside), "keep");
}

// Plants a hard link to outside at the temporary name right after Save has cleared it.
class PlantingFileSystem : public platform::FileSystem {
public:
    PlantingFileSystem(std::string temporary, std::string outside)
        : temporary_(std::move(temporary)), outside_(std::move(outside)) {}
    bool DeleteFile(const std::string& path) const noexcept override {
        const bool deleted = platform::FileSystem::DeleteFile(path);
        if (path == temporary_) {
            std::error_code ignored;
            fs::create_hard_link(outside_, temporary_, ignored);
        }
        return deleted;
    }

private:
    std::string temporary_;
    std::string outside_;
};

TEST_F(IniSave, HardLinkPlantedAtTheTemporaryNameAfterItIsClearedLeavesItsTargetAlone) {
    const std::string outside = dir.WriteFile("outside.txt", "keep");
    const PlantingFileSystem files(path + ".saving", outside);
    TIniFile(path, files, test::NoSleeper()).WriteString("MONITOR", "intervalo", "9");
    EXPECT_EQ(test::ReadBytes(path), After);
    EXPECT_EQ(test::ReadBytes(outside), "keep");
}

TEST_F(IniSave, ContentBeyondTheReadLimitIsRefusedAndTheFileKept) {
    const std::string big =
        "; " + std::string(platform::MaxSettingsFileBytes - 40, 'x') + "\r\n" + Before;
    test::WriteBytes(path, big);
    const TIniFile ini(path, platform::SystemFileSystem(), test::NoSleeper());
    try {
        ini.WriteString("MONITOR", "intervalo", std::string(100, '7'));
        ADD_FAILURE() << "the write succeeded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + path);
    }
    EXPECT_EQ(test::ReadBytes(path), big);
    ini.WriteString("MONITOR", "intervalo", "9"); // still within the limit
    EXPECT_EQ(ini.ReadInteger("MONITOR", "intervalo", 0), 9);
}

} // namespace
} // namespace mz

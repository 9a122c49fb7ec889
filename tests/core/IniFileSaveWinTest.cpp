// The Windows half of Save's protection: a read-only file is refused and kept, and nothing
// left beside the file blocks the next Save.
#include "TestClock.h"
#include "TestFiles.h"
#include "mz/Exception.h"
#include "mz/IniFile.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace mz {
namespace {

namespace fs = std::filesystem;

const std::string Before = "[MONITOR]\r\nintervalo=5\r\n";
const std::string After = "[MONITOR]\r\nintervalo=9\r\n";

void Save(const std::string& path) {
    TIniFile(path, platform::SystemFileSystem(), test::NoSleeper())
        .WriteString("MONITOR", "intervalo", "9");
}

TEST(IniSaveWindows, ReadOnlyFileIsRefusedAndKept) {
    const test::TempDir dir;
    const std::string path = dir.WriteFile("monitor_zelnor.ini", Before);
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    try {
        Save(path);
        ADD_FAILURE() << "the write succeeded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + path);
    }
    EXPECT_EQ(test::ReadBytes(path), Before);
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(IniSaveWindows, FoldersAtTheTemporaryNamesDoNotBlock) {
    const test::TempDir dir;
    const std::string path = dir.WriteFile("monitor_zelnor.ini", Before);
    fs::create_directory(path + ".new");
    fs::create_directory(path + ".saving");
    Save(path);
    EXPECT_EQ(test::ReadBytes(path), After);
}

} // namespace
} // namespace mz

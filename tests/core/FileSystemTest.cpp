#include "mz/platform/FileSystem.h"

#include "TestFiles.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace mz::platform {
namespace {

using Mode = OpenMode;

class FileSystemTest : public testing::Test {
protected:
    const FileSystem& fs = SystemFileSystem();
    test::TempDir dir;
    const std::string path = dir.File("file.txt");

    // The code of the failure of f, or 0 when it succeeds.
    template <typename F> static int FailureCode(F&& f) {
        try {
            f();
        } catch (const SystemError& e) {
            return e.Error().code;
        }
        return 0;
    }
    int OpenFailure(const std::string& target, Mode mode) const {
        return FailureCode([&] { fs.Open(target, mode); });
    }
};

TEST_F(FileSystemTest, WritesAppendsAndReadsBack) {
    File file = fs.Open(path, Mode::CreateExclusive);
    file.Write("line 1\r\n");
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    File append = fs.Open(path, Mode::AppendDenyWrite);
    append.Write("line 2\r\n");
    append.Close();
    EXPECT_EQ(ReadWholeFile(fs, path, MaxSettingsFileBytes), "line 1\r\nline 2\r\n");
    EXPECT_TRUE(fs.FileExists(path));
    EXPECT_FALSE(fs.DirectoryExists(path));
}

// Sizes around the reader's chunk, where a read that stops early or reads on past the end
// would show.
TEST_F(FileSystemTest, ReadsWholeFilesOfEverySizeAroundItsChunk) {
    for (const std::size_t size : {0U, 1U, 16383U, 16384U, 16385U, 32768U, 40000U}) {
        std::string content(size, 'a');
        for (std::size_t i = 0; i < size; ++i) {
            content[i] = static_cast<char>('a' + i % 26);
        }
        test::WriteBytes(path, content);
        EXPECT_EQ(ReadWholeFile(fs, path, MaxSettingsFileBytes), content) << size;
        EXPECT_EQ(ReadWholeFile(fs, path, size), content) << size;
        if (size > 0) {
            const int fileTooLarge = 223;
            EXPECT_EQ(FailureCode([&] { ReadWholeFile(fs, path, size - 1); }), fileTooLarge)
                << size;
        }
    }
}

TEST_F(FileSystemTest, CreateTruncatesAnExistingFile) {
    test::WriteBytes(path, "old content");
    File(fs.Open(path, Mode::CreateDenyWrite)).Write("new");
    EXPECT_EQ(test::ReadBytes(path), "new");
}

TEST_F(FileSystemTest, WritersHoldTheFileAlone) {
    test::WriteBytes(path, "keep");
    for (const Mode writer :
         {Mode::CreateExclusive, Mode::CreateDenyWrite, Mode::AppendDenyWrite}) {
        SCOPED_TRACE(static_cast<int>(writer));
        File holder = fs.Open(path, Mode::AppendDenyWrite);
        EXPECT_EQ(OpenFailure(path, writer), 32);
        EXPECT_EQ(OpenFailure(path, Mode::ReadDenyWrite), 32);
    }
    EXPECT_EQ(test::ReadBytes(path), "keep"); // the refused create did not empty it
}

TEST_F(FileSystemTest, ReadersShareAndKeepWritersOut) {
    test::WriteBytes(path, "data");
    File reader = fs.Open(path, Mode::ReadDenyWrite);
    File second = fs.Open(path, Mode::ReadDenyWrite);
    EXPECT_EQ(OpenFailure(path, Mode::CreateExclusive), 32);
    EXPECT_EQ(OpenFailure(path, Mode::AppendDenyWrite), 32);
    reader.Close();
    second.Close();
    EXPECT_EQ(OpenFailure(path, Mode::AppendDenyWrite), 0);
}

TEST_F(FileSystemTest, SharingViolationCarriesTheWindowsText) {
    File holder = fs.Open(path, Mode::CreateExclusive);
    try {
        fs.Open(path, Mode::CreateExclusive);
        FAIL() << "second writer admitted";
    } catch (const SystemError& e) {
        EXPECT_EQ(e.Error().text,
                  "The process cannot access the file because it is being used by another "
                  "process");
        EXPECT_EQ(ErrorText(32), e.Error().text);
    }
}

TEST_F(FileSystemTest, ClosingReleasesTheLock) {
    { File holder = fs.Open(path, Mode::CreateExclusive); }
    File moved = fs.Open(path, Mode::CreateExclusive);
    File target = std::move(moved);
    EXPECT_FALSE(moved.IsOpen());
    EXPECT_TRUE(target.IsOpen());
    target = File();
    EXPECT_EQ(OpenFailure(path, Mode::CreateExclusive), 0);
}

TEST_F(FileSystemTest, MapsErrorsToWindowsCodes) {
    test::WriteBytes(path, "x");
    const std::string missing = dir.File("missing.txt");
    EXPECT_EQ(OpenFailure(missing, Mode::ReadDenyWrite), 2);
    EXPECT_EQ(OpenFailure(missing, Mode::AppendDenyWrite), 2);
    EXPECT_EQ(OpenFailure(dir.File("no/dir.txt"), Mode::CreateExclusive), 2);
    EXPECT_EQ(OpenFailure(path + "/below.txt", Mode::CreateExclusive), 3);
    EXPECT_EQ(OpenFailure(dir.Root().string(), Mode::ReadDenyWrite), 5);
    EXPECT_EQ(OpenFailure(dir.Root().string(), Mode::CreateExclusive), 5);
    EXPECT_EQ(FailureCode([&] { fs.CreateDirectory(dir.Root().string()); }), 183);
    EXPECT_EQ(FailureCode([&] { ReadWholeFile(fs, missing, MaxSettingsFileBytes); }), 2);
}

TEST_F(FileSystemTest, ErrorTextIsTheSystemText) {
    try {
        ReadWholeFile(fs, dir.File("missing.txt"), MaxSettingsFileBytes);
        FAIL() << "missing file read";
    } catch (const SystemError& e) {
        EXPECT_EQ(e.Error().text, std::strerror(ENOENT));
        EXPECT_STREQ(e.what(), std::strerror(ENOENT));
    }
    EXPECT_EQ(ErrorText(2), std::strerror(ENOENT));
    EXPECT_EQ(ErrorText(5), std::strerror(EACCES));
    EXPECT_EQ(ErrorText(112), std::strerror(ENOSPC));
    EXPECT_EQ(ErrorText(0x20000000 | EIO), std::strerror(EIO)); // no Windows counterpart
}

TEST_F(FileSystemTest, CreatesAndFindsDirectoriesAndDeletesFiles) {
    const std::string sub = dir.File("LogZelnor");
    EXPECT_FALSE(fs.DirectoryExists(sub));
    fs.CreateDirectory(sub);
    EXPECT_TRUE(fs.DirectoryExists(sub));
    EXPECT_FALSE(fs.FileExists(sub));
    test::WriteBytes(path, "x");
    EXPECT_TRUE(fs.DeleteFile(path));
    EXPECT_FALSE(fs.FileExists(path));
    EXPECT_FALSE(fs.DeleteFile(path));
    EXPECT_FALSE(fs.DeleteFile(sub));
}

TEST_F(FileSystemTest, Windows1252NamesBecomeUtf8OnDisk) {
    const std::string name = dir.File("configura\xE7\xE3o.txt");
    File(fs.Open(name, Mode::CreateExclusive)).Write("ok");
    EXPECT_TRUE(std::filesystem::exists(dir.Root() / "configura\xC3\xA7\xC3\xA3o.txt"));
    EXPECT_EQ(ReadWholeFile(fs, name, MaxSettingsFileBytes), "ok");
}

TEST_F(FileSystemTest, ClosedFileRefusesUse) {
    File file;
    char buffer[4];
    EXPECT_EQ(FailureCode([&] { file.Write("x"); }), 6);
    EXPECT_EQ(FailureCode([&] { file.Read(buffer, sizeof buffer); }), 6);
    EXPECT_EQ(FailureCode([&] { file.Close(); }), 6);
}

} // namespace
} // namespace mz::platform

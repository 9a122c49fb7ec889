// The Windows half of the platform layer's files: the system's own sharing rules and error
// codes, Windows-1252 names through the ANSI functions.
#include "TestCases.h"
#include "TestFiles.h"
#include "TestWindows.h"
#include "mz/platform/FileSystem.h"

#include <gtest/gtest.h>
#include <windows.h>
#undef CreateDirectory
#undef DeleteFile

namespace mz::platform {
namespace {

using Mode = OpenMode;
using test::PrintTo;

constexpr int SharingViolation = 32;

// The code of the failure of f, or 0 when it succeeds.
template <typename F> int FailureCode(F&& f) {
    try {
        f();
    } catch (const SystemError& e) {
        return e.Error().code;
    }
    return 0;
}

class WinFiles : public testing::Test {
protected:
    int OpenFailure(const std::string& target, Mode mode) const {
        return FailureCode([&] { fs.Open(target, mode); });
    }

    const FileSystem& fs = SystemFileSystem();
    test::TempDir dir;
    const std::string path = dir.File("file.txt");
};

struct SharingCase {
    const char* title;
    Mode holder;
    Mode second;
    int expected; // 0: the second open is let in
};

class Sharing : public WinFiles, public testing::WithParamInterface<SharingCase> {};

TEST_P(Sharing, FollowsTheSystemsShareModes) {
    const SharingCase& c = GetParam();
    test::WriteBytes(path, "keep");
    const File holder = fs.Open(path, c.holder);
    EXPECT_EQ(OpenFailure(path, c.second), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Sharing,
    testing::Values(
        SharingCase{"ExclusiveRefusesWriters", Mode::CreateExclusive, Mode::CreateExclusive, 32},
        SharingCase{"ExclusiveRefusesReaders", Mode::CreateExclusive, Mode::ReadDenyWrite, 32},
        SharingCase{"ExclusiveRefusesLinkReaders", Mode::CreateExclusive, Mode::ReadFollowLinks,
                    32},
        SharingCase{"DenyWriteRefusesWriters", Mode::CreateDenyWrite, Mode::AppendDenyWrite, 32},
        SharingCase{"WriterRefusesReadersThatDenyWrite", Mode::CreateDenyWrite, Mode::ReadDenyWrite,
                    32},
        SharingCase{"AppendRefusesWriters", Mode::AppendDenyWrite, Mode::CreateDenyWrite, 32},
        SharingCase{"ReadersShare", Mode::ReadDenyWrite, Mode::ReadDenyWrite, 0},
        SharingCase{"ReadersShareWithLinkReaders", Mode::ReadDenyWrite, Mode::ReadFollowLinks, 0},
        SharingCase{"ReaderRefusesCreate", Mode::ReadDenyWrite, Mode::CreateExclusive, 32},
        SharingCase{"ReaderRefusesAppend", Mode::ReadDenyWrite, Mode::AppendDenyWrite, 32},
        SharingCase{"ReaderRefusesReadWrite", Mode::ReadDenyWrite, Mode::ReadWrite, 32},
        SharingCase{"ReadWriteSharesWithReadWrite", Mode::ReadWrite, Mode::ReadWrite, 0},
        SharingCase{"ReadWriteRefusesReadersThatDenyWrite", Mode::ReadWrite, Mode::ReadDenyWrite,
                    32}),
    test::ByTitle);

TEST_F(WinFiles, WritesAppendsTruncatesAndReadsBack) {
    File file = fs.Open(path, Mode::CreateExclusive);
    file.Write("line 1\r\n");
    file.Close();
    File append = fs.Open(path, Mode::AppendDenyWrite);
    append.Write("line 2\r\n");
    append.Close();
    EXPECT_EQ(ReadWholeFile(fs, path, MaxSettingsFileBytes), "line 1\r\nline 2\r\n");
    File(fs.Open(path, Mode::CreateDenyWrite)).Write("new");
    EXPECT_EQ(test::ReadBytes(path), "new");
    EXPECT_TRUE(fs.FileExists(path));
    EXPECT_FALSE(fs.DirectoryExists(path));
}

TEST_F(WinFiles, RefusedCreateLeavesTheContent) {
    test::WriteBytes(path, "keep");
    const File holder = fs.Open(path, Mode::ReadDenyWrite);
    EXPECT_EQ(OpenFailure(path, Mode::CreateExclusive), SharingViolation);
    EXPECT_EQ(test::ReadBytes(path), "keep");
}

// The rules hold against every program, not only against this layer: here a handle opened
// straight through the system that shares nothing.
TEST_F(WinFiles, ForeignHandleThatSharesNothingKeepsEveryModeOut) {
    test::WriteBytes(path, "x");
    const HANDLE foreign = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(foreign, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenFailure(path, Mode::ReadDenyWrite), SharingViolation);
    EXPECT_EQ(OpenFailure(path, Mode::AppendDenyWrite), SharingViolation);
    ::CloseHandle(foreign);
    EXPECT_EQ(OpenFailure(path, Mode::ReadDenyWrite), 0);
}

TEST_F(WinFiles, ClosingReleasesTheFile) {
    { const File holder = fs.Open(path, Mode::CreateExclusive); }
    File moved = fs.Open(path, Mode::CreateExclusive);
    File target = std::move(moved);
    EXPECT_FALSE(moved.IsOpen());
    target = File();
    EXPECT_EQ(OpenFailure(path, Mode::CreateExclusive), 0);
}

TEST_F(WinFiles, ReportsTheCodesWindowsGives) {
    test::WriteBytes(path, "x");
    const std::string missing = dir.File("missing.txt");
    EXPECT_EQ(OpenFailure(missing, Mode::ReadDenyWrite), 2);
    EXPECT_EQ(OpenFailure(missing, Mode::AppendDenyWrite), 2);
    EXPECT_EQ(OpenFailure(dir.File("no\\dir.txt"), Mode::CreateExclusive), 3);
    EXPECT_EQ(OpenFailure(path + "\\below.txt", Mode::CreateExclusive), 3);
    EXPECT_EQ(OpenFailure(dir.Root().string(), Mode::ReadDenyWrite), 5);
    EXPECT_EQ(OpenFailure(dir.Root().string(), Mode::CreateExclusive), 5);
    EXPECT_EQ(FailureCode([&] { fs.CreateDirectory(dir.Root().string()); }), 183);
    EXPECT_EQ(FailureCode([&] { ReadWholeFile(fs, missing, 100); }), 2);
    EXPECT_EQ(FailureCode([&] { ReadWholeFile(fs, path, 0); }), 223);
}

TEST_F(WinFiles, DevicesAreNoFiles) {
    EXPECT_EQ(OpenFailure("NUL", Mode::ReadDenyWrite), 5);
    EXPECT_EQ(OpenFailure("NUL", Mode::CreateDenyWrite), 5);
    EXPECT_FALSE(fs.FileExists("NUL"));
}

TEST_F(WinFiles, LinksAreRefusedUnlessFollowed) {
    if (test::RunningUnderWine()) {
        GTEST_SKIP() << "Wine's symbolic links are Unix links, not reparse points";
    }
    test::WriteBytes(path, "target");
    const std::string link = dir.File("link.txt");
    if (!::CreateSymbolicLinkA(link.c_str(), path.c_str(),
                               SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)) {
        GTEST_SKIP() << "this account may not create symbolic links";
    }
    EXPECT_EQ(OpenFailure(link, Mode::ReadDenyWrite), 5);
    EXPECT_EQ(OpenFailure(link, Mode::CreateExclusive), 5);
    EXPECT_EQ(test::ReadBytes(path), "target");
    EXPECT_EQ(ReadWholeFile(fs, link, 100), "target");
}

TEST_F(WinFiles, FailureCarriesTheSystemText) {
    try {
        ReadWholeFile(fs, dir.File("missing.txt"), 100);
        FAIL() << "missing file read";
    } catch (const SystemError& e) {
        EXPECT_EQ(e.Error().text, ErrorText(2));
        EXPECT_STREQ(e.what(), ErrorText(2).c_str());
    }
}

TEST_F(WinFiles, CreatesDirectoriesAndDeletesFiles) {
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

TEST_F(WinFiles, ReplacesAFileInOneStep) {
    const std::string fresh = dir.File("file.txt.new");
    test::WriteBytes(fresh, "first");
    fs.ReplaceFileAtomically(fresh, path); // no file there yet
    test::WriteBytes(fresh, "second");
    fs.ReplaceFileAtomically(fresh, path);
    EXPECT_EQ(test::ReadBytes(path), "second");
    EXPECT_FALSE(fs.FileExists(fresh));
}

TEST_F(WinFiles, ReplacingAFileInUseLeavesBothFiles) {
    const std::string fresh = dir.File("file.txt.new");
    test::WriteBytes(path, "old");
    test::WriteBytes(fresh, "new");
    {
        const File reader = fs.Open(path, Mode::ReadDenyWrite);
        EXPECT_NE(FailureCode([&] { fs.ReplaceFileAtomically(fresh, path); }), 0);
    }
    EXPECT_EQ(test::ReadBytes(path), "old");
    EXPECT_EQ(test::ReadBytes(fresh), "new");
}

// The program's names are Windows-1252 bytes, handed to the ANSI functions as they are.
TEST_F(WinFiles, Windows1252NamesAreTheFilesNames) {
    const std::string name = dir.Path() + "configura\xE7\xE3o.txt";
    File(fs.Open(name, Mode::CreateExclusive)).Write("ok");
    const std::wstring wide = dir.Root().wstring() + L"\\configura\u00e7\u00e3o.txt";
    EXPECT_NE(::GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadWholeFile(fs, name, 100), "ok");
}

TEST_F(WinFiles, ClosedFileRefusesUse) {
    File file;
    char buffer[4];
    EXPECT_EQ(FailureCode([&] { file.Write("x"); }), 6);
    EXPECT_EQ(FailureCode([&] { file.Read(buffer, sizeof buffer); }), 6);
    EXPECT_EQ(FailureCode([&] { file.Close(); }), 6);
}

} // namespace
} // namespace mz::platform

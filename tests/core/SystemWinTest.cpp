// The Windows half of the platform layer's system calls: error texts, the program directory,
// the default exchange directories, sleeping.
#include "TestCases.h"
#include "TestWindows.h"
#include "mz/platform/FileSystem.h"
#include "mz/platform/System.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace mz::platform {
namespace {

using test::PrintTo;

bool EnglishUserInterface() {
    return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_ENGLISH;
}

struct TextCase {
    const char* title;
    int code;
    const char* text; // English Windows' text, without its full stop
};

class WindowsErrorText : public testing::TestWithParam<TextCase> {};

// Wine's texts differ from Windows' own ("Sharing violation"), its codes do not: the texts are
// pinned on Windows only.
TEST_P(WindowsErrorText, IsTheSystemsText) {
    if (test::RunningUnderWine() || !EnglishUserInterface()) {
        GTEST_SKIP() << "the texts are English Windows' own";
    }
    EXPECT_EQ(ErrorText(GetParam().code), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsErrorText,
    testing::Values(
        TextCase{"FileNotFound", 2, "The system cannot find the file specified"},
        TextCase{"PathNotFound", 3, "The system cannot find the path specified"},
        TextCase{"AccessDenied", 5, "Access is denied"},
        TextCase{"SharingViolation", 32,
                 "The process cannot access the file because it is being used by another "
                 "process"},
        TextCase{"DiskFull", 112, "There is not enough space on the disk"},
        TextCase{"AlreadyExists", 183, "Cannot create a file when that file already exists"},
        TextCase{"FileTooLarge", 223,
                 "The file size exceeds the limit allowed and cannot be saved"}),
    test::ByTitle);

class AnyErrorText : public testing::TestWithParam<int> {};

// Texts come without the line break and full stop Windows ends them with.
TEST_P(AnyErrorText, IsOneTrimmedLine) {
    const std::string text = ErrorText(GetParam());
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
    EXPECT_NE(text.back(), '.') << text;
    EXPECT_NE(text.rfind("Unknown error", 0), 0U) << text;
}

INSTANTIATE_TEST_SUITE_P(Codes, AnyErrorText, testing::Values(2, 3, 5, 32, 112, 183));

TEST(ErrorText, CodesWindowsDoesNotKnowAreNamed) {
    EXPECT_EQ(ErrorText(0x20000005), "Unknown error 536870917");
}

TEST(ProgramDirectory, IsTheFolderOfTheRunningProgram) {
    const std::string directory = ProgramDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), '\\');
    char module[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameA(nullptr, module, MAX_PATH), 0U);
    const std::string program = module;
    EXPECT_EQ(program.substr(0, directory.size()), directory);
    EXPECT_EQ(program.find('\\', directory.size()), std::string::npos);
}

TEST(DefaultDirectories, AreTheZelnorFoldersOnDriveC) {
    EXPECT_EQ(DefaultSendDirectory(), "C:\\Zelnor\\ENV\\");
    EXPECT_EQ(DefaultReplyDirectory(), "C:\\Zelnor\\REC\\");
    EXPECT_EQ(PathDelimiter, '\\');
}

TEST(Sleeper, WaitsAtLeastTheDuration) {
    const auto start = std::chrono::steady_clock::now();
    SystemSleeper().Sleep(std::chrono::milliseconds(30));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
    SystemSleeper().Sleep(std::chrono::milliseconds(-5)); // returns at once
}

} // namespace
} // namespace mz::platform

#include "TestCases.h"
#include "TestFiles.h"
#include "mz/platform/InstanceLock.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace mz::platform {
namespace {

TEST(InstanceLock, OneCopyPerDirectory) {
    const test::TempDir dir;
    auto first = InstanceLock::TryAcquire(dir.Path());
    ASSERT_TRUE(first);
    EXPECT_FALSE(InstanceLock::TryAcquire(dir.Path()));
    EXPECT_TRUE(std::filesystem::exists(dir.Root() / InstanceLock::FileName));

    const test::TempDir other;
    EXPECT_TRUE(InstanceLock::TryAcquire(other.Path())); // another program directory
}

TEST(InstanceLock, ReleasedWithItsOwnerAndMovedWithIt) {
    const test::TempDir dir;
    {
        auto first = InstanceLock::TryAcquire(dir.Path());
        ASSERT_TRUE(first);
        InstanceLock moved = std::move(*first);
        first.reset(); // the moved-from lock holds nothing
        EXPECT_FALSE(InstanceLock::TryAcquire(dir.Path()));
    }
    EXPECT_TRUE(InstanceLock::TryAcquire(dir.Path()));
}

// What the PC may do to the lock file before or while a copy runs; the second copy is refused
// whatever it is. Read-only folders and a second Wine prefix are run by lock-wine-test.sh.
struct DisturbedLockCase {
    const char* title;
    void (*prepare)(const std::filesystem::path& directory); // before the first copy starts
    void (*disturb)(const std::filesystem::path& directory); // while the first copy runs
};
using test::PrintTo;

std::string LockFile(const std::filesystem::path& directory) {
    return (directory / InstanceLock::FileName).string();
}

void Nothing(const std::filesystem::path& /*directory*/) {}

void FolderOfTheLockFileName(const std::filesystem::path& directory) {
    std::filesystem::create_directory(LockFile(directory));
}

void ReadOnlyLockFile(const std::filesystem::path& directory) {
    test::WriteBytes(LockFile(directory), "");
    ASSERT_TRUE(::SetFileAttributesA(LockFile(directory).c_str(), FILE_ATTRIBUTE_READONLY));
}

void TryToDeleteLockFile(const std::filesystem::path& directory) {
    EXPECT_FALSE(::DeleteFileA(LockFile(directory).c_str())) << "the held lock file went";
    EXPECT_FALSE(::MoveFileA(LockFile(directory).c_str(), (directory / "moved").string().c_str()))
        << "the held lock file was renamed";
}

class DisturbedLock : public testing::TestWithParam<DisturbedLockCase> {};

TEST_P(DisturbedLock, StillKeepsASecondCopyFromRunning) {
    const auto& c = GetParam();
    const test::TempDir dir;
    c.prepare(dir.Root());
    const auto first = InstanceLock::TryAcquire(dir.Path());
    ASSERT_TRUE(first);
    c.disturb(dir.Root());
    EXPECT_FALSE(InstanceLock::TryAcquire(dir.Path())) << "two copies ran";
    SetFileAttributesA(LockFile(dir.Root()).c_str(), FILE_ATTRIBUTE_NORMAL);
}

INSTANTIATE_TEST_SUITE_P(
    InstanceLock, DisturbedLock,
    testing::Values(DisturbedLockCase{"FolderNamedLikeTheLockFile", FolderOfTheLockFileName,
                                      Nothing},
                    DisturbedLockCase{"ReadOnlyLockFile", ReadOnlyLockFile, Nothing},
                    DisturbedLockCase{"LockFileDeletedOrRenamed", Nothing, TryToDeleteLockFile}),
    test::ByTitle);

// Where no lock file can be opened or made, the copy still starts and holds the lock, through
// its executable, and lets go of it when it ends.
TEST(InstanceLock, DirectoryWithoutRoomForTheFileLocksTheExecutable) {
    const test::TempDir dir;
    const std::string missing = dir.Path() + "missing\\";
    {
        const auto first = InstanceLock::TryAcquire(missing);
        EXPECT_TRUE(first);
        EXPECT_FALSE(InstanceLock::TryAcquire(missing)) << "two copies ran";
    }
    EXPECT_TRUE(InstanceLock::TryAcquire(missing));
}

} // namespace
} // namespace mz::platform

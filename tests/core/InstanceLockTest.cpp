// One running copy per program directory, and never a lock that outlives its process.
#include "mz/platform/InstanceLock.h"

#include "TestFiles.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace mz::platform {
namespace {

// A process that takes the lock and waits to be killed; its exit status 3 means it found the
// lock taken.
pid_t StartHolder(const std::string& directory, int ready[2]) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const auto lock = InstanceLock::TryAcquire(directory);
        const char answer = lock ? 'y' : 'n';
        [[maybe_unused]] const auto written = ::write(ready[1], &answer, 1);
        if (!lock) {
            ::_exit(3);
        }
        ::pause();
        ::_exit(0);
    }
    return pid;
}

TEST(InstanceLock, ASecondCopyFindsTheFirstAndACrashLeavesNoLockBehind) {
    const test::TempDir dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t first = StartHolder(dir.Path(), ready);
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ASSERT_EQ(answer, 'y');
    EXPECT_TRUE(std::filesystem::exists(dir.Path() + InstanceLock::FileName));

    EXPECT_FALSE(InstanceLock::TryAcquire(dir.Path()).has_value()) << "two copies ran";

    ::kill(first, SIGKILL);
    ::waitpid(first, nullptr, 0);
    auto next = InstanceLock::TryAcquire(dir.Path());
    EXPECT_TRUE(next.has_value()) << "the crashed copy's lock blocked the next start";
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(InstanceLock, AReadOnlyProgramDirectoryIsLockedThroughTheDirectoryItself) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes to read-only directories";
    }
    const test::TempDir dir;
    std::filesystem::permissions(dir.Root(), std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    auto lock = InstanceLock::TryAcquire(dir.Path());
    ASSERT_TRUE(lock.has_value());
    EXPECT_FALSE(InstanceLock::TryAcquire(dir.Path()).has_value());
}

} // namespace
} // namespace mz::platform

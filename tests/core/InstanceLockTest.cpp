// One running copy per program directory, and never a lock that outlives its process.
#include "mz/platform/InstanceLock.h"

#include "TestCases.h"
#include "TestFiles.h"

#include <csignal>
#include <filesystem>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
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
    // The lock is the directory itself: nothing is written into it.
    EXPECT_TRUE(std::filesystem::is_empty(dir.Root()));

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

// What the PC may do to the program directory and its lock while one copy runs. The two
// copies run as the test's user, or, where the case needs root, as two users of one group
// (umask 022) sharing a group-writable program directory, as the installed package has it.
constexpr uid_t FirstUser = 65534;
constexpr uid_t SecondUser = 65533;
constexpr gid_t SharedGroup = 65534;

struct DisturbedLockCase {
    const char* title;
    bool twoUsers;
    void (*prepare)(const std::filesystem::path& directory); // before the first copy starts
    void (*disturb)(const std::filesystem::path& directory); // while the first copy runs
};
using test::PrintTo;

std::filesystem::path LockFile(const std::filesystem::path& directory) {
    return directory / InstanceLock::FileName;
}

void Nothing(const std::filesystem::path& /*directory*/) {}

void RemoveLockFile(const std::filesystem::path& directory) {
    std::filesystem::remove(LockFile(directory));
}

void ReplaceLockFileByALink(const std::filesystem::path& directory) {
    std::filesystem::remove(LockFile(directory));
    std::filesystem::create_symlink("/dev/null", LockFile(directory));
}

void SharedByTheGroup(const std::filesystem::path& directory) {
    ASSERT_EQ(::chown(directory.c_str(), 0, SharedGroup), 0);
    ASSERT_EQ(::chmod(directory.c_str(), 02775), 0);
}

// An earlier version's lock file, writable by the first user only, in a directory no one may
// write.
void ReadOnlyWithAnOlderLockFile(const std::filesystem::path& directory) {
    test::WriteBytes(LockFile(directory).string(), "");
    ASSERT_EQ(::chown(LockFile(directory).c_str(), FirstUser, SharedGroup), 0);
    ASSERT_EQ(::chmod(LockFile(directory).c_str(), 0644), 0);
    ASSERT_EQ(::chown(directory.c_str(), 0, SharedGroup), 0);
    ASSERT_EQ(::chmod(directory.c_str(), 0555), 0);
}

// A copy in a child process, as `user` when given: takes the lock, reports whether it got it
// and keeps it until the copy is destroyed.
class Copy {
public:
    Copy(const std::string& directory, std::optional<uid_t> user) {
        if (::pipe(ready_) != 0) {
            throw std::runtime_error("pipe failed");
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            Run(directory, user);
        }
        ::close(ready_[1]);
    }
    Copy(const Copy&) = delete;
    Copy& operator=(const Copy&) = delete;
    ~Copy() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        ::close(ready_[0]);
    }

    // 'y' for a copy that holds the lock, 'n' for one that found it taken.
    char Answer() const {
        char answer = 0;
        return ::read(ready_[0], &answer, 1) == 1 ? answer : '?';
    }

private:
    [[noreturn]] void Run(const std::string& directory, std::optional<uid_t> user) const {
        if (user) {
            const gid_t groups[] = {SharedGroup};
            if (::setgroups(1, groups) != 0 || ::setgid(SharedGroup) != 0 || ::setuid(*user) != 0) {
                ::_exit(4);
            }
        }
        ::umask(022);
        const auto lock = InstanceLock::TryAcquire(directory);
        const char answer = lock ? 'y' : 'n';
        [[maybe_unused]] const auto written = ::write(ready_[1], &answer, 1);
        ::pause();
        ::_exit(0);
    }

    int ready_[2] = {-1, -1};
    pid_t pid_ = -1;
};

class DisturbedLock : public testing::TestWithParam<DisturbedLockCase> {};

TEST_P(DisturbedLock, StillKeepsASecondCopyFromRunning) {
    const auto& c = GetParam();
    if (c.twoUsers && ::geteuid() != 0) {
        GTEST_SKIP() << "two users need root to start their copies";
    }
    const test::TempDir dir;
    c.prepare(dir.Root());
    const Copy first(dir.Path(), c.twoUsers ? std::optional(FirstUser) : std::nullopt);
    ASSERT_EQ(first.Answer(), 'y');
    c.disturb(dir.Root());

    const Copy second(dir.Path(), c.twoUsers ? std::optional(SecondUser) : std::nullopt);
    EXPECT_EQ(second.Answer(), 'n') << "two copies ran";
}

INSTANTIATE_TEST_SUITE_P(
    InstanceLock, DisturbedLock,
    testing::Values(
        DisturbedLockCase{"LockFileRemoved", false, Nothing, RemoveLockFile},
        DisturbedLockCase{"LockFileReplacedByALink", false, Nothing, ReplaceLockFileByALink},
        DisturbedLockCase{"SecondUserOfTheGroupAsRoot", true, SharedByTheGroup, Nothing},
        DisturbedLockCase{"ReadOnlyDirectoryWithAnOlderLockFileAsRoot", true,
                          ReadOnlyWithAnOlderLockFile, Nothing}),
    test::ByTitle);

} // namespace
} // namespace mz::platform

#include "TestFiles.h"
#include "mz/platform/InstanceLock.h"

#include <gtest/gtest.h>

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

TEST(InstanceLock, DirectoryWithoutRoomForTheFileRunsUnlocked) {
    const test::TempDir dir;
    const std::string missing = dir.Path() + "missing\\";
    EXPECT_TRUE(InstanceLock::TryAcquire(missing));
    EXPECT_TRUE(InstanceLock::TryAcquire(missing));
}

} // namespace
} // namespace mz::platform

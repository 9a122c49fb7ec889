#include "mz/Text.h"
#include "mz/platform/InstanceLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace mz::platform {
namespace {

// The lock file, or the directory itself where no file can be made in it.
int OpenLockTarget(const std::string& programDirectory) {
    const std::string directory = Cp1252ToUtf8(programDirectory);
    const int fd = ::open((directory + InstanceLock::FileName).c_str(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0664);
    if (fd >= 0) {
        return fd;
    }
    return ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

std::optional<InstanceLock> InstanceLock::TryAcquire(const std::string& programDirectory) {
    const int fd = OpenLockTarget(programDirectory);
    if (fd < 0) {
        return InstanceLock(Unlocked);
    }
    // flock locks belong to the open file, so the system lets go when the process ends.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            return std::nullopt;
        }
        return InstanceLock(Unlocked);
    }
    return InstanceLock(fd);
}

void InstanceLock::Release() noexcept {
    if (handle_ != Unlocked) {
        ::close(static_cast<int>(std::exchange(handle_, Unlocked)));
    }
}

} // namespace mz::platform

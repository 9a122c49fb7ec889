#include "mz/Text.h"
#include "mz/platform/InstanceLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace mz::platform {

// The lock is flock on a read-only descriptor of the program directory itself: opening it needs
// no write access, so every user who may run the program takes the same lock, and no one can
// remove or replace the directory under a running copy the way a lock file could be.
std::optional<InstanceLock> InstanceLock::TryAcquire(const std::string& programDirectory) {
    const std::string directory = Cp1252ToUtf8(programDirectory);
    const int fd =
        ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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

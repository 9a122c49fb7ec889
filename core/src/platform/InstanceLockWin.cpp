#include "mz/platform/InstanceLock.h"

#include <utility>
#include <windows.h>

namespace mz::platform {
namespace {} // namespace

// The lock is a handle on the lock file that shares nothing: a second open fails with a
// sharing violation for as long as it lives, and the system closes it when the process ends.
// A directory where the file cannot be made runs the copy unlocked: a handle on the directory
// itself would keep every other program from opening it.
std::optional<InstanceLock> InstanceLock::TryAcquire(const std::string& programDirectory) {
    const std::string path = programDirectory + FileName;
    const HANDLE handle =
        ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        return InstanceLock(reinterpret_cast<std::intptr_t>(handle));
    }
    if (::GetLastError() == ERROR_SHARING_VIOLATION) {
        return std::nullopt;
    }
    return InstanceLock(Unlocked);
}

void InstanceLock::Release() noexcept {
    if (handle_ != Unlocked) {
        ::CloseHandle(reinterpret_cast<HANDLE>(std::exchange(handle_, Unlocked)));
    }
}

} // namespace mz::platform

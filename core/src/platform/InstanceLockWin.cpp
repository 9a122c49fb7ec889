#include "mz/platform/InstanceLock.h"

#include <array>
#include <utility>
#include <windows.h>

namespace mz::platform {
namespace {

// Everyone may open the lock file, but no one may delete, rename or replace it while a copy
// holds it: a new file at its name would let a second copy run.
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

// The locked byte lies far past the end of any file, so the lock never keeps anyone from
// reading the file it is taken on (the executable, where it comes to that).
constexpr DWORD LockedOffsetHigh = 1;

HANDLE OpenShared(const std::string& path, DWORD access, DWORD disposition) {
    return ::CreateFileA(path.c_str(), access, ShareAll, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

std::string ExecutablePath() {
    std::array<char, MAX_PATH + 1> path{};
    const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(path.data(), length);
}

// What the lock is taken on. The lock file is shared by every user and every mode, so whoever
// may read the program directory opens the same file. Write access where the user has it:
// Wine turns a lock through a read-only handle into a shared Unix lock, which a copy in
// another Wine prefix would not see. A lock file that can be neither opened nor created (a
// read-only folder without one, a folder of that name) gives way to the program's own
// executable, which is always there and readable: the lock then holds per executable.
HANDLE OpenLockTarget(const std::string& programDirectory) {
    const std::string path = programDirectory + InstanceLock::FileName;
    HANDLE handle = OpenShared(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (handle == INVALID_HANDLE_VALUE) {
        handle = OpenShared(path, GENERIC_READ, OPEN_EXISTING);
    }
    if (handle == INVALID_HANDLE_VALUE) {
        const std::string executable = ExecutablePath();
        if (!executable.empty()) {
            handle = OpenShared(executable, GENERIC_READ, OPEN_EXISTING);
        }
    }
    return handle;
}

} // namespace

// A byte-range lock rather than a handle that shares nothing: it needs no write access, lets
// every user open the file, and holds between Wine prefixes. The system
// releases it with the handle when the process ends.
std::optional<InstanceLock> InstanceLock::TryAcquire(const std::string& programDirectory) {
    const HANDLE handle = OpenLockTarget(programDirectory);
    if (handle == INVALID_HANDLE_VALUE) {
        return InstanceLock(Unlocked);
    }
    OVERLAPPED at{};
    at.OffsetHigh = LockedOffsetHigh;
    if (::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        return InstanceLock(reinterpret_cast<std::intptr_t>(handle));
    }
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) {
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

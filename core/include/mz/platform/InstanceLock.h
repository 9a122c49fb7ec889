#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace mz::platform {

// One running copy per program directory, whichever user of the PC starts it: an
// operating-system lock held for the owner's life and released by the system when the process
// ends, however it ends, so a crash never blocks the next start. POSIX locks the program
// directory itself; Windows locks a byte of the lock file in it (see InstanceLockWin.cpp).
class InstanceLock {
public:
    // The lock file's name inside the program directory (Windows; earlier POSIX versions left
    // one behind, which package purge still removes).
    static constexpr const char* FileName = "MonitorZelnor.lock";

    // The lock, or nullopt when another process holds it. Where nothing can be locked (a
    // program directory that cannot be opened) the copy runs unlocked rather than not at all.
    static std::optional<InstanceLock> TryAcquire(const std::string& programDirectory);

    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

private:
    static constexpr std::intptr_t Unlocked = -1; // also INVALID_HANDLE_VALUE

    explicit InstanceLock(std::intptr_t handle) noexcept : handle_(handle) {}
    void Release() noexcept;
    std::intptr_t handle_ = Unlocked;
};

} // namespace mz::platform

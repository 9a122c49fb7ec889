#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace mz::platform {

// One running copy per program directory: an operating-system lock on a lock file in that
// directory, held for the owner's life and released by the system when the process ends,
// however it ends, so a crash never blocks the next start.
class InstanceLock {
public:
    // The lock file's name inside the program directory.
    static constexpr const char* FileName = "MonitorZelnor.lock";

    // The lock, or nullopt when another process holds it. A lock file that cannot be created
    // (a read-only program directory) falls back to locking the directory itself where the
    // platform can; where it cannot, the copy runs unlocked rather than not at all.
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

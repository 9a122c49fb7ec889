#include "mz/platform/InstanceLock.h"

#include <utility>

namespace mz::platform {

InstanceLock::InstanceLock(InstanceLock&& other) noexcept
    : handle_(std::exchange(other.handle_, Unlocked)) {}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        Release();
        handle_ = std::exchange(other.handle_, Unlocked);
    }
    return *this;
}

InstanceLock::~InstanceLock() {
    Release();
}

} // namespace mz::platform

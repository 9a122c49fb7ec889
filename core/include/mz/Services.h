#pragma once

#include "mz/DateTimeText.h"
#include "mz/platform/FileSystem.h"
#include "mz/platform/System.h"

#include <functional>
#include <utility>

namespace mz {

// The regional settings, read once when the program starts and read again when the system
// announces a change of its settings. Readers hold a reference to Current(), which stays
// valid and sees every refresh.
class RegionalSettingsOwner {
public:
    using Loader = std::function<RegionalSettings()>;

    explicit RegionalSettingsOwner(Loader load) : load_(std::move(load)), current_(load_()) {}
    RegionalSettingsOwner(const RegionalSettingsOwner&) = delete;
    RegionalSettingsOwner& operator=(const RegionalSettingsOwner&) = delete;

    const RegionalSettings& Current() const noexcept { return current_; }
    void Refresh() { current_ = load_(); }

private:
    Loader load_;
    RegionalSettings current_;
};

// The platform seams an operation needs, resolved once by the program's composition root and
// handed down; tests pass their own.
struct Services {
    const platform::FileSystem& files;
    const Clock& clock;
    const platform::Sleeper& sleeper;
    // Owned by a RegionalSettingsOwner (or a test), which may refresh it in place.
    const RegionalSettings& regional;
};

} // namespace mz

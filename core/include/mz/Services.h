#pragma once

#include "mz/DateTimeText.h"
#include "mz/platform/FileSystem.h"
#include "mz/platform/System.h"

namespace mz {

// The platform seams an operation needs, handed in by whoever creates it: the program passes
// the system's, tests pass their own.
struct Services {
    const platform::FileSystem& files;
    const Clock& clock;
    const platform::Sleeper& sleeper;
    // Owned by the caller, who may refresh it when the system's settings change.
    const RegionalSettings& regional;
};

// The system's file system, clock and sleeper with the regional settings read once from the
// platform at first use.
Services SystemServices();

} // namespace mz

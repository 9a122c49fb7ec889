#include "mz/Services.h"

#include "mz/platform/Regional.h"

namespace mz {

Services SystemServices() {
    static const RegionalSettings regional = platform::LoadRegionalSettings();
    return Services{platform::SystemFileSystem(), SystemClock(), platform::SystemSleeper(),
                    regional};
}

} // namespace mz

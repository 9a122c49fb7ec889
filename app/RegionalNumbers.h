#pragma once

#include "mz/monitor/MonitorCycle.h"

namespace mz {

// The user's current number separators. Read on every call, so a change of the regional
// settings takes effect at once.
NumberSeparators CurrentNumberSeparators();

} // namespace mz

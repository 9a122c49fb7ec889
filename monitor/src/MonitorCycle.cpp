#include "mz/monitor/MonitorCycle.h"

namespace mz {

bool MonitorCycle::CountTick(std::int32_t interval) noexcept {
    // Saturates rather than wrapping: ticks held back for years must not make the count negative.
    if (minuteCounter_ < INT32_MAX) {
        ++minuteCounter_;
    }
    if (minuteCounter_ < interval) {
        return false;
    }
    minuteCounter_ = 0;
    return true;
}

} // namespace mz

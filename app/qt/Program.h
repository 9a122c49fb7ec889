#pragma once

#include <chrono>

namespace mz {

// The whole program: start-up, the main loop and shutdown. The tick period is the minute
// timer's; only test builds pass anything but a minute.
int RunMonitorZelnor(int argc, char** argv, std::chrono::milliseconds tickPeriod);

} // namespace mz

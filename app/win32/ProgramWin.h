#pragma once
#include <chrono>

namespace mz::win {

// The whole Windows program: start-up, the main loop and shutdown. The tick period is the
// minute timer's; only the test build passes anything but a minute.
int RunMonitorZelnor(int showCommand, std::chrono::milliseconds tickPeriod);

} // namespace mz::win

#pragma once

// Stand-ins for the wall clock and for sleeping, so tests neither depend on the time of day nor
// wait.

#include "mz/DateTimeText.h"
#include "mz/platform/System.h"

#include <chrono>

namespace mz::test {

// Always tells the moment in now (utc and steady for the other readings), which a test may
// change.
class FixedClock : public Clock {
public:
    LocalDateTime Now() const override { return now; }
    std::chrono::system_clock::time_point UtcNow() const override { return utc; }
    std::chrono::steady_clock::time_point Steady() const override { return steady; }
    LocalDateTime now{2025, 3, 8, 14, 3, 27, 0};
    // 2025-03-08 17:03:27 UTC, the moment above in Brasilia time.
    std::chrono::system_clock::time_point utc{std::chrono::seconds{1741453407}};
    std::chrono::steady_clock::time_point steady{};
};

// Returns at once; only adds up what it was asked to sleep.
class InstantSleeper : public platform::Sleeper {
public:
    void Sleep(std::chrono::milliseconds duration) const override {
        slept += duration;
        ++calls;
    }
    mutable std::chrono::milliseconds slept{0};
    mutable int calls = 0;
};

// A sleeper for code that must be handed one but whose sleeps a test does not look at.
inline const InstantSleeper& NoSleeper() {
    static const InstantSleeper sleeper;
    return sleeper;
}

} // namespace mz::test

#pragma once

#include <cstdint>

namespace mz {

// The count of the minute cycle: one CountTick() per timer period, a test due every interval
// ticks. Tests do not nest: while one runs (its waits process messages, so ticks arrive inside
// it) the ticks are counted but a test that comes due is skipped.
class MonitorCycle {
public:
    // Counts one tick; true when a test is due now (the count then restarts from 0). The count
    // is compared with the interval as it stands, so lowering it makes a test due at once.
    bool CountTick(std::int32_t interval) noexcept;

    bool TestRunning() const noexcept { return testsRunning_ > 0; }
    std::int32_t MinuteCounter() const noexcept { return minuteCounter_; }

    // Marks a test as running for its scope, also when it is left by an exception.
    class RunningTest {
    public:
        explicit RunningTest(MonitorCycle& cycle) noexcept : cycle_(cycle) {
            ++cycle_.testsRunning_;
        }
        ~RunningTest() { --cycle_.testsRunning_; }
        RunningTest(const RunningTest&) = delete;
        RunningTest& operator=(const RunningTest&) = delete;

    private:
        MonitorCycle& cycle_;
    };

private:
    std::int32_t minuteCounter_ = 0;
    int testsRunning_ = 0;
};

} // namespace mz

#include "mz/DateTimeText.h"
#include "mz/Text.h"
#include "mz/platform/System.h"

#include <chrono>
#include <ctime>
#include <string>
#include <thread>
#include <unistd.h>

namespace mz {
namespace {

class LocalClock final : public Clock {
public:
    LocalDateTime Now() const override {
        using namespace std::chrono;
        const auto now = system_clock::now();
        const std::time_t seconds = system_clock::to_time_t(now);
        const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
        std::tm local{};
        ::localtime_r(&seconds, &local);
        return LocalDateTime{local.tm_year + 1900,
                             local.tm_mon + 1,
                             local.tm_mday,
                             local.tm_hour,
                             local.tm_min,
                             local.tm_sec,
                             static_cast<int>(millis < 0 ? millis + 1000 : millis)};
    }
    std::chrono::system_clock::time_point UtcNow() const override {
        return std::chrono::system_clock::now();
    }
    std::chrono::steady_clock::time_point Steady() const override {
        return std::chrono::steady_clock::now();
    }
};

} // namespace

const Clock& SystemClock() {
    static const LocalClock clock;
    return clock;
}

} // namespace mz

namespace mz::platform {

std::string ProgramDirectory() {
    std::string target(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", target.data(), target.size());
    if (length <= 0) {
        return "./";
    }
    target.resize(static_cast<std::size_t>(length));
    const auto slash = target.rfind('/');
    return Utf8ToCp1252(slash == std::string::npos ? "./" : target.substr(0, slash + 1));
}

std::string DefaultSendDirectory() {
    return "/Zelnor/ENV/";
}

std::string DefaultReplyDirectory() {
    return "/Zelnor/REC/";
}

void Sleeper::Sleep(std::chrono::milliseconds duration) const {
    std::this_thread::sleep_for(duration);
}

const Sleeper& SystemSleeper() {
    static const Sleeper sleeper;
    return sleeper;
}

} // namespace mz::platform

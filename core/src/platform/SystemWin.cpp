#include "mz/DateTimeText.h"
#include "mz/platform/System.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <windows.h>

namespace mz {
namespace {

class LocalClock final : public Clock {
public:
    LocalDateTime Now() const override {
        SYSTEMTIME local{};
        ::GetLocalTime(&local);
        return LocalDateTime{local.wYear,   local.wMonth,  local.wDay,         local.wHour,
                             local.wMinute, local.wSecond, local.wMilliseconds};
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

// The ANSI form of the path, which the program hands back to the ANSI file functions as it is.
std::string ProgramDirectory() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return ".\\";
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // cut short: try again with more room
    }
    const auto separator = path.find_last_of("\\/");
    return separator == std::string::npos ? ".\\" : path.substr(0, separator + 1);
}

std::string DefaultSendDirectory() {
    return "C:\\Zelnor\\ENV\\";
}

std::string DefaultReplyDirectory() {
    return "C:\\Zelnor\\REC\\";
}

void Sleeper::Sleep(std::chrono::milliseconds duration) const {
    constexpr std::chrono::milliseconds::rep Longest = 0x7FFFFFFF; // short of INFINITE
    auto left = std::max<std::chrono::milliseconds::rep>(duration.count(), 0);
    do {
        const auto step = std::min(left, Longest);
        ::Sleep(static_cast<DWORD>(step));
        left -= step;
    } while (left > 0);
}

const Sleeper& SystemSleeper() {
    static const Sleeper sleeper;
    return sleeper;
}

} // namespace mz::platform

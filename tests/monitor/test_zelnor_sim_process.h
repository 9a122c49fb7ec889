#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mz::test {

// The simulated Zelnor service as a child process whose output lines can be read. The
// destructor stops it, so a failing test leaves no process behind. The platform's half is in
// test_zelnor_sim_process_posix.cpp or test_zelnor_sim_process_win.cpp.
class ZelnorSimProcess {
public:
    explicit ZelnorSimProcess(const std::vector<std::string>& arguments);
    ~ZelnorSimProcess();
    ZelnorSimProcess(const ZelnorSimProcess&) = delete;
    ZelnorSimProcess& operator=(const ZelnorSimProcess&) = delete;

    // The next output line, or nullopt at the end of the output. A long limit only keeps a
    // broken simulator from hanging the test; it is no measure of speed.
    std::optional<std::string> NextLine();

    // Skips output up to the first line that starts with prefix; nullopt when none comes.
    std::optional<std::string> LineStartingWith(std::string_view prefix);

    // Asks for a clean stop: SIGTERM on POSIX, the simulator's stop event on Windows.
    void Stop() const;
#ifndef _WIN32
    void Signal(int signal) const;
#endif

    // Waits for the process to end: its exit code (POSIX: or 128 + the signal that ended it).
    int Wait();

private:
    struct Process;

    // Appends what the process wrote next to buffer_; false at the end of its output.
    bool ReadMore();

    static constexpr int HangGuardMs = 30'000;
    std::unique_ptr<Process> process_;
    std::string buffer_;
};

inline std::optional<std::string> ZelnorSimProcess::NextLine() {
    for (;;) {
        if (const auto end = buffer_.find('\n'); end != std::string::npos) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back(); // a Windows console's line end
            }
            return line;
        }
        if (!ReadMore()) {
            return std::nullopt;
        }
    }
}

inline std::optional<std::string> ZelnorSimProcess::LineStartingWith(std::string_view prefix) {
    while (auto line = NextLine()) {
        if (line->starts_with(prefix)) {
            return line;
        }
    }
    return std::nullopt;
}

} // namespace mz::test

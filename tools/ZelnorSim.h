#pragma once

#include <csignal>
#include <string>
#include <unistd.h>

namespace zelnor_sim {

enum class Mode { Good, Bad, None, Empty, Hold };

struct Options {
    std::string send;
    std::string reply;
    Mode mode = Mode::Good;
    int delayMs = 0;
    int holdMs = 1000;
    bool once = false;
};

struct ParseResult {
    Options options;
    bool showHelp = false;
    std::string error; // empty when the command line was understood
};

inline constexpr int PollIntervalMs = 20;

ParseResult ParseOptions(int argc, char** argv);
const char* Usage();
const char* ModeName(Mode mode);

std::string JoinPath(const std::string& directory, const std::string& name);
// One line on standard output, flushed at once so a reading process sees it immediately.
void LogLine(const std::string& line);
// Sleeps about ms milliseconds, returning early once stop is set.
void SleepMs(int ms, const volatile std::sig_atomic_t& stop);

// Answers one request in the reply directory as the mode says and logs request and answer.
void Answer(const Options& options, const std::string& name, const std::string& request,
            const volatile std::sig_atomic_t& stop);

// Owns one file descriptor.
class Fd {
public:
    explicit Fd(int fd) noexcept : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const noexcept { return fd_; }
    explicit operator bool() const noexcept { return fd_ >= 0; }

private:
    int fd_;
};

} // namespace zelnor_sim

#pragma once

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace mz::test {

// The simulated Zelnor service as a child process whose output lines can be read. The
// destructor stops it, so a failing test leaves no process behind.
class ZelnorSimProcess {
public:
    explicit ZelnorSimProcess(const std::vector<std::string>& arguments) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe failed");
        }
        readEnd_ = fds[0];
        std::vector<std::string> all{ZELNOR_SIM_PATH};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& argument : all) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        const int failed = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (failed != 0) {
            ::close(readEnd_);
            throw std::runtime_error("cannot start " + all.front());
        }
    }

    ~ZelnorSimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            Wait();
        }
        ::close(readEnd_);
    }

    ZelnorSimProcess(const ZelnorSimProcess&) = delete;
    ZelnorSimProcess& operator=(const ZelnorSimProcess&) = delete;

    // The next output line, or nullopt at the end of the output. The long limit only keeps a
    // broken simulator from hanging the test; it is no measure of speed.
    std::optional<std::string> NextLine() {
        for (;;) {
            if (const auto end = buffer_.find('\n'); end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            pollfd ready{readEnd_, POLLIN, 0};
            if (::poll(&ready, 1, HangGuardMs) <= 0) {
                return std::nullopt;
            }
            char chunk[512];
            const ssize_t count = ::read(readEnd_, chunk, sizeof chunk);
            if (count <= 0) {
                return std::nullopt;
            }
            buffer_.append(chunk, static_cast<std::size_t>(count));
        }
    }

    // Skips output up to the first line that starts with prefix; nullopt when none comes.
    std::optional<std::string> LineStartingWith(std::string_view prefix) {
        while (auto line = NextLine()) {
            if (line->starts_with(prefix)) {
                return line;
            }
        }
        return std::nullopt;
    }

    void Signal(int signal) const { ::kill(pid_, signal); }

    // Waits for the process to end: its exit code, or 128 + the signal that ended it.
    int Wait() {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    static constexpr int HangGuardMs = 30'000;
    pid_t pid_ = -1;
    int readEnd_ = -1;
    std::string buffer_;
};

} // namespace mz::test

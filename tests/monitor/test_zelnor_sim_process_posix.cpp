#include "test_zelnor_sim_process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace mz::test {

struct ZelnorSimProcess::Process {
    pid_t pid = -1;
    int readEnd = -1;
};

ZelnorSimProcess::ZelnorSimProcess(const std::vector<std::string>& arguments)
    : process_(std::make_unique<Process>()) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    process_->readEnd = fds[0];
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
    const int failed =
        ::posix_spawn(&process_->pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (failed != 0) {
        ::close(process_->readEnd);
        throw std::runtime_error("cannot start " + all.front());
    }
}

ZelnorSimProcess::~ZelnorSimProcess() {
    if (process_->pid > 0) {
        ::kill(process_->pid, SIGKILL);
        Wait();
    }
    ::close(process_->readEnd);
}

bool ZelnorSimProcess::ReadMore() {
    pollfd ready{process_->readEnd, POLLIN, 0};
    if (::poll(&ready, 1, HangGuardMs) <= 0) {
        return false;
    }
    char chunk[512];
    const ssize_t count = ::read(process_->readEnd, chunk, sizeof chunk);
    if (count <= 0) {
        return false;
    }
    buffer_.append(chunk, static_cast<std::size_t>(count));
    return true;
}

void ZelnorSimProcess::Stop() const {
    Signal(SIGTERM);
}

void ZelnorSimProcess::Signal(int signal) const {
    ::kill(process_->pid, signal);
}

int ZelnorSimProcess::Wait() {
    int status = 0;
    while (::waitpid(process_->pid, &status, 0) < 0 && errno == EINTR) {
    }
    process_->pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace mz::test

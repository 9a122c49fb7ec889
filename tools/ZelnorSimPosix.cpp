// The POSIX half of the simulated service: signals, directory reads, flock.
#include "ZelnorSim.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelnor_sim {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void OnStopSignal(int) {
    stopRequested = 1;
}

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

Stamp StampOfInfo(const struct stat& info) {
    return {{static_cast<std::int64_t>(info.st_ino), info.st_size, info.st_mtim.tv_sec,
             info.st_mtim.tv_nsec, info.st_ctim.tv_sec, info.st_ctim.tv_nsec}};
}

} // namespace

void InstallStopHandlers() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a signal must cut a sleep short
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() {
    return stopRequested != 0;
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string> ListNames(const std::string& directory) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(directory.c_str()), ::closedir);
    if (dir) {
        while (const dirent* entry = ::readdir(dir.get())) {
            names.emplace_back(entry->d_name);
        }
    }
    return names;
}

std::optional<Stamp> StampOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return StampOfInfo(info);
}

std::optional<Request> ReadRequest(const std::string& path) {
    const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd || ::flock(fd.get(), LOCK_SH | LOCK_NB) != 0) {
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    std::string content;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd.get(), buffer, sizeof buffer)) > 0;) {
        content.append(buffer, static_cast<std::size_t>(n));
    }
    if (content.find('\n') == std::string::npos) {
        return std::nullopt;
    }
    return Request{StampOfInfo(info), std::move(content)};
}

std::string ProcessTag() {
    return std::to_string(::getpid());
}

bool RenameReplacing(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

void RemoveFile(const std::string& path) {
    ::unlink(path.c_str());
}

std::string LastErrorText() {
    return std::strerror(errno);
}

std::optional<OutputFile> OutputFile::Create(const std::string& path, bool locked) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return std::nullopt;
    }
    OutputFile file(fd);
    if (locked && ::flock(fd, LOCK_EX) != 0) {
        return std::nullopt;
    }
    return file;
}

OutputFile::OutputFile(OutputFile&& other) noexcept : handle_(other.handle_) {
    other.handle_ = -1;
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = -1;
    }
    return *this;
}

OutputFile::~OutputFile() {
    Close();
}

void OutputFile::Close() noexcept {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
        handle_ = -1;
    }
}

bool OutputFile::Write(std::string_view bytes) const {
    while (!bytes.empty()) {
        const ssize_t written = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace zelnor_sim

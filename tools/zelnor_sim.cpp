// A stand-in for the Zelnor service, for tests and demonstrations: it watches a send directory
// and answers each request file that appears (or is rewritten) with a reply file of the same
// name in the reply directory.
#include "ZelnorSim.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace zelnor_sim;

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void OnStopSignal(int) {
    stopRequested = 1;
}

void InstallStopHandlers() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a signal must cut a sleep short
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// What identifies one version of a request file: a rewrite changes at least one of these.
struct Stamp {
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    friend bool operator==(const Stamp& a, const Stamp& b) {
        return a.inode == b.inode && a.size == b.size && a.modified.tv_sec == b.modified.tv_sec &&
               a.modified.tv_nsec == b.modified.tv_nsec && a.changed.tv_sec == b.changed.tv_sec &&
               a.changed.tv_nsec == b.changed.tv_nsec;
    }
};

Stamp StampOf(const struct stat& info) {
    return {info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

struct Request {
    Stamp stamp;
    std::string content;
};

// The request as it stands, or nothing while its writer still holds it or has not finished
// its line; such a request is looked at again on the next poll.
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
    return Request{StampOf(info), std::move(content)};
}

class Watcher {
public:
    explicit Watcher(Options options) : options_(std::move(options)) {}

    // Answers the requests that are new since the last poll; false once --once is satisfied.
    bool Poll() {
        const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(options_.send.c_str()), ::closedir);
        if (!dir) {
            return true;
        }
        while (const dirent* entry = ::readdir(dir.get())) {
            const std::string name = entry->d_name;
            if (name.empty() || name.front() == '.' || !IsNew(name)) {
                continue;
            }
            if (const auto request = ReadRequest(JoinPath(options_.send, name))) {
                answered_[name] = request->stamp;
                Answer(options_, name, request->content, stopRequested);
                if (options_.once) {
                    return false;
                }
            }
        }
        return true;
    }

private:
    bool IsNew(const std::string& name) const {
        struct stat info {};
        if (::stat(JoinPath(options_.send, name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            return false;
        }
        const auto seen = answered_.find(name);
        return seen == answered_.end() || !(seen->second == StampOf(info));
    }

    Options options_;
    std::map<std::string, Stamp> answered_;
};

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

int main(int argc, char** argv) {
    const ParseResult parsed = ParseOptions(argc, argv);
    if (parsed.showHelp) {
        std::fputs(Usage(), stdout);
        return 0;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "zelnor_sim: %s\n%s", parsed.error.c_str(), Usage());
        return 2;
    }
    const Options& options = parsed.options;
    for (const std::string& dir : {options.send, options.reply}) {
        if (!IsDirectory(dir)) {
            std::fprintf(stderr, "zelnor_sim: %s: not a directory\n", dir.c_str());
            return 1;
        }
    }

    InstallStopHandlers();
    LogLine("watching " + options.send + " " + options.reply + " " + ModeName(options.mode));
    Watcher watcher(options);
    while (!stopRequested && watcher.Poll()) {
        SleepMs(PollIntervalMs, stopRequested);
    }
    LogLine("stopped");
    return 0;
}

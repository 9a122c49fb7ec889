// The POSIX half of the MariaDB fixture: its own server, started with fork/exec.
#include "ChildProcess.h"
#include "MariaDbRootConnection.h"
#include "MariaDbServer.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fmt/format.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace mz::test {

namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

constexpr auto InstallTimeout = 60s;
constexpr auto StartTimeout = 30s;
constexpr auto StopTimeout = 30s;
constexpr auto PollPeriod = 10ms; // between attempts to reach a starting server

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

// Creates the server's system tables in dataDirectory.
void RunInstall(const std::string& dataDirectory, const std::string& log) {
    std::vector<std::string> arguments{"mariadb-install-db",
                                       "--no-defaults",
                                       "--auth-root-authentication-method=normal",
                                       "--skip-test-db",
                                       "--datadir=" + dataDirectory,
                                       "--innodb-log-file-size=4M",
                                       "--innodb-buffer-pool-size=16M"};
    if (RunningAsRoot()) {
        arguments.emplace_back("--user=root");
    }
    const pid_t pid = Spawn(arguments, log);
    const auto status = WaitForExit(pid, InstallTimeout);
    if (!status) {
        ::kill(pid, SIGKILL);
        WaitForExit(pid, StopTimeout);
    }
    if (status != 0) {
        throw std::runtime_error(fmt::format("mariadb-install-db failed:\n{}", ReadText(log)));
    }
}

// A freshly installed data directory kept in the build tree, so that each test program
// copies it instead of installing again. Made once per server binary; nullopt when it cannot
// be made there.
std::optional<std::string> TemplateDataDirectory() {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path server = "/usr/sbin/mariadbd";
    const auto size = fs::file_size(server, error);
    const auto changed = fs::last_write_time(server, error).time_since_epoch().count();
    if (error) {
        return std::nullopt;
    }
    const fs::path base = MZ_TEST_MARIADB_TEMPLATE_DIR;
    const fs::path ready = base / fmt::format("data-{}-{}-{:x}", ::geteuid(), size,
                                              static_cast<std::uint64_t>(changed));
    if (fs::is_directory(ready, error)) {
        return ready.string();
    }
    fs::create_directories(base, error);
    std::string pattern = (base / "install.XXXXXX").string();
    if (error || !::mkdtemp(pattern.data())) {
        return std::nullopt;
    }
    try {
        RunInstall(pattern + "/data", pattern + "/install.log");
    } catch (const std::exception&) {
        fs::remove_all(pattern, error);
        return std::nullopt;
    }
    // Another test program may have got there first; either copy will do.
    if (::rename((pattern + "/data").c_str(), ready.c_str()) != 0) {
        fs::remove_all(pattern + "/data", error);
    }
    fs::remove_all(pattern, error);
    return fs::is_directory(ready, error) ? std::optional(ready.string()) : std::nullopt;
}

} // namespace

int MariaDbServer::FreePort() {
    return UnusedPort();
}

MariaDbServer::MariaDbServer() {
    char pattern[] = "/tmp/mzdb.XXXXXX";
    if (!::mkdtemp(pattern)) {
        throw std::runtime_error("mkdtemp failed");
    }
    directory_ = pattern;
    socketPath_ = directory_ + "/mysqld.sock";
    try {
        port_ = UnusedPort();
        InstallDataDirectory();
        Start();
        CreateSchema();
    } catch (...) {
        Stop();
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
        throw;
    }
}

MariaDbServer::~MariaDbServer() {
    // The data goes with the directory, so nothing needs an orderly shutdown.
    root_.reset();
    if (Running()) {
        ::kill(pid_, SIGKILL);
        WaitForExit(pid_, StopTimeout);
        pid_ = -1;
    }
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

void MariaDbServer::Fail(const std::string& what) const {
    throw std::runtime_error(fmt::format("MariaDB test server in {}: {}\n--- err.log:\n{}",
                                         directory_, what, ReadText(directory_ + "/err.log")));
}

void MariaDbServer::InstallDataDirectory() {
    const std::string data = directory_ + "/data";
    if (const auto source = TemplateDataDirectory()) {
        std::error_code error;
        std::filesystem::copy(*source, data, std::filesystem::copy_options::recursive, error);
        if (!error) {
            return;
        }
        std::filesystem::remove_all(data, error);
    }
    RunInstall(data, directory_ + "/install.log");
}

void MariaDbServer::Start() {
    if (Running()) {
        return;
    }
    std::vector<std::string> arguments{"/usr/sbin/mariadbd",
                                       "--no-defaults",
                                       "--datadir=" + directory_ + "/data",
                                       "--socket=" + socketPath_,
                                       fmt::format("--port={}", port_),
                                       "--bind-address=127.0.0.1",
                                       "--pid-file=" + directory_ + "/mysqld.pid",
                                       "--log-error=" + directory_ + "/err.log",
                                       "--innodb-buffer-pool-size=16M",
                                       "--innodb-log-file-size=4M",
                                       "--innodb-flush-log-at-trx-commit=2",
                                       "--innodb-temp-data-file-path=ibtmp1:1M:autoextend",
                                       "--skip-log-bin",
                                       "--skip-name-resolve"};
    if (RunningAsRoot()) {
        arguments.emplace_back("--user=root");
    }
    pid_ = Spawn(arguments, directory_ + "/mariadbd.out");
    WaitUntilReady();
}

void MariaDbServer::WaitUntilReady() {
    const auto deadline = SteadyClock::now() + StartTimeout;
    std::string lastError;
    for (;;) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            Fail("mariadbd exited while starting");
        }
        lastError = ConnectRoot();
        if (lastError.empty()) {
            return;
        }
        if (SteadyClock::now() >= deadline) {
            Fail("mariadbd did not answer in time: " + lastError);
        }
        std::this_thread::sleep_for(PollPeriod);
    }
}

void MariaDbServer::Freeze() {
    if (pid_ > 0 && ::kill(pid_, SIGSTOP) == 0) {
        // Stopped only once every thread has stopped, which the parent is told of.
        int status = 0;
        while (::waitpid(pid_, &status, WUNTRACED) < 0 && errno == EINTR) {
        }
    }
}

void MariaDbServer::Thaw() {
    if (pid_ > 0) {
        ::kill(pid_, SIGCONT);
    }
}

void MariaDbServer::Stop() {
    root_.reset();
    Thaw(); // a stopped process would not end on SIGTERM
    if (!Running()) {
        return;
    }
    ::kill(pid_, SIGTERM);
    if (!WaitForExit(pid_, StopTimeout)) {
        ::kill(pid_, SIGKILL);
        WaitForExit(pid_, StopTimeout);
    }
    pid_ = -1;
}

} // namespace mz::test

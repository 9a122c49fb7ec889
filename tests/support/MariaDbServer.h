#pragma once

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace mz::test {

// A throwaway MariaDB server for tests: its own data directory under /tmp, its own port on
// 127.0.0.1, started on first use and removed when the program ends. Failures to start or to
// run a statement throw std::runtime_error with the server's own text (err.log included).
class MariaDbServer {
public:
    // Started once per test program, on first call; stopped at exit.
    static MariaDbServer& Shared();

    MariaDbServer();
    ~MariaDbServer();
    MariaDbServer(const MariaDbServer&) = delete;
    MariaDbServer& operator=(const MariaDbServer&) = delete;

    const std::string& Host() const noexcept { return host_; }
    int Port() const noexcept { return port_; }
    // A user with a password and all privileges on Database(), from 127.0.0.1 and localhost.
    const std::string& User() const noexcept { return user_; }
    const std::string& Password() const noexcept { return password_; }
    const std::string& Database() const noexcept { return database_; }
    const std::string& SocketPath() const noexcept { return socketPath_; }
    const std::string& Directory() const noexcept { return directory_; }

    // A TCP port on 127.0.0.1 with nothing listening at the moment of the call, never 3306.
    static int FreePort();

    // Runs statements (several, separated by ";", are allowed) as root over the unix socket.
    void Execute(const std::string& sql);
    // First column of the first row; nullopt for NULL or no row.
    std::optional<std::string> QueryOne(const std::string& sql);

    // Stops and starts the same server: same data, same port.
    void Stop();
    void Start();
    bool Running() const noexcept { return pid_ > 0; }

private:
    struct RootConnection;
    void InstallDataDirectory();
    void CreateSchema();
    void WaitUntilReady();
    RootConnection& Root();
    [[noreturn]] void Fail(const std::string& what) const;

    std::string host_ = "127.0.0.1";
    int port_ = 0;
    std::string user_ = "mzuser";
    std::string password_ = "mz-Test-Pw1";
    std::string database_ = "gerente";
    std::string directory_;
    std::string socketPath_;
    pid_t pid_ = -1;
    std::unique_ptr<RootConnection> root_;
};

} // namespace mz::test

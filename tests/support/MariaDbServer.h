#pragma once

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

namespace mz::test {

// A throwaway MariaDB server for tests: its own data directory under /tmp, its own port on
// 127.0.0.1, started on first use and removed when the program ends. Failures to start or to
// run a statement throw std::runtime_error with the server's own text (err.log included).
//
// A Windows program cannot start a Linux server, so on Windows this is the one server the
// test script runs for the whole lane, described in mariadb-server.txt beside the test
// program. Each fixture empties it of what earlier programs left there and creates the same
// schema and user as on Linux; the script runs these tests one at a time.
class MariaDbServer {
public:
    // Started (Windows: reached) once per test program, on first call; stopped at exit.
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

    // Runs statements (several, separated by ";", are allowed) as root over the unix socket
    // (Windows: as the script's administrator over TCP).
    void Execute(const std::string& sql);
    // First column of the first row; nullopt for NULL or no row.
    std::optional<std::string> QueryOne(const std::string& sql);

    // Stops and starts the same server: same data, same port. Only where CanRestart: the
    // script's server on Windows stays up (Stop and Start throw std::logic_error there).
#ifdef _WIN32
    static constexpr bool CanRestart = false;
#else
    static constexpr bool CanRestart = true;
#endif
    void Stop();
    void Start();
    // Stops the server's process where it stands (SIGSTOP) and lets it go on (SIGCONT): a
    // server that accepts connections and answers nothing. Only where CanRestart.
    void Freeze();
    void Thaw();
    bool Running() const noexcept {
        return pid_ > 0 || external_;
    }

private:
    struct RootConnection;
    void InstallDataDirectory();
    void RemoveLeftovers();
    void CreateSchema();
    void WaitUntilReady();
    // Connects root_ as the administrator; empty on success, else the client's message.
    std::string ConnectRoot();
    RootConnection& Root();
    [[noreturn]] void Fail(const std::string& what) const;

    std::string host_ = "127.0.0.1";
    int port_ = 0;
    std::string user_ = "mzuser";
    std::string password_ = "mz-Test-Pw1";
    std::string database_ = "gerente";
    std::string directory_;
    std::string socketPath_;        // empty: the administrator connects over TCP
    std::string rootUser_ = "root"; // the administrator
    std::string rootPassword_;
    pid_t pid_ = -1;
    bool external_ = false; // the test script's server, running all along
    std::unique_ptr<RootConnection> root_;
};

} // namespace mz::test

// The Windows half of the MariaDB fixture: the server the test script runs on the Linux side,
// reached over TCP. scripts/windows/test.sh describes it in mariadb-server.txt beside the test
// programs (key=value lines: host, port, user, password, admin-user, admin-password).
#include "MariaDbRootConnection.h"
#include "MariaDbServer.h"

#include <fmt/format.h>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

// After the project's headers, whose names <windows.h> would otherwise rename.
#include <winsock2.h>
// Winsock must come first; this line keeps the sorted include blocks apart.
#include <windows.h>

namespace mz::test {

namespace {

constexpr const char* ServerFileName = "mariadb-server.txt";

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program(path, length);
    return program.substr(0, program.find_last_of("\\/") + 1);
}

std::map<std::string, std::string> ReadServerFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        throw std::runtime_error(fmt::format(
            "no MariaDB server for the tests: {} is missing (scripts/windows/test.sh writes it "
            "while its server runs)",
            path));
    }
    std::map<std::string, std::string> values;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (const auto equals = line.find('='); equals != std::string::npos) {
            values[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return values;
}

const std::string& Required(const std::map<std::string, std::string>& values,
                            const std::string& key, const std::string& path) {
    const auto found = values.find(key);
    if (found == values.end() || found->second.empty()) {
        throw std::runtime_error(fmt::format("{}: no value for {}", path, key));
    }
    return found->second;
}

// Winsock for the life of the program, started on first use.
void StartWinsock() {
    static const bool started = [] {
        WSADATA data{};
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started) {
        throw std::runtime_error("WSAStartup failed");
    }
}

class Socket {
public:
    Socket() : socket_(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {}
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket() {
        if (socket_ != INVALID_SOCKET) {
            ::closesocket(socket_);
        }
    }
    SOCKET Get() const noexcept { return socket_; }

private:
    SOCKET socket_;
};

} // namespace

int MariaDbServer::FreePort() {
    StartWinsock();
    for (int attempt = 0; attempt < 20; ++attempt) {
        const Socket socket;
        if (socket.Get() == INVALID_SOCKET) {
            break;
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof address;
        if (::bind(socket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::getsockname(socket.Get(), reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            const int port = ntohs(address.sin_port);
            if (port > 0 && port != 3306) {
                return port;
            }
        }
    }
    throw std::runtime_error("no free TCP port on 127.0.0.1");
}

MariaDbServer::MariaDbServer() : directory_(ProgramFolder()), external_(true) {
    const std::string path = directory_ + ServerFileName;
    const auto values = ReadServerFile(path);
    host_ = Required(values, "host", path);
    port_ = std::stoi(Required(values, "port", path));
    user_ = Required(values, "user", path);
    password_ = Required(values, "password", path);
    rootUser_ = Required(values, "admin-user", path);
    rootPassword_ = Required(values, "admin-password", path);
    if (const auto error = ConnectRoot(); !error.empty()) {
        Fail(error);
    }
    // Earlier test programs used the same server.
    RemoveLeftovers();
    CreateSchema();
}

MariaDbServer::~MariaDbServer() = default;

void MariaDbServer::Fail(const std::string& what) const {
    throw std::runtime_error(
        fmt::format("MariaDB test server at {}:{} ({}): {}", host_, port_, ServerFileName, what));
}

void MariaDbServer::Freeze() {
    throw std::logic_error("the test script's MariaDB server cannot be stopped from Windows");
}

void MariaDbServer::Thaw() {
    throw std::logic_error("the test script's MariaDB server cannot be stopped from Windows");
}

void MariaDbServer::Stop() {
    throw std::logic_error("the test script's MariaDB server cannot be stopped from Windows");
}

void MariaDbServer::Start() {
    throw std::logic_error("the test script's MariaDB server cannot be started from Windows");
}

} // namespace mz::test

#include "SingleInstance.h"

#include <QLocalSocket>
#include <cstdint>
#include <utility>

namespace mz {

namespace {

constexpr int ConnectTimeoutMs = 2000;
constexpr char ShowRequest = 'S';

// One name per program directory, short enough for any socket path.
QString ServerName(const std::string& programDirectory) {
    std::uint64_t hash = 14695981039346656037ULL; // FNV-1a
    for (const char c : programDirectory) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    return QStringLiteral("MonitorZelnor-%1").arg(hash, 16, 16, QLatin1Char('0'));
}

} // namespace

SingleInstanceServer::SingleInstanceServer(const std::string& programDirectory,
                                           std::function<void()> show)
    : show_(std::move(show)) {
    const QString name = ServerName(programDirectory);
    // The caller holds the instance lock, so a server of this name is a crashed copy's leftover.
    QLocalServer::removeServer(name);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
        while (QLocalSocket* client = server_.nextPendingConnection()) {
            QObject::connect(client, &QLocalSocket::readyRead, client, [this, client] {
                if (client->readAll().contains(ShowRequest)) {
                    show_();
                }
                client->disconnectFromServer();
            });
            QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    server_.listen(name);
}

bool AskRunningCopyToShow(const std::string& programDirectory) {
    QLocalSocket socket;
    socket.connectToServer(ServerName(programDirectory));
    if (!socket.waitForConnected(ConnectTimeoutMs)) {
        return false;
    }
    socket.write(&ShowRequest, 1);
    const bool sent = socket.waitForBytesWritten(ConnectTimeoutMs);
    socket.disconnectFromServer();
    return sent;
}

} // namespace mz

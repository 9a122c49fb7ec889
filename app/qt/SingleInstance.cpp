#include "SingleInstance.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fmt/format.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace mz {

namespace {

constexpr char ShowRequest = 'S';

// The socket's address: an abstract name (leading NUL) with one name per program directory.
class RequestAddress {
public:
    explicit RequestAddress(const std::string& programDirectory) {
        std::uint64_t hash = 14695981039346656037ULL; // FNV-1a
        for (const char c : programDirectory) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
        }
        const std::string name = fmt::format("MonitorZelnor-{:016x}", hash);
        address_.sun_family = AF_UNIX;
        std::memcpy(&address_.sun_path[1], name.data(), name.size());
        length_ = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    }

    const sockaddr* Get() const noexcept { return reinterpret_cast<const sockaddr*>(&address_); }
    socklen_t Length() const noexcept { return length_; }

private:
    sockaddr_un address_{};
    socklen_t length_ = 0;
};

// Reads one waiting datagram; true when it asks to show and comes from this user.
bool ReadRequest(int fd, bool& asksToShow) {
    char payload = 0;
    iovec part{&payload, 1};
    alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(ucred))> control{};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control.data();
    message.msg_controllen = control.size();
    if (::recvmsg(fd, &message, MSG_DONTWAIT) < 0) {
        return false;
    }
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_CREDENTIALS) {
            ucred sender{};
            std::memcpy(&sender, CMSG_DATA(header), sizeof sender);
            asksToShow = asksToShow || (payload == ShowRequest && sender.uid == ::getuid());
        }
    }
    return true;
}

} // namespace

OwnedDescriptor::OwnedDescriptor(OwnedDescriptor&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)) {}

OwnedDescriptor& OwnedDescriptor::operator=(OwnedDescriptor&& other) noexcept {
    if (this != &other) {
        OwnedDescriptor old(std::exchange(fd_, std::exchange(other.fd_, -1)));
    }
    return *this;
}

OwnedDescriptor::~OwnedDescriptor() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

SingleInstanceServer::SingleInstanceServer(const std::string& programDirectory,
                                           std::function<void()> show)
    : show_(std::move(show)) {
    OwnedDescriptor socket(::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const int on = 1;
    const RequestAddress address(programDirectory);
    // The kernel attaches each sender's credentials, so other users' requests can be ignored.
    if (!socket.Valid() ||
        ::setsockopt(socket.Get(), SOL_SOCKET, SO_PASSCRED, &on, sizeof on) != 0 ||
        ::bind(socket.Get(), address.Get(), address.Length()) != 0) {
        return;
    }
    socket_ = std::move(socket);
    notifier_ = std::make_unique<QSocketNotifier>(socket_.Get(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { Receive(); });
}

void SingleInstanceServer::Receive() {
    bool asksToShow = false;
    while (ReadRequest(socket_.Get(), asksToShow)) {
    }
    if (asksToShow) {
        show_();
    }
}

bool AskRunningCopyToShow(const std::string& programDirectory) {
    const OwnedDescriptor socket(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    const RequestAddress address(programDirectory);
    // Never waits: a copy that cannot take the request now would not show it soon either.
    return socket.Valid() && ::sendto(socket.Get(), &ShowRequest, 1, MSG_DONTWAIT, address.Get(),
                                      address.Length()) == 1;
}

} // namespace mz

#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <string>

namespace mz {

// Owns one file descriptor and closes it.
class OwnedDescriptor {
public:
    OwnedDescriptor() noexcept = default;
    explicit OwnedDescriptor(int fd) noexcept : fd_(fd) {}
    OwnedDescriptor(OwnedDescriptor&& other) noexcept;
    OwnedDescriptor& operator=(OwnedDescriptor&& other) noexcept;
    OwnedDescriptor(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;
    ~OwnedDescriptor();

    int Get() const noexcept { return fd_; }
    bool Valid() const noexcept { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Lets a second start of the program, from the same program directory, bring the running
// copy's window up. The running copy listens; the second one calls AskRunningCopyToShow and
// ends. Which copy runs is decided by platform::InstanceLock, not here.
//
// The request is one datagram on a unix socket in the abstract namespace, named after the
// program directory: nothing is written to the directory (it may be read-only), and the name
// goes with the process, so a crashed copy leaves nothing behind. Only requests from the same
// user are taken.
class SingleInstanceServer {
public:
    // Listens while it lives; show runs for every request. Fails quietly: without the server
    // a second start still ends, it just cannot bring the window up.
    SingleInstanceServer(const std::string& programDirectory, std::function<void()> show);

private:
    void Receive();

    OwnedDescriptor socket_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void()> show_;
};

// True when the request reached a running copy of this program directory.
bool AskRunningCopyToShow(const std::string& programDirectory);

} // namespace mz

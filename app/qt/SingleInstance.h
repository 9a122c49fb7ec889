#pragma once

#include <QLocalServer>
#include <functional>
#include <string>

namespace mz {

// Lets a second start of the program, from the same program directory, bring the running
// copy's window up. The running copy listens; the second one calls AskRunningCopyToShow and
// ends. Which copy runs is decided by platform::InstanceLock, not here.
class SingleInstanceServer {
public:
    // Listens while it lives; show runs for every request. Fails quietly: without the server
    // a second start still ends, it just cannot bring the window up.
    SingleInstanceServer(const std::string& programDirectory, std::function<void()> show);

private:
    QLocalServer server_;
    std::function<void()> show_;
};

// True when the running copy took the request.
bool AskRunningCopyToShow(const std::string& programDirectory);

} // namespace mz

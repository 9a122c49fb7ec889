#pragma once

#include "MariaDbServer.h"

#include <string>

namespace mz::bench {

inline constexpr int Branch = 2;
inline constexpr const char* GoodReply = "000197OK\r\n";

// The world every benchmark of this program shares: the private MariaDB server with the
// branch's row, and a program directory whose settings ask for no waiting.
class Environment {
public:
    static Environment& Get();
    ~Environment();
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    test::MariaDbServer& Server() const { return server_; }
    const std::string& ProgramDirectory() const { return programDir_; }
    // The same settings behind about 1 MiB of comment lines, within the read limit.
    const std::string& LargeSettingsDirectory() const { return largeDir_; }
    std::string RequestPath() const;
    std::string ReplyPath() const;
    // Places the service's good answer, as it stands before a test looks for it.
    void PutReply() const;

private:
    Environment();

    test::MariaDbServer& server_;
    std::string root_;
    std::string programDir_;
    std::string largeDir_;
    std::string sendDir_;
    std::string replyDir_;
};

} // namespace mz::bench

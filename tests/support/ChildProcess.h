#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace mz::test {

// The whole content of a text file; empty when it cannot be read.
std::string ReadText(const std::string& path);

// A TCP port on 127.0.0.1 with nothing listening at the moment of the call, never 3306.
int UnusedPort();

// Starts a child process with stdout and stderr sent to outputPath. The child dies with us,
// so a crashed test program leaves no server behind.
pid_t Spawn(const std::vector<std::string>& arguments, const std::string& outputPath);

// The exit status once the child has ended within the timeout; nullopt otherwise.
std::optional<int> WaitForExit(pid_t pid, std::chrono::steady_clock::duration timeout);

} // namespace mz::test

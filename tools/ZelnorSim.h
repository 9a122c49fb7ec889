#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelnor_sim {

enum class Mode { Good, Bad, None, Empty, Hold, Trickle };

struct Options {
    std::string send;
    std::string reply;
    Mode mode = Mode::Good;
    int delayMs = 0;
    int holdMs = 1000;
    bool once = false;
};

struct ParseResult {
    Options options;
    bool showHelp = false;
    std::string error; // empty when the command line was understood
};

inline constexpr int PollIntervalMs = 20;

ParseResult ParseOptions(int argc, char** argv);
const char* Usage();
const char* ModeName(Mode mode);

std::string JoinPath(const std::string& directory, const std::string& name);
// One line on standard output, flushed at once so a reading process sees it immediately.
void LogLine(const std::string& line);
// The failed action with the system's reason, on standard error.
void LogError(const std::string& what);
// Sleeps about ms milliseconds, returning early once a stop is requested.
void SleepMs(int ms);

// Answers one request in the reply directory as the mode says and logs request and answer.
void Answer(const Options& options, const std::string& name, const std::string& request);

// ---- The platform's half: ZelnorSimPosix.cpp or ZelnorSimWin.cpp.

// What identifies one version of a file: a rewrite changes at least one of the values.
struct Stamp {
    std::array<std::int64_t, 6> values{};
    friend bool operator==(const Stamp&, const Stamp&) = default;
};

struct Request {
    Stamp stamp;
    std::string content;
};

// A stop asked for by the user (Ctrl+C) or by whoever started us (POSIX: SIGINT, SIGTERM;
// Windows: Ctrl+C, Ctrl+Break, or the event StopEventName(our process id) being set).
void InstallStopHandlers();
bool StopRequested();

bool IsDirectory(const std::string& path);
// The names in a directory; empty when it cannot be read.
std::vector<std::string> ListNames(const std::string& directory);
// The stamp of a plain file; nullopt for anything else or nothing.
std::optional<Stamp> StampOf(const std::string& path);
// The request as it stands, or nothing while its writer still holds it or has not finished
// its line; such a request is looked at again on the next poll.
std::optional<Request> ReadRequest(const std::string& path);
// Our process id, to tell our temporary files from others'.
std::string ProcessTag();
// Renames from to to, replacing to at once; false when it fails (from stays).
bool RenameReplacing(const std::string& from, const std::string& to);
void RemoveFile(const std::string& path);
// The text of the last failure of a system call on this thread.
std::string LastErrorText();

// A file created (or emptied) for writing, closed when it goes. A locked one keeps out the
// readers that respect locks (POSIX: flock; Windows: no sharing) until it is closed.
class OutputFile {
public:
    static std::optional<OutputFile> Create(const std::string& path, bool locked);
    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    bool Write(std::string_view bytes) const;

private:
    explicit OutputFile(std::intptr_t handle) noexcept : handle_(handle) {}
    void Close() noexcept;

    std::intptr_t handle_; // a file descriptor or a HANDLE; -1 is none on both
};

} // namespace zelnor_sim

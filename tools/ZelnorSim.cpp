#include "ZelnorSim.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <thread>

namespace zelnor_sim {

namespace {

constexpr std::array<std::pair<std::string_view, Mode>, 6> ModeNames{{
    {"good", Mode::Good},
    {"bad", Mode::Bad},
    {"none", Mode::None},
    {"empty", Mode::Empty},
    {"hold", Mode::Hold},
    {"trickle", Mode::Trickle},
}};

bool ParseMode(std::string_view text, Mode& mode) {
    const auto found = std::find_if(ModeNames.begin(), ModeNames.end(),
                                    [&](const auto& entry) { return entry.first == text; });
    if (found == ModeNames.end()) {
        return false;
    }
    mode = found->second;
    return true;
}

bool ParseMilliseconds(std::string_view text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= 0;
}

// Written under a temporary name and renamed, so a reader never meets half a reply.
bool WriteAtomically(const Options& options, const std::string& name, std::string_view content) {
    const std::string temporary =
        JoinPath(options.reply, ".zelnor_sim." + ProcessTag() + "." + name);
    {
        const auto file = OutputFile::Create(temporary, false);
        if (!file || !file->Write(content)) {
            LogError("cannot write " + temporary);
            RemoveFile(temporary);
            return false;
        }
    }
    if (!RenameReplacing(temporary, JoinPath(options.reply, name))) {
        LogError("cannot rename " + temporary);
        RemoveFile(temporary);
        return false;
    }
    return true;
}

// Creates the reply under its own name and writes it a byte at a time spread over --hold-ms,
// as a slow service would. Locked, it keeps out the readers that respect the lock meanwhile;
// unlocked, readers meet every part of it.
bool WriteSlowly(const Options& options, const std::string& name, std::string_view content,
                 bool locked) {
    const std::string path = JoinPath(options.reply, name);
    const auto file = OutputFile::Create(path, locked);
    if (!file) {
        LogError("cannot hold " + path);
        return false;
    }
    LogLine("holding " + name);
    const int pause = options.holdMs / static_cast<int>(content.size());
    for (const char c : content) {
        SleepMs(pause);
        if (StopRequested() || !file->Write(std::string_view(&c, 1))) {
            return false;
        }
    }
    return true;
}

} // namespace

const char* Usage() {
    return "usage: zelnor_sim --send DIR --reply DIR [--mode good|bad|none|empty|hold|trickle]\n"
           "                  [--delay-ms N] [--hold-ms N] [--once]\n"
           "Answers each request file that appears in DIR of --send (or is rewritten) with a\n"
           "reply file of the same name in DIR of --reply:\n"
           "  good   the request's first six characters, \"OK\", CR LF (the default)\n"
           "  bad    the request's first six characters, \"NO\", CR LF\n"
           "  none   no reply at all\n"
           "  empty  an empty reply file\n"
           "  hold   the good reply, written slowly over --hold-ms (default 1000) while the\n"
           "         file is locked (flock(LOCK_EX); on Windows, opened without sharing)\n"
           "  trickle the same without the lock: readers see the reply grow\n"
           "--delay-ms waits before answering; --once stops after the first request.\n"
#ifdef _WIN32
           "Stops on Ctrl+C, Ctrl+Break, or when the event Local\\zelnor_sim.stop.PID is set.\n";
#else
           "Stops on SIGINT or SIGTERM.\n";
#endif
}

const char* ModeName(Mode mode) {
    for (const auto& [name, value] : ModeNames) {
        if (value == mode) {
            return name.data();
        }
    }
    return "?";
}

ParseResult ParseOptions(int argc, char** argv) {
    ParseResult result;
    Options& options = result.options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            result.showHelp = true;
            return result;
        }
        if (option == "--once") {
            options.once = true;
            continue;
        }
        if (i + 1 >= argc) {
            result.error = std::string(option) + " needs a value";
            return result;
        }
        const std::string_view value = argv[++i];
        bool understood = true;
        if (option == "--send") {
            options.send = value;
        } else if (option == "--reply") {
            options.reply = value;
        } else if (option == "--mode") {
            understood = ParseMode(value, options.mode);
        } else if (option == "--delay-ms") {
            understood = ParseMilliseconds(value, options.delayMs);
        } else if (option == "--hold-ms") {
            understood = ParseMilliseconds(value, options.holdMs);
        } else {
            result.error = "unknown option " + std::string(option);
            return result;
        }
        if (!understood) {
            result.error = "bad value for " + std::string(option) + ": " + std::string(value);
            return result;
        }
    }
    if (options.send.empty() || options.reply.empty()) {
        result.error = "--send and --reply are required";
    }
    return result;
}

std::string JoinPath(const std::string& directory, const std::string& name) {
#ifdef _WIN32
    constexpr std::string_view Separators = "\\/";
    constexpr char Separator = '\\';
#else
    constexpr std::string_view Separators = "/";
    constexpr char Separator = '/';
#endif
    return !directory.empty() && Separators.find(directory.back()) != std::string_view::npos
               ? directory + name
               : directory + Separator + name;
}

void LogLine(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

void LogError(const std::string& what) {
    std::fprintf(stderr, "zelnor_sim: %s: %s\n", what.c_str(), LastErrorText().c_str());
}

void SleepMs(int ms) {
    while (ms > 0 && !StopRequested()) {
        const int slice = std::min(ms, PollIntervalMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(slice));
        ms -= slice;
    }
}

void Answer(const Options& options, const std::string& name, const std::string& request) {
    const std::string line = request.substr(0, request.find_first_of("\r\n"));
    LogLine("request " + name + " " + line);
    SleepMs(options.delayMs);
    if (StopRequested()) {
        return;
    }
    const std::string prefix = line.substr(0, 6);
    switch (options.mode) {
    case Mode::None:
        LogLine("answer " + name + " none");
        return;
    case Mode::Empty:
        if (WriteAtomically(options, name, "")) {
            LogLine("answer " + name + " empty");
        }
        return;
    case Mode::Good:
    case Mode::Bad: {
        const std::string reply = prefix + (options.mode == Mode::Good ? "OK" : "NO");
        if (WriteAtomically(options, name, reply + "\r\n")) {
            LogLine("answer " + name + " " + ModeName(options.mode) + " " + reply);
        }
        return;
    }
    case Mode::Hold:
    case Mode::Trickle:
        if (WriteSlowly(options, name, prefix + "OK\r\n", options.mode == Mode::Hold)) {
            LogLine("answer " + name + " " + ModeName(options.mode) + " " + prefix + "OK");
        }
        return;
    }
}

} // namespace zelnor_sim

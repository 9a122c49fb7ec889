// A stand-in for the Zelnor service, for tests and demonstrations: it watches a send directory
// and answers each request file that appears (or is rewritten) with a reply file of the same
// name in the reply directory.
#include "ZelnorSim.h"

#include <cstdio>
#include <map>
#include <string>
#include <utility>

namespace {

using namespace zelnor_sim;

class Watcher {
public:
    explicit Watcher(Options options) : options_(std::move(options)) {}

    // Answers the requests that are new since the last poll; false once --once is satisfied.
    bool Poll() {
        for (const std::string& name : ListNames(options_.send)) {
            if (name.empty() || name.front() == '.' || !IsNew(name)) {
                continue;
            }
            if (const auto request = ReadRequest(JoinPath(options_.send, name))) {
                answered_[name] = request->stamp;
                Answer(options_, name, request->content);
                if (options_.once) {
                    return false;
                }
            }
        }
        return true;
    }

private:
    bool IsNew(const std::string& name) const {
        const auto stamp = StampOf(JoinPath(options_.send, name));
        if (!stamp) {
            return false;
        }
        const auto seen = answered_.find(name);
        return seen == answered_.end() || !(seen->second == *stamp);
    }

    Options options_;
    std::map<std::string, Stamp> answered_;
};

} // namespace

int main(int argc, char** argv) {
    const ParseResult parsed = ParseOptions(argc, argv);
    if (parsed.showHelp) {
        std::fputs(Usage(), stdout);
        return 0;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "zelnor_sim: %s\n%s", parsed.error.c_str(), Usage());
        return 2;
    }
    const Options& options = parsed.options;
    for (const std::string& dir : {options.send, options.reply}) {
        if (!IsDirectory(dir)) {
            std::fprintf(stderr, "zelnor_sim: %s: not a directory\n", dir.c_str());
            return 1;
        }
    }

    InstallStopHandlers();
    LogLine("watching " + options.send + " " + options.reply + " " + ModeName(options.mode));
    Watcher watcher(options);
    while (!StopRequested() && watcher.Poll()) {
        SleepMs(PollIntervalMs);
    }
    LogLine("stopped");
    return 0;
}

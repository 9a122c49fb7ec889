#include "test_zelnor_sim_process.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <utility>

// After the project's headers, whose names <windows.h> would otherwise rename.
#include <windows.h>

namespace mz::test {
namespace {

// Owns one kernel handle.
class Handle {
public:
    Handle() noexcept = default;
    explicit Handle(HANDLE handle) noexcept : handle_(handle) {}
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle_);
        }
    }
    HANDLE Get() const noexcept { return handle_; }

private:
    HANDLE handle_ = nullptr;
};

// zelnor_sim.exe is built into the folder of every program of the build, ours included.
std::string SimulatorPath() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string program(path, length);
    return program.substr(0, program.find_last_of("\\/") + 1) + "zelnor_sim.exe";
}

// One argument as the C runtime's command-line parser reads it back: quoted when needed, with
// the backslashes before a quote (or the closing quote) doubled.
std::string Quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

// A handle the child inherits, standing for one of ours; none when we have none.
Handle InheritableCopy(HANDLE ours) {
    HANDLE copy = nullptr;
    if (ours == nullptr || ours == INVALID_HANDLE_VALUE ||
        !::DuplicateHandle(::GetCurrentProcess(), ours, ::GetCurrentProcess(), &copy, 0, TRUE,
                           DUPLICATE_SAME_ACCESS)) {
        return {};
    }
    return Handle(copy);
}

} // namespace

struct ZelnorSimProcess::Process {
    Handle process;
    Handle readEnd;
    DWORD id = 0;
    bool running = false;
};

ZelnorSimProcess::ZelnorSimProcess(const std::vector<std::string>& arguments)
    : process_(std::make_unique<Process>()) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        throw std::runtime_error("CreatePipe failed");
    }
    process_->readEnd = Handle(readEnd);
    const Handle childOutput(writeEnd);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    const Handle childErrors = InheritableCopy(::GetStdHandle(STD_ERROR_HANDLE));

    const std::string program = SimulatorPath();
    std::string commandLine = Quoted(program);
    for (const std::string& argument : arguments) {
        commandLine += " " + Quoted(argument);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = childOutput.Get();
    startup.hStdError = childErrors.Get();
    PROCESS_INFORMATION created{};
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                          nullptr, &startup, &created)) {
        throw std::runtime_error("cannot start " + program);
    }
    ::CloseHandle(created.hThread);
    process_->process = Handle(created.hProcess);
    process_->id = created.dwProcessId;
    process_->running = true;
}

ZelnorSimProcess::~ZelnorSimProcess() {
    if (process_->running) {
        ::TerminateProcess(process_->process.Get(), 1);
        Wait();
    }
}

// Once the child has ended and its output is drained, the pipe reports itself broken.
bool ZelnorSimProcess::ReadMore() {
    using namespace std::chrono;
    const auto giveUp = steady_clock::now() + milliseconds(HangGuardMs);
    while (steady_clock::now() < giveUp) {
        DWORD available = 0;
        if (!::PeekNamedPipe(process_->readEnd.Get(), nullptr, 0, nullptr, &available, nullptr)) {
            return false;
        }
        if (available == 0) {
            std::this_thread::sleep_for(milliseconds(2));
            continue;
        }
        char chunk[512];
        DWORD count = 0;
        if (!::ReadFile(process_->readEnd.Get(), chunk, std::min<DWORD>(available, sizeof chunk),
                        &count, nullptr) ||
            count == 0) {
            return false;
        }
        buffer_.append(chunk, count);
        return true;
    }
    return false;
}

// The simulator makes this event before it says it is watching.
void ZelnorSimProcess::Stop() const {
    const std::string name = "Local\\zelnor_sim.stop." + std::to_string(process_->id);
    const Handle event(::OpenEventA(EVENT_MODIFY_STATE, FALSE, name.c_str()));
    if (event.Get() == nullptr || !::SetEvent(event.Get())) {
        throw std::runtime_error("cannot signal " + name);
    }
}

int ZelnorSimProcess::Wait() {
    ::WaitForSingleObject(process_->process.Get(), INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process_->process.Get(), &code);
    process_->running = false;
    return static_cast<int>(code);
}

} // namespace mz::test

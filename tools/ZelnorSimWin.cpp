// The Windows half of the simulated service: console control events and a named stop event,
// directory listings, and the system's share modes in place of locks.
#include "ZelnorSim.h"

#include <atomic>
#include <memory>
#include <utility>

// After the project's header, whose names <windows.h> would otherwise rename.
#include <windows.h>

namespace zelnor_sim {

namespace {

std::atomic<bool> stopRequested{false};

// Owns one kernel handle; INVALID_HANDLE_VALUE or null is none.
class Handle {
public:
    explicit Handle(HANDLE handle) noexcept : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (*this) {
            ::CloseHandle(handle_);
        }
    }
    HANDLE get() const noexcept { return handle_; }
    explicit operator bool() const noexcept {
        return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr;
    }

private:
    HANDLE handle_;
};

// Set by whoever started us to ask for a clean stop; there are no signals to send here.
std::unique_ptr<Handle>& StopEvent() {
    static std::unique_ptr<Handle> event;
    return event;
}

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        stopRequested = true;
        return TRUE;
    }
    return FALSE;
}

std::int64_t Combine(DWORD high, DWORD low) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32U) | low);
}

// A handle that reads nothing, so it conflicts with no share mode.
Handle OpenForLooking(const std::string& path) {
    return Handle(::CreateFileA(path.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
}

// Plain files on disk only; a directory, device or pipe gives nullopt.
std::optional<Stamp> StampOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    return Stamp{{Combine(info.nFileIndexHigh, info.nFileIndexLow),
                  Combine(info.nFileSizeHigh, info.nFileSizeLow),
                  Combine(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime),
                  Combine(info.ftCreationTime.dwHighDateTime, info.ftCreationTime.dwLowDateTime),
                  info.dwVolumeSerialNumber, 0}};
}

} // namespace

void InstallStopHandlers() {
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    const std::string name = "Local\\zelnor_sim.stop." + ProcessTag();
    StopEvent() = std::make_unique<Handle>(::CreateEventA(nullptr, TRUE, FALSE, name.c_str()));
}

bool StopRequested() {
    const auto& event = StopEvent();
    return stopRequested || (event && *event && ::WaitForSingleObject(event->get(), 0) == 0);
}

bool IsDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<std::string> ListNames(const std::string& directory) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    const std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)> search(
        ::FindFirstFileA(JoinPath(directory, "*").c_str(), &found), ::FindClose);
    if (search.get() == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        names.emplace_back(found.cFileName);
    } while (::FindNextFileA(search.get(), &found));
    return names;
}

std::optional<Stamp> StampOf(const std::string& path) {
    const Handle file = OpenForLooking(path);
    return file ? StampOfHandle(file.get()) : std::nullopt;
}

// Sharing reads only, so the open fails while the writer still has the file open, as a shared
// lock would.
std::optional<Request> ReadRequest(const std::string& path) {
    const Handle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    const auto stamp = StampOfHandle(file.get());
    if (!stamp) {
        return std::nullopt;
    }
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        content.append(buffer, got);
    }
    if (content.find('\n') == std::string::npos) {
        return std::nullopt;
    }
    return Request{*stamp, std::move(content)};
}

std::string ProcessTag() {
    return std::to_string(::GetCurrentProcessId());
}

bool RenameReplacing(const std::string& from, const std::string& to) {
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void RemoveFile(const std::string& path) {
    ::DeleteFileA(path.c_str());
}

std::string LastErrorText() {
    const DWORD code = ::GetLastError();
    char text[512] = {};
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                         0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && static_cast<unsigned char>(message.back()) <= ' ') {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(code) : message;
}

// A locked file shares nothing: every other open fails until it is closed.
std::optional<OutputFile> OutputFile::Create(const std::string& path, bool locked) {
    const DWORD share = locked ? 0 : FILE_SHARE_READ | FILE_SHARE_DELETE;
    const HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_WRITE, share, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    return OutputFile(reinterpret_cast<std::intptr_t>(handle));
}

OutputFile::OutputFile(OutputFile&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

OutputFile::~OutputFile() {
    Close();
}

void OutputFile::Close() noexcept {
    if (handle_ != -1) {
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
        handle_ = -1;
    }
}

bool OutputFile::Write(std::string_view bytes) const {
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!::WriteFile(reinterpret_cast<HANDLE>(handle_), bytes.data(),
                         static_cast<DWORD>(bytes.size()), &written, nullptr)) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

} // namespace zelnor_sim

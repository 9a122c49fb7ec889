#include "WinText.h"
#include "mz/platform/FileSystem.h"

#include <algorithm>
#include <array>
#include <fmt/format.h>
#include <utility>

// <windows.h> comes after the header it would otherwise rename the methods of.
#include <windows.h>
#undef CreateDirectory
#undef DeleteFile

namespace mz::platform {
namespace {

constexpr int AccessDenied = 5;
// Far below DWORD's limit, so each call's count always fits.
constexpr std::size_t MaxChunk = std::size_t{1} << 30;

// The sharing rules are the system's own: every handle states what it lets other opens do.
struct OpenRule {
    DWORD access;
    DWORD share;
    DWORD disposition;
    bool truncate; // emptied once it is known to be a file of ours to empty
};

OpenRule RuleOf(OpenMode mode) noexcept {
    switch (mode) {
    case OpenMode::CreateExclusive:
        return {GENERIC_WRITE, 0, OPEN_ALWAYS, true};
    case OpenMode::CreateDenyWrite:
        return {GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS, true};
    case OpenMode::AppendDenyWrite:
        // Append access alone makes every write go to the end of the file.
        return {FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ, OPEN_EXISTING, false};
    case OpenMode::ReadDenyWrite:
    case OpenMode::ReadFollowLinks:
        return {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, false};
    case OpenMode::ReadWrite:
        break;
    }
    return {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            OPEN_EXISTING, false};
}

// FILE_FLAG_OPEN_REPARSE_POINT opens a link itself instead of what it points to, so that it can
// be recognised and refused. Opening a device or pipe never waits: CreateFile fails at once
// when a pipe is busy.
DWORD FlagsOf(OpenMode mode) noexcept {
    const DWORD flags = FILE_ATTRIBUTE_NORMAL;
    return mode == OpenMode::ReadFollowLinks ? flags : flags | FILE_FLAG_OPEN_REPARSE_POINT;
}

HANDLE ToHandle(File::Handle handle) noexcept {
    return reinterpret_cast<HANDLE>(handle);
}

// Closes the handle unless released, so that every failure path after CreateFile lets go.
class HandleGuard {
public:
    explicit HandleGuard(HANDLE handle) noexcept : handle_(handle) {}
    HandleGuard(const HandleGuard&) = delete;
    HandleGuard& operator=(const HandleGuard&) = delete;
    ~HandleGuard() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle_);
        }
    }
    HANDLE Get() const noexcept { return handle_; }
    HANDLE Release() noexcept { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

private:
    HANDLE handle_;
};

// Only plain files on disk are opened: links, devices, pipes and consoles are refused.
void RequirePlainFile(HANDLE handle, bool linksAllowed) {
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        win::ThrowCode(AccessDenied);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        win::ThrowLastError();
    }
    const DWORD refused =
        FILE_ATTRIBUTE_DIRECTORY | (linksAllowed ? 0 : FILE_ATTRIBUTE_REPARSE_POINT);
    if ((info.dwFileAttributes & refused) != 0) {
        win::ThrowCode(AccessDenied);
    }
}

DWORD Attributes(const std::string& path) noexcept {
    return ::GetFileAttributesA(path.c_str());
}

// The system's texts end with a full stop and a line break; the program's messages add their
// own punctuation, as on other platforms.
std::string WithoutTrailingStops(std::string text) {
    while (!text.empty() &&
           (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

} // namespace

// Asked of an open handle rather than of the name's attributes, which devices such as NUL
// answer like files. An open without access rights conflicts with no sharing rule.
bool FileSystem::FileExists(const std::string& path) const {
    const HandleGuard handle(
        ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (handle.Get() == INVALID_HANDLE_VALUE || ::GetFileType(handle.Get()) != FILE_TYPE_DISK) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileInformationByHandle(handle.Get(), &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FileSystem::DirectoryExists(const std::string& path) const {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void FileSystem::CreateDirectory(const std::string& path) const {
    if (!::CreateDirectoryA(path.c_str(), nullptr)) {
        win::ThrowLastError();
    }
}

File FileSystem::Open(const std::string& path, OpenMode mode) const {
    const OpenRule rule = RuleOf(mode);
    HandleGuard handle(::CreateFileA(path.c_str(), rule.access | FILE_READ_ATTRIBUTES, rule.share,
                                     nullptr, rule.disposition, FlagsOf(mode), nullptr));
    if (handle.Get() == INVALID_HANDLE_VALUE) {
        win::ThrowLastError();
    }
    const bool created =
        rule.disposition == OPEN_ALWAYS && ::GetLastError() != ERROR_ALREADY_EXISTS;
    try {
        RequirePlainFile(handle.Get(), mode == OpenMode::ReadFollowLinks);
        if (rule.truncate) {
            Truncate(reinterpret_cast<File::Handle>(handle.Get()));
        }
    } catch (const SystemError&) {
        // An empty file left behind would pass for one written (a request on a full disk).
        if (created) {
            ::CloseHandle(handle.Release());
            ::DeleteFileA(path.c_str());
        }
        throw;
    }
    return File(*this, reinterpret_cast<File::Handle>(handle.Release()));
}

void FileSystem::Truncate(File::Handle handle) const {
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(ToHandle(handle), start, nullptr, FILE_BEGIN) ||
        !::SetEndOfFile(ToHandle(handle))) {
        win::ThrowLastError();
    }
}

// The folder is checked first: a link there would lead the file somewhere else. Our own Open,
// not an override's: a test seam counts one open per call.
File FileSystem::OpenIn(const std::string& directory, const std::string& name,
                        OpenMode mode) const {
    const DWORD attributes = Attributes(directory);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        win::ThrowCode(ERROR_ACCESS_DENIED);
    }
    return FileSystem::Open(directory + '\\' + name, mode);
}

bool FileSystem::DeleteFile(const std::string& path) const noexcept {
    return ::DeleteFileA(path.c_str()) != 0;
}

// A rename within one volume: atomic, and it fails leaving both files as they were. The moved
// file keeps the access rights it was created with, which it inherited from the directory
// like the file it replaces.
void FileSystem::ReplaceFileAtomically(const std::string& from, const std::string& to) const {
    if (!::MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        win::ThrowLastError();
    }
}

std::string FileSystem::LinkTarget(const std::string& path) const {
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return path;
    }
    const HandleGuard handle(
        ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::array<char, MAX_PATH * 4> buffer{};
    const DWORD length =
        handle.Get() == INVALID_HANDLE_VALUE
            ? 0
            : ::GetFinalPathNameByHandleA(handle.Get(), buffer.data(),
                                          static_cast<DWORD>(buffer.size()), VOLUME_NAME_DOS);
    if (length == 0 || length >= buffer.size()) {
        return path;
    }
    std::string target(buffer.data(), length);
    if (target.starts_with("\\\\?\\UNC\\")) {
        return "\\\\" + target.substr(8);
    }
    return target.starts_with("\\\\?\\") ? target.substr(4) : target;
}

bool FileSystem::MayWrite(const std::string& path) const {
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    // Access rights: an open for writing that shares everything meets no sharing rule.
    const HandleGuard handle(::CreateFileA(
        path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle.Get() != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_ACCESS_DENIED;
}

std::size_t FileSystem::WriteSome(File::Handle handle, const char* data, std::size_t size) const {
    DWORD written = 0;
    if (!::WriteFile(ToHandle(handle), data, static_cast<DWORD>(std::min(size, MaxChunk)), &written,
                     nullptr)) {
        win::ThrowLastError();
    }
    return written;
}

std::size_t FileSystem::ReadSome(File::Handle handle, char* data, std::size_t size) const {
    DWORD got = 0;
    if (!::ReadFile(ToHandle(handle), data, static_cast<DWORD>(std::min(size, MaxChunk)), &got,
                    nullptr)) {
        win::ThrowLastError();
    }
    return got;
}

void FileSystem::CloseHandle(File::Handle handle) const {
    if (!::CloseHandle(ToHandle(handle))) {
        win::ThrowLastError();
    }
}

const FileSystem& SystemFileSystem() {
    static const FileSystem system;
    return system;
}

// The text in the user's language, as Windows gives it.
std::string ErrorText(int code) {
    std::array<wchar_t, 1024> buffer{};
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(code), 0, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr);
    if (length == 0) {
        return fmt::format("Unknown error {}", code);
    }
    return WithoutTrailingStops(win::WideToCp1252(std::wstring_view(buffer.data(), length)));
}

} // namespace mz::platform

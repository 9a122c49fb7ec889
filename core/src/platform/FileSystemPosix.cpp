#include "mz/Text.h"
#include "mz/platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fmt/format.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace mz::platform {
namespace {

// errno values without a Windows counterpart keep their value with bit 29 set, the bit Windows
// leaves to applications, so they never read as one of its codes.
constexpr int UnmappedBase = 0x20000000;
constexpr int SharingViolation = 32;
constexpr const char* SharingViolationText =
    "The process cannot access the file because it is being used by another process";

struct CodePair {
    int windows;
    int posix; // the errno whose text stands for the code
};

constexpr CodePair Codes[] = {
    {2, ENOENT},  {3, ENOTDIR},  {4, EMFILE},   {5, EACCES},         {6, EBADF},   {8, ENOMEM},
    {87, EINVAL}, {112, ENOSPC}, {183, EEXIST}, {206, ENAMETOOLONG}, {223, EFBIG},
};

int WindowsCode(int error) noexcept {
    switch (error) {
    case ENFILE:
        return 4;
    case EPERM:
    case EROFS:
    case EISDIR:
        return 5;
    case EDQUOT:
        return 112;
    default:
        break;
    }
    for (const auto& pair : Codes) {
        if (pair.posix == error) {
            return pair.windows;
        }
    }
    return UnmappedBase | error;
}

// strerror_r comes in a GNU form returning the text and an XSI form filling the buffer.
[[maybe_unused]] const char* StrerrorResult(const char* text, const char*) noexcept {
    return text;
}
[[maybe_unused]] const char* StrerrorResult(int, const char* buffer) noexcept {
    return buffer;
}

std::string PosixText(int error) {
    char buffer[256] = {};
    return Utf8ToCp1252(StrerrorResult(strerror_r(error, buffer, sizeof buffer), buffer));
}

OsError FromErrno(int error) {
    return {WindowsCode(error), PosixText(error)};
}

[[noreturn]] void ThrowErrno(int error) {
    throw SystemError(FromErrno(error));
}

int ToFd(File::Handle handle) noexcept {
    return static_cast<int>(handle);
}

int OpenFlags(OpenMode mode) noexcept {
    switch (mode) {
    case OpenMode::CreateExclusive:
    case OpenMode::CreateDenyWrite:
        return O_WRONLY | O_CREAT; // truncated only once the lock is held
    case OpenMode::AppendDenyWrite:
        return O_WRONLY | O_APPEND;
    case OpenMode::ReadDenyWrite:
    case OpenMode::ReadFollowLinks:
        return O_RDONLY;
    case OpenMode::ReadWrite:
        return O_RDWR;
    }
    return O_RDONLY;
}

bool IsWriteMode(OpenMode mode) noexcept {
    return mode != OpenMode::ReadDenyWrite && mode != OpenMode::ReadFollowLinks;
}

// flock() emulates the Windows sharing rules between the modes this program uses: writers
// hold the file alone, readers share it with readers.
int LockOperation(OpenMode mode) noexcept {
    switch (mode) {
    case OpenMode::ReadDenyWrite:
    case OpenMode::ReadFollowLinks:
        return LOCK_SH | LOCK_NB;
    case OpenMode::ReadWrite:
        return 0;
    default:
        return LOCK_EX | LOCK_NB;
    }
}

// Closes the descriptor unless released, so that every failure path after open() lets go.
class FdGuard {
public:
    explicit FdGuard(int fd) noexcept : fd_(fd) {}
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    ~FdGuard() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int Get() const noexcept { return fd_; }
    int Release() noexcept { return std::exchange(fd_, -1); }

private:
    int fd_;
};

bool IsType(const std::string& path, mode_t type) {
    struct stat info {};
    return ::stat(Cp1252ToUtf8(path).c_str(), &info) == 0 && (info.st_mode & S_IFMT) == type;
}

// O_NONBLOCK: opening a FIFO without a writer would otherwise wait for one for good.
// O_NOFOLLOW: a link planted at the path must not redirect the program to another file.
int SafetyFlags(OpenMode mode) noexcept {
    const int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    return mode == OpenMode::ReadFollowLinks ? flags : flags | O_NOFOLLOW;
}

// The steps after open(): only regular files, locked and emptied as the mode says.
void PrepareOpened(const FileSystem& fs, int fd, OpenMode mode) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ThrowErrno(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        // Directories, FIFOs, devices and sockets never open as files, as on Windows.
        ThrowErrno(S_ISDIR(info.st_mode) ? EISDIR : EACCES);
    }
    // A second name of a file written would let whoever planted it choose the file: refused
    // like a symbolic link.
    if (IsWriteMode(mode) && info.st_nlink > 1) {
        ThrowErrno(EACCES);
    }
    // O_NONBLOCK stays: reads and writes of regular files never wait on it, so clearing it
    // would cost two calls per open for nothing.
    const int lock = LockOperation(mode);
    if (lock != 0 && ::flock(fd, lock) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            throw SystemError({SharingViolation, SharingViolationText});
        }
        ThrowErrno(error);
    }
    const bool truncate = mode == OpenMode::CreateExclusive || mode == OpenMode::CreateDenyWrite;
    if (truncate) {
        fs.Truncate(fd);
    }
}

} // namespace

bool FileSystem::FileExists(const std::string& path) const {
    return IsType(path, S_IFREG);
}

bool FileSystem::DirectoryExists(const std::string& path) const {
    return IsType(path, S_IFDIR);
}

void FileSystem::CreateDirectory(const std::string& path) const {
    if (::mkdir(Cp1252ToUtf8(path).c_str(), 0777) != 0) {
        ThrowErrno(errno);
    }
}

// Opens name relative to the folder open at directory (AT_FDCWD: the working folder).
// An existing file is opened first, so that a file this call creates is known and removed
// again when a later step fails.
File FileSystem::OpenAt(int directory, const std::string& name, OpenMode mode) const {
    const std::string utf8 = Cp1252ToUtf8(name);
    const int flags = OpenFlags(mode) | SafetyFlags(mode);
    int opened = ::openat(directory, utf8.c_str(), flags & ~O_CREAT);
    bool created = false;
    if (opened < 0 && errno == ENOENT && (flags & O_CREAT) != 0) {
        opened = ::openat(directory, utf8.c_str(), flags | O_EXCL, 0666);
        created = opened >= 0;
    }
    FdGuard fd(opened);
    if (fd.Get() < 0) {
        // ELOOP is how O_NOFOLLOW reports a link, ENXIO a FIFO without a reader or a device
        // that is not there: refused like any file without access.
        const int error = errno;
        ThrowErrno(error == ELOOP || error == ENXIO ? EACCES : error);
    }
    try {
        PrepareOpened(*this, fd.Get(), mode);
    } catch (const SystemError& error) {
        // An empty file left behind would pass for one written (a request on a full disk);
        // one another program has opened meanwhile is theirs now.
        if (created && error.Error().code != SharingViolation) {
            ::unlinkat(directory, utf8.c_str(), 0);
        }
        throw;
    }
    return File(*this, fd.Release());
}

File FileSystem::Open(const std::string& path, OpenMode mode) const {
    return OpenAt(AT_FDCWD, path, mode);
}

File FileSystem::OpenIn(const std::string& directory, const std::string& name,
                        OpenMode mode) const {
    const FdGuard folder(
        ::open(Cp1252ToUtf8(directory).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.Get() < 0) {
        const int error = errno;
        ThrowErrno(error == ELOOP ? EACCES : error);
    }
    return OpenAt(folder.Get(), name, mode);
}

bool FileSystem::DeleteFile(const std::string& path) const noexcept {
    return ::unlink(Cp1252ToUtf8(path).c_str()) == 0;
}

void FileSystem::ReplaceFileAtomically(const std::string& from, const std::string& to) const {
    const std::string source = Cp1252ToUtf8(from);
    const std::string target = Cp1252ToUtf8(to);
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
        ::chmod(source.c_str(), old.st_mode & 07777) != 0) {
        ThrowErrno(errno);
    }
    if (::rename(source.c_str(), target.c_str()) != 0) {
        ThrowErrno(errno);
    }
}

std::string FileSystem::LinkTarget(const std::string& path) const {
    const std::string name = Cp1252ToUtf8(path);
    struct stat info {};
    if (::lstat(name.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return path;
    }
    const std::unique_ptr<char, decltype(&std::free)> target(::realpath(name.c_str(), nullptr),
                                                             &std::free);
    if (!target) {
        return path;
    }
    // A name Windows-1252 cannot spell would lead somewhere else once converted back.
    std::string result = Utf8ToCp1252(target.get());
    return Cp1252ToUtf8(result) == target.get() ? result : path;
}

bool FileSystem::MayWrite(const std::string& path) const {
    if (::access(Cp1252ToUtf8(path).c_str(), W_OK) == 0) {
        return true;
    }
    return errno != EACCES && errno != EPERM && errno != EROFS;
}

std::size_t FileSystem::WriteSome(File::Handle handle, const char* data, std::size_t size) const {
    for (;;) {
        const ssize_t written = ::write(ToFd(handle), data, size);
        if (written >= 0) {
            return static_cast<std::size_t>(written);
        }
        if (errno != EINTR) {
            ThrowErrno(errno);
        }
    }
}

std::size_t FileSystem::ReadSome(File::Handle handle, char* data, std::size_t size) const {
    for (;;) {
        const ssize_t got = ::read(ToFd(handle), data, size);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            ThrowErrno(errno);
        }
    }
}

void FileSystem::Truncate(File::Handle handle) const {
    if (::ftruncate(ToFd(handle), 0) != 0) {
        ThrowErrno(errno);
    }
}

void FileSystem::CloseHandle(File::Handle handle) const {
    // No retry on EINTR: on Linux the descriptor is released whatever close() reports.
    if (::close(ToFd(handle)) != 0 && errno != EINTR) {
        ThrowErrno(errno);
    }
}

const FileSystem& SystemFileSystem() {
    static const FileSystem system;
    return system;
}

std::string ErrorText(int code) {
    if (code == SharingViolation) {
        return SharingViolationText;
    }
    if ((code & UnmappedBase) != 0 && code > 0) {
        return PosixText(code & ~UnmappedBase);
    }
    for (const auto& pair : Codes) {
        if (pair.windows == code) {
            return PosixText(pair.posix);
        }
    }
    return fmt::format("Unknown error {}", code);
}

} // namespace mz::platform

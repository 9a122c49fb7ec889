#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace mz::platform {

// An operating-system failure. code uses the Windows numbering where the failure has an
// equivalent there (2 file not found, 3 path not found, 4 too many open files, 5 access denied,
// 32 sharing violation, 112 disk full, 223 file too large), so messages that name codes read alike
// on every platform; text is the operating system's own description (Windows-1252). On POSIX
// systems: ENOENT 2, ENOTDIR 3, EMFILE/ENFILE 4, EACCES/EPERM/EROFS/EISDIR 5, EBADF 6, ENOMEM 8,
// EINVAL 87, ENOSPC/EDQUOT 112, EEXIST 183, ENAMETOOLONG 206, EFBIG 223, a lock held by another
// open file 32; any other errno e gives 0x20000000 | e (bit 29 is the one Windows leaves to
// applications, so these never read as one of its codes).
struct OsError {
    int code = 0;
    std::string text;
};

class SystemError : public std::runtime_error {
public:
    explicit SystemError(OsError error)
        : std::runtime_error(error.text), error_(std::move(error)) {}
    const OsError& Error() const noexcept { return error_; }

private:
    OsError error_;
};

// How a file is opened. Every mode that writes refuses other writers while the file is open;
// Read refuses writers too (readers may share). On POSIX systems the rules hold between files
// opened through this layer (flock), not against programs that take no lock.
// Every mode opens regular files only, without blocking: a directory, a FIFO or a device
// fails with SystemError (code 5, access denied). Every mode but ReadFollowLinks also refuses a
// symbolic link (or another reparse point) at the path itself with code 5, so a planted link
// never redirects what the program writes or reads; on POSIX systems every mode that writes
// also refuses a file with a second name (a hard link) with code 5.
enum class OpenMode {
    CreateExclusive, // create or truncate; no other program may read or write it meanwhile
    CreateDenyWrite, // create or truncate; others may read
    AppendDenyWrite, // open an existing file at its end; others may read
    ReadDenyWrite,   // open an existing file for reading; others may read, not write
    ReadFollowLinks, // as ReadDenyWrite, through a link at the path (settings files may be links)
    ReadWrite        // open an existing file for reading and writing (no sharing rule)
};

class FileSystem;

// Owns one open file. Move-only; the destructor closes quietly, Close() reports a failure.
class File {
public:
    using Handle = std::intptr_t;

    File() = default;
    File(const FileSystem& fs, Handle handle) noexcept : fs_(&fs), handle_(handle) {}
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    bool IsOpen() const noexcept { return fs_ != nullptr; }
    void Write(std::string_view bytes);               // whole buffer or SystemError
    std::size_t Read(char* buffer, std::size_t size); // 0 at the end; SystemError on failure
    void Close();                                     // SystemError on failure; closed anyway

private:
    void Reset() noexcept;
    const FileSystem* fs_ = nullptr;
    Handle handle_ = -1;
};

// The one seam for file-system calls. The default implementations call the operating system;
// tests derive from it and override a call to make it fail. Paths are Windows-1252 and are
// converted to the platform's file-name encoding here.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool FileExists(const std::string& path) const; // a regular file
    virtual bool DirectoryExists(const std::string& path) const;
    virtual void CreateDirectory(const std::string& path) const; // SystemError on failure
    // SystemError on failure; a file the call created is removed again when a later step fails.
    virtual File Open(const std::string& path, OpenMode mode) const;
    // Opens name inside directory, refusing a link at directory as Open refuses one at the file.
    virtual File OpenIn(const std::string& directory, const std::string& name, OpenMode mode) const;
    virtual bool DeleteFile(const std::string& path) const noexcept;
    // Puts the file at from in the place of the file at to in one step: readers see either the
    // old file or the new one, never a part. A file at to keeps its permissions (they are
    // copied to from first). SystemError on failure, when both files are as they were.
    virtual void ReplaceFileAtomically(const std::string& from, const std::string& to) const;
    // The file a symbolic link (or another reparse point) at path leads to, every link
    // followed; path itself when it is no link or leads nowhere.
    virtual std::string LinkTarget(const std::string& path) const;
    // False when the file at path exists and the user may not write it (read-only, another
    // user's); true otherwise, also when there is no file.
    virtual bool MayWrite(const std::string& path) const;

    // Handle-level calls, used by File.
    virtual std::size_t WriteSome(File::Handle handle, const char* data, std::size_t size) const;
    virtual std::size_t ReadSome(File::Handle handle, char* data, std::size_t size) const;
    virtual void CloseHandle(File::Handle handle) const;
    // Empties an open file; the last step of opening one to create it.
    virtual void Truncate(File::Handle handle) const;

private:
#ifndef _WIN32
    File OpenAt(int directory, const std::string& name, OpenMode mode) const;
#endif
};

// The operating system's file system.
const FileSystem& SystemFileSystem();

// The operating system's text for an error code in the numbering of OsError.
std::string ErrorText(int code);

// "<what> "<path>". <the system's text without trailing blanks and full stops>", the form of
// the "Cannot create file" and "Cannot open file" messages.
std::string FileErrorMessage(std::string_view what, const std::string& path, const OsError& error);

// Reads a whole file opened with OpenMode::ReadFollowLinks. SystemError on failure; a file
// longer than maxBytes fails with code 223 (file too large) rather than being read.
inline constexpr std::size_t MaxSettingsFileBytes = std::size_t{1} << 20;
std::string ReadWholeFile(const FileSystem& fs, const std::string& path, std::size_t maxBytes);

} // namespace mz::platform

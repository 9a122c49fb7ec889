#pragma once

// Files and directories for tests: a temporary directory, a working-directory switch, whole-file
// reads and writes, and a file system that refuses writing.

#include "mz/platform/FileSystem.h"
#include "mz/platform/System.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace mz::test {

// A fresh directory below the system's temporary directory, removed with all it holds.
class TempDir {
public:
    TempDir() : root_(CreateUniqueDirectory()), path_(root_.string() + platform::PathDelimiter) {}
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        // A test may have taken the owner's rights away; removal needs them back.
        std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(root_, ignored);
    }

    // The directory itself, without a trailing separator.
    const std::filesystem::path& Root() const noexcept { return root_; }
    // The directory ending with the platform's separator, ready to be used as a path prefix, as
    // the program's own directory settings are.
    const std::string& Path() const noexcept { return path_; }
    // A path inside the directory, ASCII names only, as the program passes them.
    std::string File(const std::string& name) const { return (root_ / name).string(); }

    // Writes a file inside the directory and gives its path.
    std::string WriteFile(const std::string& name, const std::string& bytes) const;

private:
    static std::filesystem::path CreateUniqueDirectory() {
        const auto base = std::filesystem::temp_directory_path();
#ifdef _WIN32
        // No mkdtemp here: a random name, tried until one is free.
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const auto candidate = base / ("mztest-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate)) {
                return candidate;
            }
        }
        throw std::runtime_error("cannot create a directory in " + base.string());
#else
        std::string pattern = (base / "mztest-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed for " + pattern);
        }
        return pattern;
#endif
    }

    std::filesystem::path root_;
    std::string path_;
};

// Makes a directory the current working directory while it lives.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::filesystem::path& path)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~WorkingDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::filesystem::path previous_;
};

// The whole file's bytes; nullopt when it cannot be opened, so "missing" and "empty" differ.
inline std::optional<std::string> TryReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The whole file's bytes; empty when it cannot be opened.
inline std::string ReadBytes(const std::filesystem::path& path) {
    return TryReadBytes(path).value_or(std::string());
}

// Replaces the file's contents; throws when they cannot be written, so a test never goes on
// with a setup it did not get.
inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

inline std::string TempDir::WriteFile(const std::string& name, const std::string& bytes) const {
    const std::string file = File(name);
    WriteBytes(file, bytes);
    return file;
}

// The messages of a month log's lines (LogZelnor/<month>.txt below directory), without the
// moments in front of them.
inline std::vector<std::string> MonthLogMessages(const std::filesystem::path& directory,
                                                 int month) {
    std::vector<std::string> messages;
    const std::string text = ReadBytes(directory / "LogZelnor" / (std::to_string(month) + ".txt"));
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = text.substr(start, end - start);
        const auto dash = line.find(" - ");
        messages.push_back(dash == std::string::npos ? line : line.substr(dash + 3));
    }
    return messages;
}

// Refuses every file opened for writing, like a directory or file without write access.
class ReadOnlyFiles : public platform::FileSystem {
public:
    platform::File Open(const std::string& path, platform::OpenMode mode) const override {
        if (mode != platform::OpenMode::ReadDenyWrite &&
            mode != platform::OpenMode::ReadFollowLinks) {
            throw platform::SystemError({5, "Access is denied"});
        }
        return FileSystem::Open(path, mode);
    }
    platform::File OpenIn(const std::string& directory, const std::string& name,
                          platform::OpenMode mode) const override {
        if (mode != platform::OpenMode::ReadDenyWrite &&
            mode != platform::OpenMode::ReadFollowLinks) {
            throw platform::SystemError({5, "Access is denied"});
        }
        return FileSystem::OpenIn(directory, name, mode);
    }
};

} // namespace mz::test

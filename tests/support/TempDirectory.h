#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace mz::test {

// A fresh directory under /tmp, removed with everything in it when the object goes.
class TempDirectory {
public:
    TempDirectory() {
        char pattern[] = "/tmp/mztest.XXXXXX";
        if (!::mkdtemp(pattern)) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = pattern;
    }
    ~TempDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    // The directory with a trailing separator, ready for appending a file name.
    std::string Path() const { return path_ + "/"; }

    std::string WriteFile(const std::string& name, const std::string& bytes) const {
        const std::string file = Path() + name;
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
        return file;
    }

private:
    std::string path_;
};

} // namespace mz::test

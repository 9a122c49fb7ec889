#include "mz/platform/FileSystem.h"

#include <algorithm>
#include <fmt/format.h>
#include <memory>
#include <utility>

namespace mz::platform {
namespace {

constexpr int InvalidHandle = 6;
constexpr int DiskFull = 112;
constexpr int FileTooLarge = 223;

[[noreturn]] void NotOpen() {
    throw SystemError({InvalidHandle, ErrorText(InvalidHandle)});
}

} // namespace

File::File(File&& other) noexcept
    : fs_(std::exchange(other.fs_, nullptr)), handle_(std::exchange(other.handle_, -1)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Reset();
        fs_ = std::exchange(other.fs_, nullptr);
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

File::~File() {
    Reset();
}

void File::Reset() noexcept {
    if (fs_ == nullptr) {
        return;
    }
    try {
        fs_->CloseHandle(handle_);
    } catch (...) {
        // A destructor cannot report; callers that care call Close().
    }
    fs_ = nullptr;
    handle_ = -1;
}

void File::Write(std::string_view bytes) {
    if (fs_ == nullptr) {
        NotOpen();
    }
    while (!bytes.empty()) {
        const std::size_t written = fs_->WriteSome(handle_, bytes.data(), bytes.size());
        if (written == 0) {
            throw SystemError({DiskFull, ErrorText(DiskFull)}); // no progress would loop forever
        }
        bytes.remove_prefix(written);
    }
}

std::size_t File::Read(char* buffer, std::size_t size) {
    if (fs_ == nullptr) {
        NotOpen();
    }
    return fs_->ReadSome(handle_, buffer, size);
}

void File::Close() {
    if (fs_ == nullptr) {
        NotOpen();
    }
    const FileSystem* fs = std::exchange(fs_, nullptr);
    fs->CloseHandle(std::exchange(handle_, -1));
}

std::string ReadWholeFile(const FileSystem& fs, const std::string& path, std::size_t maxBytes) {
    File file = fs.Open(path, OpenMode::ReadFollowLinks);
    // Most files fit the first read, into a buffer that is not zero-filled. A larger one is read
    // on straight into the text, each read twice the size of the one before, so a file of a
    // megabyte takes a handful of calls rather than one per 16 KiB.
    constexpr std::size_t FirstChunk = 16384;
    const auto buffer = std::make_unique_for_overwrite<char[]>(FirstChunk);
    std::size_t got = file.Read(buffer.get(), FirstChunk);
    std::string content(buffer.get(), got);
    // Only regular files open, and they give less than asked only at their end: a short read
    // needs no call more to be told so. Reading stops one byte past the limit at most, which is
    // enough to refuse the file.
    for (std::size_t chunk = FirstChunk; got == chunk && content.size() <= maxBytes;) {
        const std::size_t used = content.size();
        chunk = std::min(2 * chunk, maxBytes + 1 - used);
        content.resize(used + chunk);
        got = file.Read(content.data() + used, chunk);
        content.resize(used + got);
    }
    if (content.size() > maxBytes) {
        throw SystemError({FileTooLarge, ErrorText(FileTooLarge)});
    }
    file.Close();
    return content;
}

std::string FileErrorMessage(std::string_view what, const std::string& path, const OsError& error) {
    // Blanks include line ends and other control characters, which some systems' texts end
    // with.
    std::string_view text = error.text;
    while (!text.empty() &&
           (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.')) {
        text.remove_suffix(1);
    }
    return fmt::format("{} \"{}\". {}", what, path, text);
}

} // namespace mz::platform

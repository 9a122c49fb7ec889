// The two exchange files of an activity test: writing the request, reading the reply.
#include "mz/Exception.h"
#include "mz/monitor/uMonitorZelnor.h"
#include "mz/platform/FileSystem.h"

#include <array>
#include <cstdint>
#include <fmt/format.h>
#include <string_view>

namespace mz {

namespace {

// Characters 7 and 8 of the reply's first line hold the status.
constexpr std::size_t StatusOffset = 6;
constexpr std::string_view GoodStatus = "OK";
constexpr std::size_t LineNeeded = StatusOffset + GoodStatus.size();

Exception FileError(std::string_view what, const std::string& path,
                    const platform::SystemError& error) {
    return Exception(platform::FileErrorMessage(what, path, error.Error()));
}

// At least four digits, the minus sign of a negative number standing before the zeros.
std::string RequestLine(std::int32_t number) {
    const std::int64_t value = number;
    const std::string digits = fmt::format("{:04}", value < 0 ? -value : value);
    return (value < 0 ? "-" : "") + digits + "97\r\n";
}

// Keeps only what the status field needs, so a huge reply costs no more memory than a small one.
TMonitorZelnor::ReplyLine ReadFirstLine(platform::File& file) {
    TMonitorZelnor::ReplyLine line;
    std::array<char, 64> buffer{};
    for (;;) {
        const std::size_t count = file.Read(buffer.data(), buffer.size());
        if (count == 0) {
            line.present = line.present || !line.start.empty();
            return line;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const char c = buffer[i];
            if (c == '\r' || c == '\n' || c == '\0') {
                line.present = line.present || c != '\0' || !line.start.empty();
                line.ended = true;
                return line;
            }
            if (line.start.size() < LineNeeded) {
                line.start.push_back(c);
            }
        }
    }
}

} // namespace

void TMonitorZelnor::WriteRequest(const std::string& path, std::int32_t number) const {
    platform::File file;
    try {
        file = services_.files.Open(path, platform::OpenMode::CreateExclusive);
    } catch (const platform::SystemError& error) {
        throw FileError("Cannot create file", path, error);
    }
    try {
        file.Write(RequestLine(number));
        file.Close();
    } catch (const platform::SystemError& error) {
        // A cut-off request must not reach the service.
        file = platform::File();
        services_.files.DeleteFile(path);
        throw FileError("Cannot create file", path, error);
    }
}

TMonitorZelnor::ReplyLine TMonitorZelnor::ReadReplyLine(const std::string& path) const {
    try {
        platform::File file = services_.files.Open(path, platform::OpenMode::ReadDenyWrite);
        return ReadFirstLine(file);
    } catch (const platform::SystemError& error) {
        throw FileError("Cannot open file", path, error);
    }
}

bool TMonitorZelnor::LineIsGood(const ReplyLine& line) {
    if (!line.present) {
        throw Exception("List index out of bounds (0)");
    }
    return line.start.size() == LineNeeded &&
           std::string_view(line.start).substr(StatusOffset) == GoodStatus;
}

void TMonitorZelnor::DeleteReplyIfPresent(const std::string& path) const {
    // The delete is its own look: no file there, or a folder of that name, is left as it is.
    services_.files.DeleteFile(path);
}

} // namespace mz

#pragma once

#include <stdexcept>
#include <string>

namespace mz {

// Every failure of the program is an exception carrying its message text. The text is
// Windows-1252 bytes, like every other text of the program; convert it only for display.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

} // namespace mz

#pragma once

#include <chrono>
#include <string>

namespace mz::platform {

// The separator this platform's own paths are built with.
#ifdef _WIN32
inline constexpr char PathDelimiter = '\\';
#else
inline constexpr char PathDelimiter = '/';
#endif

// The directory of the running executable, ending with PathDelimiter (Windows-1252).
std::string ProgramDirectory();

// The exchange directories used when the settings file names none.
std::string DefaultSendDirectory();  // "C:\Zelnor\ENV\" on Windows, "/Zelnor/ENV/" elsewhere
std::string DefaultReplyDirectory(); // "C:\Zelnor\REC\" on Windows, "/Zelnor/REC/" elsewhere

// Blocking sleep, behind a seam so waits can be run quickly in tests.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void Sleep(std::chrono::milliseconds duration) const;
};
const Sleeper& SystemSleeper();

} // namespace mz::platform

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

// Whether a reader can see a file its writer is still writing. Windows keeps readers out
// through the writer's share mode until it is done; POSIX systems let a writer that takes no
// lock be read midway.
#ifdef _WIN32
inline constexpr bool ReadersSeePartialWrites = false;
#else
inline constexpr bool ReadersSeePartialWrites = true;
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

#pragma once

// Helpers shared by the Windows files of the platform layer. Only those files include it.

#include "mz/platform/FileSystem.h"

#include <string>
#include <string_view>

namespace mz::platform::win {

// UTF-16 text from the system as Windows-1252; characters without a form there take their
// closest one or '?'.
std::string WideToCp1252(std::wstring_view text);

// The calling thread's last error as an OsError.
OsError LastError();
[[noreturn]] void ThrowLastError();
[[noreturn]] void ThrowCode(int code);

} // namespace mz::platform::win

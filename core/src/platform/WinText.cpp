#include "WinText.h"

#include <windows.h>

namespace mz::platform::win {

std::string WideToCp1252(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    constexpr UINT Windows1252 = 1252;
    const int wideLength = static_cast<int>(text.size());
    const int length = ::WideCharToMultiByte(Windows1252, 0, text.data(), wideLength, nullptr, 0,
                                             nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        ::WideCharToMultiByte(Windows1252, 0, text.data(), wideLength, result.data(), length,
                              nullptr, nullptr);
    }
    return result;
}

OsError LastError() {
    const int code = static_cast<int>(::GetLastError());
    return {code, ErrorText(code)};
}

void ThrowLastError() {
    throw SystemError(LastError());
}

void ThrowCode(int code) {
    throw SystemError({code, ErrorText(code)});
}

} // namespace mz::platform::win

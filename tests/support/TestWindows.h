#pragma once

// Helpers for the tests of the Windows half of the platform layer.

#include <windows.h>

namespace mz::test {

// Wine answers like Windows in codes and behaviour, not always in texts and locale data.
inline bool RunningUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

} // namespace mz::test

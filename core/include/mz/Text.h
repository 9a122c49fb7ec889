#pragma once

#include <string>
#include <string_view>

namespace mz {

// Texts inside the program are single-byte Windows-1252 strings. These convert at the
// boundaries (Qt strings, file names on Linux).
std::string Cp1252ToUtf8(std::string_view cp1252);
// Characters with no Windows-1252 form become '?'; a byte that is no part of well-formed UTF-8
// keeps its value (so Latin-1 and Windows-1252 text passes through). The five bytes
// Windows-1252 leaves unassigned map to the C1 controls of the same value, so every byte
// survives a round trip.
std::string Utf8ToCp1252(std::string_view utf8);
// Appends the UTF-8 encoding of one code point.
void AppendUtf8(std::string& out, char32_t cp);

// Case-insensitive comparison of names (settings sections and keys, parameter names).
// Letters of the Windows-1252 range compare by their upper-case forms.
bool SameText(std::string_view a, std::string_view b) noexcept;
char UpperCase(char c) noexcept;

// Drops characters of code 32 or less at both ends.
std::string_view Trim(std::string_view text) noexcept;

} // namespace mz

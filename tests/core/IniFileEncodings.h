#pragma once

#include <string>
#include <string_view>

namespace mz::test {

// A settings file's text in UTF-16 with its byte-order mark; each char of text is one code
// unit (so "\xE1" is U+00E1). Units beyond one byte are written with Utf16Unit.
inline std::string Utf16(std::string_view text, bool bigEndian, bool mark = true) {
    std::string out = !mark ? "" : bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : text) {
        out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return out;
}
inline std::string Utf16Le(std::string_view text) {
    return Utf16(text, false);
}
inline std::string Utf16Be(std::string_view text) {
    return Utf16(text, true);
}
// One UTF-16 code unit without a mark, for characters beyond Latin-1 inside Utf16Le text.
inline std::string Utf16LeUnit(char16_t unit) {
    return {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
}

inline constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

} // namespace mz::test

#include "mz/Text.h"

#include <array>
#include <cstdint>

namespace mz {
namespace {

// Code points of bytes 0x80 to 0x9F. The five bytes Windows-1252 leaves unassigned map to the
// C1 control of the same value, as Windows itself converts them, so every byte round-trips.
constexpr std::array<char32_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t CodePointOf(unsigned char byte) noexcept {
    if (byte >= 0x80 && byte <= 0x9F) {
        return HighControls[byte - 0x80];
    }
    return byte;
}

// The Windows-1252 byte of a code point, or '?' when it has none.
char ByteOf(char32_t cp) noexcept {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<char>(cp);
    }
    for (std::size_t i = 0; i < HighControls.size(); ++i) {
        if (HighControls[i] == cp) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

struct Decoded {
    char32_t codePoint;
    std::size_t length; // 0 when the bytes are no well-formed sequence
};

Decoded DecodeUtf8(std::string_view text, std::size_t pos) noexcept {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        return {0, 0};
    }
    if (pos + length > text.size()) {
        return {0, 0};
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            return {0, 0};
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    if (cp < minimum || cp > 0x10FFFF || surrogate) {
        return {0, 0};
    }
    return {cp, length};
}

} // namespace

std::string Cp1252ToUtf8(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size());
    for (const char c : cp1252) {
        AppendUtf8(out, CodePointOf(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[pos]);
        if (byte < 0x80) {
            out += static_cast<char>(byte);
            ++pos;
            continue;
        }
        const Decoded decoded = DecodeUtf8(utf8, pos);
        if (decoded.length == 0) {
            out += static_cast<char>(byte); // a stray byte keeps its value (Latin-1 reading)
            ++pos;
        } else {
            out += ByteOf(decoded.codePoint);
            pos += decoded.length;
        }
    }
    return out;
}

char UpperCase(char c) noexcept {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 'a' && byte <= 'z') {
        return static_cast<char>(byte - 0x20);
    }
    if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7) {
        return static_cast<char>(byte - 0x20);
    }
    switch (byte) {
    case 0x9A: // s caron
    case 0x9C: // oe
    case 0x9E: // z caron
        return static_cast<char>(byte - 0x10);
    case 0xFF: // y diaeresis
        return static_cast<char>(0x9F);
    default:
        return c;
    }
}

bool SameText(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperCase(a[i]) != UpperCase(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view Trim(std::string_view text) noexcept {
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace mz

#include "IniFileText.h"

#include "mz/Text.h"

#include <cstdint>

namespace mz::initext {
namespace {

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LeMark = "\xFF\xFE";
constexpr std::string_view Utf16BeMark = "\xFE\xFF";
constexpr char32_t Replacement = 0xFFFD;

std::string_view MarkOf(Encoding encoding) noexcept {
    switch (encoding) {
    case Encoding::Utf8:
        return Utf8Mark;
    case Encoding::Utf16Le:
        return Utf16LeMark;
    case Encoding::Utf16Be:
        return Utf16BeMark;
    case Encoding::Ansi:
        break;
    }
    return {};
}

// UTF-16 code units of the text behind the mark; an odd last byte is no unit.
template <typename Visit> void ForEachUnit(std::string_view bytes, bool bigEndian, Visit visit) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        visit(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
}

// Code points of UTF-16 text; a surrogate without its partner is Replacement.
template <typename Visit>
void ForEachUtf16CodePoint(std::string_view bytes, bool bigEndian, Visit visit) {
    char16_t high = 0;
    ForEachUnit(bytes, bigEndian, [&](char16_t unit) {
        const bool isHigh = unit >= 0xD800 && unit <= 0xDBFF;
        const bool isLow = unit >= 0xDC00 && unit <= 0xDFFF;
        if (high != 0 && isLow) {
            visit(0x10000 + ((char32_t{high} - 0xD800) << 10) + (unit - 0xDC00));
            high = 0;
            return;
        }
        if (high != 0) {
            visit(Replacement);
            high = 0;
        }
        if (isHigh) {
            high = unit;
        } else {
            visit(isLow ? Replacement : char32_t{unit});
        }
    });
    if (high != 0) {
        visit(Replacement);
    }
}

// The range a continuation byte must lie in at position index of a sequence led by lead
// (well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF).
bool ContinuationFits(unsigned char lead, std::size_t index, unsigned char byte) noexcept {
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (index == 1) {
        if (lead == 0xE0) {
            low = 0xA0;
        } else if (lead == 0xED) {
            high = 0x9F;
        } else if (lead == 0xF0) {
            low = 0x90;
        } else if (lead == 0xF4) {
            high = 0x8F;
        }
    }
    return byte >= low && byte <= high;
}

std::size_t SequenceLength(unsigned char lead) noexcept {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

// Code points of UTF-8 text; each malformed part (the longest start of a sequence that
// cannot be completed, or a stray byte) is one Replacement, as Windows converts it.
template <typename Visit> void ForEachUtf8CodePoint(std::string_view text, Visit visit) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        const std::size_t length = SequenceLength(lead);
        if (length == 0) {
            visit(Replacement);
            ++pos;
            continue;
        }
        char32_t cp = length == 1 ? lead : lead & (0xFF >> (length + 1));
        std::size_t taken = 1;
        while (taken < length && pos + taken < text.size() &&
               ContinuationFits(lead, taken, static_cast<unsigned char>(text[pos + taken]))) {
            cp = (cp << 6) | (static_cast<unsigned char>(text[pos + taken]) & 0x3F);
            ++taken;
        }
        visit(taken == length ? cp : Replacement);
        pos += taken;
    }
}

void AppendUnit(std::string& out, char16_t unit, bool bigEndian) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

// The Windows-1252 form of one code point; every character beyond the Basic Multilingual
// Plane is two UTF-16 units and so two '?' on Windows.
void AppendCp1252(std::string& out, char32_t cp) {
    if (cp >= 0x10000) {
        out += "??";
        return;
    }
    std::string utf8;
    AppendUtf8(utf8, cp);
    out += cp == Replacement ? std::string("?") : Utf8ToCp1252(utf8);
}

} // namespace

Encoding EncodingOf(std::string_view bytes) noexcept {
    if (bytes.starts_with(Utf8Mark)) {
        return Encoding::Utf8;
    }
    if (bytes.starts_with(Utf16LeMark)) {
        return Encoding::Utf16Le;
    }
    if (bytes.starts_with(Utf16BeMark)) {
        return Encoding::Utf16Be;
    }
    return Encoding::Ansi;
}

std::string ToCp1252(std::string_view bytes) {
    const Encoding encoding = EncodingOf(bytes);
    if (encoding == Encoding::Ansi) {
        return std::string(bytes);
    }
    bytes.remove_prefix(MarkOf(encoding).size());
    std::string out;
    out.reserve(bytes.size());
    const auto append = [&out](char32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp); // the common case, without the general path
        } else {
            AppendCp1252(out, cp);
        }
    };
    if (encoding == Encoding::Utf8) {
        ForEachUtf8CodePoint(bytes, append);
    } else {
        ForEachUtf16CodePoint(bytes, encoding == Encoding::Utf16Be, append);
    }
    return out;
}

std::string ToEditable(std::string_view bytes, Encoding encoding) {
    bytes.remove_prefix(MarkOf(encoding).size());
    if (encoding == Encoding::Ansi || encoding == Encoding::Utf8) {
        return std::string(bytes); // UTF-8 stays as it is, malformed bytes included
    }
    std::string out;
    ForEachUtf16CodePoint(bytes, encoding == Encoding::Utf16Be,
                          [&out](char32_t cp) { AppendUtf8(out, cp); });
    return out;
}

std::string FromCp1252(std::string_view text, Encoding encoding) {
    return encoding == Encoding::Ansi ? std::string(text) : Cp1252ToUtf8(text);
}

std::string ToFileBytes(std::string_view text, Encoding encoding) {
    std::string out(MarkOf(encoding));
    if (encoding == Encoding::Ansi || encoding == Encoding::Utf8) {
        out += text;
        return out;
    }
    const bool bigEndian = encoding == Encoding::Utf16Be;
    ForEachUtf8CodePoint(text, [&](char32_t cp) {
        if (cp < 0x10000) {
            AppendUnit(out, static_cast<char16_t>(cp), bigEndian);
            return;
        }
        AppendUnit(out, static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)), bigEndian);
        AppendUnit(out, static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)), bigEndian);
    });
    return out;
}

} // namespace mz::initext

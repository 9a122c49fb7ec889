#include "mz/Integer.h"

#include <limits>

namespace mz {
namespace {

int HexDigitValue(char c) noexcept {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::uint32_t> ParseHex(std::string_view digits) noexcept {
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > std::numeric_limits<std::uint32_t>::max()) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(value);
}

std::optional<std::int32_t> ParseDecimal(std::string_view digits, bool negative) noexcept {
    if (digits.empty()) {
        return std::nullopt;
    }
    // The magnitude may reach 2^31 for a negative number.
    const std::uint64_t limit = negative ? 2147483648ULL : 2147483647ULL;
    std::uint64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > limit) {
            return std::nullopt;
        }
    }
    const auto magnitude = static_cast<std::uint32_t>(value);
    return static_cast<std::int32_t>(negative ? 0U - magnitude : magnitude);
}

// The digits after a hexadecimal prefix, or nothing when the text has no such prefix.
std::optional<std::string_view> HexDigitsAfterPrefix(std::string_view text) noexcept {
    if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X')) {
        return text.substr(1);
    }
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return text.substr(2);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::int32_t> ParseInteger(std::string_view text) noexcept {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (const auto hexDigits = HexDigitsAfterPrefix(text)) {
        const auto pattern = ParseHex(*hexDigits);
        if (!pattern) {
            return std::nullopt;
        }
        // Unsigned negation: -$80000000 stays the lowest value instead of overflowing.
        return static_cast<std::int32_t>(negative ? 0U - *pattern : *pattern);
    }
    return ParseDecimal(text, negative);
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t def) noexcept {
    return ParseInteger(text).value_or(def);
}

} // namespace mz

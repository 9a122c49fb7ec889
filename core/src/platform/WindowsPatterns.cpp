#include "mz/platform/Regional.h"

#include <string_view>
#include <vector>

namespace mz::platform {
namespace {

// One piece of a Windows date or time pattern: a run of one pattern letter, or a literal
// character (quoted text gives one literal per character).
struct Token {
    char letter = 0; // 0 for a literal
    std::size_t run = 0;
    char literal = 0;
};

bool IsPatternLetter(char c) noexcept {
    return std::string_view("dMygHhmst").find(c) != std::string_view::npos;
}

std::vector<Token> Tokens(std::string_view pattern) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '\'') {
            const auto close = pattern.find('\'', i + 1);
            const auto stop = close == std::string_view::npos ? pattern.size() : close;
            for (const char quoted : pattern.substr(i + 1, stop - i - 1)) {
                tokens.push_back({0, 0, quoted});
            }
            i = stop + 1;
            continue;
        }
        if (!IsPatternLetter(c)) {
            tokens.push_back({0, 0, c});
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < pattern.size() && pattern[end] == c) {
            ++end;
        }
        tokens.push_back({c, end - i, 0});
        i = end;
    }
    return tokens;
}

bool IsSeparatorCandidate(char c) noexcept {
    const auto byte = static_cast<unsigned char>(c);
    const bool alphanumeric =
        (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || byte >= 0x80;
    return c != ' ' && !alphanumeric;
}

// The short-date piece of a field; empty for fields a short date here cannot show (day
// names, eras). Month names become month numbers.
std::string_view DatePiece(const Token& token) noexcept {
    switch (token.letter) {
    case 'd':
        return token.run == 1 ? "d" : token.run == 2 ? "dd" : "";
    case 'M':
        return token.run == 1 ? "m" : "mm";
    case 'y':
        return token.run <= 2 ? "yy" : "yyyy";
    default:
        return {};
    }
}

// A literal as the short date pattern writes it: the date separator as "/"; letters, slashes
// and quotes, which the pattern would read as fields, separators or quoting, between quotes.
std::string DateLiteral(char c, char separator) {
    if (c == separator) {
        return "/";
    }
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!letter && c != '/' && c != '"' && c != '\'') {
        return std::string(1, c);
    }
    const char quote = c == '"' ? '\'' : '"';
    return std::string{quote, c, quote};
}

void ApplyDate(std::string_view shortDate, RegionalSettings& settings) {
    std::string format;
    char separator = 0;
    bool afterField = false;
    for (const Token& token : Tokens(shortDate)) {
        if (token.letter != 0) {
            const std::string_view piece = DatePiece(token);
            format += piece;
            afterField = afterField || !piece.empty();
            continue;
        }
        if (separator == 0 && afterField && IsSeparatorCandidate(token.literal)) {
            separator = token.literal;
        }
        format += DateLiteral(token.literal, separator);
    }
    if (format.find_first_of("dmy") == std::string::npos) {
        return; // nothing a short date can show: keep the fallback
    }
    settings.shortDateFormat = format;
    settings.dateSeparator = separator == 0 ? '/' : separator;
}

void ApplyTime(std::string_view timeFormat, RegionalSettings& settings) {
    bool sawHour = false;
    bool sawMarker = false;
    char separator = 0;
    for (const Token& token : Tokens(timeFormat)) {
        if (token.letter == 0) {
            if (sawHour && separator == 0 && IsSeparatorCandidate(token.literal)) {
                separator = token.literal;
            }
        } else if ((token.letter == 'h' || token.letter == 'H') && !sawHour) {
            sawHour = true;
            settings.twelveHourClock = token.letter == 'h';
            settings.hourLeadingZero = token.run >= 2;
        } else if (token.letter == 't') {
            sawMarker = true;
            settings.amPmFirst = !sawHour;
        }
    }
    if (separator != 0) {
        settings.timeSeparator = separator;
    }
    if (settings.twelveHourClock && !sawMarker) {
        settings.amText.clear(); // a twelve-hour pattern without "t" shows no marker
        settings.pmText.clear();
    }
}

} // namespace

RegionalSettings RegionalSettingsFromWindows(const WindowsLocaleItems& items) {
    RegionalSettings settings = FallbackRegionalSettings();
    if (!items.am.empty() || !items.pm.empty()) {
        settings.amText = items.am;
        settings.pmText = items.pm;
    }
    if (!items.shortDate.empty()) {
        ApplyDate(items.shortDate, settings);
    }
    if (!items.timeFormat.empty()) {
        settings.amPmFirst = false;
        ApplyTime(items.timeFormat, settings);
    }
    // Separators of more than one character cannot be stood for by one.
    if (items.thousand.size() <= 1) {
        settings.numbers.group = items.thousand.empty() ? '\0' : items.thousand.front();
    }
    if (items.decimal.size() == 1) {
        settings.numbers.decimal = items.decimal.front();
    }
    return settings;
}

} // namespace mz::platform

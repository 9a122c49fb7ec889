#include "mz/platform/Regional.h"

#include <string_view>
#include <vector>

namespace mz::platform {
namespace {

// One piece of a strftime pattern: a conversion with its padding flag, or a literal character.
struct Token {
    char conversion = 0; // 0 for a literal
    char pad = 0;        // '-' or '_' (no zero padding), '0' (zero padding), or 0
    char literal = 0;
};

std::string_view Expansion(char conversion) noexcept {
    switch (conversion) {
    case 'D':
    case 'x':
        return "%m/%d/%y";
    case 'F':
        return "%Y-%m-%d";
    case 'T':
    case 'X':
        return "%H:%M:%S";
    case 'R':
        return "%H:%M";
    case 'r':
        return "%I:%M:%S %p";
    default:
        return {};
    }
}

bool IsFlag(char c) noexcept {
    return c == '-' || c == '_' || c == '0' || c == '^' || c == '#';
}

void Tokenize(std::string_view pattern, std::vector<Token>& tokens, int depth = 0) {
    std::size_t i = 0;
    while (i < pattern.size()) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            tokens.push_back({0, 0, pattern[i++]});
            continue;
        }
        ++i;
        char pad = 0;
        while (i < pattern.size() && IsFlag(pattern[i])) {
            if (pattern[i] != '^' && pattern[i] != '#') {
                pad = pattern[i];
            }
            ++i;
        }
        while (i < pattern.size() && ((pattern[i] >= '0' && pattern[i] <= '9') ||
                                      pattern[i] == 'E' || pattern[i] == 'O')) {
            ++i;
        }
        if (i == pattern.size()) {
            break;
        }
        const char conversion = pattern[i++];
        if (conversion == '%') {
            tokens.push_back({0, 0, '%'});
        } else if (conversion == 'n' || conversion == 't') {
            tokens.push_back({0, 0, ' '});
        } else if (const auto expanded = Expansion(conversion); !expanded.empty() && depth == 0) {
            Tokenize(expanded, tokens, depth + 1);
        } else {
            tokens.push_back({conversion, pad, 0});
        }
    }
}

std::vector<Token> Tokens(std::string_view pattern) {
    std::vector<Token> tokens;
    Tokenize(pattern, tokens);
    return tokens;
}

bool IsSeparatorCandidate(char c) noexcept {
    const auto byte = static_cast<unsigned char>(c);
    const bool alphanumeric =
        (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || byte >= 0x80;
    return c != ' ' && !alphanumeric;
}

bool NoZero(char pad) noexcept {
    return pad == '-' || pad == '_';
}

// The short-date piece of a conversion, empty for conversions a short date cannot show.
std::string_view DatePiece(const Token& token) noexcept {
    switch (token.conversion) {
    case 'd':
        return NoZero(token.pad) ? "d" : "dd";
    case 'e':
        return token.pad == '0' ? "dd" : "d";
    case 'm':
    case 'b':
    case 'B':
    case 'h':
        return NoZero(token.pad) ? "m" : "mm";
    case 'y':
    case 'g':
        return "yy";
    case 'Y':
    case 'G':
        return "yyyy";
    default:
        return {};
    }
}

// A literal as the short date pattern writes it: the date separator as "/"; letters, slashes and
// quotes, which the pattern would read as fields, separators or quoting, between quotes.
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

void ApplyDate(const std::string& dFmt, RegionalSettings& settings) {
    std::string format;
    char separator = 0;
    bool afterField = false;
    for (const Token& token : Tokens(dFmt)) {
        if (token.conversion != 0) {
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
    if (format.find_first_of("dDmMyY") == std::string::npos) {
        return; // nothing a short date can show: keep the fallback
    }
    settings.shortDateFormat = format;
    settings.dateSeparator = separator == 0 ? '/' : separator;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

void ApplyTime(const std::string& tFmt, const std::string& amStr, const std::string& pmStr,
               RegionalSettings& settings) {
    bool sawHour = false;
    bool lowerMarker = false;
    char separator = 0;
    for (const Token& token : Tokens(tFmt)) {
        switch (token.conversion) {
        case 0:
            if (sawHour && separator == 0 && IsSeparatorCandidate(token.literal)) {
                separator = token.literal;
            }
            break;
        case 'H':
        case 'I':
            sawHour = true;
            settings.hourLeadingZero = !NoZero(token.pad);
            settings.twelveHourClock = settings.twelveHourClock || token.conversion == 'I';
            break;
        case 'k':
        case 'l':
            sawHour = true;
            settings.hourLeadingZero = token.pad == '0';
            settings.twelveHourClock = settings.twelveHourClock || token.conversion == 'l';
            break;
        case 'p':
        case 'P':
            settings.twelveHourClock = true;
            settings.amPmFirst = !sawHour;
            lowerMarker = token.conversion == 'P';
            break;
        default:
            break;
        }
    }
    if (separator != 0) {
        settings.timeSeparator = separator;
    }
    if (!amStr.empty() || !pmStr.empty()) {
        settings.amText = lowerMarker ? Lower(amStr) : amStr;
        settings.pmText = lowerMarker ? Lower(pmStr) : pmStr;
    }
}

} // namespace

RegionalSettings RegionalSettingsFromPosix(const std::string& dFmt, const std::string& tFmt,
                                           const std::string& amStr, const std::string& pmStr) {
    RegionalSettings settings = FallbackRegionalSettings();
    if (!dFmt.empty()) {
        ApplyDate(dFmt, settings);
    }
    if (!tFmt.empty()) {
        settings.twelveHourClock = false;
        settings.hourLeadingZero = false;
        ApplyTime(tFmt, amStr, pmStr, settings);
    }
    return settings;
}

} // namespace mz::platform

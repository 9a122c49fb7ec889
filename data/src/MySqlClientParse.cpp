#include "MySqlClient.h"

namespace mz {

namespace {

bool IsNameChar(char c) noexcept {
    const auto code = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           code >= 0x80;
}

// The position after the quoted text opened at start. Backslash escapes hold in texts, not in
// back-quoted names; a doubled quote stands for itself in both.
std::size_t SkipQuoted(const std::string& sql, std::size_t start) noexcept {
    const char quote = sql[start];
    std::size_t i = start + 1;
    while (i < sql.size()) {
        if (sql[i] == '\\' && quote != '`') {
            i += 2;
        } else if (sql[i] == quote) {
            if (i + 1 < sql.size() && sql[i + 1] == quote) {
                i += 2;
            } else {
                return i + 1;
            }
        } else {
            ++i;
        }
    }
    return sql.size();
}

// "-- " comments need a blank or control character after the dashes, as the server reads them.
bool StartsLineComment(const std::string& sql, std::size_t i) noexcept {
    if (sql[i] == '#') {
        return true;
    }
    return sql.compare(i, 2, "--") == 0 &&
           (i + 2 == sql.size() || static_cast<unsigned char>(sql[i + 2]) <= ' ');
}

std::size_t SkipLineComment(const std::string& sql, std::size_t start) noexcept {
    const auto end = sql.find('\n', start);
    return end == std::string::npos ? sql.size() : end + 1;
}

std::size_t SkipBlockComment(const std::string& sql, std::size_t start) noexcept {
    const auto end = sql.find("*/", start + 2);
    return end == std::string::npos ? sql.size() : end + 2;
}

// The end of the piece starting at i that is copied unchanged, or i when none starts there.
std::size_t SkipVerbatim(const std::string& sql, std::size_t i) noexcept {
    const char c = sql[i];
    if (c == '\'' || c == '"' || c == '`') {
        return SkipQuoted(sql, i);
    }
    if (StartsLineComment(sql, i)) {
        return SkipLineComment(sql, i);
    }
    if (sql.compare(i, 2, "/*") == 0) {
        return SkipBlockComment(sql, i);
    }
    if (sql.compare(i, 2, "::") == 0) {
        return i + 2;
    }
    return i;
}

} // namespace

NamedStatement ParseNamedParameters(const std::string& sql) {
    NamedStatement statement;
    statement.text.reserve(sql.size());
    std::size_t i = 0;
    while (i < sql.size()) {
        if (const auto end = SkipVerbatim(sql, i); end != i) {
            statement.text.append(sql, i, end - i);
            i = end;
            continue;
        }
        std::size_t nameEnd = i + 1;
        if (sql[i] == ':') {
            while (nameEnd < sql.size() && IsNameChar(sql[nameEnd])) {
                ++nameEnd;
            }
        }
        if (nameEnd > i + 1) {
            statement.names.push_back(sql.substr(i + 1, nameEnd - i - 1));
            statement.text += '?';
        } else {
            statement.text += sql[i];
        }
        i = nameEnd;
    }
    return statement;
}

} // namespace mz

#include "mz/IniFile.h"

#include "mz/Exception.h"
#include "mz/Integer.h"
#include "mz/Text.h"

#include <chrono>
#include <fmt/format.h>
#include <optional>
#include <vector>

namespace mz {
namespace {

constexpr std::size_t MaxValueLength = 2047;
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
// A file another program holds locked for a moment is tried again for about a second.
constexpr int ReadTries = 20;
constexpr std::chrono::milliseconds ReadRetryPause{50};
// Editors put one before the first line; it is no part of the first section's name.
constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

// One line of the file with the line end it had ("" for a last line without one).
struct Line {
    std::string text;
    std::string end;
};

std::vector<Line> SplitLines(std::string_view content) {
    std::vector<Line> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        const char c = content[i];
        if (c != '\r' && c != '\n') {
            continue;
        }
        const bool crLf = c == '\r' && i + 1 < content.size() && content[i + 1] == '\n';
        const std::size_t endLength = crLf ? 2 : 1;
        lines.push_back({std::string(content.substr(start, i - start)),
                         std::string(content.substr(i, endLength))});
        i += endLength - 1;
        start = i + 1;
    }
    if (start < content.size()) {
        lines.push_back({std::string(content.substr(start)), ""});
    }
    return lines;
}

std::string_view TrimBlanksAndTabs(std::string_view text) noexcept {
    const auto pos = text.find_first_not_of(" \t");
    if (pos == std::string_view::npos) {
        return {};
    }
    return text.substr(pos, text.find_last_not_of(" \t") - pos + 1);
}

// The name of the section a line opens: the text after "[" up to the last "]", without the
// blanks and tabs around it.
std::optional<std::string_view> SectionOf(std::string_view line) noexcept {
    line = TrimBlanksAndTabs(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    line.remove_prefix(1);
    const auto close = line.rfind(']');
    return TrimBlanksAndTabs(close == std::string_view::npos ? line : line.substr(0, close));
}

bool Missing(const platform::SystemError& error) noexcept {
    return error.Error().code == FileNotFound || error.Error().code == PathNotFound;
}

struct Content {
    std::string byteOrderMark; // kept apart, so the first line is matched without it
    std::string text;
};

Content Split(std::string bytes) {
    if (bytes.starts_with(Utf8ByteOrderMark)) {
        return {std::string(Utf8ByteOrderMark), bytes.substr(Utf8ByteOrderMark.size())};
    }
    return {"", std::move(bytes)};
}

struct Entry {
    std::string_view key;
    std::string_view value;
};

// A key=value line; lines without "=" hold no key.
std::optional<Entry> EntryOf(std::string_view line) noexcept {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    return Entry{TrimBlanksAndTabs(line.substr(0, equals)),
                 TrimBlanksAndTabs(line.substr(equals + 1))};
}

std::string_view Unquoted(std::string_view value) noexcept {
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return quoted ? value.substr(1, value.size() - 2) : value;
}

// The lines of a section: from the line after its header to the next header.
struct SectionRange {
    std::size_t header;
    std::size_t end;
};

std::optional<SectionRange> FindSection(const std::vector<Line>& lines, std::string_view name) {
    name = TrimBlanksAndTabs(name);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto section = SectionOf(lines[i].text);
        if (!section || !SameText(*section, name)) {
            continue;
        }
        std::size_t end = i + 1;
        while (end < lines.size() && !SectionOf(lines[end].text)) {
            ++end;
        }
        return SectionRange{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<Line>& lines, SectionRange range,
                                   std::string_view key) {
    key = TrimBlanksAndTabs(key);
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        const auto entry = EntryOf(lines[i].text);
        if (entry && SameText(entry->key, key)) {
            return i;
        }
    }
    return std::nullopt;
}

// Texts that would not read back as the same section, key and value.
bool Storable(std::string_view section, std::string_view key, std::string_view value) noexcept {
    const auto hasLineBreak = [](std::string_view text) {
        return text.find_first_of("\r\n") != std::string_view::npos;
    };
    const std::string_view trimmedKey = TrimBlanksAndTabs(key);
    return !hasLineBreak(section) && !hasLineBreak(key) && !hasLineBreak(value) &&
           !trimmedKey.empty() && trimmedKey.front() != '[' &&
           key.find('=') == std::string_view::npos;
}

void PlaceEntry(std::vector<Line>& lines, std::string_view section, std::string_view key,
                std::string_view value) {
    const std::string crLf = "\r\n";
    const auto range = FindSection(lines, section);
    if (!range) {
        if (!lines.empty() && lines.back().end.empty()) {
            lines.back().end = crLf;
        }
        lines.push_back({fmt::format("[{}]", TrimBlanksAndTabs(section)), crLf});
        lines.push_back({fmt::format("{}={}", key, value), crLf});
        return;
    }
    if (const auto index = FindKey(lines, *range, key)) {
        const std::string storedKey(EntryOf(lines[*index].text)->key);
        lines[*index] = {fmt::format("{}={}", storedKey, value), crLf};
        return;
    }
    std::size_t last = range->header;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (!TrimBlanksAndTabs(lines[i].text).empty()) {
            last = i;
        }
    }
    if (lines[last].end.empty()) {
        lines[last].end = crLf;
    }
    const auto at = lines.begin() + static_cast<std::ptrdiff_t>(last + 1);
    lines.insert(at, {fmt::format("{}={}", key, value), crLf});
}

} // namespace

TIniFile::TIniFile(std::string fileName, const platform::FileSystem& fs,
                   const platform::Sleeper& sleeper)
    : fileName_(std::move(fileName)), fs_(fs), sleeper_(sleeper) {}

std::optional<std::string> TIniFile::ReadContent() const {
    for (int attempt = 1;; ++attempt) {
        try {
            return platform::ReadWholeFile(fs_, fileName_, platform::MaxSettingsFileBytes);
        } catch (const platform::SystemError& error) {
            if (Missing(error)) {
                return std::nullopt;
            }
            if (attempt == ReadTries) {
                throw Exception(
                    platform::FileErrorMessage("Cannot open file", fileName_, error.Error()));
            }
        }
        sleeper_.Sleep(ReadRetryPause);
    }
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view def) const {
    const auto bytes = ReadContent();
    if (!bytes) {
        return std::string(def);
    }
    const auto lines = SplitLines(Split(*bytes).text);
    const auto range = FindSection(lines, section);
    if (!range) {
        return std::string(def);
    }
    const auto index = FindKey(lines, *range, key);
    if (!index) {
        return std::string(def);
    }
    const std::string_view value = Unquoted(EntryOf(lines[*index].text)->value);
    return std::string(value.substr(0, MaxValueLength));
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                                   std::int32_t def) const {
    std::string text = ReadString(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.replace(0, 2, "$");
    }
    return StrToIntDef(text, def);
}

void TIniFile::WriteString(std::string_view section, std::string_view key,
                           std::string_view value) const {
    const std::string failure = "Unable to write to " + fileName_;
    if (!Storable(section, key, value)) {
        throw Exception(failure);
    }
    try {
        std::string bytes;
        try {
            bytes = platform::ReadWholeFile(fs_, fileName_, platform::MaxSettingsFileBytes);
        } catch (const platform::SystemError& error) {
            if (!Missing(error)) {
                throw;
            }
        }
        const Content content = Split(std::move(bytes));
        auto lines = SplitLines(content.text);
        PlaceEntry(lines, section, TrimBlanksAndTabs(key), value);
        std::string output = content.byteOrderMark;
        for (const auto& line : lines) {
            output += line.text;
            output += line.end;
        }
        ReplaceContent(output);
    } catch (const platform::SystemError&) {
        throw Exception(failure);
    }
}

void TIniFile::ReplaceContent(std::string_view output) const {
    // Written beside the file and moved over it in one step: a full disk or a failed write
    // leaves the old file whole.
    const std::string temporary = fileName_ + ".new";
    try {
        auto file = fs_.Open(temporary, platform::OpenMode::CreateExclusive);
        file.Write(output);
        file.Close();
        fs_.ReplaceFileAtomically(temporary, fileName_);
    } catch (const platform::SystemError&) {
        fs_.DeleteFile(temporary);
        throw;
    }
}

} // namespace mz

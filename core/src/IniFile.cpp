#include "mz/IniFile.h"

#include "IniFileText.h"
#include "mz/Exception.h"
#include "mz/Integer.h"
#include "mz/Text.h"

#include <algorithm>
#include <chrono>
#include <fmt/format.h>
#include <optional>
#include <vector>

namespace mz {
namespace {

constexpr std::size_t MaxValueLength = 2047;
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int AccessDenied = 5;
constexpr int FileTooLarge = 223;
// The name a new content is written under before it replaces the file (the package's purge
// removes one left behind).
constexpr const char* TemporarySuffix = ".saving";
// A file another program holds locked for a moment is tried again for about a second.
constexpr int ReadTries = 20;
constexpr std::chrono::milliseconds ReadRetryPause{50};
// The characters Windows' reader takes for blanks around names and values: space, tab,
// vertical tab, form feed and ^Z (the old end-of-file mark some editors still append).
constexpr std::string_view Blanks = " \t\v\f\x1A";

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
    const auto pos = text.find_first_not_of(Blanks);
    if (pos == std::string_view::npos) {
        return {};
    }
    return text.substr(pos, text.find_last_not_of(Blanks) - pos + 1);
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

TIniValues TIniFile::Read() const {
    auto bytes = ReadContent();
    if (!bytes) {
        return TIniValues();
    }
    if (initext::EncodingOf(*bytes) == initext::Encoding::Ansi) {
        return TIniValues(std::move(*bytes));
    }
    return TIniValues(initext::ToCp1252(*bytes));
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view def) const {
    return Read().ReadString(section, key, def);
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                                   std::int32_t def) const {
    return Read().ReadInteger(section, key, def);
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
        // Edited in its own encoding, so that nothing of the other lines is lost.
        const initext::Encoding encoding = initext::EncodingOf(bytes);
        auto lines = SplitLines(initext::ToEditable(bytes, encoding));
        PlaceEntry(lines, initext::FromCp1252(section, encoding),
                   initext::FromCp1252(TrimBlanksAndTabs(key), encoding),
                   initext::FromCp1252(value, encoding));
        std::string text;
        for (const auto& line : lines) {
            text += line.text;
            text += line.end;
        }
        ReplaceContent(initext::ToFileBytes(text, encoding));
    } catch (const platform::SystemError&) {
        throw Exception(failure);
    }
}

namespace {

std::size_t LineEnd(std::string_view text, std::size_t pos) noexcept {
    while (pos < text.size() && text[pos] != '\r' && text[pos] != '\n') {
        ++pos;
    }
    return pos;
}

// Whether only blanks stand between the start of pos's line and pos.
bool FirstOnItsLine(std::string_view text, std::size_t pos) noexcept {
    for (; pos > 0; --pos) {
        const char before = text[pos - 1];
        if (before == '\r' || before == '\n') {
            return true;
        }
        if (Blanks.find(before) == std::string_view::npos) {
            return false;
        }
    }
    return true;
}

} // namespace

TIniValues::TIniValues(std::string cp1252Text) : text_(std::move(cp1252Text)) {
    // Section headers are lines whose first non-blank character is "[": found by looking
    // for that character alone, so long comments and values cost no more than a memchr.
    const std::string_view text = text_;
    for (std::size_t pos = text.find('['); pos != std::string_view::npos;
         pos = text.find('[', pos + 1)) {
        if (FirstOnItsLine(text, pos)) {
            headers_.push_back(pos);
        }
    }
}

std::optional<std::string_view> TIniValues::Find(std::string_view section,
                                                 std::string_view key) const {
    section = TrimBlanksAndTabs(section);
    key = TrimBlanksAndTabs(key);
    const std::string_view text = text_;
    // Only the first section of the name counts, and in it the first line of the key.
    for (std::size_t i = 0; i < headers_.size(); ++i) {
        std::size_t start = LineEnd(text, headers_[i]);
        if (!SameText(*SectionOf(text.substr(headers_[i], start - headers_[i])), section)) {
            continue;
        }
        const std::size_t sectionEnd = i + 1 < headers_.size() ? headers_[i + 1] : text.size();
        while (start < sectionEnd) {
            const std::size_t end = std::min(LineEnd(text, start), sectionEnd);
            const auto entry = EntryOf(text.substr(start, end - start));
            if (entry && SameText(entry->key, key)) {
                return entry->value;
            }
            start = end + 1;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::string TIniValues::ReadString(std::string_view section, std::string_view key,
                                   std::string_view def) const {
    const auto found = Find(section, key);
    if (!found) {
        return std::string(def);
    }
    std::string_view value = Unquoted(*found);
    // Windows hands values on as C strings: a NUL ends them.
    value = value.substr(0, value.find('\0'));
    return std::string(value.substr(0, MaxValueLength));
}

std::int32_t TIniValues::ReadInteger(std::string_view section, std::string_view key,
                                     std::int32_t def) const {
    std::string text = ReadString(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.replace(0, 2, "$");
    }
    return StrToIntDef(text, def);
}

void TIniFile::ReplaceContent(std::string_view output) const {
    // What could not be read back is not written.
    if (output.size() > platform::MaxSettingsFileBytes) {
        throw platform::SystemError({FileTooLarge, platform::ErrorText(FileTooLarge)});
    }
    // A link stays a link: its target is the file written.
    const std::string target = fs_.LinkTarget(fileName_);
    if (!fs_.MayWrite(target)) {
        throw platform::SystemError({AccessDenied, platform::ErrorText(AccessDenied)});
    }
    // Written beside the file and moved over it in one step, so a full disk or a failed write
    // leaves the old file whole. Where nothing can be created beside it (a protected folder,
    // something else at the temporary name), the file itself is rewritten.
    const std::string temporary = target + TemporarySuffix;
    fs_.DeleteFile(temporary); // a file of ours, left by an interrupted Save
    platform::File file;
    try {
        file = fs_.Open(temporary, platform::OpenMode::CreateExclusive);
    } catch (const platform::SystemError&) {
        auto inPlace = fs_.Open(target, platform::OpenMode::CreateExclusive);
        inPlace.Write(output);
        inPlace.Close();
        return;
    }
    try {
        file.Write(output);
        file.Close();
        fs_.ReplaceFileAtomically(temporary, target);
    } catch (const platform::SystemError&) {
        fs_.DeleteFile(temporary);
        throw;
    }
}

} // namespace mz

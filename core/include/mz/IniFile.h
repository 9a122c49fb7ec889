#pragma once

#include "mz/platform/FileSystem.h"
#include "mz/platform/System.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mz {

// The values of a settings file as one read found them, so that every value of one use of
// the file comes from that one read. Reads as TIniFile describes.
class TIniValues {
public:
    TIniValues() = default; // a missing file: every key is missing
    explicit TIniValues(std::string cp1252Text);

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t def) const;

private:
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

    std::string text_;
    std::vector<std::size_t> headers_; // where the "[" of each section header stands
};

// A settings file (sections of key=value lines), opened by full path. Every read and write
// goes to the file at that moment; nothing is cached. A missing file reads as if every key
// were missing; a file that is there but cannot be read (held locked by another program, not
// a regular file, larger than MaxSettingsFileBytes) is tried again for about a second and then
// raises Exception "Cannot open file "<fileName>". <system text>". Section and key names match
// without regard to case and to the blanks around them. As Windows reads such files: a file
// that begins with a byte-order mark is UTF-8 or UTF-16 (little or big endian) and reads as
// Windows-1252, characters it lacks as '?'; blanks are space, tab, vertical tab, form feed
// and ^Z; a value ends at a NUL. A written file keeps its encoding and its mark.
class TIniFile {
public:
    TIniFile(std::string fileName, const platform::FileSystem& fs,
             const platform::Sleeper& sleeper);

    const std::string& FileName() const noexcept { return fileName_; }

    // One read of the whole file.
    TIniValues Read() const;

    // The value with blanks and tabs around it dropped and one pair of matching quotes
    // enclosing it removed, cut to 2047 characters; def only for a missing section or key.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    // The value read as text, "0x"/"0X" turned into "$" when longer than two characters,
    // then read by StrToIntDef.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t def) const;
    // Creates or replaces the key; creates the section and the file when missing. Every other
    // line is kept as it was; lines end with CR LF. Raises Exception
    // "Unable to write to <fileName>" on failure, and also, leaving the file as it was, for
    // texts that would not read back as written (a line break anywhere, "=" in the key, an
    // empty key or one beginning with "["). A replaced key keeps the name as the file spells it;
    // a new key goes after the last non-blank line of its section; a new section goes at the
    // end of the file. The new content goes to "<file>.saving" beside the file and replaces it
    // in one step, so a failure leaves the file as it was; where only the folder is protected
    // the file is rewritten in place. A link is written through to its target. Also raises
    // "Unable to write to" when the user may not write the file itself, and when the content
    // would pass MaxSettingsFileBytes.
    void WriteString(std::string_view section, std::string_view key, std::string_view value) const;

private:
    std::optional<std::string> ReadContent() const; // nullopt: no file
    void ReplaceContent(std::string_view output) const;

    std::string fileName_;
    const platform::FileSystem& fs_;
    const platform::Sleeper& sleeper_;
};

} // namespace mz

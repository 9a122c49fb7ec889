// Random settings files of the grammar Windows' reader knows (sections, keys, comments, blanks
// of every kind, quotes, the three line ends, Windows-1252 letters, UTF-8 and UTF-16 files with
// their marks), each asked a few questions by TIniFile and by GetPrivateProfileStringA.
#include "IniFileEncodings.h"
#include "TestFiles.h"
#include "mz/IniFile.h"
#include "mz/Text.h"

#include <array>
#include <fmt/format.h>
#include <gtest/gtest.h>
#include <random>
#include <windows.h>

namespace mz {
namespace {

constexpr int Files = 400;
constexpr int QueriesPerFile = 8;
constexpr const char* Default = "<default>";

const std::array<const char*, 5> SectionNames = {"ip", "zelnor", "IP", "Zelnor", "s"};
const std::array<const char*, 6> KeyNames = {"local", "tempo", "LOCAL", "k", "Tempo", "envio"};
const std::array<const char*, 5> Blanks = {" ", "\t", "\v", "\f", "\x1A"};
const std::array<const char*, 3> LineEnds = {"\r\n", "\n", "\r"};
// Value characters: letters, digits, blanks, quotes, the grammar's own marks, and
// Windows-1252 letters and signs (0x80 the euro sign, 0x81 one of the five unassigned bytes).
constexpr std::string_view ValueCharacters = "aZ09 \t\v\f\x1A\"'=;[]\\\xE1\xE7\xC7\x80\x81\xFF";

enum class Form { Ansi, Utf8, Utf16Le, Utf16Be };

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    template <typename T, std::size_t N> const T& Pick(const std::array<T, N>& items) {
        return items[static_cast<std::size_t>(Below(static_cast<int>(N)))];
    }
    std::string SomeBlanks() {
        std::string out;
        for (int n = Below(3); n > 0; --n) {
            out += Pick(Blanks);
        }
        return out;
    }
    std::string Value() {
        std::string out;
        for (int n = Below(8); n > 0; --n) {
            out += ValueCharacters[static_cast<std::size_t>(
                Below(static_cast<int>(ValueCharacters.size())))];
        }
        if (Below(4) == 0) {
            const char quote = Below(2) == 0 ? '"' : '\'';
            out = quote + out + (Below(4) == 0 ? '\'' : quote);
        }
        return out;
    }
    std::string Line() {
        switch (Below(8)) {
        case 0:
            return SomeBlanks() + "[" + SomeBlanks() + Pick(SectionNames) + SomeBlanks() + "]" +
                   (Below(3) == 0 ? " ; note" : "") + SomeBlanks();
        case 1:
            return ";" + std::string(Pick(KeyNames)) + "=old";
        case 2:
            return SomeBlanks();
        case 3:
            return "no equals " + std::string(Pick(KeyNames));
        default:
            return SomeBlanks() + Pick(KeyNames) + SomeBlanks() + "=" + Value();
        }
    }
    std::string Text() {
        std::string out;
        for (int n = Below(12); n > 0; --n) {
            out += Line() + Pick(LineEnds);
        }
        if (Below(3) == 0) {
            out += Line(); // a last line without its end
        }
        return out;
    }

private:
    std::mt19937 random_;
};

// A character beyond Windows-1252 (no best-fit form either), or a malformed byte.
std::string Stray(Form form) {
    switch (form) {
    case Form::Utf8:
        return "\xE4\xB8\xAD\xE1"; // U+4E2D, then a lead byte without its sequence
    case Form::Utf16Le:
        return test::Utf16LeUnit(0x4E2D);
    case Form::Utf16Be:
        return "\x4E\x2D";
    case Form::Ansi:
        break;
    }
    return "";
}

// The file's bytes: the Windows-1252 text in the chosen form, with a stray character after
// the first "=" now and then.
std::string Encode(const std::string& text, Form form, bool stray) {
    if (form == Form::Ansi) {
        return text;
    }
    std::string utf8 = Cp1252ToUtf8(text);
    std::string extra = stray ? Stray(form) : "";
    if (form == Form::Utf8) {
        if (const auto equals = utf8.find('='); equals != std::string::npos) {
            utf8.insert(equals + 1, extra);
        }
        return std::string(test::Utf8Mark) + utf8;
    }
    const bool bigEndian = form == Form::Utf16Be;
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    bool strayPlaced = extra.empty();
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
        char32_t cp = length == 1 ? lead : lead & (length == 2 ? 0x1F : 0x0F);
        for (std::size_t k = 1; k < length; ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += length;
        const auto high = static_cast<char>(cp >> 8);
        const auto low = static_cast<char>(cp & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
        if (!strayPlaced && cp == '=') {
            out += extra;
            strayPlaced = true;
        }
    }
    return out;
}

std::string Hex(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        out += fmt::format("{:02X} ", static_cast<unsigned char>(c));
    }
    return out;
}

TEST(AgainstWindowsAtRandom, ThousandsOfQueriesReadAlike) {
    const test::TempDir dir;
    Generator generate(20261210);
    int mismatches = 0;
    for (int file = 0; file < Files && mismatches < 5; ++file) {
        const auto form = static_cast<Form>(generate.Below(4));
        const std::string bytes = Encode(generate.Text(), form, generate.Below(3) == 0);
        // A new name for each file: Windows' reader keeps recently read files.
        const std::string path = dir.WriteFile(fmt::format("random{}.ini", file), bytes);
        const TIniValues values =
            TIniFile(path, platform::SystemFileSystem(), platform::SystemSleeper()).Read();
        for (int query = 0; query < QueriesPerFile; ++query) {
            const std::string section = generate.Pick(SectionNames);
            const std::string key = generate.Pick(KeyNames);
            std::array<char, 2048> buffer{};
            const DWORD length =
                ::GetPrivateProfileStringA(section.c_str(), key.c_str(), Default, buffer.data(),
                                           static_cast<DWORD>(buffer.size()), path.c_str());
            const std::string windows(buffer.data(), length);
            const std::string ours = values.ReadString(section, key, Default);
            if (ours != windows) {
                ++mismatches;
                ADD_FAILURE() << "[" << section << "] " << key << " in file " << Hex(bytes)
                              << "\n  Windows: " << Hex(windows) << "\n  TIniFile: " << Hex(ours);
            }
        }
    }
}

} // namespace
} // namespace mz

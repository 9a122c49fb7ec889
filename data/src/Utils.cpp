#include "mz/data/Utils.h"

#include "mz/Exception.h"
#include "mz/Integer.h"
#include "mz/Text.h"

#include <fmt/format.h>
#include <random>
#include <string>

namespace mz {

namespace {

// Walks the key's characters in order, wrapping from the last back to the first.
class KeyWalk {
public:
    explicit KeyWalk(std::string_view key) : key_(key) {}

    unsigned Next() noexcept {
        const auto code = static_cast<unsigned char>(key_[position_]);
        position_ = (position_ + 1) % key_.size();
        return code;
    }

private:
    std::string_view key_;
    std::size_t position_ = 0;
};

// digits is one or two characters, read as a "$" hexadecimal integer; no digit at all is a
// conversion error as well.
unsigned ReadHex(std::string_view digits) {
    const std::string text = fmt::format("${}", digits);
    const auto value = ParseInteger(text);
    if (!value) {
        throw Exception(fmt::format("'{}' is not a valid integer value", text));
    }
    return static_cast<unsigned>(*value);
}

unsigned RandomStartValue() {
    // A fresh draw at every encipherment, so equal passwords give different texts.
    std::random_device device;
    return std::uniform_int_distribution<unsigned>(0, 255)(device);
}

std::string Encipher(std::string_view text, KeyWalk keys) {
    unsigned previous = RandomStartValue();
    std::string result = fmt::format("{:02X}", previous);
    for (const char c : text) {
        const unsigned code = static_cast<unsigned char>(c);
        const unsigned value = ((previous + code) % 255) ^ keys.Next();
        result += fmt::format("{:02X}", value);
        previous = value;
    }
    return result;
}

std::string Decipher(std::string_view text, KeyWalk keys) {
    unsigned previous = ReadHex(text.substr(0, 2));
    if (text.size() <= 2) {
        return {};
    }
    std::string result;
    // Pairs from the third character on; a final lone digit counts only as the third character.
    std::size_t i = 2;
    do {
        const unsigned value = ReadHex(text.substr(i, 2));
        const unsigned mixed = value ^ keys.Next();
        const unsigned code = previous < mixed ? mixed - previous : mixed + 255 - previous;
        result += static_cast<char>(code);
        previous = value;
        i += 2;
    } while (i + 1 < text.size());
    return result;
}

} // namespace

std::string Cipher(std::string_view mode, std::string_view text, std::string_view key) {
    if (mode != "E" && mode != "D") {
        return {};
    }
    // With no key character there is nothing to mix in; refusing beats a silent plain copy.
    if (key.empty()) {
        throw Exception("Chave de cifra vazia.");
    }
    return mode == "E" ? Encipher(text, KeyWalk(key)) : Decipher(text, KeyWalk(key));
}

std::string DecipherPassword(std::string_view text, std::string_view key) {
    if (Trim(text).empty()) {
        return {};
    }
    return Cipher("D", text, key);
}

} // namespace mz

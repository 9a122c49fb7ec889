#pragma once

#include <string>
#include <string_view>

namespace mz {

// Mode "E" enciphers text with key, mode "D" deciphers it (modes compared exactly); any other
// mode gives the empty text. Deciphering raises Exception "'$<chars>' is not a valid integer
// value" for characters that are not hexadecimal digits.
std::string Cipher(std::string_view mode, std::string_view text, std::string_view key);

// The deciphered password, or the empty text when text is blank.
std::string DecipherPassword(std::string_view text, std::string_view key);

} // namespace mz

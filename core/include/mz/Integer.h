#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace mz {

// Reads an integer the way settings values and the interval field are read: leading blanks
// skipped; one optional "-" or "+"; then a hexadecimal number introduced by "$", "x", "X",
// "0x" or "0X" (at least one digit, fitting in 32 bits, taken as a 32-bit pattern, negated
// by a minus sign) or decimal digits within the signed 32-bit range. Anything else is no
// integer.
std::optional<std::int32_t> ParseInteger(std::string_view text) noexcept;

// ParseInteger, or def when the text is no integer.
std::int32_t StrToIntDef(std::string_view text, std::int32_t def) noexcept;

} // namespace mz

#include "RegionalNumbers.h"

#include "mz/Text.h"

#include <clocale>
#include <string>

namespace mz {

namespace {

// A separator the program can compare byte for byte: one Windows-1252 character, or none.
char SingleCharacter(const char* utf8) {
    if (utf8 == nullptr) {
        return '\0';
    }
    const std::string text = Utf8ToCp1252(utf8);
    return text.size() == 1 ? text.front() : '\0';
}

} // namespace

NumberSeparators CurrentNumberSeparators() {
    // The locale comes from the environment: QApplication calls setlocale(LC_ALL, "").
    const std::lconv* conv = std::localeconv();
    if (conv == nullptr) {
        return {};
    }
    const char decimal = SingleCharacter(conv->decimal_point);
    return {.group = SingleCharacter(conv->thousands_sep), .decimal = decimal ? decimal : '.'};
}

} // namespace mz

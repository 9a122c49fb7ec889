#include "mz/Text.h"

#include <gtest/gtest.h>

namespace mz {
namespace {

TEST(Cp1252, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int c = 0; c < 256; ++c) {
        all += static_cast<char>(c);
    }
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

struct Conversion {
    std::string cp1252;
    std::string utf8;
};

void PrintTo(const Conversion& c, std::ostream* out) {
    *out << c.utf8.size() << "-byte UTF-8";
}

class Cp1252Mapping : public testing::TestWithParam<Conversion> {};

TEST_P(Cp1252Mapping, ConvertsBothWays) {
    EXPECT_EQ(Cp1252ToUtf8(GetParam().cp1252), GetParam().utf8);
    EXPECT_EQ(Utf8ToCp1252(GetParam().utf8), GetParam().cp1252);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Cp1252Mapping,
    testing::Values(Conversion{"abc", "abc"}, Conversion{"n\xE3o", "n\xC3\xA3o"},
                    Conversion{"\x80", "\xE2\x82\xAC"},         // euro sign
                    Conversion{"\x8A\x9A", "\xC5\xA0\xC5\xA1"}, // S and s caron
                    Conversion{"\x93\x94", "\xE2\x80\x9C\xE2\x80\x9D"},
                    Conversion{"\x9F", "\xC5\xB8"}, // Y diaeresis
                    Conversion{"\x81", "\xC2\x81"}, // unassigned: the C1 control
                    Conversion{"\xA0\xFF", "\xC2\xA0\xC3\xBF"}));

TEST(Utf8ToCp1252, CharactersWithoutAFormBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD|\xF0\x9F\x98\x80|\xC2\x80"), "?|?|?");
}

TEST(Utf8ToCp1252, MalformedBytesKeepTheirValue) {
    EXPECT_EQ(Utf8ToCp1252("a\xE9z"), "a\xE9z");             // lone Latin-1 byte
    EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "\xC0\xAF");         // overlong form
    EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "\xED\xA0\x80"); // surrogate
    EXPECT_EQ(Utf8ToCp1252("\xC3"), "\xC3");                 // cut short
}

TEST(SameText, IgnoresCaseOfWindows1252Letters) {
    EXPECT_TRUE(SameText("MONITOR", "monitor"));
    EXPECT_TRUE(SameText("Configura\xE7\xE3o", "CONFIGURA\xC7\xC3O"));
    EXPECT_TRUE(SameText("\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F"));
    EXPECT_FALSE(SameText("intervalo", "intervalos"));
    EXPECT_FALSE(SameText("\xF7", "\xD7")); // division and multiplication signs are no letters
    EXPECT_EQ(UpperCase('\xDF'), '\xDF');   // sharp s has no single upper-case letter
}

TEST(Trim, DropsControlCharactersAndBlanksAtBothEnds) {
    EXPECT_EQ(Trim(" \t\r\n a b \x01"), "a b");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0"); // no-break space is above 32
}

} // namespace
} // namespace mz

#include "mz/Exception.h"
#include "mz/data/Utils.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <ostream>
#include <set>
#include <string>

namespace mz {
namespace {

constexpr const char* Key = "KWD";

bool IsUpperHex(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F');
    });
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return text;
}

std::string AllCodesFrom1To254() {
    std::string text;
    for (int code = 1; code <= 254; ++code) {
        text += static_cast<char>(code);
    }
    return text;
}

TEST(Cipher, EverySingleCodeFrom1To254ComesBack) {
    for (int code = 1; code <= 254; ++code) {
        const std::string plain(1, static_cast<char>(code));
        const std::string enciphered = Cipher("E", plain, Key);
        ASSERT_EQ(enciphered.size(), 4u) << code;
        ASSERT_TRUE(IsUpperHex(enciphered)) << enciphered;
        ASSERT_EQ(Cipher("D", enciphered, Key), plain) << code;
    }
}

struct KeyCase {
    const char* label;
    std::string key;
};
void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.label;
}

class CipherRoundTrip : public ::testing::TestWithParam<KeyCase> {};

TEST_P(CipherRoundTrip, LongTextWithAnyKeyLength) {
    const std::string& key = GetParam().key;
    const std::string plain = AllCodesFrom1To254();
    const std::string enciphered = Cipher("E", plain, key);
    EXPECT_EQ(enciphered.size(), 2 + 2 * plain.size());
    EXPECT_TRUE(IsUpperHex(enciphered));
    EXPECT_EQ(Cipher("D", enciphered, key), plain);
    EXPECT_EQ(Cipher("D", Lower(enciphered), key), plain);
}

INSTANTIATE_TEST_SUITE_P(Keys, CipherRoundTrip,
                         ::testing::Values(KeyCase{"Fixed", "KWD"}, KeyCase{"OneChar", "k"},
                                           KeyCase{"HighBytes", "\xFF\x80"},
                                           KeyCase{"LongerThanText", std::string(300, '\x80')}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(Cipher, StartValueIsDrawnAfreshEachTime) {
    std::set<std::string> startValues;
    for (int i = 0; i < 64; ++i) {
        startValues.insert(Cipher("E", "senha", Key).substr(0, 2));
    }
    EXPECT_GT(startValues.size(), 1u);
}

TEST(Cipher, EmptyTextEnciphersToStartValueOnly) {
    const std::string enciphered = Cipher("E", "", Key);
    ASSERT_EQ(enciphered.size(), 2u);
    EXPECT_TRUE(IsUpperHex(enciphered));
    EXPECT_EQ(Cipher("D", enciphered, Key), "");
}

TEST(Cipher, CodesZeroAnd255ShareTheirCipherValue) {
    for (const std::string& plain : {std::string(1, '\0'), std::string(1, '\xFF')}) {
        const std::string enciphered = Cipher("E", plain, Key);
        const std::string expected(1, enciphered.starts_with("FF") ? '\0' : '\xFF');
        EXPECT_EQ(Cipher("D", enciphered, Key), expected) << enciphered;
    }
}

struct DecipherCase {
    const char* label;
    std::string text;
    std::string key;
    std::string expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const DecipherCase& c, std::ostream* os) {
    *os << c.label;
}

class Decipher : public ::testing::TestWithParam<DecipherCase> {};

TEST_P(Decipher, GivesPlainText) {
    const DecipherCase& c = GetParam();
    EXPECT_EQ(Cipher("D", c.text, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cipher, Decipher,
    ::testing::Values(DecipherCase{"DefaultPassword", "7B02E95C1A44D0F3B816", "KWD",
                                   "\xCD\xBC.\xF4\xF8P\xE7\xFB\x99"},
                      DecipherCase{"DefaultPasswordLowerCase", "7b02e95c1a44d0f3b816", "KWD",
                                   "\xCD\xBC.\xF4\xF8P\xE7\xFB\x99"},
                      DecipherCase{"ZeroOr255AfterStartBelow255", "105B", "KWD", "\xFF"},
                      DecipherCase{"ZeroOr255AfterStart255", "FF4B", "KWD", std::string(1, '\0')},
                      DecipherCase{"KeyWrapsAround", "00400042", "AB", "\x01\x02\x03"},
                      DecipherCase{"OneCharacter", "1", "KWD", ""},
                      DecipherCase{"StartValueOnly", "10", "KWD", ""},
                      DecipherCase{"ThirdCharacterIsOneDigitValue", "105", "KWD", ">"},
                      DecipherCase{"FinalLoneDigitIgnored", "105B7", "KWD", "\xFF"},
                      DecipherCase{"FinalLoneNonDigitIgnored", "105BZ", "KWD", "\xFF"}),
    [](const auto& info) { return std::string(info.param.label); });

struct ConversionCase {
    const char* label;
    std::string text;
    std::string message;
};

void PrintTo(const ConversionCase& c, std::ostream* os) {
    *os << c.label;
}

class DecipherConversionError : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(DecipherConversionError, NamesTheCharactersRead) {
    const ConversionCase& c = GetParam();
    try {
        (void)Cipher("D", c.text, Key);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cipher, DecipherConversionError,
    ::testing::Values(ConversionCase{"StartValue", "7G02", "'$7G' is not a valid integer value"},
                      ConversionCase{"Empty", "", "'$' is not a valid integer value"},
                      ConversionCase{"LoneNonDigit", "G", "'$G' is not a valid integer value"},
                      ConversionCase{"LaterPair", "1002ZZ", "'$ZZ' is not a valid integer value"},
                      ConversionCase{"ThirdCharacterAlone", "10x",
                                     "'$x' is not a valid integer value"},
                      ConversionCase{"Blank", "10 1", "'$ 1' is not a valid integer value"},
                      ConversionCase{"Sign", "10-1", "'$-1' is not a valid integer value"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Cipher, OtherModesGiveEmptyText) {
    for (const char* mode : {"e", "d", "X", "", "EE", "D "}) {
        EXPECT_EQ(Cipher(mode, "105B", Key), "") << mode;
    }
}

TEST(Cipher, EmptyKeyIsRefused) {
    for (const char* mode : {"E", "D"}) {
        try {
            (void)Cipher(mode, "105B", "");
            ADD_FAILURE() << mode;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "Chave de cifra vazia.");
        }
    }
    EXPECT_EQ(Cipher("X", "105B", ""), "");
}

struct PasswordCase {
    const char* label;
    std::string text;
    std::string expected;
};

void PrintTo(const PasswordCase& c, std::ostream* os) {
    *os << c.label;
}

class Password : public ::testing::TestWithParam<PasswordCase> {};

TEST_P(Password, BlankGivesEmptyElseDeciphers) {
    const PasswordCase& c = GetParam();
    EXPECT_EQ(DecipherPassword(c.text, Key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(DecipherPassword, Password,
                         ::testing::Values(PasswordCase{"Empty", "", ""},
                                           PasswordCase{"ControlsAndBlanks",
                                                        std::string(" \t\r\n\x01\x1F ", 7), ""},
                                           PasswordCase{"NulOnly", std::string(1, '\0'), ""},
                                           PasswordCase{"StartValueOnly", "10", ""},
                                           PasswordCase{"Default", "7B02E95C1A44D0F3B816",
                                                        "\xCD\xBC.\xF4\xF8P\xE7\xFB\x99"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(DecipherPassword, PassesTextUnshortened) {
    try {
        (void)DecipherPassword(" 105B ", Key);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "'$ 1' is not a valid integer value");
    }
}

} // namespace
} // namespace mz

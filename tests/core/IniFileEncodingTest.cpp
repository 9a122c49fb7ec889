// Settings files as Windows reads them: UTF-8 and UTF-16 files behind their byte-order mark,
// and the characters Windows takes for blanks. The same classes are compared with Windows'
// own reader in IniFileReferenceWinTest.cpp.
#include "IniFileEncodings.h"
#include "TestCases.h"
#include "TestClock.h"
#include "TestFiles.h"
#include "mz/IniFile.h"

#include <gtest/gtest.h>

namespace mz {
namespace {

using test::PrintTo;
using test::Utf16Be;
using test::Utf16Le;
using test::Utf16LeUnit;
using test::Utf8Mark;

struct EncodedCase {
    const char* title;
    std::string content;
    std::string section;
    std::string key;
    std::string expected; // read with the default "<def>"
};

class IniReadEncoded : public testing::TestWithParam<EncodedCase> {
protected:
    test::TempDir dir;
};

TEST_P(IniReadEncoded, ReadsWhatWindowsReads) {
    const std::string path = dir.File("sistema_tervo.ini");
    test::WriteBytes(path, GetParam().content);
    const TIniFile ini(path, platform::SystemFileSystem(), test::NoSleeper());
    EXPECT_EQ(ini.ReadString(GetParam().section, GetParam().key, "<def>"), GetParam().expected);
}

const std::string Branch = "[FilialMatriz]\r\nCodLogica=5\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, IniReadEncoded,
    testing::Values(
        EncodedCase{"Utf16LittleEndian", Utf16Le(Branch), "FilialMatriz", "CodLogica", "5"},
        EncodedCase{"Utf16BigEndian", Utf16Be(Branch), "FilialMatriz", "CodLogica", "5"},
        EncodedCase{"Utf16Latin1Letter",
                    Utf16Le("[s]\r\nk=Farm\xE1"
                            "cia\r\n"),
                    "s", "k",
                    "Farm\xE1"
                    "cia"},
        EncodedCase{"Utf16EuroSign",
                    Utf16Le("[s]\r\nk=") + Utf16LeUnit(0x20AC) + Utf16Le("\r\n").substr(2), "s",
                    "k", "\x80"},
        EncodedCase{"Utf16OutsideWindows1252",
                    Utf16Le("[s]\r\nk=a") + Utf16LeUnit(0x4E2D) + Utf16Le("b\r\n").substr(2), "s",
                    "k", "a?b"},
        EncodedCase{"Utf16LoneSurrogate",
                    Utf16Le("[s]\r\nk=a") + Utf16LeUnit(0xD800) + Utf16Le("b\r\n").substr(2), "s",
                    "k", "a?b"},
        EncodedCase{"Utf16OddLastByte", Utf16Le(Branch) + "A", "FilialMatriz", "CodLogica", "5"},
        EncodedCase{"Utf16WithoutMarkIsNotUtf16", Utf16Le(Branch).substr(2), "FilialMatriz",
                    "CodLogica", "<def>"},
        EncodedCase{"Utf16MarkOnly", "\xFF\xFE", "s", "k", "<def>"},
        EncodedCase{"Utf8Decoded",
                    std::string(Utf8Mark) + "[s]\r\nk=C:\\Farm\xC3\xA1"
                                            "cia\\\r\n",
                    "s", "k",
                    "C:\\Farm\xE1"
                    "cia\\"},
        EncodedCase{"Utf8WithoutMarkStaysBytes", "[s]\r\nk=\xC3\xA1\r\n", "s", "k", "\xC3\xA1"},
        EncodedCase{"Utf8MalformedByte", std::string(Utf8Mark) + "[s]\r\nk=a\xE1z\r\n", "s", "k",
                    "a?z"},
        EncodedCase{"Utf8CutSequence", std::string(Utf8Mark) + "[s]\r\nk=a\xE2\x82z\r\n", "s", "k",
                    "a?z"},
        EncodedCase{"Utf8BeyondTheBasicPlane",
                    std::string(Utf8Mark) + "[s]\r\nk=a\xF0\x9F\x98\x80z\r\n", "s", "k", "a??z"},
        EncodedCase{"ControlZAfterTheLastValue", "[FilialMatriz]\r\nCodLogica=5\x1A",
                    "FilialMatriz", "CodLogica", "5"},
        EncodedCase{"VerticalTabAndFormFeedAreBlanks", "[s]\r\n\vk\f=\f x\v\r\n", "s", "k", "x"},
        EncodedCase{"BlanksAroundTheSection", "\x1A[s]\f\r\nk=1\r\n", "s", "k", "1"},
        EncodedCase{"NulEndsTheValue", std::string("[s]\r\nk=a\0b\r\nj=2\r\n", 18), "s", "k", "a"},
        EncodedCase{"LinesAfterANulStillRead", std::string("[s]\r\nk=a\0b\r\nj=2\r\n", 18), "s",
                    "j", "2"}),
    test::ByTitle);

TEST(IniReadEncoded, IntegerAfterControlZ) {
    const test::TempDir dir;
    const std::string path =
        dir.WriteFile("sistema_tervo.ini", "[FilialMatriz]\r\nCodLogica=5\x1A");
    EXPECT_EQ(TIniFile(path, platform::SystemFileSystem(), test::NoSleeper())
                  .ReadInteger("FilialMatriz", "CodLogica", 2),
              5);
}

struct RewriteCase {
    const char* title;
    std::string before;
    std::string after; // intervalo written as 10
};

class IniWriteEncoded : public testing::TestWithParam<RewriteCase> {
protected:
    test::TempDir dir;
};

TEST_P(IniWriteEncoded, KeepsTheEncodingAndEveryOtherCharacter) {
    const std::string path = dir.WriteFile("monitor_zelnor.ini", GetParam().before);
    const TIniFile ini(path, platform::SystemFileSystem(), test::NoSleeper());
    ini.WriteString("MONITOR", "intervalo", "10");
    EXPECT_EQ(test::ReadBytes(path), GetParam().after);
    EXPECT_EQ(ini.ReadInteger("MONITOR", "intervalo", 0), 10);
}

const std::string Chinese = Utf16LeUnit(0x4E2D);
const std::string Crlf = Utf16Le("\r\n").substr(2);

INSTANTIATE_TEST_SUITE_P(
    Table, IniWriteEncoded,
    testing::Values(
        RewriteCase{
            "Utf16LittleEndian",
            Utf16Le("; ") + Chinese + Crlf + Utf16Le("[MONITOR]\r\nintervalo=5\r\n").substr(2),
            Utf16Le("; ") + Chinese + Crlf + Utf16Le("[MONITOR]\r\nintervalo=10\r\n").substr(2)},
        RewriteCase{"Utf16BigEndianNewSection", Utf16Be("[a]\r\nx=\xE1\r\n"),
                    Utf16Be("[a]\r\nx=\xE1\r\n[MONITOR]\r\nintervalo=10\r\n")},
        RewriteCase{
            "Utf8WithMark",
            std::string(Utf8Mark) + "; \xE4\xB8\xAD \xC3\xA1\r\n[MONITOR]\r\nintervalo=5\r\n",
            std::string(Utf8Mark) + "; \xE4\xB8\xAD \xC3\xA1\r\n[MONITOR]\r\nintervalo=10\r\n"}),
    test::ByTitle);

TEST(IniWriteEncoded, Windows1252NamesAndValuesGoIntoAUnicodeFileAsThemselves) {
    const test::TempDir dir;
    const std::string path =
        dir.WriteFile("settings.ini", Utf16Le("[Configura\xE7\xE3o]\r\nk=1\r\n"));
    const TIniFile ini(path, platform::SystemFileSystem(), test::NoSleeper());
    ini.WriteString("Configura\xE7\xE3o", "k", "n\xE3o \x80");
    EXPECT_EQ(test::ReadBytes(path),
              Utf16Le("[Configura\xE7\xE3o]\r\nk=n\xE3o ").append(Utf16LeUnit(0x20AC)) + Crlf);
    EXPECT_EQ(ini.ReadString("Configura\xE7\xE3o", "k", ""), "n\xE3o \x80");
}

TEST(IniValues, OneReadServesEveryValue) {
    const test::TempDir dir;
    const std::string path = dir.WriteFile("sistema_tervo.ini", "[zelnor]\r\ntempo=1000\r\n");
    const TIniFile ini(path, platform::SystemFileSystem(), test::NoSleeper());
    const TIniValues values = ini.Read();
    test::WriteBytes(path, "[zelnor]\r\ntempo=3000\r\n");
    EXPECT_EQ(values.ReadInteger("zelnor", "tempo", 0), 1000);
    EXPECT_EQ(values.ReadString("zelnor", "envio", "<def>"), "<def>");
    EXPECT_EQ(TIniValues().ReadInteger("zelnor", "tempo", 2500), 2500);
}

} // namespace
} // namespace mz

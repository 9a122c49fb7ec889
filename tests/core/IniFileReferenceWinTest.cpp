// The settings-file reading rules checked against Windows' own reader of such files,
// GetPrivateProfileStringA, on the same files.
#include "IniFileEncodings.h"
#include "TestCases.h"
#include "TestFiles.h"
#include "mz/IniFile.h"

#include <array>
#include <gtest/gtest.h>
#include <windows.h>

namespace mz {
namespace {

using test::PrintTo;

constexpr const char* Default = "<default>";

struct ReferenceCase {
    const char* title;
    std::string content;
    const char* section;
    const char* key;
};

std::string WindowsRead(const std::string& file, const ReferenceCase& c) {
    std::array<char, 2048> buffer{}; // the size the program's reads have always used
    const DWORD length = ::GetPrivateProfileStringA(
        c.section, c.key, Default, buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    return std::string(buffer.data(), length);
}

class AgainstWindows : public testing::TestWithParam<ReferenceCase> {};

TEST_P(AgainstWindows, ReadsWhatWindowsReads) {
    const ReferenceCase& c = GetParam();
    const test::TempDir dir;
    const std::string file = dir.WriteFile("settings.ini", c.content);
    const TIniFile ini(file, platform::SystemFileSystem(), platform::SystemSleeper());
    EXPECT_EQ(ini.ReadString(c.section, c.key, Default), WindowsRead(file, c));
}

const std::string LongValue(3000, 'v');

const std::string Branch = "[FilialMatriz]\r\nCodLogica=5\r\n";
const std::string Utf16Crlf = test::Utf16Le("\r\n").substr(2);

// Non-ASCII letters in names are left out: Windows' reader matches them by case, Wine's
// does not.
INSTANTIATE_TEST_SUITE_P(
    Table, AgainstWindows,
    testing::Values(
        ReferenceCase{"Plain", "[ip]\r\nlocal=192.168.0.1\r\n", "ip", "local"},
        ReferenceCase{"NamesIgnoreCase", "[IP]\r\nLOCAL=x\r\n", "ip", "Local"},
        ReferenceCase{"BlanksAroundKeyAndValue", "[ip]\r\n  local  =  a value  \r\n", "ip",
                      "local"},
        ReferenceCase{"TabsAroundKeyAndValue", "[ip]\r\n\tlocal\t=\tvalue\t\r\n", "ip", "local"},
        ReferenceCase{"BlanksAroundSection", "  [ip]  \r\nlocal=x\r\n", "ip", "local"},
        ReferenceCase{"DoubleQuotes", "[ip]\r\nlocal=\"quoted value\"\r\n", "ip", "local"},
        ReferenceCase{"SingleQuotes", "[ip]\r\nlocal='quoted'\r\n", "ip", "local"},
        ReferenceCase{"QuotesThatDoNotMatch", "[ip]\r\nlocal='abc\"\r\n", "ip", "local"},
        ReferenceCase{"OpeningQuoteOnly", "[ip]\r\nlocal=\"abc\r\n", "ip", "local"},
        ReferenceCase{"QuotesInside", "[ip]\r\nlocal=a\"b\"c\r\n", "ip", "local"},
        ReferenceCase{"EmptyValue", "[ip]\r\nlocal=\r\n", "ip", "local"},
        ReferenceCase{"EqualsInValue", "[ip]\r\nsenha=a=b\r\n", "ip", "senha"},
        ReferenceCase{"Windows1252Value", "[ip]\r\nusuario=Jo\xE3o\r\n", "ip", "usuario"},
        ReferenceCase{"BlankInKey", "[ip]\r\ndata base=x\r\n", "ip", "data base"},
        ReferenceCase{"FirstOfTwoKeys", "[ip]\r\nlocal=first\r\nlocal=second\r\n", "ip", "local"},
        ReferenceCase{"LineWithoutEquals", "[ip]\r\nnothing here\r\nlocal=x\r\n", "ip", "local"},
        ReferenceCase{"CommentLine", "[ip]\r\n;local=old\r\nlocal=new\r\n", "ip", "local"},
        ReferenceCase{"NoFinalLineEnd", "[ip]\r\nlocal=x", "ip", "local"},
        ReferenceCase{"LineFeedsOnly", "[ip]\nlocal=x\n[zelnor]\nenvio=y\n", "zelnor", "envio"},
        ReferenceCase{"TextAfterSectionHeader", "[ip]  ; note\r\nlocal=x\r\n", "ip", "local"},
        ReferenceCase{"KeyInAnotherSection", "[zelnor]\r\nlocal=x\r\n[ip]\r\n", "ip", "local"},
        ReferenceCase{"MissingKey", "[ip]\r\nlocal=x\r\n", "ip", "database"},
        ReferenceCase{"MissingSection", "[ip]\r\nlocal=x\r\n", "zelnor", "tempo"},
        ReferenceCase{"KeyBeforeAnySection", "local=x\r\n[ip]\r\n", "ip", "local"},
        ReferenceCase{"EmptyFile", "", "ip", "local"},
        ReferenceCase{"LongValueIsCut", "[ip]\r\nlocal=" + LongValue + "\r\n", "ip", "local"},
        ReferenceCase{"Utf16LittleEndian", test::Utf16Le(Branch), "FilialMatriz", "CodLogica"},
        ReferenceCase{"Utf16BigEndian", test::Utf16Be(Branch), "FilialMatriz", "CodLogica"},
        ReferenceCase{"Utf16Latin1Letter",
                      test::Utf16Le("[s]\r\nk=Farm\xE1"
                                    "cia\r\n"),
                      "s", "k"},
        ReferenceCase{"Utf16EuroSign",
                      test::Utf16Le("[s]\r\nk=") + test::Utf16LeUnit(0x20AC) + Utf16Crlf, "s", "k"},
        ReferenceCase{"Utf16OutsideWindows1252",
                      test::Utf16Le("[s]\r\nk=a") + test::Utf16LeUnit(0x4E2D) + Utf16Crlf, "s",
                      "k"},
        ReferenceCase{"Utf16LoneSurrogate",
                      test::Utf16Le("[s]\r\nk=a") + test::Utf16LeUnit(0xD800) + Utf16Crlf, "s",
                      "k"},
        ReferenceCase{"Utf16OddLastByte", test::Utf16Le(Branch) + "A", "FilialMatriz", "CodLogica"},
        ReferenceCase{"Utf16WithoutMark", test::Utf16Le(Branch).substr(2), "FilialMatriz",
                      "CodLogica"},
        ReferenceCase{"Utf16MarkOnly", "\xFF\xFE", "s", "k"},
        ReferenceCase{"Utf8Decoded",
                      std::string(test::Utf8Mark) + "[s]\r\nk=C:\\Farm\xC3\xA1"
                                                    "cia\\\r\n",
                      "s", "k"},
        ReferenceCase{"Utf8MarkBeforeTheFirstSection",
                      std::string(test::Utf8Mark) + "[ip]\r\nlocal=db\r\n", "ip", "local"},
        ReferenceCase{"Utf8WithoutMark", "[s]\r\nk=\xC3\xA1\r\n", "s", "k"},
        ReferenceCase{"Utf8MalformedByte", std::string(test::Utf8Mark) + "[s]\r\nk=a\xE1z\r\n", "s",
                      "k"},
        ReferenceCase{"Utf8CutSequence", std::string(test::Utf8Mark) + "[s]\r\nk=a\xE2\x82z\r\n",
                      "s", "k"},
        ReferenceCase{"Utf8BeyondTheBasicPlane",
                      std::string(test::Utf8Mark) + "[s]\r\nk=a\xF0\x9F\x98\x80z\r\n", "s", "k"},
        ReferenceCase{"ControlZAfterTheLastValue", "[FilialMatriz]\r\nCodLogica=5\x1A",
                      "FilialMatriz", "CodLogica"},
        ReferenceCase{"VerticalTabAndFormFeedAreBlanks", "[s]\r\n\vk\f=\f x\v\r\n", "s", "k"},
        ReferenceCase{"BlanksAroundTheSection", "\x1A[s]\f\r\nk=1\r\n", "s", "k"},
        ReferenceCase{"NulEndsTheValue", std::string("[s]\r\nk=a\0b\r\nj=2\r\n", 18), "s", "k"},
        ReferenceCase{"LinesAfterANul", std::string("[s]\r\nk=a\0b\r\nj=2\r\n", 18), "s", "j"}),
    test::ByTitle);

TEST(AgainstWindows, MissingFileReadsAsMissingKeys) {
    const test::TempDir dir;
    const std::string file = dir.File("none.ini");
    const ReferenceCase c{"", "", "ip", "local"};
    const TIniFile ini(file, platform::SystemFileSystem(), platform::SystemSleeper());
    EXPECT_EQ(ini.ReadString(c.section, c.key, Default), WindowsRead(file, c));
}

} // namespace
} // namespace mz

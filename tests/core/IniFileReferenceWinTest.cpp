// The settings-file reading rules checked against Windows' own reader of such files,
// GetPrivateProfileStringA, on the same files.
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

// Left out on purpose: a UTF-8 byte-order mark, which TIniFile skips so that a file saved by a
// current editor still finds its first section, and which older Windows reads as part of the
// first line.
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
        ReferenceCase{"LongValueIsCut", "[ip]\r\nlocal=" + LongValue + "\r\n", "ip", "local"}),
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

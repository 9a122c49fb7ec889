#include "MySqlClient.h"
#include "TestCases.h"

#include <gtest/gtest.h>

namespace mz {
namespace {

// Failure messages show each case below by its title.
using test::PrintTo;

struct ParseCase {
    const char* title;
    std::string sql;
    std::string text;
    std::vector<std::string> names;
};

class NamedParameterParsing : public ::testing::TestWithParam<ParseCase> {};

TEST_P(NamedParameterParsing, RewritesPlaceholdersAndListsNames) {
    const auto& c = GetParam();
    const NamedStatement statement = ParseNamedParameters(c.sql);
    EXPECT_EQ(statement.text, c.text);
    EXPECT_EQ(statement.names, c.names);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NamedParameterParsing,
    ::testing::Values(
        ParseCase{"StatementOfTheActivityTest",
                  " update filial set \r\nseq_zelnor = :seq_zelnor\r\nwhere filial_id = 2\r\n",
                  " update filial set \r\nseq_zelnor = ?\r\nwhere filial_id = 2\r\n",
                  {"seq_zelnor"}},
        ParseCase{"SeveralAndRepeated", "a = :a, b=:B,c=(:a)", "a = ?, b=?,c=(?)", {"a", "B", "a"}},
        ParseCase{"SingleQuoted", "x = ':text' and y = :y", "x = ':text' and y = ?", {"y"}},
        ParseCase{"DoubleQuoted", "x = \"a:x\" and :z", "x = \"a:x\" and ?", {"z"}},
        ParseCase{
            "BackQuoted", "select `col:y` from t where :w", "select `col:y` from t where ?", {"w"}},
        ParseCase{"BackslashEscape", "'it\\':s :no' :yes", "'it\\':s :no' ?", {"yes"}},
        ParseCase{
            "DoubledQuote", "'it'':s :no' \"a\"\":x\" :yes", "'it'':s :no' \"a\"\":x\" ?", {"yes"}},
        ParseCase{"BackslashInNameIsPlain", "`a\\` :p", "`a\\` ?", {"p"}},
        ParseCase{"DashComment", "1 -- :a\r\n:b", "1 -- :a\r\n?", {"b"}},
        ParseCase{"DashesWithoutBlankAreNoComment", "1 --:a", "1 --?", {"a"}},
        ParseCase{"HashComment", "1 # :b\n, :c", "1 # :b\n, ?", {"c"}},
        ParseCase{"BlockComment", "/* :c\n */ :d /*:e*/", "/* :c\n */ ? /*:e*/", {"d"}},
        ParseCase{"DoubleColon", "a::b :: c", "a::b :: c", {}},
        ParseCase{"ColonBeforeNonName", "set @v := 1, x = ': '", "set @v := 1, x = ': '", {}},
        ParseCase{"ColonAtEnd", "x = :", "x = :", {}},
        ParseCase{"UnterminatedQuote", "x = ':a", "x = ':a", {}},
        ParseCase{"UnterminatedComment", "x /* :a", "x /* :a", {}},
        ParseCase{"NameEndsAtLineBreak", ":seq_zelnor\r\n", "?\r\n", {"seq_zelnor"}},
        ParseCase{"Windows1252Letters", "x = :pre\xE7o", "x = ?", {"pre\xE7o"}},
        ParseCase{"QuestionMarkLeftAlone", "x = ?", "x = ?", {}}),
    test::ByTitle);

} // namespace
} // namespace mz

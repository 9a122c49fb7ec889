#include "mz/Integer.h"

#include <gtest/gtest.h>

namespace mz {
namespace {

struct IntegerCase {
    const char* text;
    std::optional<std::int32_t> expected;
};

void PrintTo(const IntegerCase& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class ParseIntegerTable : public testing::TestWithParam<IntegerCase> {};

TEST_P(ParseIntegerTable, ReadsTheText) {
    EXPECT_EQ(ParseInteger(GetParam().text), GetParam().expected);
    EXPECT_EQ(StrToIntDef(GetParam().text, 77), GetParam().expected.value_or(77));
}

constexpr std::optional<std::int32_t> None = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Decimal, ParseIntegerTable,
    testing::Values(IntegerCase{"0", 0}, IntegerCase{"15", 15}, IntegerCase{"007", 7},
                    IntegerCase{"+12", 12}, IntegerCase{"-12", -12}, IntegerCase{"   42", 42},
                    IntegerCase{"  -3", -3}, IntegerCase{"2147483647", 2147483647},
                    IntegerCase{"-2147483648", -2147483647 - 1}, IntegerCase{"2147483648", None},
                    IntegerCase{"-2147483649", None}, IntegerCase{"99999999999999999999", None}));

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, ParseIntegerTable,
    testing::Values(IntegerCase{"$1A", 26}, IntegerCase{"$1a", 26}, IntegerCase{"x1A", 26},
                    IntegerCase{"X1a", 26}, IntegerCase{"0x1A", 26}, IntegerCase{"0X1A", 26},
                    IntegerCase{"$FFFFFFFF", -1}, IntegerCase{"-$1", -1},
                    IntegerCase{"-$FFFFFFFF", 1}, IntegerCase{"$7FFFFFFF", 2147483647},
                    IntegerCase{"$80000000", -2147483647 - 1},
                    IntegerCase{"-$80000000", -2147483647 - 1}, IntegerCase{"$000000001", 1},
                    IntegerCase{"  +0x10", 16}, IntegerCase{"$100000000", None},
                    IntegerCase{"$1G", None}));

INSTANTIATE_TEST_SUITE_P(
    NoInteger, ParseIntegerTable,
    testing::Values(IntegerCase{"", None}, IntegerCase{"   ", None}, IntegerCase{"-", None},
                    IntegerCase{"+", None}, IntegerCase{"$", None}, IntegerCase{"0x", None},
                    IntegerCase{"-x", None}, IntegerCase{"12 ", None}, IntegerCase{"\t12", None},
                    IntegerCase{"1 2", None}, IntegerCase{"--1", None}, IntegerCase{"+-1", None},
                    IntegerCase{"1.0", None}, IntegerCase{"1,000", None}, IntegerCase{"12a", None},
                    IntegerCase{"- 1", None}, IntegerCase{"$-1", None}, IntegerCase{"00x1", None}));

} // namespace
} // namespace mz

#include "mz/Exception.h"
#include "mz/Params.h"
#include "mz/Variant.h"

#include <gtest/gtest.h>
#include <limits>

namespace mz {
namespace {

TEST(Variant, KnowsItsKind) {
    EXPECT_EQ(Variant().GetKind(), Variant::Kind::Empty);
    EXPECT_EQ(Variant::Null().GetKind(), Variant::Kind::Null);
    EXPECT_EQ(Variant(5).GetKind(), Variant::Kind::Integer);
    EXPECT_EQ(Variant(std::int64_t{5}).GetKind(), Variant::Kind::Integer);
    EXPECT_EQ(Variant(1.5).GetKind(), Variant::Kind::Float);
    EXPECT_EQ(Variant(Currency{5}).GetKind(), Variant::Kind::Currency);
    EXPECT_EQ(Variant(DateTimeValue{1}).GetKind(), Variant::Kind::DateTime);
    EXPECT_EQ(Variant(true).GetKind(), Variant::Kind::Boolean);
    EXPECT_EQ(Variant("a").GetKind(), Variant::Kind::Text);
    EXPECT_TRUE(Variant().IsEmpty());
    EXPECT_TRUE(Variant::Null().IsNull());
    EXPECT_NE(Variant(), Variant::Null());
}

struct IntegerConversion {
    Variant value;
    std::int32_t int32;
    std::int64_t int64;
};

void PrintTo(const IntegerConversion& c, std::ostream* out) {
    *out << KindName(c.value.GetKind()) << " " << c.int64;
}

class VariantToInteger : public testing::TestWithParam<IntegerConversion> {};

TEST_P(VariantToInteger, Converts) {
    EXPECT_EQ(GetParam().value.ToInt32(), GetParam().int32);
    EXPECT_EQ(GetParam().value.ToInt64(), GetParam().int64);
}

constexpr auto Int32Max = std::numeric_limits<std::int32_t>::max();
constexpr auto Int32Min = std::numeric_limits<std::int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Table, VariantToInteger,
    testing::Values(IntegerConversion{Variant(), 0, 0}, IntegerConversion{Variant(42), 42, 42},
                    IntegerConversion{Variant(std::int64_t{5000000000}), Int32Max, 5000000000},
                    IntegerConversion{Variant(std::int64_t{-5000000000}), Int32Min, -5000000000},
                    IntegerConversion{Variant(2.5), 2, 2}, IntegerConversion{Variant(3.5), 4, 4},
                    IntegerConversion{Variant(-2.5), -2, -2},
                    IntegerConversion{Variant(1e12), Int32Max, 1000000000000},
                    IntegerConversion{Variant(Currency{25000}), 2, 2},
                    IntegerConversion{Variant(Currency{35000}), 4, 4},
                    IntegerConversion{Variant(Currency{-15001}), -2, -2},
                    IntegerConversion{Variant(DateTimeValue{45724.6}), 45725, 45725},
                    IntegerConversion{Variant(true), -1, -1},
                    IntegerConversion{Variant(false), 0, 0},
                    IntegerConversion{Variant("  123 "), 123, 123},
                    IntegerConversion{Variant("-7"), -7, -7},
                    IntegerConversion{Variant("$10"), 16, 16},
                    IntegerConversion{Variant("9000000000"), Int32Max, 9000000000}));

void ExpectConversionFailure(const auto& convert, const std::string& message) {
    try {
        convert();
        ADD_FAILURE() << "no exception, expected: " << message;
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), message);
    }
}

TEST(Variant, ValuesWithoutTheFormRaiseTheConversionMessage) {
    ExpectConversionFailure([] { return Variant::Null().ToInt32(); },
                            "Could not convert variant of type (Null) into type (Integer)");
    ExpectConversionFailure([] { return Variant::Null().ToInt64(); },
                            "Could not convert variant of type (Null) into type (Int64)");
    ExpectConversionFailure([] { return Variant::Null().ToText(); },
                            "Could not convert variant of type (Null) into type (String)");
    ExpectConversionFailure([] { return Variant(DateTimeValue{1e300}).ToText(); },
                            "Could not convert variant of type (Date) into type (String)");
    ExpectConversionFailure([] { return Variant("12x").ToInt32(); },
                            "Could not convert variant of type (String) into type (Integer)");
    ExpectConversionFailure(
        [] { return Variant(std::numeric_limits<double>::quiet_NaN()).ToInt32(); },
        "Could not convert variant of type (Double) into type (Integer)");
}

TEST(Variant, ConvertsToText) {
    EXPECT_EQ(Variant().ToText(), "");
    EXPECT_EQ(Variant(-42).ToText(), "-42");
    EXPECT_EQ(Variant(0.1).ToText(), "0.1");
    EXPECT_EQ(Variant(Currency{-123450}).ToText(), "-12.345");
    EXPECT_EQ(Variant(Currency{70000}).ToText(), "7");
    EXPECT_EQ(Variant(true).ToText(), "True");
    EXPECT_EQ(Variant("n\xE3o").ToText(), "n\xE3o");
    // 45724 is 8 March 2025; .75 is 18:00.
    EXPECT_EQ(Variant(DateTimeValue{45724.75}).ToText(), "3/8/25 6:00:00 pm");
    EXPECT_EQ(Variant(DateTimeValue{0}).ToText(), "12/30/99");
}

TEST(KindName, UsesTheTypeNamesOfTheMessages) {
    EXPECT_STREQ(KindName(Variant::Kind::Empty), "Empty");
    EXPECT_STREQ(KindName(Variant::Kind::Float), "Double");
    EXPECT_STREQ(KindName(Variant::Kind::DateTime), "Date");
    EXPECT_STREQ(KindName(Variant::Kind::Text), "String");
}

TEST(TParams, FindsTheFirstParameterOfANameWhateverItsCase) {
    TParams params;
    EXPECT_TRUE(params.Empty());
    TParam& first = params.Add();
    first.Name = "seq_zelnor";
    first.DataType = ftInteger;
    first.Value = 7;
    params.Add().Name = "SEQ_ZELNOR";
    params.Add().Name = "filial_id";

    ASSERT_EQ(params.Count(), 3U);
    EXPECT_EQ(params.FindParam("Seq_Zelnor"), &first); // still valid after later additions
    EXPECT_EQ(params.FindParam("FILIAL_ID"), &params[2]);
    EXPECT_EQ(params.FindParam("seq"), nullptr);
    const TParams& constant = params;
    EXPECT_EQ(constant.FindParam("seq_zelnor")->Value.ToInt32(), 7);
    EXPECT_EQ(first.ParamType, ptInput);
    EXPECT_THROW(params[3], std::out_of_range);
    static_assert(ftFMTBcd == 37 && ftBlob == 15 && ftInteger == 3);
}

} // namespace
} // namespace mz

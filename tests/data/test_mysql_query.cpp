#include "MySqlClient.h"
#include "MySqlTestSupport.h"
#include "TestCases.h"

#include <gtest/gtest.h>

namespace mz {
namespace {

// Failure messages show each case below by its title.
using test::PrintTo;

using test::Server;

class MySqlQueryTest : public test::ServerConnectionTest {
protected:
    MySqlQuery query{connection};
};

// --- result shape -------------------------------------------------------------------------

struct ShapeCase {
    const char* title;
    const char* sql;
    bool empty;
    bool null;
    Variant first;
};

class QueryShape : public MySqlQueryTest, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(QueryShape, StandsOnTheFirstRow) {
    const auto& c = GetParam();
    query.SetSql(c.sql);
    query.Open();

    EXPECT_TRUE(query.Active());
    ASSERT_EQ(query.IsEmpty(), c.empty);
    if (!c.empty) {
        EXPECT_EQ(query.IsNull(0), c.null);
        EXPECT_EQ(query.Value(0), c.first);
    }
    query.Close();
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(api.openResults, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QueryShape,
    ::testing::Values(ShapeCase{"NoRow", "select 1 from dual where false", true, false, {}},
                      ShapeCase{"NullFirstColumn", "select null, 5", false, true, Variant::Null()},
                      ShapeCase{"FirstOfSeveral", "select 3, 4 union all select 5, 6", false, false,
                                Variant(3)}),
    test::ByTitle);

// --- column types -------------------------------------------------------------------------

struct TypeCase {
    const char* column; // of table tipos
    Variant expected;
};

void PrintTo(const TypeCase& c, std::ostream* os) {
    *os << c.column;
}

class ColumnTypes : public MySqlQueryTest, public ::testing::WithParamInterface<TypeCase> {
protected:
    static void SetUpTestSuite() {
        Server().Execute(
            "CREATE TABLE IF NOT EXISTS gerente.tipos ("
            "c_int int, c_big bigint, c_ubig bigint unsigned, c_bool tinyint(1), c_bit bit(1),"
            "c_bits bit(16), c_year year, c_dec decimal(10,2), c_dec8 decimal(20,8), c_float float,"
            "c_double double, c_date date, c_datetime datetime, c_fraction datetime(3),"
            "c_stamp timestamp null, c_old datetime, c_time time, c_zero date,"
            "c_varchar varchar(20), c_text text, c_blob blob, c_enum enum('a','b'));"
            "DELETE FROM gerente.tipos;"
            "INSERT INTO gerente.tipos VALUES (7, -9000000000, 18446744073709551615, 1, b'1',"
            "b'0000000100000010', 2024, -12.34, 1.5, 0.5, 2.25, '2024-03-08',"
            "'2024-03-08 12:00:00', '2024-03-08 00:00:00.500', '2024-03-08 06:00:00',"
            "'1899-12-29 06:00:00', '18:00:00', '0000-00-00', 'ol\xE1', '\x80', x'00FF', 'b')");
    }
};

TEST_P(ColumnTypes, GiveAVariantOfTheColumnsType) {
    query.SetSql(std::string("select ") + GetParam().column + " from tipos");
    query.Open();

    ASSERT_FALSE(query.IsEmpty());
    EXPECT_EQ(query.Value(0), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ColumnTypes,
    ::testing::Values(
        TypeCase{"c_int", Variant(7)}, TypeCase{"c_big", Variant(std::int64_t{-9000000000})},
        TypeCase{"c_ubig", Variant(18446744073709551615.0)}, TypeCase{"c_bool", Variant(1)},
        TypeCase{"c_bit", Variant(1)}, TypeCase{"c_bits", Variant(258)},
        TypeCase{"c_year", Variant(2024)}, TypeCase{"c_dec", Variant(Currency{-123400})},
        TypeCase{"c_dec8", Variant(1.5)}, TypeCase{"c_float", Variant(0.5)},
        TypeCase{"c_double", Variant(2.25)}, TypeCase{"c_date", Variant(DateTimeValue{45359})},
        TypeCase{"c_datetime", Variant(DateTimeValue{45359.5})},
        TypeCase{"c_fraction", Variant(DateTimeValue{45359 + 0.5 / 86400.0})},
        TypeCase{"c_stamp", Variant(DateTimeValue{45359.25})},
        TypeCase{"c_old", Variant(DateTimeValue{-1.25})},
        TypeCase{"c_time", Variant(DateTimeValue{0.75})}, TypeCase{"c_zero", Variant::Null()},
        TypeCase{"c_varchar", Variant("ol\xE1")}, TypeCase{"c_text", Variant("\x80")},
        TypeCase{"c_blob", Variant(std::string("\0\xFF", 2))}, TypeCase{"c_enum", Variant("b")}),
    [](const auto& info) { return std::string(info.param.column); });

// --- failures -----------------------------------------------------------------------------

struct FailureCase {
    const char* title;
    const char* sql;
    unsigned int code;
};

class QueryFailures : public MySqlQueryTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(QueryFailures, RaiseTheServersMessageAndLeaveTheQueryClosed) {
    query.SetSql(GetParam().sql);
    try {
        query.Open();
        FAIL() << "no error";
    } catch (const MySqlError& error) {
        EXPECT_EQ(error.Code(), GetParam().code) << error.what();
        EXPECT_FALSE(std::string(error.what()).empty());
    }
    EXPECT_FALSE(query.Active());
    EXPECT_TRUE(connection.Connected());
}

INSTANTIATE_TEST_SUITE_P(Cases, QueryFailures,
                         ::testing::Values(FailureCase{"Syntax", "selec 1", 1064},
                                           FailureCase{"NoTable", "select * from nada", 1146},
                                           FailureCase{"NoColumn", "select nada from filial",
                                                       1054}),
                         test::ByTitle);

TEST_F(MySqlQueryTest, AStatementWithoutResultIsRefused) {
    query.SetSql("do 1");
    EXPECT_THROW(
        {
            try {
                query.Open();
            } catch (const MySqlError&) {
                FAIL() << "not a client error";
            }
        },
        Exception);
    EXPECT_FALSE(query.Active());
}

TEST_F(MySqlQueryTest, AResultOutlivesTheConnectionItCameFrom) {
    query.SetSql("select 'kept'");
    query.Open();
    connection.Close();
    EXPECT_EQ(query.Value(0), Variant("kept"));
    query.Close();
    EXPECT_EQ(api.openResults, 0);
}

TEST_F(MySqlQueryTest, OpeningAgainReplacesTheResult) {
    query.SetSql("select 1");
    query.Open();
    query.SetSql("select 2");
    query.Open();
    EXPECT_EQ(query.Value(0), Variant(2));
    EXPECT_EQ(api.openResults, 1);
}

} // namespace
} // namespace mz

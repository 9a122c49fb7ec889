#include "MySqlClient.h"
#include "MySqlTestSupport.h"
#include "TestCases.h"

#include <gtest/gtest.h>
#include <optional>

namespace mz {
namespace {

// Failure messages show each case below by its title.
using test::PrintTo;

using test::Server;

struct Given {
    std::string name;
    Variant value;
    TFieldType type = ftString;
};

TParams MakeParams(const std::vector<Given>& given) {
    TParams params;
    for (const auto& g : given) {
        TParam& param = params.Add();
        param.Name = g.name;
        param.DataType = g.type;
        param.Value = g.value;
    }
    return params;
}

class MySqlCommandTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Server().Execute("CREATE TABLE IF NOT EXISTS gerente.notas (id int primary key,"
                         "texto varchar(100), valor decimal(10,2), quando datetime,"
                         "real_ double, inteiro bigint)");
    }
    void SetUp() override {
        test::UseTestServer(connection);
        Server().Execute(
            "DELETE FROM gerente.notas; INSERT INTO gerente.notas (id, texto) VALUES (1, 'antes')");
    }

    std::uint64_t Run(const std::string& sql, const std::vector<Given>& given) {
        command.SetSql(sql);
        command.BindParams(MakeParams(given));
        return command.Execute();
    }

    MySqlConnection connection{SystemMySqlApi()};
    MySqlCommand command{connection};
};

// --- binding by name ----------------------------------------------------------------------

struct BindCase {
    const char* title;
    std::string sql;
    std::vector<Given> given;
    std::optional<std::string> stored; // texto of row 1 afterwards, as another session sees it
};

class NamedBinding : public MySqlCommandTest, public ::testing::WithParamInterface<BindCase> {};

TEST_P(NamedBinding, StoresTheValueOfTheParameterOfThatName) {
    EXPECT_EQ(Run(GetParam().sql, GetParam().given), 1u);
    EXPECT_EQ(Server().QueryOne("select texto from gerente.notas where id = 1"), GetParam().stored);
}

const std::string SetTexto = "update notas set texto = :texto where id = :id";

INSTANTIATE_TEST_SUITE_P(
    Cases, NamedBinding,
    ::testing::Values(
        BindCase{"CaseInsensitive",
                 "update notas set texto = :TEXTO where id = :Id",
                 {{"texto", "abc"}, {"ID", 1, ftInteger}},
                 "abc"},
        BindCase{"ExtraParameterIgnored",
                 SetTexto,
                 {{"outro", 5, ftInteger}, {"texto", "abc"}, {"id", 1, ftInteger}},
                 "abc"},
        BindCase{"FirstMatchWins",
                 SetTexto,
                 {{"texto", "first"}, {"TEXTO", "second"}, {"id", 1, ftInteger}},
                 "first"},
        BindCase{"RepeatedName",
                 "update notas set texto = concat(:t, '-', :T) where id = :id",
                 {{"t", "x"}, {"id", 1, ftInteger}},
                 "x-x"},
        BindCase{"NextToQuotesAndComments",
                 "update notas set texto = concat(':t', \"a:t\", :t) /* :c */ where id = :id "
                 "-- :a\r\n# :b\r\n",
                 {{"t", "v"}, {"id", 1, ftInteger}},
                 ":ta:tv"},
        BindCase{"ValueIsNeverPartOfTheText",
                 SetTexto,
                 {{"texto", "x'); delete from notas; -- \\"}, {"id", 1, ftInteger}},
                 "x'); delete from notas; -- \\"},
        BindCase{"Windows1252Text",
                 SetTexto,
                 {{"texto", "a\xE7\xE3o \x80"}, {"id", 1, ftInteger}},
                 "a\xE7\xE3o \x80"},
        BindCase{"NullValue",
                 SetTexto,
                 {{"texto", Variant::Null()}, {"id", 1, ftInteger}},
                 std::nullopt},
        BindCase{
            "EmptyValue", SetTexto, {{"texto", Variant()}, {"id", 1, ftInteger}}, std::nullopt},
        BindCase{"BlobWithoutValue",
                 SetTexto,
                 {{"texto", Variant(), ftBlob}, {"id", 1, ftInteger}},
                 std::nullopt}),
    test::ByTitle);

// --- value kinds --------------------------------------------------------------------------

struct KindCase {
    const char* title;
    const char* column;
    Given value;
    Variant readBack;
};

class ValueKinds : public MySqlCommandTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(ValueKinds, TravelWithTheirType) {
    const auto& c = GetParam();
    Run(std::string("update notas set ") + c.column + " = :v where id = 1", {c.value});
    EXPECT_EQ(test::FirstValue(connection, std::string("select ") + c.column + " from notas"),
              c.readBack);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValueKinds,
    ::testing::Values(
        KindCase{"Integer",
                 "inteiro",
                 {"v", std::int64_t{-9000000000}, ftLargeint},
                 std::int64_t{-9000000000}},
        KindCase{"Boolean", "inteiro", {"v", true, ftBoolean}, 1},
        KindCase{"Float", "real_", {"v", 2.25, ftFloat}, 2.25},
        KindCase{"Currency", "valor", {"v", Currency{-123400}, ftCurrency}, Currency{-123400}},
        KindCase{"DateTime",
                 "quando",
                 {"v", DateTimeValue{45359.5}, ftDateTime},
                 DateTimeValue{45359.5}},
        KindCase{"Date", "quando", {"v", DateTimeValue{45359.75}, ftDate}, DateTimeValue{45359}},
        KindCase{"BeforeDayZero",
                 "quando",
                 {"v", DateTimeValue{-1.25}, ftDateTime},
                 DateTimeValue{-1.25}},
        KindCase{"TextIntoNumber", "inteiro", {"v", "42", ftString}, 42}),
    test::ByTitle);

// --- counts and failures ------------------------------------------------------------------

TEST_F(MySqlCommandTest, ReturnsTheRowsTheServerCountsAsAffected) {
    EXPECT_EQ(Run(SetTexto, {{"texto", "a"}, {"id", 1, ftInteger}}), 1u);
    EXPECT_EQ(Run(SetTexto, {{"texto", "a"}, {"id", 2, ftInteger}}), 0u);
}

TEST_F(MySqlCommandTest, AParameterWithoutValueIsNamed) {
    command.SetSql(SetTexto);
    try {
        command.BindParams(MakeParams({{"texto", "a"}}));
        FAIL() << "no error";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "Parameter 'id' not found");
    }
}

TEST_F(MySqlCommandTest, KeepsOneParameterPerName) {
    command.SetSql("update notas set texto = concat(:a, :b, :A) where id = :id");
    ASSERT_EQ(command.Params().Count(), 3u);
    EXPECT_EQ(command.Params()[0].Name, "a");
    EXPECT_EQ(command.Params()[1].Name, "b");
    EXPECT_EQ(command.Params()[2].Name, "id");
}

TEST_F(MySqlCommandTest, AMarkerWrittenInTheTextIsRefused) {
    command.SetSql("update notas set texto = ? where id = :id");
    command.BindParams(MakeParams({{"id", 1, ftInteger}}));
    EXPECT_THROW(command.Execute(), Exception);
    EXPECT_EQ(Server().QueryOne("select texto from gerente.notas where id = 1"), "antes");
}

TEST_F(MySqlCommandTest, ServerErrorsCarryTheServersMessage) {
    try {
        Run("update nada set texto = :t", {{"t", "a"}});
        FAIL() << "no error";
    } catch (const MySqlError& error) {
        EXPECT_EQ(error.Code(), 1146u);
        EXPECT_NE(std::string(error.what()).find("nada"), std::string::npos) << error.what();
    }
    EXPECT_TRUE(connection.Connected());
}

} // namespace
} // namespace mz

#include "mz/Exception.h"
#include "mz/data/USQLMount.h"

#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace mz {
namespace {

constexpr const char* NoFields = "Nao ha campos para gerar a instrucao sql.";
constexpr const char* InvalidKind = "SQLMountType inv\xE1lido.";
constexpr const char* WhereOnInsert = "SqlWhere nao permitido para insert.";

const auto InvalidMountType = static_cast<SQLMountType>(7);

using ParamRow = std::tuple<std::string, TFieldType, TParamType, Variant>;

std::vector<ParamRow> Rows(const TParams& params) {
    std::vector<ParamRow> rows;
    for (const TParam& p : params) {
        rows.emplace_back(p.Name, p.DataType, p.ParamType, p.Value);
    }
    return rows;
}

// Everything a user of the builder can observe, apart from the command parameters.
struct Snapshot {
    std::string table;
    std::string where;
    SQLMountType kind;
    std::vector<ParamRow> fields;
    std::vector<std::string> names;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

Snapshot Observe(const TSqlMount& mount) {
    return {mount.TableName(), mount.WhereText(), mount.MountKind(), Rows(mount.FieldValues()),
            mount.FieldNames()};
}

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(no exception)";
}

struct SqlCase {
    const char* label;
    SQLMountType kind;
    std::string table;
    std::vector<std::string> names;
    std::optional<std::string> where;
    std::string expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const SqlCase& c, std::ostream* os) {
    *os << c.label;
}

class StatementText : public ::testing::TestWithParam<SqlCase> {};

TEST_P(StatementText, JoinsLinesWithCrLf) {
    const SqlCase& c = GetParam();
    TSqlMount mount(c.kind, c.table);
    for (const auto& name : c.names) {
        mount.AddField(name, 1, ftInteger);
    }
    if (c.where) {
        mount.SqlWhere(*c.where);
    }
    EXPECT_EQ(mount.GetSql(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Builder, StatementText,
    ::testing::Values(
        SqlCase{"UpdateWorkedExample",
                smUpdate,
                "filial",
                {"seq_zelnor"},
                "where filial_id = 2",
                " update filial set \r\nseq_zelnor = :seq_zelnor\r\nwhere filial_id = 2\r\n"},
        SqlCase{"UpdateWithoutWhereEndsWithEmptyLine",
                smUpdate,
                "t",
                {"a", "b"},
                std::nullopt,
                " update t set \r\na = :a\r\n,b = :b\r\n\r\n"},
        SqlCase{"UpdateDuplicateName",
                smUpdate,
                "t",
                {"a", "a"},
                "where x = 1",
                " update t set \r\na = :a\r\n,a = :a\r\nwhere x = 1\r\n"},
        SqlCase{"UpdateKeepsLineBreakInName",
                smUpdate,
                "t",
                {"a\nb"},
                "",
                " update t set \r\na\nb = :a\nb\r\n\r\n"},
        SqlCase{"Insert",
                smInsert,
                "t",
                {"a", "b"},
                std::nullopt,
                "insert into t ( \r\na\r\n,b\r\n ) \r\n values ( \r\n:a\r\n,:b\r\n ) \r\n"},
        SqlCase{"ReplaceLeavesOutWhere",
                smReplace,
                "t",
                {"a"},
                "where x = 1",
                "replace into t ( \r\na\r\n ) \r\n values ( \r\n:a\r\n ) \r\n"},
        SqlCase{"InsertDuplicateName",
                smInsert,
                "t",
                {"a", "a"},
                std::nullopt,
                "insert into t ( \r\na\r\n,a\r\n ) \r\n values ( \r\n:a\r\n,:a\r\n ) \r\n"},
        SqlCase{"InsertEmptyFirstNameAddsNoNameLine",
                smInsert,
                "t",
                {"", "b"},
                std::nullopt,
                "insert into t ( \r\n,b\r\n ) \r\n values ( \r\n:\r\n,:b\r\n ) \r\n"},
        SqlCase{"ReplaceEmptyFurtherNameGivesComma",
                smReplace,
                "t",
                {"a", ""},
                std::nullopt,
                "replace into t ( \r\na\r\n,\r\n ) \r\n values ( \r\n:a\r\n,:\r\n ) \r\n"},
        SqlCase{"InsertSplitsNameAtLf",
                smInsert,
                "t",
                {"a\nb"},
                std::nullopt,
                "insert into t ( \r\na\r\nb\r\n ) \r\n values ( \r\n:a\r\nb\r\n ) \r\n"},
        SqlCase{"InsertSplitsNameAtCrAndCrLf",
                smInsert,
                "t",
                {"a\rb", "c\r\nd"},
                std::nullopt,
                "insert into t ( \r\na\r\nb\r\n,c\r\nd\r\n ) \r\n values ( \r\n:a\r\nb\r\n"
                ",:c\r\nd\r\n ) \r\n"},
        SqlCase{"InsertNameOfOneLineBreakAddsEmptyLine",
                smInsert,
                "t",
                {"\n"},
                std::nullopt,
                "insert into t ( \r\n\r\n ) \r\n values ( \r\n:\r\n ) \r\n"},
        SqlCase{"InsertSplitsTableLineToo",
                smInsert,
                "t\nu",
                {"a"},
                std::nullopt,
                "insert into t\r\nu ( \r\na\r\n ) \r\n values ( \r\n:a\r\n ) \r\n"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Builder, SecondSqlWhereReplacesTheFirst) {
    TSqlMount mount(smUpdate, "t");
    mount.AddField("a", 1, ftInteger);
    mount.SqlWhere("where x = 1");
    mount.SqlWhere("where y = 2");
    EXPECT_EQ(mount.WhereText(), "where y = 2");
    EXPECT_EQ(mount.GetSql(), " update t set \r\na = :a\r\nwhere y = 2\r\n");
}

struct FailureCase {
    const char* label;
    SQLMountType kind;
    bool withField;
    std::function<void(TSqlMount&)> action;
    const char* message;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.label;
}

class BuilderFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(BuilderFailure, RaisesAndLeavesBuilderAsItWas) {
    const FailureCase& c = GetParam();
    TSqlMount mount(c.kind, "t");
    if (c.withField) {
        mount.AddField("a", Variant("x"), ftString);
    }
    if (c.kind != smInsert) {
        mount.SqlWhere("where a = 1");
    }
    const Snapshot before = Observe(mount);
    const std::vector<ParamRow> paramsBefore = Rows(mount.GetParams());

    EXPECT_EQ(MessageOf([&] { c.action(mount); }), c.message);

    EXPECT_EQ(Observe(mount), before);
    EXPECT_EQ(Rows(mount.GetParams()), paramsBefore);
}

const auto GetSql = [](TSqlMount& m) { (void)m.GetSql(); };

INSTANTIATE_TEST_SUITE_P(
    Builder, BuilderFailure,
    ::testing::Values(
        FailureCase{"UpdateWithoutFields", smUpdate, false, GetSql, NoFields},
        FailureCase{"InsertWithoutFields", smInsert, false, GetSql, NoFields},
        FailureCase{"InvalidKindWithoutFields", InvalidMountType, false, GetSql, NoFields},
        FailureCase{"InvalidKindWithField", InvalidMountType, true, GetSql, InvalidKind},
        FailureCase{"WhereOnInsert", smInsert, true,
                    [](TSqlMount& m) { m.SqlWhere("where a = 1"); }, WhereOnInsert}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Builder, InvalidKindAcceptsEverythingButGetSql) {
    TSqlMount mount(InvalidMountType, "t");
    mount.AddField("a", 5, ftInteger);
    mount.SqlWhere("where a = 1");
    EXPECT_EQ(mount.WhereText(), "where a = 1");
    EXPECT_EQ(Rows(mount.GetParams()),
              (std::vector<ParamRow>{{"a", ftInteger, ptInput, Variant(5)}}));
}

TEST(Builder, WorkedExampleParameters) {
    TSqlMount mount(smUpdate, "filial");
    mount.AddField("seq_zelnor", 57, ftInteger);
    mount.SqlWhere("where filial_id = 2");
    EXPECT_EQ(Rows(mount.GetParams()),
              (std::vector<ParamRow>{{"seq_zelnor", ftInteger, ptInput, Variant(57)}}));
}

TEST(Builder, ParamsCopyFieldsButLeaveBlobValueOut) {
    TSqlMount mount(smInsert, "t");
    mount.AddField("Nome", Variant("abc"), ftString);
    mount.AddField("foto", Variant("\x01\x02"), ftBlob);
    mount.AddField("Nome", Variant::Null(), ftInteger);

    EXPECT_EQ(Rows(mount.GetParams()), (std::vector<ParamRow>{
                                           {"Nome", ftString, ptInput, Variant("abc")},
                                           {"foto", ftBlob, ptInput, Variant()},
                                           {"Nome", ftInteger, ptInput, Variant::Null()},
                                       }));
    // The field itself keeps its value, and the blob stands in the text like any field.
    EXPECT_EQ(mount.FieldValues()[1].Value, Variant("\x01\x02"));
    EXPECT_NE(mount.GetSql().find(",:foto\r\n"), std::string::npos);
}

TEST(Builder, SecondGetParamsGivesNewCollectionWithSameContent) {
    TSqlMount mount(smReplace, "t");
    mount.AddField("a", 1, ftInteger);
    mount.AddField("b", Variant("x"), ftString);
    const TParams& first = mount.GetParams();
    const auto firstAddress = reinterpret_cast<std::uintptr_t>(&first);
    const std::vector<ParamRow> firstRows = Rows(first);

    const TParams& second = mount.GetParams();
    EXPECT_NE(reinterpret_cast<std::uintptr_t>(&second), firstAddress);
    EXPECT_EQ(Rows(second), firstRows);
    EXPECT_EQ(firstRows.size(), 2u);
}

TEST(Builder, GetParamsWithoutFieldsIsEmpty) {
    TSqlMount mount(smUpdate, "t");
    EXPECT_TRUE(mount.GetParams().Empty());
}

} // namespace
} // namespace mz

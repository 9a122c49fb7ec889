#include "MySqlClient.h"
#include "MySqlClientValues.h"

#include <fmt/format.h>

namespace mz {

MySqlQuery::MySqlQuery(MySqlConnection& connection)
    : connection_(&connection), result_(nullptr, ResultFreer{&connection.Api()}) {}

void MySqlQuery::SetSql(std::string sql) {
    Close();
    sql_ = std::move(sql);
}

void MySqlQuery::Open() {
    Close();
    const MySqlApi& api = connection_->Api();
    MYSQL* const mysql = connection_->Acquire();
    if (api.RealQuery(mysql, sql_.data(), static_cast<unsigned long>(sql_.size())) != 0) {
        connection_->FailFromHandle();
    }
    result_.reset(api.StoreResult(mysql));
    if (!result_) {
        if (api.FieldCount(mysql) != 0 || api.Errno(mysql) != 0) {
            connection_->FailFromHandle();
        }
        throw Exception("The statement returned no result set");
    }
    fieldCount_ = api.NumFields(result_.get());
    fields_ = api.FetchFields(result_.get());
    row_ = api.FetchRow(result_.get());
    lengths_ = row_ ? api.FetchLengths(result_.get()) : nullptr;
}

void MySqlQuery::Close() noexcept {
    result_.reset();
    row_ = nullptr;
    lengths_ = nullptr;
    fields_ = nullptr;
    fieldCount_ = 0;
}

bool MySqlQuery::IsEmpty() const {
    if (!Active()) {
        throw Exception("The query is not open");
    }
    return row_ == nullptr;
}

std::size_t MySqlQuery::FieldCount() const {
    if (!Active()) {
        throw Exception("The query is not open");
    }
    return fieldCount_;
}

const MYSQL_ROW& MySqlQuery::Row() const {
    if (IsEmpty()) {
        throw Exception("The query has no current row");
    }
    return row_;
}

void MySqlQuery::CheckField(std::size_t field) const {
    if (field >= FieldCount()) {
        throw Exception(fmt::format("The query has no column {}", field));
    }
}

bool MySqlQuery::IsNull(std::size_t field) const {
    CheckField(field);
    return Row()[field] == nullptr;
}

Variant MySqlQuery::Value(std::size_t field) const {
    CheckField(field);
    const char* const text = Row()[field];
    if (!text) {
        return Variant::Null();
    }
    return mysqlvalues::FromColumn(fields_[field], std::string_view(text, lengths_[field]));
}

} // namespace mz

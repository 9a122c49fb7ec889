#include "MySqlClient.h"
#include "MySqlClientValues.h"
#include "mz/Text.h"

#include <fmt/format.h>
#include <variant>

namespace mz {

namespace {

// The storage a bound parameter points into; it must outlive the execution.
struct BoundValue {
    std::int64_t integer = 0;
    double floating = 0;
    MYSQL_TIME time{};
    std::string text;
};

bool IsBinary(TFieldType type) noexcept {
    switch (type) {
    case ftBlob:
    case ftBytes:
    case ftVarBytes:
    case ftGraphic:
    case ftTypedBinary:
    case ftOraBlob:
        return true;
    default:
        return false;
    }
}

std::string CurrencyText(Currency amount) {
    const bool negative = amount.scaled < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(amount.scaled)
                                             : static_cast<std::uint64_t>(amount.scaled);
    return fmt::format("{}{}.{:04}", negative ? "-" : "", magnitude / 10000, magnitude % 10000);
}

void BindTime(const TParam& param, double days, BoundValue& value, MYSQL_BIND& bind) {
    value.time = mysqlvalues::FromDays(days);
    bind.buffer_type = MYSQL_TYPE_DATETIME;
    if (param.DataType == ftDate) {
        value.time.hour = value.time.minute = value.time.second = 0;
        value.time.second_part = 0;
        value.time.time_type = MYSQL_TIMESTAMP_DATE;
        bind.buffer_type = MYSQL_TYPE_DATE;
    } else if (param.DataType == ftTime) {
        value.time.year = value.time.month = value.time.day = 0;
        value.time.time_type = MYSQL_TIMESTAMP_TIME;
        bind.buffer_type = MYSQL_TYPE_TIME;
    }
    bind.buffer = &value.time;
}

void BindText(std::string text, enum_field_types type, BoundValue& value, MYSQL_BIND& bind) {
    value.text = std::move(text);
    bind.buffer_type = type;
    bind.buffer = value.text.data();
    bind.buffer_length = static_cast<unsigned long>(value.text.size());
}

// Empty and Null values, and so an ftBlob parameter handed on without its value, bind NULL.
void Bind(const TParam& param, BoundValue& value, MYSQL_BIND& bind) {
    bind = MYSQL_BIND{};
    const auto& storage = param.Value.Storage();
    if (const auto* integer = std::get_if<std::int64_t>(&storage)) {
        value.integer = *integer;
    } else if (const auto* boolean = std::get_if<bool>(&storage)) {
        value.integer = *boolean ? 1 : 0;
    } else if (const auto* floating = std::get_if<double>(&storage)) {
        value.floating = *floating;
        bind.buffer_type = MYSQL_TYPE_DOUBLE;
        bind.buffer = &value.floating;
        return;
    } else if (const auto* amount = std::get_if<Currency>(&storage)) {
        return BindText(CurrencyText(*amount), MYSQL_TYPE_NEWDECIMAL, value, bind);
    } else if (const auto* moment = std::get_if<DateTimeValue>(&storage)) {
        return BindTime(param, moment->days, value, bind);
    } else if (const auto* text = std::get_if<std::string>(&storage)) {
        return BindText(*text, IsBinary(param.DataType) ? MYSQL_TYPE_BLOB : MYSQL_TYPE_STRING,
                        value, bind);
    } else {
        bind.buffer_type = MYSQL_TYPE_NULL;
        return;
    }
    bind.buffer_type = MYSQL_TYPE_LONGLONG;
    bind.buffer = &value.integer;
}

} // namespace

MySqlCommand::MySqlCommand(MySqlConnection& connection) : connection_(&connection) {}

void MySqlCommand::SetSql(std::string sql) {
    if (sql == sql_ && !sql_.empty()) {
        for (auto& param : params_) {
            param.DataType = ftUnknown;
            param.Value = Variant();
        }
        return;
    }
    prepared_.reset();
    sql_ = std::move(sql);
    statement_ = ParseNamedParameters(sql_);
    params_ = TParams();
    placeholderParams_.clear();
    for (const auto& name : statement_.names) {
        std::size_t index = 0;
        while (index < params_.Count() && !SameText(params_[index].Name, name)) {
            ++index;
        }
        if (index == params_.Count()) {
            params_.Add().Name = name;
        }
        placeholderParams_.push_back(index);
    }
}

void MySqlCommand::BindParams(const TParams& given) {
    for (const auto& param : params_) {
        if (!given.FindParam(param.Name)) {
            throw Exception(fmt::format("Parameter '{}' not found", param.Name));
        }
    }
    for (auto& param : params_) {
        const TParam& source = *given.FindParam(param.Name);
        param.DataType = source.DataType;
        param.Value = source.Value;
    }
}

MYSQL_STMT* MySqlCommand::Prepared() {
    const MySqlApi& api = connection_->Api();
    MYSQL* const mysql = connection_->Acquire();
    if (prepared_ && preparedGeneration_ == connection_->Generation()) {
        return prepared_.get();
    }
    prepared_.reset();
    MySqlStatementHandle stmt(api.StmtInit(mysql), MySqlStatementCloser{&api});
    if (!stmt) {
        connection_->FailFromHandle();
    }
    const auto& text = statement_.text;
    if (api.StmtPrepare(stmt.get(), text.data(), static_cast<unsigned long>(text.size())) != 0) {
        const unsigned int code = api.StmtErrno(stmt.get());
        const std::string message = api.StmtError(stmt.get());
        stmt.reset();
        connection_->Fail(code, message);
    }
    // A "?" written in the text itself would take a value meant for another parameter.
    if (const auto markers = api.StmtParamCount(stmt.get()); markers != placeholderParams_.size()) {
        throw Exception(fmt::format("The statement has {} parameter markers for {} parameters",
                                    markers, placeholderParams_.size()));
    }
    prepared_ = std::move(stmt);
    preparedGeneration_ = connection_->Generation();
    return prepared_.get();
}

std::uint64_t MySqlCommand::Execute() {
    const MySqlApi& api = connection_->Api();
    MYSQL_STMT* const stmt = Prepared();
    const auto fail = [&] {
        const unsigned int code = api.StmtErrno(stmt);
        const std::string message = api.StmtError(stmt);
        prepared_.reset(); // prepared again next time, whatever went wrong with it
        connection_->Fail(code, message);
    };
    std::vector<BoundValue> values(params_.Count());
    std::vector<MYSQL_BIND> paramBinds(params_.Count());
    for (std::size_t i = 0; i < params_.Count(); ++i) {
        Bind(params_[i], values[i], paramBinds[i]);
    }
    std::vector<MYSQL_BIND> binds;
    binds.reserve(placeholderParams_.size());
    for (const std::size_t index : placeholderParams_) {
        binds.push_back(paramBinds[index]);
    }
    if (!binds.empty() && api.StmtBindParam(stmt, binds.data())) {
        fail();
    }
    if (api.StmtExecute(stmt) != 0) {
        fail();
    }
    return api.StmtAffectedRows(stmt);
}

} // namespace mz

#pragma once

#include "mz/Params.h"
#include "mz/Variant.h"

#include <memory>
#include <string>
#include <vector>

namespace mz {

// The statement kind, stored in one byte; values other than the three members are possible
// and are refused only when the text is produced.
enum SQLMountType : unsigned char { smUpdate = 0, smInsert = 1, smReplace = 2 };

// Builds the text of one update, insert or replace statement for one table, with a named
// placeholder (":" + field name) for each field's value, and the parameters that carry the
// values.
class TSqlMount {
public:
    TSqlMount(SQLMountType kind, std::string table);

    void AddField(const std::string& name, const Variant& value, TFieldType dataType);
    // Raises Exception "SqlWhere nao permitido para insert." for smInsert.
    void SqlWhere(const std::string& text);
    // Lines each ended by CR LF. Raises Exception "Nao ha campos para gerar a instrucao sql."
    // without fields, "SQLMountType inválido." (Windows-1252) for an unknown kind.
    std::string GetSql() const;
    // The command parameters: a copy of the fields, values left out for ftBlob. The collection
    // stays owned by the builder and is valid until the next call.
    const TParams& GetParams();

    const std::string& TableName() const noexcept { return tableName_; }
    const std::string& WhereText() const noexcept { return whereText_; }
    SQLMountType MountKind() const noexcept { return mountKind_; }
    const TParams& FieldValues() const noexcept { return fieldValues_; }
    const std::vector<std::string>& FieldNames() const noexcept { return fieldNames_; }

private:
    std::string tableName_;
    std::string whereText_;
    SQLMountType mountKind_;
    TParams fieldValues_;
    std::unique_ptr<TParams> commandParams_;
    std::vector<std::string> fieldNames_;
};

} // namespace mz

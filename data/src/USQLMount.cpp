#include "mz/data/USQLMount.h"

#include "mz/Exception.h"

#include <string_view>
#include <utility>
#include <vector>

namespace mz {

namespace {

constexpr std::string_view LineBreak = "\r\n";

// The statement as an ordered list of lines, joined with CR LF after every line.
class Lines {
public:
    void Add(std::string line) { lines_.push_back(std::move(line)); }

    // Appends piece to the whole text and splits it into lines again, so a piece holding line
    // breaks becomes several lines and an empty piece adds none.
    void AppendToText(std::string_view piece) {
        std::string text = Text();
        text += piece;
        lines_ = Split(text);
    }

    std::string Text() const {
        std::string text;
        for (const auto& line : lines_) {
            text += line;
            text += LineBreak;
        }
        return text;
    }

private:
    // Breaks at CR LF, CR or LF; a break at the very end opens no further line.
    static std::vector<std::string> Split(std::string_view text) {
        std::vector<std::string> lines;
        std::size_t pos = 0;
        while (pos < text.size()) {
            const std::size_t end = text.find_first_of("\r\n", pos);
            if (end == std::string_view::npos) {
                lines.emplace_back(text.substr(pos));
                break;
            }
            lines.emplace_back(text.substr(pos, end - pos));
            pos = end + 1;
            if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') {
                ++pos;
            }
        }
        return lines;
    }

    std::vector<std::string> lines_;
};

std::string Placeholder(const std::string& name) {
    return ":" + name;
}

// The first item of a list stands alone, every further one is introduced by a comma.
std::string ListItem(std::size_t index, const std::string& item) {
    return index == 0 ? item : "," + item;
}

using Names = std::vector<std::string>;

std::string BuildUpdate(const std::string& table, const Names& names, const std::string& where) {
    Lines lines;
    lines.Add(" update " + table + " set ");
    for (std::size_t i = 0; i < names.size(); ++i) {
        lines.Add(ListItem(i, names[i] + " = " + Placeholder(names[i])));
    }
    lines.Add(where);
    return lines.Text();
}

// Used for replace as well; neither form has a where clause.
std::string BuildInsert(SQLMountType kind, const std::string& table, const Names& names) {
    Lines lines;
    lines.Add((kind == smInsert ? "insert into " : "replace into ") + table + " ( ");
    for (std::size_t i = 0; i < names.size(); ++i) {
        lines.AppendToText(ListItem(i, names[i]));
    }
    lines.Add(" ) ");
    lines.Add(" values ( ");
    for (std::size_t i = 0; i < names.size(); ++i) {
        lines.AppendToText(ListItem(i, Placeholder(names[i])));
    }
    lines.Add(" ) ");
    return lines.Text();
}

} // namespace

TSqlMount::TSqlMount(SQLMountType kind, std::string table)
    : tableName_(std::move(table)), mountKind_(kind) {}

void TSqlMount::AddField(const std::string& name, const Variant& value, TFieldType dataType) {
    TParam& param = fieldValues_.Add();
    param.ParamType = ptInput;
    param.DataType = dataType;
    param.Value = value;
    param.Name = name;
    fieldNames_.push_back(name);
}

void TSqlMount::SqlWhere(const std::string& text) {
    if (mountKind_ == smInsert) {
        throw Exception("SqlWhere nao permitido para insert.");
    }
    whereText_ = text;
}

std::string TSqlMount::GetSql() const {
    if (fieldNames_.empty()) {
        throw Exception("Nao ha campos para gerar a instrucao sql.");
    }
    switch (mountKind_) {
    case smInsert:
    case smReplace:
        return BuildInsert(mountKind_, tableName_, fieldNames_);
    case smUpdate:
        return BuildUpdate(tableName_, fieldNames_, whereText_);
    }
    throw Exception("SQLMountType inv\xE1lido.");
}

const TParams& TSqlMount::GetParams() {
    // The new collection is complete before the old one goes, so a failure keeps the old one.
    auto params = std::make_unique<TParams>();
    for (const TParam& field : fieldValues_) {
        TParam& param = params->Add();
        param.ParamType = ptInput;
        param.Name = field.Name;
        param.DataType = field.DataType;
        // A blob is handed on by name and type only.
        if (field.DataType != ftBlob) {
            param.Value = field.Value;
        }
    }
    commandParams_ = std::move(params);
    return *commandParams_;
}

} // namespace mz

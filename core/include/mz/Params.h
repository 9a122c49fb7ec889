#pragma once

#include "mz/Variant.h"

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace mz {

// The data type of a parameter or column. The order of the members is fixed (their values
// count from 0).
// clang-format off
enum TFieldType : unsigned char {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
    ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
    ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString,
    ftLargeint, ftADT, ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant,
    ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd
};
// clang-format on

enum TParamType : unsigned char { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

struct TParam {
    std::string Name;
    TFieldType DataType = ftUnknown;
    TParamType ParamType = ptInput;
    Variant Value;
};

// An ordered collection of parameters. Names are looked up without regard to case, the first
// match winning. References to items stay valid while items are only added.
class TParams {
public:
    TParam& Add();
    std::size_t Count() const noexcept { return items_.size(); }
    bool Empty() const noexcept { return items_.empty(); }
    TParam& operator[](std::size_t index) { return items_.at(index); }
    const TParam& operator[](std::size_t index) const { return items_.at(index); }
    TParam* FindParam(std::string_view name) noexcept;
    const TParam* FindParam(std::string_view name) const noexcept;

    auto begin() noexcept { return items_.begin(); }
    auto end() noexcept { return items_.end(); }
    auto begin() const noexcept { return items_.begin(); }
    auto end() const noexcept { return items_.end(); }

private:
    std::deque<TParam> items_;
};

} // namespace mz

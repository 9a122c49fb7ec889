#include "mz/Params.h"

#include "mz/Text.h"

namespace mz {

TParam& TParams::Add() {
    return items_.emplace_back();
}

TParam* TParams::FindParam(std::string_view name) noexcept {
    for (auto& item : items_) {
        if (SameText(item.Name, name)) {
            return &item;
        }
    }
    return nullptr;
}

const TParam* TParams::FindParam(std::string_view name) const noexcept {
    return const_cast<TParams*>(this)->FindParam(name);
}

} // namespace mz

#include "mz/Variant.h"

#include "mz/DateTimeText.h"
#include "mz/Exception.h"
#include "mz/Integer.h"
#include "mz/Text.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fmt/format.h>
#include <limits>
#include <type_traits>

namespace mz {
namespace {

[[noreturn]] void ConversionFailure(Variant::Kind from, const char* target) {
    throw Exception(fmt::format("Could not convert variant of type ({}) into type ({})",
                                KindName(from), target));
}

// Rounds half to even and saturates at the ends of the 64-bit range; NaN has no integer form.
std::int64_t RoundToInt64(double value, Variant::Kind from, const char* target) {
    if (std::isnan(value)) {
        ConversionFailure(from, target);
    }
    const double rounded = std::nearbyint(value);
    if (rounded >= 9223372036854775807.0) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (rounded <= -9223372036854775808.0) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(rounded);
}

std::int64_t RoundCurrency(Currency value) noexcept {
    std::int64_t whole = value.scaled / 10000;
    const std::int64_t rest = value.scaled % 10000;
    const std::int64_t twice = 2 * (rest < 0 ? -rest : rest);
    const bool up = twice > 10000 || (twice == 10000 && whole % 2 != 0);
    if (up) {
        whole += rest < 0 ? -1 : 1;
    }
    return whole;
}

// A text ParseInteger reads, or wider decimal digits with an optional sign.
std::optional<std::int64_t> ParseTextInteger(std::string_view text) noexcept {
    text = Trim(text);
    if (const auto small = ParseInteger(text)) {
        return *small;
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    const std::uint64_t limit = negative ? 9223372036854775808ULL : 9223372036854775807ULL;
    std::uint64_t magnitude = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (magnitude > (limit - digit) / 10) {
            return std::nullopt;
        }
        magnitude = magnitude * 10 + digit;
    }
    return static_cast<std::int64_t>(negative ? 0ULL - magnitude : magnitude);
}

std::string CurrencyText(Currency value) {
    const bool negative = value.scaled < 0;
    const std::uint64_t magnitude =
        negative ? 0ULL - static_cast<std::uint64_t>(value.scaled) : value.scaled;
    std::string text = fmt::format("{}{}", negative ? "-" : "", magnitude / 10000);
    std::string fraction = fmt::format("{:04}", magnitude % 10000);
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.pop_back();
    }
    if (!fraction.empty()) {
        text += '.' + fraction;
    }
    return text;
}

LocalDateTime FromDays(double days) {
    using namespace std::chrono;
    const double whole = std::trunc(days);
    auto millis = static_cast<std::int64_t>(std::llround(std::fabs(days - whole) * 86400000.0));
    millis = std::min<std::int64_t>(millis, 86399999);
    const year_month_day date{sys_days{year{1899} / December / 30} +
                              std::chrono::days{static_cast<int>(whole)}};
    LocalDateTime moment;
    moment.year = static_cast<int>(date.year());
    moment.month = static_cast<int>(static_cast<unsigned>(date.month()));
    moment.day = static_cast<int>(static_cast<unsigned>(date.day()));
    moment.hour = static_cast<int>(millis / 3600000);
    moment.minute = static_cast<int>(millis / 60000 % 60);
    moment.second = static_cast<int>(millis / 1000 % 60);
    moment.millisecond = static_cast<int>(millis % 1000);
    return moment;
}

} // namespace

Variant Variant::Null() {
    Variant v;
    v.value_ = NullTag{};
    return v;
}

Variant::Kind Variant::GetKind() const noexcept {
    return static_cast<Kind>(value_.index());
}

std::int64_t Variant::ToInt64() const {
    constexpr const char* Target = "Int64";
    return std::visit(
        [this](const auto& v) -> std::int64_t {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                return 0;
            } else if constexpr (std::is_same_v<T, std::int64_t>) {
                return v;
            } else if constexpr (std::is_same_v<T, double>) {
                return RoundToInt64(v, GetKind(), Target);
            } else if constexpr (std::is_same_v<T, Currency>) {
                return RoundCurrency(v);
            } else if constexpr (std::is_same_v<T, DateTimeValue>) {
                return RoundToInt64(v.days, GetKind(), Target);
            } else if constexpr (std::is_same_v<T, bool>) {
                return v ? -1 : 0; // a true boolean is all bits set
            } else if constexpr (std::is_same_v<T, std::string>) {
                const auto parsed = ParseTextInteger(v);
                if (!parsed) {
                    ConversionFailure(GetKind(), Target);
                }
                return *parsed;
            } else {
                ConversionFailure(GetKind(), Target);
            }
        },
        value_);
}

std::int32_t Variant::ToInt32() const {
    std::int64_t wide = 0;
    try {
        wide = ToInt64();
    } catch (const Exception&) {
        ConversionFailure(GetKind(), "Integer");
    }
    constexpr auto Low = std::numeric_limits<std::int32_t>::min();
    constexpr auto High = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(wide, Low, High));
}

std::string Variant::ToText() const {
    return std::visit(
        [this](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                return {};
            } else if constexpr (std::is_same_v<T, std::int64_t> || std::is_same_v<T, double>) {
                return fmt::format("{}", v);
            } else if constexpr (std::is_same_v<T, Currency>) {
                return CurrencyText(v);
            } else if constexpr (std::is_same_v<T, DateTimeValue>) {
                // Years 1 to 9999; beyond them the calendar arithmetic would overflow.
                if (!(v.days >= -693593.0 && v.days < 2958466.0)) {
                    ConversionFailure(GetKind(), "String");
                }
                return DateTimeText(FromDays(v.days), FallbackRegionalSettings());
            } else if constexpr (std::is_same_v<T, bool>) {
                return v ? "True" : "False";
            } else if constexpr (std::is_same_v<T, std::string>) {
                return v;
            } else {
                ConversionFailure(GetKind(), "String");
            }
        },
        value_);
}

const char* KindName(Variant::Kind kind) noexcept {
    switch (kind) {
    case Variant::Kind::Empty:
        return "Empty";
    case Variant::Kind::Null:
        return "Null";
    case Variant::Kind::Integer:
        return "Integer";
    case Variant::Kind::Float:
        return "Double";
    case Variant::Kind::Currency:
        return "Currency";
    case Variant::Kind::DateTime:
        return "Date";
    case Variant::Kind::Boolean:
        return "Boolean";
    case Variant::Kind::Text:
        return "String";
    }
    return "Unknown";
}

} // namespace mz

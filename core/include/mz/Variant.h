#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace mz {

// A currency amount with four decimal places, kept as a scaled integer.
struct Currency {
    std::int64_t scaled = 0; // value * 10000
    friend bool operator==(Currency, Currency) = default;
};

// A date and time as days since 30 December 1899, the fraction being the time of day.
struct DateTimeValue {
    double days = 0;
    friend bool operator==(DateTimeValue, DateTimeValue) = default;
};

// A tagged value: empty (unassigned), null, or an integer, a floating-point number, a currency
// amount, a date-time, a boolean or a Windows-1252 text.
class Variant {
public:
    enum class Kind { Empty, Null, Integer, Float, Currency, DateTime, Boolean, Text };

    Variant() = default;
    static Variant Null();
    Variant(int value) : value_(static_cast<std::int64_t>(value)) {}
    Variant(std::int64_t value) : value_(value) {}
    Variant(double value) : value_(value) {}
    Variant(Currency value) : value_(value) {}
    Variant(DateTimeValue value) : value_(value) {}
    Variant(bool value) : value_(value) {}
    Variant(std::string value) : value_(std::move(value)) {}
    Variant(const char* value) : value_(std::string(value)) {}

    Kind GetKind() const noexcept;
    bool IsEmpty() const noexcept { return GetKind() == Kind::Empty; }
    bool IsNull() const noexcept { return GetKind() == Kind::Null; }

    // Conversions a caller makes where it needs an integer or a text. Empty converts to 0 and
    // to the empty text. A value that has no such form raises Exception with
    // "Could not convert variant of type (<kind>) into type (<target>)".
    // ToInt32: integers outside 32 bits saturate; fractions round half to even; decimal texts
    // are read as integers.
    // Numbers outside the target range saturate (ToInt64 too); NaN and texts that are no
    // integer raise the message. A true boolean is -1 and "True", false 0 and "False". ToText
    // writes floating-point numbers in their shortest exact form ("0.1"), currency amounts
    // without trailing zeros ("12.5"), date-times by the fallback regional settings.
    std::int32_t ToInt32() const;
    std::int64_t ToInt64() const;
    std::string ToText() const;

    const auto& Storage() const noexcept { return value_; }
    friend bool operator==(const Variant&, const Variant&) = default;

private:
    struct NullTag {
        friend bool operator==(NullTag, NullTag) = default;
    };
    std::variant<std::monostate, NullTag, std::int64_t, double, Currency, DateTimeValue, bool,
                 std::string>
        value_;
};

const char* KindName(Variant::Kind kind) noexcept;

} // namespace mz

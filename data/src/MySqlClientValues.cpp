#include "MySqlClientValues.h"

#include "mz/Exception.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <fmt/format.h>
#include <limits>
#include <optional>

namespace mz::mysqlvalues {

namespace {

constexpr std::int64_t DaysFromCivil1899 = -25569; // 1899-12-30 counted from 1970-01-01
constexpr double MicrosecondsPerDay = 86400.0 * 1e6;

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, MYSQL_TIME& time) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned day = doy - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    time.year = static_cast<unsigned>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
    time.month = month;
    time.day = day;
}

template <typename Number> std::optional<Number> ParseNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

[[noreturn]] void Unreadable(const MYSQL_FIELD& field, std::string_view text) {
    throw Exception(fmt::format("Value '{}' of column '{}' cannot be read", text,
                                field.name ? field.name : ""));
}

Variant Integer(const MYSQL_FIELD& field, std::string_view text) {
    if (const auto value = ParseNumber<std::int64_t>(text)) {
        return Variant(*value);
    }
    // BIGINT UNSIGNED beyond the signed range.
    if (const auto value = ParseNumber<std::uint64_t>(text)) {
        return Variant(static_cast<double>(*value));
    }
    Unreadable(field, text);
}

Variant Floating(const MYSQL_FIELD& field, std::string_view text) {
    if (const auto value = ParseNumber<double>(text)) {
        return Variant(*value);
    }
    Unreadable(field, text);
}

// Currency when the scale fits its four places and the amount its range; a float otherwise.
Variant Decimal(const MYSQL_FIELD& field, std::string_view text) {
    if (field.decimals <= 4) {
        const bool negative = !text.empty() && text.front() == '-';
        const std::string_view digits = negative ? text.substr(1) : text;
        const auto point = digits.find('.');
        const std::string_view whole = digits.substr(0, point);
        std::string_view fraction =
            point == std::string_view::npos ? std::string_view() : digits.substr(point + 1);
        const auto units = ParseNumber<std::int64_t>(whole);
        std::int64_t scaled = 0;
        if (units && *units <= std::numeric_limits<std::int64_t>::max() / 10000 - 1 &&
            fraction.size() <= 4) {
            std::int64_t fractional = 0;
            for (std::size_t i = 0; i < 4; ++i) {
                const char c = i < fraction.size() ? fraction[i] : '0';
                if (c < '0' || c > '9') {
                    Unreadable(field, text);
                }
                fractional = fractional * 10 + (c - '0');
            }
            scaled = *units * 10000 + fractional;
            return Variant(Currency{negative ? -scaled : scaled});
        }
    }
    return Floating(field, text);
}

// "YYYY-MM-DD", "YYYY-MM-DD hh:mm:ss[.ffffff]" or "[-]hhh:mm:ss[.ffffff]".
std::optional<MYSQL_TIME> ParseTemporal(std::string_view text, bool hasDate, bool hasTime) {
    MYSQL_TIME time{};
    unsigned int* const dateParts[] = {&time.year, &time.month, &time.day};
    unsigned int* const timeParts[] = {&time.hour, &time.minute, &time.second};
    auto readPart = [&text](unsigned int& part, char separator) {
        const auto end = text.find(separator);
        const auto value = ParseNumber<unsigned int>(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (value) {
            part = *value;
        }
        return value.has_value();
    };
    if (hasDate) {
        const char separators[] = {'-', '-', ' '};
        for (int i = 0; i < 3; ++i) {
            if (!readPart(*dateParts[i], separators[i])) {
                return std::nullopt;
            }
        }
    }
    if (hasTime && !text.empty()) {
        if (text.front() == '-') {
            time.neg = 1;
            text.remove_prefix(1);
        }
        const char separators[] = {':', ':', '.'};
        for (int i = 0; i < 3; ++i) {
            if (!readPart(*timeParts[i], separators[i])) {
                return std::nullopt;
            }
        }
        if (!text.empty()) {
            std::string micro(text.substr(0, 6));
            micro.resize(6, '0');
            const auto value = ParseNumber<unsigned long>(micro);
            if (!value) {
                return std::nullopt;
            }
            time.second_part = *value;
        }
    }
    return time;
}

Variant Temporal(const MYSQL_FIELD& field, std::string_view text, bool hasDate, bool hasTime) {
    const auto time = ParseTemporal(text, hasDate, hasTime);
    if (!time) {
        Unreadable(field, text);
    }
    // The zero date stands for "no date"; it has no day count.
    if (hasDate && (time->year == 0 || time->month == 0 || time->day == 0)) {
        return Variant::Null();
    }
    return Variant(DateTimeValue{ToDays(*time)});
}

Variant Bits(std::string_view bytes) {
    std::int64_t value = 0;
    for (const char byte : bytes) {
        value = (value << 8) | static_cast<unsigned char>(byte);
    }
    return Variant(value);
}

} // namespace

double ToDays(const MYSQL_TIME& time) {
    const double timeOfDay = ((time.hour * 60.0 + time.minute) * 60.0 + time.second +
                              static_cast<double>(time.second_part) / 1e6) /
                             86400.0;
    if (time.year == 0 && time.month == 0 && time.day == 0) {
        return time.neg ? -timeOfDay : timeOfDay;
    }
    const auto days =
        static_cast<double>(DaysFromCivil(time.year, time.month, time.day) - DaysFromCivil1899);
    return days >= 0 ? days + timeOfDay : days - timeOfDay;
}

MYSQL_TIME FromDays(double days) {
    MYSQL_TIME time{};
    const double whole = std::trunc(days);
    auto micro =
        static_cast<std::int64_t>(std::llround(std::fabs(days - whole) * MicrosecondsPerDay));
    auto dayCount = static_cast<std::int64_t>(whole);
    if (micro >= static_cast<std::int64_t>(MicrosecondsPerDay)) {
        micro -= static_cast<std::int64_t>(MicrosecondsPerDay);
        dayCount += days >= 0 ? 1 : -1;
    }
    CivilFromDays(dayCount + DaysFromCivil1899, time);
    time.second_part = static_cast<unsigned long>(micro % 1000000);
    const auto seconds = micro / 1000000;
    time.second = static_cast<unsigned int>(seconds % 60);
    time.minute = static_cast<unsigned int>(seconds / 60 % 60);
    time.hour = static_cast<unsigned int>(seconds / 3600);
    time.time_type = MYSQL_TIMESTAMP_DATETIME;
    return time;
}

Variant FromColumn(const MYSQL_FIELD& field, std::string_view text) {
    switch (field.type) {
    case MYSQL_TYPE_TINY:
    case MYSQL_TYPE_SHORT:
    case MYSQL_TYPE_LONG:
    case MYSQL_TYPE_INT24:
    case MYSQL_TYPE_LONGLONG:
    case MYSQL_TYPE_YEAR:
        return Integer(field, text);
    case MYSQL_TYPE_BIT:
        return Bits(text);
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL:
        return Decimal(field, text);
    case MYSQL_TYPE_FLOAT:
    case MYSQL_TYPE_DOUBLE:
        return Floating(field, text);
    case MYSQL_TYPE_DATE:
    case MYSQL_TYPE_NEWDATE:
        return Temporal(field, text, true, false);
    case MYSQL_TYPE_DATETIME:
    case MYSQL_TYPE_TIMESTAMP:
    case MYSQL_TYPE_DATETIME2:
    case MYSQL_TYPE_TIMESTAMP2:
        return Temporal(field, text, true, true);
    case MYSQL_TYPE_TIME:
    case MYSQL_TYPE_TIME2:
        return Temporal(field, text, false, true);
    case MYSQL_TYPE_NULL:
        return Variant::Null();
    default:
        return Variant(std::string(text));
    }
}

} // namespace mz::mysqlvalues

#include "mz/DateTimeText.h"

#include "mz/Text.h"

#include <fmt/format.h>

namespace mz {
namespace {

std::string Number(int value, bool twoDigits) {
    return twoDigits ? fmt::format("{:02}", value) : fmt::format("{}", value);
}

std::size_t RunLength(std::string_view text, std::size_t pos) noexcept {
    const char letter = UpperCase(text[pos]);
    std::size_t end = pos + 1;
    while (end < text.size() && UpperCase(text[end]) == letter) {
        ++end;
    }
    return end - pos;
}

std::string DateText(const LocalDateTime& moment, const RegionalSettings& regional) {
    const std::string_view format = regional.shortDateFormat;
    std::string text;
    std::size_t pos = 0;
    while (pos < format.size()) {
        const char c = format[pos];
        const char upper = UpperCase(c);
        if (c == '"' || c == '\'') {
            const auto close = format.find(c, pos + 1);
            const auto stop = close == std::string_view::npos ? format.size() : close;
            text += format.substr(pos + 1, stop - pos - 1);
            pos = stop + 1;
            continue;
        }
        if (upper != 'D' && upper != 'M' && upper != 'Y') {
            text += c == '/' ? regional.dateSeparator : c;
            ++pos;
            continue;
        }
        const std::size_t run = RunLength(format, pos);
        if (upper == 'D') {
            text += Number(moment.day, run >= 2);
        } else if (upper == 'M') {
            text += Number(moment.month, run >= 2);
        } else if (run <= 2) {
            text += Number(moment.year % 100, true);
        } else {
            text += fmt::format("{:04}", moment.year);
        }
        pos += run;
    }
    return text;
}

std::string TimeText(const LocalDateTime& moment, const RegionalSettings& regional) {
    int hour = moment.hour;
    if (regional.twelveHourClock) {
        hour %= 12;
        if (hour == 0) {
            hour = 12;
        }
    }
    std::string text =
        fmt::format("{}{}{:02}{}{:02}", Number(hour, regional.hourLeadingZero),
                    regional.timeSeparator, moment.minute, regional.timeSeparator, moment.second);
    if (!regional.twelveHourClock) {
        return text;
    }
    const std::string& marker = moment.hour < 12 ? regional.amText : regional.pmText;
    if (marker.empty()) {
        return text;
    }
    return regional.amPmFirst ? marker + ' ' + text : text + ' ' + marker;
}

} // namespace

RegionalSettings FallbackRegionalSettings() {
    return RegionalSettings{};
}

std::string DateTimeText(const LocalDateTime& moment, const RegionalSettings& regional) {
    std::string text = DateText(moment, regional);
    if (moment.hour != 0 || moment.minute != 0 || moment.second != 0) {
        text += ' ';
        text += TimeText(moment, regional);
    }
    return text;
}

} // namespace mz

#pragma once

#include "mz/DateTimeText.h"

namespace mz::test {

// Day/month/four-digit-year dates and a 24-hour clock with leading zeros, as Brazilian
// machines are set up.
inline RegionalSettings BrazilianRegional() {
    RegionalSettings regional;
    regional.shortDateFormat = "dd/mm/yyyy";
    regional.hourLeadingZero = true;
    regional.twelveHourClock = false;
    return regional;
}

} // namespace mz::test

#pragma once

#include "mz/Variant.h"

#include <mysql.h>
#include <string_view>

namespace mz::mysqlvalues {

// A column value sent as text by the server, read by the column's type.
Variant FromColumn(const MYSQL_FIELD& field, std::string_view text);

// Days since 30 December 1899 and back, the fraction being the time of day; days before that
// date count down while their time of day still counts up (-1.25 is 29 December, 06:00).
double ToDays(const MYSQL_TIME& time);
MYSQL_TIME FromDays(double days);

} // namespace mz::mysqlvalues

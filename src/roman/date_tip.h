// The date tooltip: the Latin date and the Roman year.
#pragma once

#include <string>
#include <string_view>

#include "platform/clock.h"

namespace roman {

// The thousands and hundreds of a year from 1800 to 3099 in the current
// style ("MCM", "MMDCC"); the empty text for any other year.
std::string_view CenturyNumerals(int year);

// " MMXXIV", " MMDCCLXXVII a.u.c." or the empty text; from 14 December the
// coming year is shown.
std::string RomanYearText(const platform::LocalDateTime& date);

// The tooltip for a date: the Latin date and the year, or the locale's long
// date when the Latin date is not found.
std::string DateTipText(const platform::LocalDateTime& date);

}  // namespace roman

// The local time on POSIX systems.
#pragma once

#include <string>

#include "clock/roman.h"

namespace clep {

// The local date and time now, by the system's time zone.
LocalTime LocalNow();

// A date in a long form ("Sunday, 6 December 2026"), for a date with no Latin text.
std::string LongDateText(const LocalTime& date);

}  // namespace clep

// The local time on POSIX systems.
#pragma once

#include <ctime>
#include <string>

#include "clock/roman.h"

namespace clep {

// The local date and time now, by the system's time zone.
LocalTime LocalNow();

// The local date and time of a moment, by the time zone last read (tzset).
LocalTime LocalTimeAt(std::time_t seconds);

// The time zone's standard offset, in minutes east of Greenwich (tzset read it).
int StandardMinutesEast();

// A date in a long form ("Sunday, 6 December 2026"), for a date with no Latin text.
std::string LongDateText(const LocalTime& date);

}  // namespace clep

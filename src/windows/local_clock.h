// The local time on Windows.
#pragma once

#include <cstdint>
#include <string>

#include "clock/horae.h"
#include "clock/roman.h"
#include "settings/clock_settings.h"

namespace clep::win {

LocalTime LocalNow();

// Milliseconds until the clock text next changes.
int MillisecondsToNextChange(bool seconds);

// Milliseconds since 1970-01-01 00:00 UTC.
std::int64_t UnixMilliseconds();

// The local time of a moment, by the time zone's rules on its day.
LocalTime LocalAt(UnixSeconds moment);

// Where the Roman hours are counted: the Latitude and Longitude keys, else
// the place Windows keeps for the user's region, else Rome's latitude on the
// time zone's own meridian.
Place UserPlace(const ClockSettings& settings);

// The date in the user locale's long form, and the time in its own form
// without seconds, as a screen reader says them.
std::string LongDateText(const LocalTime& date);
std::string LocaleTimeText(const LocalTime& time);

// The user's first day of the week, 0 for Sunday.
int FirstWeekday();

}  // namespace clep::win

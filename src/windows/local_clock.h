// The local time on Windows.
#pragma once

#include <string>

#include "clock/roman.h"

namespace clep::win {

LocalTime LocalNow();

// Milliseconds until the clock text next changes.
int MillisecondsToNextChange(bool seconds);

// The date in the user locale's long form, for a date with no Latin text.
std::string LongDateText(const LocalTime& date);

}  // namespace clep::win

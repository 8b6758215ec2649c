// The system clock and the locale's date format.
#pragma once

#include <string>

namespace platform {

// A local calendar date and time of day, as the system reports it.
struct LocalDateTime {
  int year = 0;    // 1601..30827
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59
};

// The current local date and time.
LocalDateTime LocalNow();

// The date in the user locale's long date form ("Sunday, December 6, 2026").
std::string LongDateText(const LocalDateTime& date);

}  // namespace platform

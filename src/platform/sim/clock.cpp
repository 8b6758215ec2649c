#include <ctime>
#include <optional>

#include "platform/clock.h"
#include "platform/sim/sim.h"

namespace {
std::optional<platform::LocalDateTime> fixedTime;

const char* const kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[] = {"January", "February", "March",     "April",
                                   "May",     "June",     "July",      "August",
                                   "September", "October", "November", "December"};

// Day of the week, 0 = Sunday (Sakamoto's method).
int Weekday(int year, int month, int day) {
  static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) {
    year -= 1;
  }
  return (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
}
}  // namespace

namespace platform {

LocalDateTime LocalNow() {
  if (fixedTime) {
    return *fixedTime;
  }
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  localtime_r(&now, &parts);
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
          parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

// The simulated locale is English (United States): "dddd, MMMM d, yyyy".
std::string LongDateText(const LocalDateTime& date) {
  if (date.month < 1 || date.month > 12 || date.day < 1 || date.year < 1) {
    return {};
  }
  std::string text = kDayNames[Weekday(date.year, date.month, date.day)];
  text += ", ";
  text += kMonthNames[date.month - 1];
  text += ' ';
  text += std::to_string(date.day);
  text += ", ";
  text += std::to_string(date.year);
  return text;
}

}  // namespace platform

namespace sim {
void SetLocalTime(const platform::LocalDateTime& now) { fixedTime = now; }
void UseSystemClock() { fixedTime.reset(); }
}  // namespace sim

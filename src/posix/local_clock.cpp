#include "posix/local_clock.h"

#include <ctime>

namespace clep {

LocalTime LocalNow() {
  std::tm now{};
  const std::time_t seconds = std::time(nullptr);
  localtime_r(&seconds, &now);
  return {now.tm_year + 1900, now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec};
}

std::string LongDateText(const LocalTime& date) {
  std::tm when{};
  when.tm_year = date.year - 1900;
  when.tm_mon = date.month - 1;
  when.tm_mday = date.day;
  when.tm_hour = 12;
  when.tm_isdst = -1;
  std::mktime(&when);  // fills in the weekday
  char text[96];
  const std::size_t length = std::strftime(text, sizeof text, "%A, %d %B %Y", &when);
  return std::string(text, length);
}

}  // namespace clep

#include "posix/local_clock.h"

#include <ctime>

namespace clep {

LocalTime LocalNow() {
  // Not time(): it reads a coarse clock that turns the second a tick late.
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return LocalTimeAt(now.tv_sec);
}

LocalTime LocalTimeAt(std::time_t seconds) {
  std::tm when{};
  localtime_r(&seconds, &when);
  return {when.tm_year + 1900, when.tm_mon + 1, when.tm_mday,
          when.tm_hour,        when.tm_min,     when.tm_sec};
}

int StandardMinutesEast() {
  tzset();
  return static_cast<int>(-timezone / 60);
}

// GCOVR_EXCL_START: asked only for a date with no Latin text, which no clock gives
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
// GCOVR_EXCL_STOP

}  // namespace clep

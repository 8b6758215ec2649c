#include "windows/local_clock.h"

#include <windows.h>

namespace clep::win {

LocalTime LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

int MillisecondsToNextChange(bool seconds) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return clep::MillisecondsToNextChange(now.wSecond, now.wMilliseconds, seconds);
}

// GCOVR_EXCL_START: asked only for a date with no Latin text, which no clock gives
std::string LongDateText(const LocalTime& date) {
  SYSTEMTIME when{};
  when.wYear = static_cast<WORD>(date.year);
  when.wMonth = static_cast<WORD>(date.month);
  when.wDay = static_cast<WORD>(date.day);
  char text[128] = {};
  const int length = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &when, nullptr, text,
                                    static_cast<int>(sizeof text));
  return length > 0 ? std::string(text, static_cast<std::size_t>(length - 1)) : std::string();
}
// GCOVR_EXCL_STOP

}  // namespace clep::win

#include <windows.h>

#include "platform/clock.h"

namespace platform {

LocalDateTime LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::string LongDateText(const LocalDateTime& date) {
  SYSTEMTIME when{};
  when.wYear = static_cast<WORD>(date.year);
  when.wMonth = static_cast<WORD>(date.month);
  when.wDay = static_cast<WORD>(date.day);
  char buffer[128] = {};
  int length = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &when, nullptr, buffer,
                              static_cast<int>(sizeof buffer));
  return length > 0 ? std::string(buffer, static_cast<std::size_t>(length - 1)) : std::string();
}

}  // namespace platform

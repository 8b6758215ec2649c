#include "windows/local_clock.h"

#include <windows.h>

#include <cstdlib>
#include <optional>

namespace clep::win {

LocalTime LocalNow() {
  return LocalAt(UnixMilliseconds() / 1000);
}

int MillisecondsToNextChange(bool seconds) {
  // Every zone is whole minutes off UTC: its seconds are UTC's.
  const std::int64_t now = UnixMilliseconds();
  return clep::MillisecondsToNextChange(static_cast<int>(now / 1000 % 60),
                                        static_cast<int>(now % 1000), seconds);
}

namespace {

// 100 ns ticks from 1601 to 1970.
constexpr std::int64_t kUnixEpochTicks = 116444736000000000;

std::optional<std::int32_t> RegionDegrees(GEOTYPE what, std::int32_t bound) {
  char text[32] = {};
  const GEOID nation = GetUserGeoID(GEOCLASS_NATION);
  if (nation == GEOID_NOT_AVAILABLE ||
      GetGeoInfoA(nation, what, text, static_cast<int>(sizeof text), 0) <= 0) {
    return std::nullopt;
  }
  return ParseDegrees(text, bound);
}

}  // namespace

std::int64_t UnixMilliseconds() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const auto ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
  std::int64_t milliseconds = (ticks - kUnixEpochTicks) / 10000;
#ifdef CLEP_FAULTABLE
  // Wine has one clock for all programs: the end-to-end build can be set
  // to another moment, to cross a month's or a year's end on purpose.
  char shift[24] = {};
  if (GetEnvironmentVariableA("CLEP_FAULT_CLOCK_SHIFT_MS", shift, sizeof shift) > 0) {
    milliseconds += std::strtoll(shift, nullptr, 10);
  }
#endif
  return milliseconds;
}

LocalTime LocalAt(UnixSeconds moment) {
  const auto ticks = static_cast<std::uint64_t>(moment * 10000000 + kUnixEpochTicks);
  const FILETIME file{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc{};
  SYSTEMTIME local{};
  if (!FileTimeToSystemTime(&file, &utc) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
    return {};
  }
  return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

Place UserPlace(const ClockSettings& settings) {
  TIME_ZONE_INFORMATION zone{};
  GetTimeZoneInformation(&zone);
  return HoursPlace(settings, {RegionDegrees(GEO_LATITUDE, 90), RegionDegrees(GEO_LONGITUDE, 180)},
                    static_cast<int>(-zone.Bias));
}

namespace {

SYSTEMTIME SystemTimeOf(const LocalTime& time) {
  SYSTEMTIME when{};
  when.wYear = static_cast<WORD>(time.year);
  when.wMonth = static_cast<WORD>(time.month);
  when.wDay = static_cast<WORD>(time.day);
  when.wHour = static_cast<WORD>(time.hour);
  when.wMinute = static_cast<WORD>(time.minute);
  when.wSecond = static_cast<WORD>(time.second);
  return when;
}

std::string Formatted(int length, const char* text) {
  return length > 0 ? std::string(text, static_cast<std::size_t>(length - 1)) : std::string();
}

}  // namespace

std::string LongDateText(const LocalTime& date) {
  const SYSTEMTIME when = SystemTimeOf(date);
  char text[128] = {};
  return Formatted(GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &when, nullptr, text,
                                  static_cast<int>(sizeof text)),
                   text);
}

std::string LocaleTimeText(const LocalTime& time) {
  const SYSTEMTIME when = SystemTimeOf(time);
  char text[64] = {};
  return Formatted(GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &when, nullptr, text,
                                  static_cast<int>(sizeof text)),
                   text);
}

int FirstWeekday() {
  char day[4] = {};
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, day, sizeof day);
  // The locale counts from Monday.
  return day[0] >= '0' && day[0] <= '6' ? (day[0] - '0' + 1) % 7 : 1;
}

}  // namespace clep::win

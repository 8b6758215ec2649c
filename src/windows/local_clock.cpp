#include "windows/local_clock.h"

#include <windows.h>

#include <optional>

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
  return (ticks - kUnixEpochTicks) / 10000;
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

}  // namespace clep::win

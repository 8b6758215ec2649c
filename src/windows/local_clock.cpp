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

// The Roman hours: the daylight from sunrise to sunset in twelve hours, the
// night in four watches of three hours each, as a water clock was set.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "clock/roman.h"

namespace clep {

// Seconds since 1970-01-01 00:00 UTC.
using UnixSeconds = std::int64_t;

// Degrees, north and east positive.
struct Place {
  double latitude = 0;
  double longitude = 0;
};

// The sun's rise and set on one day at a place. The day is the civil date in
// the place's mean solar time (its longitude's, 4 minutes a degree east of
// Greenwich). The disc's upper edge on a sea horizon: 0.833 degrees below it,
// 34' of refraction and the radius, which the sun's distance changes a little.
struct SunDay {
  enum class Kind { kRisesAndSets, kNeverRises, kNeverSets };
  Kind kind = Kind::kRisesAndSets;
  UnixSeconds rise = 0;  // with kRisesAndSets only
  UnixSeconds set = 0;
};
SunDay SunOn(int year, int month, int day, const Place& place);

// The Roman hour of a moment. Where the sun does not rise or does not set on
// a day the hours count, the day runs from 06:00 to 18:00 of the place's mean
// solar time, in equal hours.
struct RomanHour {
  bool night = false;
  int hour = 1;           // 1..12: the day's hora, or the night's hour
  int watch = 0;          // 1..4 by night, three of its hours each; 0 by day
  UnixSeconds start = 0;  // of the hour
  UnixSeconds end = 0;
  // What the ticker shows, the hora or the watch, from and to.
  UnixSeconds shownStart = 0;
  UnixSeconds shownEnd = 0;
};
RomanHour RomanHourAt(UnixSeconds moment, const Place& place);

// "hora III" by day, "vigilia II" by night, in the clock's numerals and case.
std::string HourText(const RomanHour& hour, const ClockStyle& style);

// Every text the ticker can show for the hours, by day and by night.
std::array<std::string, 16> EveryHourText(const ClockStyle& style);

// The longest HourText of a style, so that the ticker keeps one width.
std::size_t WidestHourText(const ClockStyle& style);

// "hora tertia diei" or "vigilia secunda noctis".
std::string HourName(const RomanHour& hour);

// The tooltip's first line: the name and the civil span of what the ticker
// shows, "hora tertia diei, 09:41 to 10:27", from the local times given.
std::string HourTipLine(const RomanHour& hour, const LocalTime& from, const LocalTime& to);

// A calendar day's sun, "sunrise 07:34, sunset 16:41" from the local times
// given, or "the sun stays up" or "down".
std::string SunLine(const SunDay& sun, const LocalTime& rise, const LocalTime& set);

}  // namespace clep

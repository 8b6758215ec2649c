// clepsydrium-print's command line: what to print, for when, from which file.
#pragma once

#include <optional>
#include <string>

#include "clock/horae.h"
#include "clock/roman.h"
#include "tools/line.h"

namespace clep::print {

enum class Mode { kClock, kNumeral, kLatinDates, kSettings, kCalendar, kSun };

struct Options {
  Mode mode = Mode::kClock;
  const char* iniFile = nullptr;  // none: the user's own file
  long numeral = 0;
  int calendarYear = 0;
  int calendarMonth = 0;  // 0: the month of today
  LocalTime sunDay;       // year 0: today
  std::optional<Place> place;
  bool sunday = false;
  bool help = false;  // the help text was printed: nothing more to do
  bool haveTime = false;
  LocalTime at;
  Shape shape;
};

// The options of a command line; false, with the reason and the usage on
// stderr, for a bad one.
bool ParseOptions(int argc, char** argv, Options& options);

}  // namespace clep::print

// The line clepsydrium-print prints for a moment.
#pragma once

#include <string>

#include "clock/roman.h"
#include "settings/clock_settings.h"

namespace clep::print {

// How a moment is put on the line.
struct Shape {
  bool json = false;
  bool follow = false;
  bool pad = false;
  const char* format = nullptr;
};

// What one moment prints: the clock text and the tooltip on two lines, the
// clock text alone when following, the template filled in, or one JSON object.
std::string Output(const LocalTime& now, const ClockSettings& settings, const Shape& shape);

// Says on stderr that stdout took no more, by errno; gives the exit code, 1.
int WriteFailed();

}  // namespace clep::print

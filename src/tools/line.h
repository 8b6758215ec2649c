// The line clepsydrium-print prints for a moment.
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "clock/horae.h"
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
// `now` is `moment`'s local time; the Roman hour is counted at `place`.
std::string Output(const LocalTime& now, std::time_t moment, const ClockSettings& settings,
                   const Place& place, const Shape& shape);

// Whether the line changes only with the Roman hour (and the settings).
bool ShowsOnlyTheHour(const ClockSettings& settings, const Shape& shape);

// The place given on the command line, else the settings', else the zone's.
Place PlaceFor(const ClockSettings& settings, const std::optional<Place>& given);

// Says on stderr that stdout took no more, by errno; gives the exit code, 1.
int WriteFailed();

}  // namespace clep::print

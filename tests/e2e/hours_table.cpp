// The Roman hour of a moment as the program counts it, for the driver:
// "hours_table LAT LON UNIX" prints "TEXT|NAME|FROM|TO", the span in Unix
// seconds of what the ticker shows.
#include <cstdio>
#include <cstdlib>

#include "clock/horae.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    return 2;
  }
  const clep::Place place{std::atof(argv[1]), std::atof(argv[2])};
  const clep::RomanHour hour = clep::RomanHourAt(std::atoll(argv[3]), place);
  std::printf("%s|%s|%lld|%lld\n", clep::HourText(hour, {}).c_str(), clep::HourName(hour).c_str(),
              static_cast<long long>(hour.shownStart), static_cast<long long>(hour.shownEnd));
}

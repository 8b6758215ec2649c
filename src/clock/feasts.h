// The fixed feasts of the Roman year, by the days of the month they fell on.
#pragma once

#include <array>
#include <string>

namespace clep {

struct Feast {
  int month;  // 1..12
  // Days of that month; a feast across a month's end is a row in each month.
  int first;
  int last;
  const char* name;  // "Lupercalia", "Ludi Romani"
};

// By month, then first day.
extern const std::array<Feast, 52> kFeasts;

// The names of the feasts of a day, in the table's order, joined by ", ";
// empty for a day without one.
std::string FeastsOn(int month, int day);

}  // namespace clep

// clepsydrium-print --calendar: a month of the Latin calendar as text.
#pragma once

#include <string>

#include "calendar/latin_month.h"

namespace clep::print {

// The month as cal lays it out: the title centred, then the weekday heads and
// the days' numerals right-aligned in columns as wide as the widest numeral,
// then which days are the Kalends, Nones and Ides, and the month's feasts
// (no line for none). `today` (0 for none) is in
// reverse video when the output is a terminal.
std::string CalendarText(const LatinMonth& shown, int today, bool terminal, bool lowercase);

}  // namespace clep::print

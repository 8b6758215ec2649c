// The date tooltip: the Latin date and the Roman year.
#pragma once

#include <string>
#include <string_view>

#include "clock/roman.h"

namespace clep {

struct TipStyle {
  bool subtractive = true;
  bool zeroAsDash = false;
  bool lowercase = false;
  bool romanYear = false;  // counted from 753 BC, "a.u.c."
  bool feasts = false;     // the day's feasts after the year: ", Saturnalia"
};

// The thousands and hundreds of a year from 1800 to 3099 ("MCM", "MMDCC");
// the empty text for any other year.
std::string_view CenturyNumerals(int year, bool subtractive);

// The locale's long date, asked for only when there is no Latin date.
using LongDateFn = std::string (*)(const LocalTime& date);

// The tooltip for a date: the Latin date and the year, or the locale's long
// date (never lowered) for a date with no Latin text.
std::string DateTipText(const LocalTime& date, const TipStyle& style, LongDateFn longDate);

}  // namespace clep

// A month of the Latin calendar, laid out in weeks, as a calendar shows it.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "clock/date_tip.h"

namespace clep {

// Days in a month of the proleptic Gregorian calendar; 0 for no month.
int DaysInMonth(int year, int month);

// A calendar's day, and its moves: by days across months and years, and by
// months to the same day or the shorter month's last; never beyond the
// years Windows' own dates can name.
struct CalendarDay {
  int year = 0;
  int month = 0;
  int day = 0;
  bool operator==(const CalendarDay& other) const {
    return year == other.year && month == other.month && day == other.day;
  }
};
inline constexpr int kFirstYear = 1601;
inline constexpr int kLastYear = 30827;
CalendarDay StepDays(const CalendarDay& from, int days);
CalendarDay StepMonths(const CalendarDay& from, int months);

// 0 for Sunday to 6 for Saturday.
int WeekdayOf(int year, int month, int day);

enum class FixedDay { kNone, kKalends, kNones, kIdes };

struct MonthDay {
  int day = 0;          // 0: a cell before the first or after the last day
  std::string numeral;  // "XIV"
  std::string latin;    // "a.d. IV Nonas Ianuarias", as the tooltip gives it
  FixedDay fixed = FixedDay::kNone;
  std::string feast;  // "Saturnalia, Opalia"; empty on a day without one
};

struct LatinMonth {
  std::string title;                 // "Ianuarius MMXXIV", "Ianuarius MMDCCLXXVII a.u.c."
  std::array<std::string, 7> heads;  // the planetary week from its first day: "Sol", "Lun", ...
  std::vector<std::array<MonthDay, 7>> weeks;
  // "Feriae: XV Lupercalia, XVII Quirinalia", a feast of several days as
  // "XVII-XXIII Saturnalia"; empty for a month without feasts.
  std::string feriae;
};

// A month's line of feasts in the tooltip's style, as LatinMonth::feriae.
std::string FeriaeOf(int month, const TipStyle& style);

// The month in the tooltip's style, its weeks starting on firstWeekday (0 is
// Sunday). A year beyond the Roman numerals' range is titled in digits.
LatinMonth BuildLatinMonth(int year, int month, int firstWeekday, const TipStyle& style);

}  // namespace clep

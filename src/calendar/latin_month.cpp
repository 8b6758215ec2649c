#include "calendar/latin_month.h"

#include <algorithm>

#include "clock/feasts.h"
#include "clock/latin_dates.h"

namespace clep {

namespace {

constexpr const char* kMonthNames[12] = {
    "Ianuarius", "Februarius", "Martius",   "Aprilis", "Maius",    "Iunius",
    "Iulius",    "Augustus",   "September", "October", "November", "December",
};

// The days of the planetary week, dies Solis to dies Saturni.
constexpr const char* kWeekdays[7] = {"Sol", "Lun", "Mar", "Mer", "Iov", "Ven", "Sat"};

constexpr int kFoundingOfRome = 753;

std::string YearTitle(int year, const TipStyle& style) {
  const int counted = style.romanYear ? year + kFoundingOfRome : year;
  const std::string_view century = CenturyNumerals(counted, style.subtractive);
  std::string text =
      century.empty()
          ? std::to_string(counted)
          : std::string(century).append(RomanNumeral(counted % 100, style.subtractive, false));
  return style.romanYear ? text + " a.u.c." : text;
}

void Lower(std::string& text, bool lowercase) {
  if (lowercase) {
    LowerCase(text.data(), text.size());
  }
}

}  // namespace

int DaysInMonth(int year, int month) {
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && !leap ? 28 : DaysInLeapYearMonth(month);
}

CalendarDay StepMonths(const CalendarDay& from, int months) {
  // Within the years Windows' own dates can name.
  const int index =
      std::clamp(from.year * 12 + from.month - 1 + months, kFirstYear * 12, kLastYear * 12 + 11);
  const int year = index / 12;
  const int month = index % 12 + 1;
  return {year, month, std::clamp(from.day, 1, DaysInMonth(year, month))};
}

CalendarDay StepDays(const CalendarDay& from, int days) {
  CalendarDay to{from.year, from.month, from.day + days};
  while (to.day < 1 && to.year * 12 + to.month > kFirstYear * 12 + 1) {
    to = {to.month == 1 ? to.year - 1 : to.year, to.month == 1 ? 12 : to.month - 1, to.day};
    to.day += DaysInMonth(to.year, to.month);
  }
  while (to.day > DaysInMonth(to.year, to.month) && to.year * 12 + to.month < kLastYear * 12 + 12) {
    to.day -= DaysInMonth(to.year, to.month);
    to = {to.month == 12 ? to.year + 1 : to.year, to.month == 12 ? 1 : to.month + 1, to.day};
  }
  to.day = std::clamp(to.day, 1, DaysInMonth(to.year, to.month));
  return to;
}

int WeekdayOf(int year, int month, int day) {
  // Sakamoto's method: the year counted from March, so the leap day ends it.
  static constexpr int kShift[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  const int y = month < 3 ? year - 1 : year;
  return (y + y / 4 - y / 100 + y / 400 + kShift[month - 1] + day) % 7;
}

std::string FeriaeOf(int month, const TipStyle& style) {
  std::string line;
  for (const Feast& feast : kFeasts) {
    if (feast.month != month) {
      continue;
    }
    line += line.empty() ? "Feriae: " : ", ";
    line += RomanNumeral(feast.first, style.subtractive, false);
    if (feast.last != feast.first) {
      line.append("-").append(RomanNumeral(feast.last, style.subtractive, false));
    }
    line.append(" ").append(feast.name);
  }
  Lower(line, style.lowercase);
  return line;
}

LatinMonth BuildLatinMonth(int year, int month, int firstWeekday, const TipStyle& style) {
  LatinMonth result;
  result.title = std::string(kMonthNames[month - 1]) + ' ' + YearTitle(year, style);
  Lower(result.title, style.lowercase);
  for (int column = 0; column < 7; ++column) {
    result.heads[column] = kWeekdays[(firstWeekday + column) % 7];
    Lower(result.heads[column], style.lowercase);
  }
  const LatinDates& dates = LatinDates::For(style.subtractive);
  const int nones = NonesOf(month);
  const int lead = (WeekdayOf(year, month, 1) - firstWeekday + 7) % 7;
  const int days = DaysInMonth(year, month);
  for (int cell = 0; cell < lead + days; ++cell) {
    if (cell % 7 == 0) {
      result.weeks.emplace_back();
    }
    const int day = cell - lead + 1;
    if (day < 1) {
      continue;
    }
    MonthDay& entry = result.weeks.back()[cell % 7];
    entry.day = day;
    entry.numeral = RomanNumeral(day, style.subtractive, false);
    entry.latin = dates.Find(day, month);
    entry.fixed = day == 1           ? FixedDay::kKalends
                  : day == nones     ? FixedDay::kNones
                  : day == nones + 8 ? FixedDay::kIdes
                                     : FixedDay::kNone;
    entry.feast = FeastsOn(month, day);
    Lower(entry.numeral, style.lowercase);
    Lower(entry.latin, style.lowercase);
    Lower(entry.feast, style.lowercase);
  }
  result.feriae = FeriaeOf(month, style);
  return result;
}

}  // namespace clep

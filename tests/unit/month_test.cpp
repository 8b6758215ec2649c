// The Latin calendar's month.
#include <gtest/gtest.h>

#include <tuple>

#include "calendar/latin_month.h"
#include "calendar/place.h"
#include "clock/latin_dates.h"

namespace clep {
namespace {

// Every day of two years is in its weekday's column, in order, with the
// tooltip's Latin date, and the three fixed days are marked; of a leap
// year's days, 63 are written otherwise in the other style.
TEST(LatinMonth, EveryDayInPlaceWithItsLatinDate) {
  int differ = 0;
  for (const int year : {2023, 2024}) {
    for (int month = 1; month <= 12; ++month) {
      const LatinMonth shown = BuildLatinMonth(year, month, 1, {});
      int next = 1;
      int fixed = 0;
      for (const auto& week : shown.weeks) {
        for (int column = 0; column < 7; ++column) {
          const MonthDay& cell = week[column];
          if (cell.day == 0) {
            continue;
          }
          EXPECT_EQ(cell.day, next++);
          EXPECT_EQ((WeekdayOf(year, month, cell.day) + 6) % 7, column);
          EXPECT_EQ(cell.latin, LatinDates::For(true).Find(cell.day, month));
          EXPECT_FALSE(cell.latin.empty());
          differ += year == 2024 && cell.latin != LatinDates::For(false).Find(cell.day, month);
          EXPECT_EQ(cell.numeral, RomanNumeral(cell.day, true, false));
          fixed += cell.fixed != FixedDay::kNone;
        }
      }
      EXPECT_EQ(next - 1, DaysInMonth(year, month)) << year << '-' << month;
      EXPECT_EQ(fixed, 3);
    }
  }
  EXPECT_EQ(differ, 63);
}

TEST(LatinMonth, TitlesWeekStartsAndStyles) {
  struct Row {
    int year, month, firstWeekday;
    TipStyle style;
    const char* title;
    const char* firstHead;
    int lead;   // blank cells before the first day
    int weeks;  // rows
    int nones;  // the day marked as the Nones
  };
  const Row rows[] = {
      {2024, 2, 1, {}, "Februarius MMXXIV", "Lun", 3, 5, 5},
      // February of a common year, starting on the week's first day: four rows.
      {2026, 2, 0, {}, "Februarius MMXXVI", "Sol", 0, 4, 5},
      {2024, 3, 6, {false, false, false, true}, "Martius MMDCCLXXVII a.u.c.", "Sat", 6, 6, 7},
      {2019, 10, 1, {true, false, true, false}, "october mmxix", "lun", 1, 5, 7},
      {1999, 12, 1, {false, false, false, false}, "December MDCCCCLXXXXVIIII", "Lun", 2, 5, 5},
      {1000, 1, 1, {}, "Ianuarius 1000", "Lun", 2, 5, 5},
  };
  for (const Row& row : rows) {
    const LatinMonth shown = BuildLatinMonth(row.year, row.month, row.firstWeekday, row.style);
    EXPECT_EQ(shown.title, row.title);
    EXPECT_EQ(shown.heads[0], row.firstHead);
    EXPECT_EQ(shown.weeks.size(), static_cast<std::size_t>(row.weeks)) << shown.title;
    EXPECT_EQ(shown.weeks[0][row.lead].day, 1) << shown.title;
    const MonthDay& nones =
        shown.weeks[(row.lead + row.nones - 1) / 7][(row.lead + row.nones - 1) % 7];
    EXPECT_EQ(nones.fixed, FixedDay::kNones) << shown.title;
  }
}

// A month's feasts (January's and February's are the README's and the
// calendar scenario's): one of several days by its first and last, one
// across a month's end in both months, overlaps in order.
TEST(LatinMonth, TheFeastsOfAMonth) {
  const std::pair<int, const char*> feriae[] = {
      {4,
       "Feriae: IV-X Ludi Megalenses, XII-XIX Ludi Ceriales, XV Fordicidia, XIX Cerialia, "
       "XXI Parilia, XXIII Vinalia, XXV Robigalia, XXVIII-XXX Ludi Florales"},
      {5,
       "Feriae: I-III Ludi Florales, IX Lemuria, XI Lemuria, XIII Lemuria, XXI Agonalia, "
       "XXIII Tubilustrium"},
      {9, "Feriae: IV-XIX Ludi Romani"},
  };
  for (const auto& [month, text] : feriae) {
    EXPECT_EQ(BuildLatinMonth(2024, month, 1, {}).feriae, text);
  }
  EXPECT_EQ(BuildLatinMonth(2027, 12, 1, {false, false, true}).feriae,
            "feriae: xi agonalia, xv consualia, xvii-xxiii saturnalia, xviiii opalia, "
            "xxi divalia, xxiii larentalia");
  // The days' own names, overlaps joined; none on the leap day.
  const std::tuple<int, int, const char*> days[] = {
      {12, 19, "saturnalia, opalia"}, {12, 24, ""},           {4, 30, "ludi florales"},
      {5, 1, "ludi florales"},        {9, 13, "ludi romani"}, {2, 29, ""},
  };
  for (const auto& [month, day, feast] : days) {
    const LatinMonth shown = BuildLatinMonth(2024, month, 1, {true, false, true});
    const int cell = (WeekdayOf(2024, month, 1) + 6) % 7 + day - 1;
    EXPECT_EQ(shown.weeks[cell / 7][cell % 7].feast, feast) << month << '-' << day;
  }
}

// The keys' moves: across months, years and a century's February, and
// never beyond the years Windows can name.
TEST(CalendarDay, StepsByDaysAndMonths) {
  const std::tuple<CalendarDay, int, int, CalendarDay> rows[] = {
      // from, days, months, to
      {{2027, 1, 31}, 1, 0, {2027, 2, 1}},    {{2024, 3, 1}, -1, 0, {2024, 2, 29}},
      {{1900, 3, 1}, -1, 0, {1900, 2, 28}},  // a century: no leap day
      {{2000, 3, 1}, -1, 0, {2000, 2, 29}},  // but every fourth
      {{2026, 12, 31}, 7, 0, {2027, 1, 7}},   {{2027, 1, 3}, -7, 0, {2026, 12, 27}},
      {{1601, 1, 1}, -1, 0, {1601, 1, 1}},    {{30827, 12, 31}, 7, 0, {30827, 12, 31}},
      {{2025, 1, 31}, 0, 1, {2025, 2, 28}},  // the shorter month's last
      {{2024, 1, 31}, 0, 1, {2024, 2, 29}},   {{2026, 12, 15}, 0, 1, {2027, 1, 15}},
      {{2027, 3, 31}, 0, -13, {2026, 2, 28}}, {{1601, 1, 20}, 0, -1, {1601, 1, 20}},
      {{30827, 12, 5}, 0, 1, {30827, 12, 5}},
  };
  for (const auto& [from, days, months, to] : rows) {
    const CalendarDay moved = months != 0 ? StepMonths(from, months) : StepDays(from, days);
    EXPECT_EQ(moved, to) << from.year << '-' << from.month << '-' << from.day << ' ' << days << ' '
                         << months << ": " << moved.year << '-' << moved.month << '-' << moved.day;
  }
}

TEST(CalendarPlace, OnTheBarsInnerSideWhollyOnItsMonitor) {
  const Rect monitor{1024, 0, 2048, 768};
  const Size popup{300, 200};
  const std::tuple<Rect, Rect, Point> rows[] = {
      // the ticker, its bar, where the calendar goes
      {{1800, 740, 1900, 760}, {1024, 738, 2048, 768}, {1700, 534}},  // bottom: above, centred
      {{1990, 740, 2040, 760}, {1024, 738, 2048, 768}, {1748, 534}},  // the monitor's right end
      {{1030, 4, 1130, 24}, {1024, 0, 2048, 30}, {1024, 34}},         // top: below, left end
      {{1026, 300, 1086, 340}, {1024, 0, 1086, 768}, {1090, 220}},    // left: to its right
      {{1990, 700, 2046, 740}, {1986, 0, 2048, 768}, {1682, 568}},    // right: to its left, up
  };
  for (const auto& [ticker, bar, at] : rows) {
    const Rect place = CalendarPlace(ticker, bar, monitor, popup, 4);
    EXPECT_EQ((Point{place.left, place.top}), at) << ticker.left << ',' << ticker.top;
    EXPECT_EQ(place.right - place.left, popup.width);
  }
}

}  // namespace
}  // namespace clep

// The Latin calendar date of every day of the year, counted toward the
// Kalends, Nones and Ides.
#pragma once

#include <array>
#include <string_view>

namespace clep {

class LatinDates {
 public:
  // The table of one numeral style, built at its first use and never changed.
  static const LatinDates& For(bool subtractive);

  // The text of a day of a leap year ("a.d. IV Nonas Ianuarias"); the empty
  // text for a day that exists in no year.
  std::string_view Find(int day, int month) const;
  // The same by a "DDMM" key ("0201"); other forms find nothing.
  std::string_view Find(std::string_view key) const;

 private:
  explicit LatinDates(bool subtractive);
  // The longest text, "a.d. XVIIII Kalendas Septembres", has 31 characters.
  struct Text {
    unsigned char length = 0;
    char characters[35] = {};
  };
  std::array<std::array<Text, 31>, 12> texts_;
};

// Days of a month in a leap year: the days that have a Latin text.
int DaysInLeapYearMonth(int month);

// The day of a month's Nones (5 or 7); its Ides are eight days later. 0 for no month.
int NonesOf(int month);

}  // namespace clep

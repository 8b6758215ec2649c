#include "clock/date_tip.h"

#include "clock/feasts.h"
#include "clock/latin_dates.h"

namespace clep {

namespace {

constexpr int kFirstYear = 1800;
constexpr int kLastYear = 3099;
constexpr int kFoundingOfRome = 753;

// By the year's first two digits, 18 to 30.
constexpr std::string_view kCenturiesAdditive[13] = {
    "MDCCC", "MDCCCC", "MM",    "MMC",    "MMCC",    "MMCCC", "MMCCCC",
    "MMD",   "MMDC",   "MMDCC", "MMDCCC", "MMDCCCC", "MMM",
};
constexpr std::string_view kCenturiesSubtractive[13] = {
    "MDCCC", "MCM",  "MM",    "MMC",    "MMCC", "MMCCC", "MMCD",
    "MMD",   "MMDC", "MMDCC", "MMDCCC", "MMCM", "MMM",
};

// " MMXXIV", " MMDCCLXXVII a.u.c." or nothing.
void AppendRomanYear(std::string& text, const LocalTime& date, const TipStyle& style) {
  int year = date.year;
  // From 14 December the days count toward the Kalends of January.
  if (date.month == 12 && date.day >= 14) {
    ++year;
  }
  if (style.romanYear) {
    year += kFoundingOfRome;
  }
  const std::string_view century = CenturyNumerals(year, style.subtractive);
  if (century.empty()) {
    return;
  }
  // A year ending in 00 shows the century alone, dash or not.
  const std::string_view rest = RomanNumeral(year % 100, style.subtractive, false);
  text += ' ';
  text += century;
  text += rest;
  if (style.romanYear) {
    text += " a.u.c.";
  }
}

}  // namespace

std::string_view CenturyNumerals(int year, bool subtractive) {
  // A numeric range, not the first two digits: 18000 is no "MDCCC" year.
  if (year < kFirstYear || year > kLastYear) {
    return {};
  }
  const int row = year / 100 - kFirstYear / 100;
  return subtractive ? kCenturiesSubtractive[row] : kCenturiesAdditive[row];
}

std::string DateTipText(const LocalTime& date, const TipStyle& style, LongDateFn longDate) {
  const std::string_view latin = LatinDates::For(style.subtractive).Find(date.day, date.month);
  if (latin.empty()) {
    return longDate != nullptr ? longDate(date) : std::string();
  }
  std::string text;
  // Room for the longest year, " MMDCCCCLXXXXVIIII a.u.c.", in one allocation.
  text.reserve(latin.size() + 32);
  text += latin;
  AppendRomanYear(text, date, style);
  if (style.feasts) {
    if (const std::string feasts = FeastsOn(date.month, date.day); !feasts.empty()) {
      text.append(", ").append(feasts);
    }
  }
  if (style.lowercase) {
    LowerCase(text.data(), text.size());
  }
  return text;
}

}  // namespace clep

#include "roman/date_tip.h"

#include "roman/latin_dates.h"
#include "roman/roman.h"
#include "settings/settings.h"

namespace roman {

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

// Appends " <year>" and " a.u.c." as RomanYearText gives them.
void AppendRomanYear(std::string& text, const platform::LocalDateTime& date) {
  int year = date.year;
  // From 14 December the days count toward the Kalends of January.
  if (date.month == 12 && date.day >= 14) {
    ++year;
  }
  if (settings::Current.RomanYear) {
    year += kFoundingOfRome;
  }
  const std::string_view century = CenturyNumerals(year);
  if (century.empty()) {
    return;
  }
  std::string_view rest = RomanNumeral(static_cast<std::int16_t>(year % 100));
  if (rest == "-") {
    rest = {};
  }
  text += ' ';
  text += century;
  text += rest;
  if (settings::Current.RomanYear) {
    text += " a.u.c.";
  }
}

}  // namespace

std::string_view CenturyNumerals(int year) {
  // A numeric range, not the first two digits: 18000 is no "MDCCC" year.
  if (year < kFirstYear || year > kLastYear) {
    return {};
  }
  const int row = year / 100 - kFirstYear / 100;
  return settings::Current.MedievalScript ? kCenturiesSubtractive[row] : kCenturiesAdditive[row];
}

std::string RomanYearText(const platform::LocalDateTime& date) {
  std::string text;
  AppendRomanYear(text, date);
  return text;
}

std::string DateTipText(const platform::LocalDateTime& date) {
  const std::string* latin = nullptr;
  if (date.day >= 1 && date.day <= 31 && date.month >= 1 && date.month <= 12) {
    const char key[4] = {
        static_cast<char>('0' + date.day / 10), static_cast<char>('0' + date.day % 10),
        static_cast<char>('0' + date.month / 10), static_cast<char>('0' + date.month % 10)};
    latin = LatinDates.Find(std::string_view(key, 4));
  }
  if (latin == nullptr || latin->empty()) {
    // The locale's own text: never lowered.
    return platform::LongDateText(date);
  }
  std::string text;
  // Room for the longest year, " MMDCCCCLXXXXVIIII a.u.c.", in one allocation.
  text.reserve(latin->size() + 32);
  text += *latin;
  AppendRomanYear(text, date);
  if (settings::Current.Lowercase) {
    LowerCase(text);
  }
  return text;
}

}  // namespace roman

#include "clock/latin_dates.h"

#include "clock/roman.h"

namespace clep {

namespace {

struct Month {
  const char* ablative;    // the day itself: "Nonis Ianuariis"
  const char* accusative;  // counted toward: "a.d. III Nonas Ianuarias"
  int nones;               // the Ides are always eight days later
  int counted;             // days counted toward the next Kalends
};

// February counts as 28 days in every year, so 29 February is "a.d. I".
constexpr Month kMonths[12] = {
    {"Ianuariis", "Ianuarias", 5, 31},
    {"Februariis", "Februarias", 5, 28},
    {"Martiis", "Martias", 7, 31},
    {"Aprilibus", "Apriles", 5, 30},
    {"Maiis", "Maias", 7, 31},
    {"Iuniis", "Iunias", 5, 30},
    {"Iuliis", "Iulias", 7, 31},
    {"Augustis", "Augustas", 5, 31},
    {"Septembribus", "Septembres", 5, 30},
    {"Octobribus", "Octobres", 7, 31},
    {"Novembribus", "Novembres", 5, 30},
    {"Decembribus", "Decembres", 5, 31},
};

constexpr int kLeapYearDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

std::string Counted(int count, const char* reference, const char* month, bool medieval) {
  std::string text = count == 2 ? std::string("pridie")
                                : "a.d. " + std::string(RomanNumeral(count, medieval, false));
  return text + ' ' + reference + ' ' + month;
}

std::string LatinText(int day, int monthNumber, bool medieval) {
  const Month& month = kMonths[monthNumber - 1];
  const int ides = month.nones + 8;
  if (day == 1) {
    // Spelt with a single "i", as this clock has always shown it.
    return monthNumber == 2 ? "Kalendis Februaris" : std::string("Kalendis ") + month.ablative;
  }
  if (day < month.nones) {
    return Counted(month.nones - day + 1, "Nonas", month.accusative, medieval);
  }
  if (day == month.nones) {
    return std::string("Nonis ") + month.ablative;
  }
  if (day < ides) {
    return Counted(ides - day + 1, "Idus", month.accusative, medieval);
  }
  if (day == ides) {
    return std::string("Idibus ") + month.ablative;
  }
  return Counted(month.counted - day + 2, "Kalendas", kMonths[monthNumber % 12].accusative,
                 medieval);
}

}  // namespace

int DaysInLeapYearMonth(int month) {
  return month >= 1 && month <= 12 ? kLeapYearDays[month - 1] : 0;
}

LatinDates::LatinDates(bool medieval) {
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= DaysInLeapYearMonth(month); ++day) {
      texts_[month - 1][day - 1] = LatinText(day, month, medieval);
    }
  }
}

const LatinDates& LatinDates::For(bool medieval) {
  static const LatinDates additive(false);
  static const LatinDates subtractive(true);
  return medieval ? subtractive : additive;
}

std::string_view LatinDates::Find(int day, int month) const {
  if (day < 1 || day > DaysInLeapYearMonth(month)) {
    return {};
  }
  return texts_[month - 1][day - 1];
}

std::string_view LatinDates::Find(std::string_view key) const {
  if (key.size() != 4) {
    return {};
  }
  for (char c : key) {
    if (c < '0' || c > '9') {
      return {};
    }
  }
  return Find((key[0] - '0') * 10 + (key[1] - '0'), (key[2] - '0') * 10 + (key[3] - '0'));
}

}  // namespace clep

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

// The text of a day, from the words of the month table.
void Compose(int day, int monthNumber, bool subtractive, std::string_view (&words)[4]) {
  const Month& month = kMonths[monthNumber - 1];
  const int ides = month.nones + 8;
  // The days themselves, in the ablative.
  const char* fixed = day == 1             ? "Kalendis"
                      : day == month.nones ? "Nonis"
                      : day == ides        ? "Idibus"
                                           : nullptr;
  if (fixed != nullptr) {
    // Spelt with a single "i", as this clock has always shown it.
    words[0] = fixed;
    words[1] = day == 1 && monthNumber == 2 ? "Februaris" : month.ablative;
    return;
  }
  // The days counted, inclusively, toward the next fixed day.
  const char* reference = day < month.nones ? "Nonas" : day < ides ? "Idus" : "Kalendas";
  const int count = day < month.nones ? month.nones - day + 1
                    : day < ides      ? ides - day + 1
                                      : month.counted - day + 2;
  const char* target = day > ides ? kMonths[monthNumber % 12].accusative : month.accusative;
  if (count == 2) {
    words[0] = "pridie";
  } else {
    words[0] = "a.d.";
    words[1] = RomanNumeral(count, subtractive, false);
  }
  words[2] = reference;
  words[3] = target;
}

}  // namespace

int DaysInLeapYearMonth(int month) {
  return month >= 1 && month <= 12 ? kLeapYearDays[month - 1] : 0;
}

int NonesOf(int month) {
  return month >= 1 && month <= 12 ? kMonths[month - 1].nones : 0;
}

LatinDates::LatinDates(bool subtractive) {
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= DaysInLeapYearMonth(month); ++day) {
      std::string_view words[4];
      Compose(day, month, subtractive, words);
      Text& text = texts_[month - 1][day - 1];
      for (std::string_view word : words) {
        if (word.empty()) {
          continue;
        }
        if (text.length > 0) {
          text.characters[text.length++] = ' ';
        }
        word.copy(text.characters + text.length, word.size());
        text.length = static_cast<unsigned char>(text.length + word.size());
      }
    }
  }
}

const LatinDates& LatinDates::For(bool subtractive) {
  static const LatinDates withAdditive(false);
  static const LatinDates withSubtractive(true);
  return subtractive ? withSubtractive : withAdditive;
}

std::string_view LatinDates::Find(int day, int month) const {
  if (day < 1 || day > DaysInLeapYearMonth(month)) {
    return {};
  }
  const Text& text = texts_[month - 1][day - 1];
  return {text.characters, text.length};
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

#include "roman/latin_dates.h"

#include "roman/roman.h"

namespace roman {

LatinDateTable LatinDates;

namespace {

struct Month {
  const char* ablative;    // the day itself: "Nonis Ianuariis"
  const char* accusative;  // counted toward: "a.d. III Nonas Ianuarias"
  int nones;               // the Ides are always eight days later
  int counted;             // days counted toward the next Kalends
};

// February counts as 28 days in every year, so 29 February is "a.d. I".
const Month kMonths[12] = {
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

// Days of each month in a leap year: the keys that can exist.
const int kDaysInMonth[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Day and month of a "DDMM" key naming a real day of a leap year.
bool ParseKey(std::string_view key, int& day, int& month) {
  if (key.size() != 4) {
    return false;
  }
  for (char c : key) {
    if (c < '0' || c > '9') {
      return false;
    }
  }
  day = (key[0] - '0') * 10 + (key[1] - '0');
  month = (key[2] - '0') * 10 + (key[3] - '0');
  return month >= 1 && month <= 12 && day >= 1 && day <= kDaysInMonth[month - 1];
}

std::string Counted(int count, const char* reference, const char* month) {
  std::string text;
  if (count == 2) {
    text = "pridie";
  } else {
    text = "a.d. ";
    text += RomanNumeral(static_cast<std::int16_t>(count));
  }
  text += ' ';
  text += reference;
  text += ' ';
  text += month;
  return text;
}

std::string LatinText(int day, int monthNumber) {
  const Month& month = kMonths[monthNumber - 1];
  const int ides = month.nones + 8;
  if (day == 1) {
    // Spelt with a single "i", as this clock has always shown it.
    if (monthNumber == 2) {
      return "Kalendis Februaris";
    }
    return std::string("Kalendis ") + month.ablative;
  }
  if (day < month.nones) {
    return Counted(month.nones - day + 1, "Nonas", month.accusative);
  }
  if (day == month.nones) {
    return std::string("Nonis ") + month.ablative;
  }
  if (day < ides) {
    return Counted(ides - day + 1, "Idus", month.accusative);
  }
  if (day == ides) {
    return std::string("Idibus ") + month.ablative;
  }
  return Counted(month.counted - day + 2, "Kalendas", kMonths[monthNumber % 12].accusative);
}

}  // namespace

void LatinDateTable::Add(std::string_view key, std::string text) {
  int day = 0;
  int month = 0;
  if (!ParseKey(key, day, month)) {
    throw LatinDateError("Latin date key not of the form DDMM");
  }
  unsigned short& slot = slots_[day][month];
  if (slot != 0) {
    throw LatinDateError("Latin date key already present");
  }
  entries_.push_back({std::string(key), std::move(text)});
  slot = static_cast<unsigned short>(entries_.size());
}

const std::string* LatinDateTable::Find(std::string_view key) const {
  int day = 0;
  int month = 0;
  if (!ParseKey(key, day, month)) {
    return nullptr;
  }
  const unsigned short slot = slots_[day][month];
  return slot == 0 ? nullptr : &entries_[slot - 1u].text;
}

void LatinDateTable::Remove(std::size_t position) {
  if (position < 1 || position > entries_.size()) {
    throw LatinDateError("Latin date position out of range");
  }
  int day = 0;
  int month = 0;
  ParseKey(entries_[position - 1].key, day, month);
  slots_[day][month] = 0;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position - 1));
  // Every later entry moved up by one.
  for (std::size_t i = position - 1; i < entries_.size(); ++i) {
    ParseKey(entries_[i].key, day, month);
    slots_[day][month] = static_cast<unsigned short>(i + 1);
  }
}

void LatinDateTable::Clear() {
  for (std::size_t position = Count(); position >= 1; --position) {
    Remove(position);
  }
}

void BuildLatinDates() {
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= kDaysInMonth[month - 1]; ++day) {
      const char key[4] = {static_cast<char>('0' + day / 10), static_cast<char>('0' + day % 10),
                           static_cast<char>('0' + month / 10),
                           static_cast<char>('0' + month % 10)};
      LatinDates.Add(std::string_view(key, 4), LatinText(day, month));
    }
  }
}

}  // namespace roman

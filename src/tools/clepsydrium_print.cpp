// clepsydrium-print: the Roman time and the Latin date outside Windows, by the
// program's own rules and settings file.
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/sim/sim.h"
#include "roman/date_tip.h"
#include "roman/latin_dates.h"
#include "roman/roman.h"
#include "settings/settings.h"

namespace {

constexpr const char* kUsage =
    "usage: clepsydrium-print [--ini FILE] [--at \"YYYY-MM-DD HH:MM:SS\"]\n"
    "       clepsydrium-print [--ini FILE] --numeral N\n"
    "       clepsydrium-print [--ini FILE] --latin-dates\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "clepsydrium-print: %s\n%s", message.c_str(), kUsage);
  return 2;
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Exactly `count` decimal digits at text[at...].
bool ReadDigits(std::string_view text, std::size_t at, std::size_t count, int& value) {
  if (at + count > text.size()) {
    return false;
  }
  value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return false;
    }
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

bool ParseDateTime(std::string_view text, platform::LocalDateTime& when) {
  static constexpr std::string_view kShape = "dddd-dd-dd dd:dd:dd";
  if (text.size() != kShape.size()) {
    return false;
  }
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    if (kShape[i] != 'd' && text[i] != kShape[i]) {
      return false;
    }
  }
  platform::LocalDateTime parsed;
  if (!ReadDigits(text, 0, 4, parsed.year) || !ReadDigits(text, 5, 2, parsed.month) ||
      !ReadDigits(text, 8, 2, parsed.day) || !ReadDigits(text, 11, 2, parsed.hour) ||
      !ReadDigits(text, 14, 2, parsed.minute) || !ReadDigits(text, 17, 2, parsed.second)) {
    return false;
  }
  if (parsed.year < 1 || parsed.month < 1 || parsed.month > 12 || parsed.day < 1 ||
      parsed.day > DaysInMonth(parsed.year, parsed.month) || parsed.hour > 23 ||
      parsed.minute > 59 || parsed.second > 59) {
    return false;
  }
  when = parsed;
  return true;
}

// Any whole number is accepted; one outside 0..99 simply has no numeral.
bool ParseNumeralArgument(std::string_view text, long& value) {
  std::size_t digitsAt = !text.empty() && text.front() == '-' ? 1 : 0;
  if (text.size() == digitsAt) {
    return false;
  }
  value = 0;
  for (std::size_t i = digitsAt; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return false;
    }
    value = value > 1000 ? value : value * 10 + (text[i] - '0');
  }
  if (digitsAt == 1) {
    value = -value;
  }
  return true;
}

void PrintClockAndTip() {
  // The clock text comes out only for a new second: forget the last one.
  roman::LastSecond = -1;
  std::string clock = roman::RomanTime();
  if (settings::Current.Lowercase) {
    roman::LowerCase(clock);
  }
  std::string tip;
  if (settings::Current.ToolTip) {
    tip = roman::DateTipText(platform::LocalNow());
  }
  std::printf("%s\n%s\n", clock.c_str(), tip.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  enum class Mode { kClock, kNumeral, kLatinDates } mode = Mode::kClock;
  std::string iniFile;
  long numeral = 0;
  bool haveMode = false;

  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    bool takesValue = arg == "--ini" || arg == "--at" || arg == "--numeral";
    if (takesValue && i + 1 >= argc) {
      return Fail("missing value for " + std::string(arg));
    }
    if (arg == "--ini") {
      iniFile = argv[++i];
    } else if (arg == "--at") {
      platform::LocalDateTime when;
      if (!ParseDateTime(argv[++i], when)) {
        return Fail("bad date and time '" + std::string(argv[i]) + "'");
      }
      sim::SetLocalTime(when);
    } else if (arg == "--numeral" || arg == "--latin-dates") {
      if (haveMode) {
        return Fail("only one of --numeral and --latin-dates may be given: " + std::string(arg));
      }
      haveMode = true;
      if (arg == "--latin-dates") {
        mode = Mode::kLatinDates;
        continue;
      }
      mode = Mode::kNumeral;
      if (!ParseNumeralArgument(argv[++i], numeral)) {
        return Fail("bad numeral '" + std::string(argv[i]) + "'");
      }
    } else {
      return Fail("unknown argument '" + std::string(arg) + "'");
    }
  }

  if (!iniFile.empty()) {
    settings::IniPath = iniFile;
    settings::LoadSettings();
  } else {
    settings::Current = settings::ClockSettings{};
    settings::TickerCells = settings::CellsFor(settings::Current.DisplaySeconds);
  }

  switch (mode) {
    case Mode::kNumeral: {
      bool inRange = numeral >= 0 && numeral <= 99;
      std::string_view text =
          inRange ? roman::RomanNumeral(static_cast<std::int16_t>(numeral)) : "";
      std::printf("%.*s\n", static_cast<int>(text.size()), text.data());
      return 0;
    }
    case Mode::kLatinDates:
      roman::BuildLatinDates();
      for (int month = 1; month <= 12; ++month) {
        for (int day = 1; day <= DaysInMonth(2000, month); ++day) {
          const char key[] = {static_cast<char>('0' + day / 10), static_cast<char>('0' + day % 10),
                              static_cast<char>('0' + month / 10),
                              static_cast<char>('0' + month % 10), '\0'};
          const std::string* text = roman::LatinDates.Find(key);
          std::printf("%s\t%s\n", key, text ? text->c_str() : "");
        }
      }
      return 0;
    case Mode::kClock:
      roman::BuildLatinDates();
      PrintClockAndTip();
      return 0;
  }
  return 0;
}

#include "tools/options.h"

#include <cstdio>
#include <string_view>

#include "calendar/latin_month.h"

namespace clep::print {

namespace {

constexpr const char* kUsage =
    "usage: clepsydrium-print [--ini FILE] [LINE] [--at \"YYYY-MM-DD HH:MM:SS\"]\n"
    "       clepsydrium-print [--ini FILE] [LINE] --follow\n"
    "       clepsydrium-print [--ini FILE] --numeral N\n"
    "       clepsydrium-print [--ini FILE] --latin-dates\n"
    "       clepsydrium-print [--ini FILE] --calendar [YYYY-MM] [--sunday] [--at TIME]\n"
    "       clepsydrium-print [--ini FILE] --settings\n"
    "       clepsydrium-print [--ini FILE] [--place LAT,LON] --sun [YYYY-MM-DD]\n"
    "       clepsydrium-print --help\n"
    "LINE: any of --json, --pad, --format TEMPLATE, --place LAT,LON\n";

constexpr const char* kHelp =
    "\nThe clock text and the date tooltip of the Clepsydrium clock, now or at TIME.\n"
    "  --ini FILE     the settings file; without it $XDG_CONFIG_HOME/clepsydrium/\n"
    "                 Clepsydrium.ini or ~/.config/clepsydrium/Clepsydrium.ini\n"
    "  --at TIME      that local time instead of now\n"
    "  --follow       keep running: the clock text again each time it or the\n"
    "                 settings file changes; ends when its reader goes away\n"
    "  --json         one line {\"text\", \"tooltip\", \"hora\", \"class\"} instead\n"
    "                 (for waybar)\n"
    "  --pad          the clock text centred in blanks to one width all day\n"
    "  --format TEMPLATE  one line: TEMPLATE with {text}, {tooltip} and {hora}\n"
    "                 (the Roman hour, \"hora III\" or \"vigilia II\") filled in\n"
    "  --place LAT,LON  count the Roman hours there (signed decimal degrees, north\n"
    "                 and east positive), not at the settings' Latitude and Longitude\n"
    "  --sun [YYYY-MM-DD]  that day's (or today's) sunrise and sunset at the place,\n"
    "                 as HH:MM:SS HH:MM:SS local time; \"up\" or \"down\" when\n"
    "                 the sun stays up or down all day\n"
    "  --numeral N    the numeral of N (0 to 99; none outside)\n"
    "  --latin-dates  the 366 Latin dates, as DDMM<TAB>text\n"
    "  --calendar [YYYY-MM]  the month (this one, or the day of --at's) in Latin,\n"
    "                 as cal lays it out, with its feasts, today in reverse video\n"
    "                 on a terminal\n"
    "  --sunday       the calendar's weeks start on Sunday, not Monday\n"
    "  --settings     the settings file read, the keys used here and their values\n"
    "  --help         this text\n"
    "A bad argument or an unreadable settings file exits with code 2, a failed\n"
    "write with 1.\n";

bool Fail(const std::string& message) {
  std::fprintf(stderr, "clepsydrium-print: %s\n%s", message.c_str(), kUsage);
  return false;
}

// Exactly `count` decimal digits at text[at...].
bool ReadDigits(std::string_view text, std::size_t at, std::size_t count, int& value) {
  value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') {
      return false;
    }
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

bool ParseDateTime(std::string_view text, LocalTime& when) {
  static constexpr std::string_view kShape = "dddd-dd-dd dd:dd:dd";
  if (text.size() != kShape.size()) {
    return false;
  }
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    if (kShape[i] != 'd' && text[i] != kShape[i]) {
      return false;
    }
  }
  LocalTime t;
  if (!ReadDigits(text, 0, 4, t.year) || !ReadDigits(text, 5, 2, t.month) ||
      !ReadDigits(text, 8, 2, t.day) || !ReadDigits(text, 11, 2, t.hour) ||
      !ReadDigits(text, 14, 2, t.minute) || !ReadDigits(text, 17, 2, t.second)) {
    return false;
  }
  if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > DaysInMonth(t.year, t.month) || t.hour > 23 || t.minute > 59 || t.second > 59) {
    return false;
  }
  when = t;
  return true;
}

// "YYYY-MM", a month of the years 1 to 9999.
bool ParseMonth(std::string_view text, int& year, int& month) {
  return text.size() == 7 && text[4] == '-' && ReadDigits(text, 0, 4, year) &&
         ReadDigits(text, 5, 2, month) && year >= 1 && month >= 1 && month <= 12;
}

// "YYYY-MM-DD", a day of the years 1 to 9999.
bool ParseDay(std::string_view text, LocalTime& day) {
  return text.size() == 10 && text[4] == '-' && text[7] == '-' &&
         ReadDigits(text, 0, 4, day.year) && ReadDigits(text, 5, 2, day.month) &&
         ReadDigits(text, 8, 2, day.day) && day.year >= 1 && day.month >= 1 && day.month <= 12 &&
         day.day >= 1 && day.day <= DaysInMonth(day.year, day.month);
}

// "LAT,LON" in signed decimal degrees, as the settings file's keys hold them.
bool ParsePlace(std::string_view text, std::optional<Place>& place) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) {
    return false;
  }
  const std::optional<std::int32_t> latitude = ParseDegrees(text.substr(0, comma), 90);
  const std::optional<std::int32_t> longitude = ParseDegrees(text.substr(comma + 1), 180);
  if (!latitude || !longitude) {
    return false;
  }
  place = Place{*latitude * 1e-6, *longitude * 1e-6};
  return true;
}

// Any whole number is accepted; one outside 0..99 simply has no numeral.
bool ParseNumeralArgument(std::string_view text, long& value) {
  const std::size_t digitsAt = !text.empty() && text.front() == '-' ? 1 : 0;
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
  value = digitsAt == 1 ? -value : value;
  return true;
}

// Options each fine alone that do not go together.
bool OptionsGoTogether(const Options& o, std::string_view modeName) {
  const Shape& shape = o.shape;
  if (o.sunday && o.mode != Mode::kCalendar) {
    return Fail("--sunday goes only with --calendar");
  }
  if (o.place && o.mode != Mode::kClock && o.mode != Mode::kSun) {
    return Fail("--place goes only with the clock or --sun, not " + std::string(modeName));
  }
  if (o.haveTime && o.mode != Mode::kClock && o.mode != Mode::kCalendar) {
    return Fail("--at goes only with the clock or --calendar, not " + std::string(modeName));
  }
  if (shape.follow && o.haveTime) {
    return Fail("--follow shows the time now; it does not go with --at");
  }
  const char* lineOption = shape.follow ? "--follow"
                           : shape.json ? "--json"
                           : shape.pad  ? "--pad"
                                        : "--format";
  if ((shape.follow || shape.json || shape.pad || shape.format != nullptr) && !modeName.empty()) {
    return Fail(std::string(lineOption) + " goes only with the clock, not " +
                std::string(modeName));
  }
  return true;
}

// The mode argv[i] names, with the value it takes or may take.
bool ParseMode(int argc, char** argv, int& i, Options& o) {
  const std::string_view arg = argv[i];
  o.mode = arg == "--latin-dates" ? Mode::kLatinDates
           : arg == "--settings"  ? Mode::kSettings
           : arg == "--calendar"  ? Mode::kCalendar
           : arg == "--sun"       ? Mode::kSun
                                  : Mode::kNumeral;
  if (o.mode == Mode::kNumeral && !ParseNumeralArgument(argv[++i], o.numeral)) {
    return Fail("bad numeral '" + std::string(argv[i]) + "'");
  }
  // The month is optional: a word that is no option.
  if (o.mode == Mode::kCalendar && i + 1 < argc && argv[i + 1][0] != '-' &&
      !ParseMonth(argv[++i], o.calendarYear, o.calendarMonth)) {
    return Fail("bad month '" + std::string(argv[i]) + "': YYYY-MM, a month 01 to 12");
  }
  if (o.mode == Mode::kSun && i + 1 < argc && argv[i + 1][0] != '-' &&
      !ParseDay(argv[++i], o.sunDay)) {
    return Fail("bad day '" + std::string(argv[i]) + "': YYYY-MM-DD");
  }
  return true;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options& options) {
  Options& o = options;
  Shape& shape = o.shape;
  std::string_view modeName;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool takesValue = arg == "--ini" || arg == "--at" || arg == "--numeral" ||
                            arg == "--format" || arg == "--place";
    if (takesValue && i + 1 >= argc) {
      return Fail("missing value for " + std::string(arg));
    }
    if (arg == "--help" || arg == "-h") {
      std::printf("%s%s", kUsage, kHelp);
      o.help = true;
      return true;
    } else if (arg == "--ini") {
      o.iniFile = argv[++i];
    } else if (arg == "--at") {
      if (!ParseDateTime(argv[++i], o.at)) {
        return Fail("bad date and time '" + std::string(argv[i]) + "'");
      }
      o.haveTime = true;
    } else if (arg == "--follow" || arg == "--json" || arg == "--pad") {
      (arg == "--follow" ? shape.follow : arg == "--json" ? shape.json : shape.pad) = true;
    } else if (arg == "--format") {
      shape.format = argv[++i];
    } else if (arg == "--place") {
      if (!ParsePlace(argv[++i], o.place)) {
        return Fail("bad place '" + std::string(argv[i]) +
                    "': LAT,LON in degrees, -90 to 90 and -180 to 180");
      }
    } else if (arg == "--sunday") {
      o.sunday = true;
    } else if (arg == "--numeral" || arg == "--latin-dates" || arg == "--settings" ||
               arg == "--calendar" || arg == "--sun") {
      if (!modeName.empty()) {
        return Fail(
            "only one of --numeral, --latin-dates, --settings, --calendar and --sun may be "
            "given: " +
            std::string(arg));
      }
      modeName = arg;
      if (!ParseMode(argc, argv, i, o)) {
        return false;
      }
    } else {
      return Fail("unknown argument '" + std::string(arg) + "'");
    }
  }
  return OptionsGoTogether(o, modeName);
}

}  // namespace clep::print

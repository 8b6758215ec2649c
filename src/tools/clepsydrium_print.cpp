// clepsydrium-print: the Roman time and the Latin date outside Windows, by the
// program's own rules and settings file.
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "clock/date_tip.h"
#include "clock/latin_dates.h"
#include "clock/latin_month.h"
#include "clock/roman.h"
#include "posix/ini_file.h"
#include "posix/local_clock.h"
#include "settings/clock_settings.h"

namespace {

using clep::ClockSettings;
using clep::LocalTime;

constexpr const char* kUsage =
    "usage: clepsydrium-print [--ini FILE] [LINE] [--at \"YYYY-MM-DD HH:MM:SS\"]\n"
    "       clepsydrium-print [--ini FILE] [LINE] --follow\n"
    "       clepsydrium-print [--ini FILE] --numeral N\n"
    "       clepsydrium-print [--ini FILE] --latin-dates\n"
    "       clepsydrium-print [--ini FILE] --calendar [YYYY-MM] [--sunday] [--at TIME]\n"
    "       clepsydrium-print [--ini FILE] --settings\n"
    "       clepsydrium-print --help\n"
    "LINE: any of --json, --pad, --format TEMPLATE\n";

constexpr const char* kHelp =
    "\nThe clock text and the date tooltip of the Clepsydrium clock, now or at TIME.\n"
    "  --ini FILE     the settings file; without it $XDG_CONFIG_HOME/clepsydrium/\n"
    "                 Clepsydrium.ini or ~/.config/clepsydrium/Clepsydrium.ini\n"
    "  --at TIME      that local time instead of now\n"
    "  --follow       keep running: the clock text again each time it or the\n"
    "                 settings file changes; ends when its reader goes away\n"
    "  --json         one line {\"text\", \"tooltip\", \"class\"} instead (for waybar)\n"
    "  --pad          the clock text centred in blanks to one width all day\n"
    "  --format TEMPLATE  one line: TEMPLATE with {text} and {tooltip} filled in\n"
    "  --numeral N    the numeral of N (0 to 99; none outside)\n"
    "  --latin-dates  the 366 Latin dates, as DDMM<TAB>text\n"
    "  --calendar [YYYY-MM]  the month (this one, or the day of --at's) in Latin,\n"
    "                 as cal lays it out, today in reverse video on a terminal\n"
    "  --sunday       the calendar's weeks start on Sunday, not Monday\n"
    "  --settings     the settings file read, the keys used here and their values\n"
    "  --help         this text\n"
    "A bad argument or an unreadable settings file exits with code 2, a failed\n"
    "write with 1.\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "clepsydrium-print: %s\n%s", message.c_str(), kUsage);
  return 2;
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
      t.day > clep::DaysInMonth(t.year, t.month) || t.hour > 23 || t.minute > 59 || t.second > 59) {
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

// The month as cal lays it out: the title centred, then the weekday heads and
// the days' numerals right-aligned in columns as wide as the widest numeral,
// then which days are the Kalends, Nones and Ides. Today is in reverse video
// when the output is a terminal.
std::string CalendarText(const clep::LatinMonth& shown, int today, bool terminal, bool lowercase) {
  std::size_t width = 0;
  for (const auto& week : shown.weeks) {
    for (const clep::MonthDay& cell : week) {
      width = std::max(width, cell.numeral.size());
    }
  }
  const std::size_t line = 7 * width + 6;
  std::string text(line > shown.title.size() ? (line - shown.title.size()) / 2 : 0, ' ');
  text += shown.title + '\n';
  const auto column = [&](std::string_view cell, std::size_t index, bool marked) {
    text += std::string(width - std::min(width, cell.size()) + (index > 0 ? 1 : 0), ' ');
    text += marked ? "\033[7m" + std::string(cell) + "\033[0m" : std::string(cell);
  };
  for (std::size_t i = 0; i < 7; ++i) {
    column(shown.heads[i], i, false);
  }
  std::string legend;
  for (const auto& week : shown.weeks) {
    while (text.back() == ' ') {  // after the last day of the month
      text.pop_back();
    }
    text += '\n';
    for (std::size_t i = 0; i < 7; ++i) {
      const clep::MonthDay& cell = week[i];
      column(cell.numeral, i, terminal && cell.day == today);
      if (cell.fixed != clep::FixedDay::kNone) {
        legend += legend.empty() ? "" : ", ";
        legend += cell.fixed == clep::FixedDay::kKalends ? "Kalendae "
                  : cell.fixed == clep::FixedDay::kNones ? "Nonae "
                                                         : "Idus ";
        legend += cell.numeral;
      }
    }
  }
  if (lowercase) {
    clep::LowerCase(legend.data(), legend.size());
  }
  while (text.back() == ' ') {
    text.pop_back();
  }
  return text + '\n' + legend + '\n';
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

// The user's own file, by the XDG rules (a relative XDG_CONFIG_HOME is ignored);
// empty with no home at all.
std::string UserSettingsPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') {
    return std::string(config) + "/clepsydrium/Clepsydrium.ini";
  }
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') {
    return std::string(home) + "/.config/clepsydrium/Clepsydrium.ini";
  }
  return {};
}

// Quotes, backslashes and control characters escaped; other bytes, UTF-8, kept.
std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      json += escaped;
    } else {
      json += c;
    }
  }
  return json + '"';
}

// How a moment is put on the line.
struct Shape {
  bool json = false;
  bool follow = false;
  bool pad = false;
  const char* format = nullptr;
};

std::string Formatted(std::string_view format, std::string_view text, std::string_view tip) {
  std::string line;
  for (std::size_t at = 0; at < format.size();) {
    if (format.compare(at, 6, "{text}") == 0) {
      line += text;
      at += 6;
    } else if (format.compare(at, 9, "{tooltip}") == 0) {
      line += tip;
      at += 9;
    } else {
      line += format[at++];
    }
  }
  return line;
}

// What one moment prints: the clock text and the tooltip on two lines, the
// clock text alone when following, the template filled in, or one JSON object.
std::string Output(const LocalTime& now, const ClockSettings& settings, const Shape& shape) {
  const clep::ClockStyle style = clep::ClockStyleOf(settings);
  clep::ClockFace face;
  face.Preset({0, 0, 0, -1, -1, -1});  // no second remembered: the text comes now
  face.Advance(now, style);
  std::string text(face.Text());
  if (shape.pad) {
    // Half the spare room in front, as the ticker centres its text.
    const std::size_t spare = clep::WidestClockText(style) - text.size();
    text = std::string(spare / 2, ' ') + text + std::string(spare - spare / 2, ' ');
  }
  const std::string tip =
      settings.toolTip ? clep::DateTipText(now, clep::TipStyleOf(settings), clep::LongDateText)
                       : std::string();
  const std::string line = shape.format != nullptr ? Formatted(shape.format, text, tip) : text;
  if (shape.json) {
    return "{\"text\": " + JsonString(line) + ", \"tooltip\": " + JsonString(tip) +
           ", \"class\": \"clepsydrium\"}\n";
  }
  return shape.follow || shape.format != nullptr ? line + '\n' : line + '\n' + tip + '\n';
}

// The error that keeps the settings file from being read; 0 for a readable
// file, and for a missing one that need not be there.
int ReadError(const std::string& path, bool mustExist) {
  const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // a FIFO too
  if (file < 0) {
    return errno == ENOENT && !mustExist ? 0 : errno;
  }
  struct stat status {};
  const int error = fstat(file, &status) != 0 ? errno : S_ISDIR(status.st_mode) ? EISDIR : 0;
  close(file);
  return error;
}

ClockSettings LoadFrom(const std::string& path) {
  return path.empty() ? ClockSettings() : clep::LoadSettings(clep::IniFile(path, "Configuration"));
}

bool UsedHere(clep::Key key) {
  using clep::Key;
  return key == Key::kDisplaySeconds || key == Key::kLowercase || key == Key::kToolTip ||
         key == Key::kMedievalScript || key == Key::kRomanYear || key == Key::kZeroAsDash;
}

// The settings as an INI file of their own, with where they came from.
void PrintSettings(const std::string& path, const ClockSettings& settings) {
  struct stat status {};
  if (path.empty()) {
    std::printf("; no settings file (no home folder): the defaults\n");
  } else if (stat(path.c_str(), &status) != 0) {
    std::printf("; no settings file %s: the defaults\n", path.c_str());
  } else {
    std::printf("; read from %s\n", path.c_str());
  }
  std::printf("[Configuration]\n");
  std::string ignored;
  for (int i = 0; i < clep::kKeyCount; ++i) {
    const auto key = static_cast<clep::Key>(i);
    const std::string name(clep::KeyName(key));
    if (UsedHere(key)) {
      std::printf("%s=%s\n", name.c_str(), clep::ValueText(settings, key).c_str());
    } else {
      ignored += ' ' + name;
    }
  }
  std::printf("; not used here, only by the Windows ticker:%s\n", ignored.c_str());
}

int WriteFailed() {
  std::fprintf(stderr, "clepsydrium-print: cannot write: %s\n", std::strerror(errno));
  return 1;
}

// A status bar may start us with these ignored or blocked; its stop, a Ctrl-C
// or a closed reader must still end a follow at once and quietly.
void DefaultEndingSignals() {
  sigset_t ending;
  sigemptyset(&ending);
  for (const int signal : {SIGPIPE, SIGINT, SIGTERM}) {
    std::signal(signal, SIG_DFL);
    sigaddset(&ending, signal);
  }
  sigprocmask(SIG_UNBLOCK, &ending, nullptr);
}

// The settings file's folder (or, until it is made, the nearest folder above
// that is there) and the file itself, which may be a link into another
// folder. Called again at each change, as the file and the folders come and go.
void WatchSettings(int watch, const std::string& path) {
  constexpr std::uint32_t kEntries =
      IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_CLOSE_WRITE | IN_DELETE;
  std::vector<std::string> folders;  // the file's own folder first, then each above it
  for (std::size_t slash = path.rfind('/'); slash != std::string::npos && slash > 0;
       slash = path.rfind('/', slash - 1)) {
    folders.push_back(path.substr(0, slash));
  }
  folders.emplace_back(path[0] == '/' ? "/" : ".");
  // Up to the nearest folder there is, then down again: a folder made while
  // we climbed was made under a watch, or is there now to be watched.
  std::size_t at = 0;
  while (inotify_add_watch(watch, folders[at].c_str(), kEntries) < 0 && at + 1 < folders.size()) {
    ++at;
  }
  while (at > 0 && inotify_add_watch(watch, folders[at - 1].c_str(), kEntries) >= 0) {
    --at;
  }
  inotify_add_watch(watch, path.c_str(),
                    IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF);
}

// Prints the text now and again each time it changes. Between changes it
// sleeps until the next second (minute) of the real-time clock on a timer that
// is also cut short when the clock is set: a plain absolute sleep would keep
// the old text for an hour after the clock went back one. A new system time
// zone replaces /etc/localtime, so a watch on /etc wakes it for that too, and
// a watch on the settings file for a changed file. A reader that went away
// shows on stdout at once, not only at the next write a minute later.
int Follow(const std::string& path, const Shape& shape) {
  DefaultEndingSignals();
  const int timer = timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC);
  const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (watch >= 0) {
    inotify_add_watch(watch, "/etc", IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE);
  }
  if (watch >= 0 && !path.empty()) {
    WatchSettings(watch, path);
  }
  ClockSettings settings = LoadFrom(path);
  std::string shown;
  while (timer >= 0) {
    tzset();  // rereads /etc/localtime if it changed
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const LocalTime local = clep::LocalTimeAt(now.tv_sec);
    std::string line = Output(local, settings, shape);
    if (line != shown) {
      if (std::fputs(line.c_str(), stdout) == EOF || std::fflush(stdout) != 0) {
        return WriteFailed();
      }
      shown = std::move(line);
    }
    // At least one second on: a leap second (right/ zones) has second 60.
    const std::time_t step = settings.displaySeconds ? 1 : std::max(1, 60 - local.second);
    const itimerspec turn{{0, 0}, {now.tv_sec + step, 0}};
    pollfd wakes[] = {{STDOUT_FILENO, 0, 0}, {timer, POLLIN, 0}, {watch, POLLIN, 0}};
    if (timerfd_settime(timer, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &turn, nullptr) != 0 ||
        (poll(wakes, watch >= 0 ? 3 : 2, -1) < 0 && errno != EINTR)) {
      break;  // GCOVR_EXCL_LINE: the system's failure, as below
    }
    if (wakes[0].revents != 0) {
      return 0;
    }
    std::uint64_t expirations = 0;
    if (wakes[1].revents != 0 && read(timer, &expirations, sizeof expirations) < 0 &&
        errno != ECANCELED && errno != EINTR) {
      break;  // GCOVR_EXCL_LINE
    }
    if (wakes[2].revents != 0) {
      alignas(inotify_event) char events[4096];
      while (read(watch, events, sizeof events) > 0) {
      }
      if (!path.empty()) {
        WatchSettings(watch, path);
      }
      settings = LoadFrom(path);
    }
  }
  // GCOVR_EXCL_START: no timer, or a failed wait: the system's own failures
  std::fprintf(stderr, "clepsydrium-print: cannot wait for the clock: %s\n", std::strerror(errno));
  return 1;
  // GCOVR_EXCL_STOP
}

}  // namespace

int main(int argc, char** argv) {
  enum class Mode { kClock, kNumeral, kLatinDates, kSettings, kCalendar } mode = Mode::kClock;
  const char* iniFile = nullptr;
  std::string_view modeName;
  long numeral = 0;
  int calendarYear = 0;
  int calendarMonth = 0;  // 0: the month of today
  bool sunday = false;
  bool haveTime = false;
  Shape shape;
  LocalTime at;

  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool takesValue =
        arg == "--ini" || arg == "--at" || arg == "--numeral" || arg == "--format";
    if (takesValue && i + 1 >= argc) {
      return Fail("missing value for " + std::string(arg));
    }
    if (arg == "--help" || arg == "-h") {
      std::printf("%s%s", kUsage, kHelp);
      return 0;
    } else if (arg == "--ini") {
      iniFile = argv[++i];
    } else if (arg == "--at") {
      if (!ParseDateTime(argv[++i], at)) {
        return Fail("bad date and time '" + std::string(argv[i]) + "'");
      }
      haveTime = true;
    } else if (arg == "--follow" || arg == "--json" || arg == "--pad") {
      (arg == "--follow" ? shape.follow : arg == "--json" ? shape.json : shape.pad) = true;
    } else if (arg == "--format") {
      shape.format = argv[++i];
    } else if (arg == "--sunday") {
      sunday = true;
    } else if (arg == "--numeral" || arg == "--latin-dates" || arg == "--settings" ||
               arg == "--calendar") {
      if (!modeName.empty()) {
        return Fail(
            "only one of --numeral, --latin-dates, --settings and --calendar may be given: " +
            std::string(arg));
      }
      modeName = arg;
      mode = arg == "--latin-dates" ? Mode::kLatinDates
             : arg == "--settings"  ? Mode::kSettings
             : arg == "--calendar"  ? Mode::kCalendar
                                    : Mode::kNumeral;
      if (mode == Mode::kNumeral && !ParseNumeralArgument(argv[++i], numeral)) {
        return Fail("bad numeral '" + std::string(argv[i]) + "'");
      }
      // The month is optional: a word that is no option.
      if (mode == Mode::kCalendar && i + 1 < argc && argv[i + 1][0] != '-' &&
          !ParseMonth(argv[++i], calendarYear, calendarMonth)) {
        return Fail("bad month '" + std::string(argv[i]) + "': YYYY-MM, a month 01 to 12");
      }
    } else {
      return Fail("unknown argument '" + std::string(arg) + "'");
    }
  }
  if (sunday && mode != Mode::kCalendar) {
    return Fail("--sunday goes only with --calendar");
  }
  if (haveTime && mode != Mode::kClock && mode != Mode::kCalendar) {
    return Fail("--at goes only with the clock or --calendar, not " + std::string(modeName));
  }
  if (shape.follow && haveTime) {
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

  // A file named on the command line must be there; the user's own need not.
  const std::string path = iniFile != nullptr ? iniFile : UserSettingsPath();
  if (const int error = path.empty() ? 0 : ReadError(path, iniFile != nullptr); error != 0) {
    std::fprintf(stderr, "clepsydrium-print: cannot read the settings file %s: %s\n", path.c_str(),
                 std::strerror(error));
    return 2;
  }
  const ClockSettings settings = LoadFrom(path);

  switch (mode) {
    case Mode::kNumeral: {
      const bool inRange = numeral >= 0 && numeral <= 99;
      const std::string_view text =
          inRange ? clep::RomanNumeral(static_cast<int>(numeral), settings.medievalScript,
                                       settings.zeroAsDash)
                  : "";
      std::printf("%.*s\n", static_cast<int>(text.size()), text.data());
      break;
    }
    case Mode::kLatinDates: {
      const clep::LatinDates& dates = clep::LatinDates::For(settings.medievalScript);
      for (int month = 1; month <= 12; ++month) {
        for (int day = 1; day <= clep::DaysInLeapYearMonth(month); ++day) {
          const std::string_view text = dates.Find(day, month);
          std::printf("%02d%02d\t%.*s\n", day, month, static_cast<int>(text.size()), text.data());
        }
      }
      break;
    }
    case Mode::kSettings:
      PrintSettings(path, settings);
      break;
    case Mode::kCalendar: {
      const LocalTime today = haveTime ? at : clep::LocalNow();
      if (calendarMonth == 0) {
        calendarYear = today.year;
        calendarMonth = today.month;
      }
      const bool thisMonth = calendarYear == today.year && calendarMonth == today.month;
      const clep::LatinMonth shown = clep::BuildLatinMonth(
          calendarYear, calendarMonth, sunday ? 0 : 1, clep::TipStyleOf(settings));
      std::fputs(CalendarText(shown, thisMonth ? today.day : 0, isatty(STDOUT_FILENO) != 0,
                              settings.lowercase)
                     .c_str(),
                 stdout);
      break;
    }
    case Mode::kClock:
      if (shape.follow) {
        return Follow(path, shape);
      }
      std::fputs(Output(haveTime ? at : clep::LocalNow(), settings, shape).c_str(), stdout);
      break;
  }
  // A full disk or a closed pipe must not pass for success.
  return std::fflush(stdout) != 0 || std::ferror(stdout) ? WriteFailed() : 0;
}

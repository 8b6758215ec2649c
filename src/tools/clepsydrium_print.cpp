// clepsydrium-print: the Roman time and the Latin date outside Windows, by the
// program's own rules and settings file.
#include <poll.h>
#include <sys/inotify.h>
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

#include "clock/date_tip.h"
#include "clock/latin_dates.h"
#include "clock/roman.h"
#include "posix/ini_file.h"
#include "posix/local_clock.h"
#include "settings/clock_settings.h"

namespace {

using clep::ClockSettings;
using clep::LocalTime;

constexpr const char* kUsage =
    "usage: clepsydrium-print [--ini FILE] [--json] [--at \"YYYY-MM-DD HH:MM:SS\"]\n"
    "       clepsydrium-print [--ini FILE] [--json] --follow\n"
    "       clepsydrium-print [--ini FILE] --numeral N\n"
    "       clepsydrium-print [--ini FILE] --latin-dates\n"
    "       clepsydrium-print --help\n";

constexpr const char* kHelp =
    "\nThe clock text and the date tooltip of the Clepsydrium clock, now or at TIME.\n"
    "  --ini FILE     the settings file; without it $XDG_CONFIG_HOME/clepsydrium/\n"
    "                 Clepsydrium.ini or ~/.config/clepsydrium/Clepsydrium.ini\n"
    "  --at TIME      that local time instead of now\n"
    "  --follow       keep running: the clock text again each time it changes\n"
    "  --json         one line {\"text\", \"tooltip\", \"class\"} instead (for waybar)\n"
    "  --numeral N    the numeral of N (0 to 99; none outside)\n"
    "  --latin-dates  the 366 Latin dates, as DDMM<TAB>text\n"
    "  --help         this text\n"
    "A bad argument exits with code 2, a failed write with 1.\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "clepsydrium-print: %s\n%s", message.c_str(), kUsage);
  return 2;
}

int DaysInMonth(int year, int month) {
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && !leap ? 28 : clep::DaysInLeapYearMonth(month);
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

// What one moment prints: the clock text and the tooltip on two lines, the
// clock text alone when following, or one JSON object.
std::string Output(const LocalTime& now, const ClockSettings& settings, bool json, bool follow) {
  clep::ClockFace face;
  face.Preset({0, 0, 0, -1, -1, -1});  // no second remembered: the text comes now
  face.Advance(now, clep::ClockStyleOf(settings));
  const std::string text(face.Text());
  const std::string tip =
      settings.toolTip && (json || !follow)
          ? clep::DateTipText(now, clep::TipStyleOf(settings), clep::LongDateText)
          : std::string();
  if (json) {
    return "{\"text\": " + JsonString(text) + ", \"tooltip\": " + JsonString(tip) +
           ", \"class\": \"clepsydrium\"}\n";
  }
  return follow ? text + '\n' : text + '\n' + tip + '\n';
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

// Prints the text now and again each time it changes. Between changes it
// sleeps until the next second (minute) of the real-time clock on a timer that
// is also cut short when the clock is set: a plain absolute sleep would keep
// the old text for an hour after the clock went back one. A new system time
// zone replaces /etc/localtime, so a watch on /etc wakes it for that too.
int Follow(const ClockSettings& settings, bool json) {
  DefaultEndingSignals();
  const int timer = timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC);
  const int zone = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (zone >= 0) {
    inotify_add_watch(zone, "/etc", IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE);
  }
  std::string shown;
  while (timer >= 0) {
    tzset();  // rereads /etc/localtime if it changed
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const LocalTime local = clep::LocalTimeAt(now.tv_sec);
    std::string line = Output(local, settings, json, true);
    if (line != shown) {
      if (std::fputs(line.c_str(), stdout) == EOF || std::fflush(stdout) != 0) {
        return WriteFailed();
      }
      shown = std::move(line);
    }
    // At least one second on: a leap second (right/ zones) has second 60.
    const std::time_t step = settings.displaySeconds ? 1 : std::max(1, 60 - local.second);
    const itimerspec turn{{0, 0}, {now.tv_sec + step, 0}};
    pollfd wakes[] = {{timer, POLLIN, 0}, {zone, POLLIN, 0}};
    if (timerfd_settime(timer, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &turn, nullptr) != 0 ||
        (poll(wakes, zone >= 0 ? 2 : 1, -1) < 0 && errno != EINTR)) {
      break;
    }
    std::uint64_t expirations = 0;
    if (wakes[0].revents != 0 && read(timer, &expirations, sizeof expirations) < 0 &&
        errno != ECANCELED && errno != EINTR) {
      break;
    }
    alignas(inotify_event) char events[4096];
    while (wakes[1].revents != 0 && read(zone, events, sizeof events) > 0) {
    }
  }
  std::fprintf(stderr, "clepsydrium-print: cannot wait for the clock: %s\n", std::strerror(errno));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  enum class Mode { kClock, kNumeral, kLatinDates } mode = Mode::kClock;
  const char* iniFile = nullptr;
  long numeral = 0;
  bool haveMode = false;
  bool haveTime = false;
  bool follow = false;
  bool json = false;
  LocalTime at;

  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool takesValue = arg == "--ini" || arg == "--at" || arg == "--numeral";
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
    } else if (arg == "--follow" || arg == "--json") {
      (arg == "--follow" ? follow : json) = true;
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
  if (follow && haveTime) {
    return Fail("--follow shows the time now; it does not go with --at");
  }
  if ((follow || json) && haveMode) {
    return Fail(std::string(follow ? "--follow" : "--json") + " goes only with the clock, not " +
                (mode == Mode::kNumeral ? "--numeral" : "--latin-dates"));
  }

  const std::string path = iniFile != nullptr ? iniFile : UserSettingsPath();
  ClockSettings settings;
  if (!path.empty()) {
    settings = clep::LoadSettings(clep::IniFile(path, "Configuration"));
  }

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
    case Mode::kClock:
      if (follow) {
        return Follow(settings, json);
      }
      std::fputs(Output(haveTime ? at : clep::LocalNow(), settings, json, false).c_str(), stdout);
      break;
  }
  // A full disk or a closed pipe must not pass for success.
  return std::fflush(stdout) != 0 || std::ferror(stdout) ? WriteFailed() : 0;
}

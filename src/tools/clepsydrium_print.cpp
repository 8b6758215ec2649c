// clepsydrium-print: the Roman time and the Latin date outside Windows, by the
// program's own rules and settings file.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include "calendar/latin_month.h"
#include "clock/latin_dates.h"
#include "posix/local_clock.h"
#include "tools/calendar_text.h"
#include "tools/follow.h"
#include "tools/line.h"
#include "tools/options.h"
#include "tools/settings_file.h"

namespace clep::print {
namespace {

// "HH:MM:SS HH:MM:SS" in local time, or the word for a day without either.
void PrintSun(const LocalTime& day, const Place& place) {
  const SunDay sun = SunOn(day.year, day.month, day.day, place);
  if (sun.kind != SunDay::Kind::kRisesAndSets) {
    std::puts(sun.kind == SunDay::Kind::kNeverSets ? "up" : "down");
    return;
  }
  const LocalTime rise = LocalTimeAt(static_cast<std::time_t>(sun.rise));
  const LocalTime set = LocalTimeAt(static_cast<std::time_t>(sun.set));
  std::printf("%02d:%02d:%02d %02d:%02d:%02d\n", rise.hour, rise.minute, rise.second, set.hour,
              set.minute, set.second);
}

// The moment of a local time; the time given when that is not one (a clock
// put forward skips an hour), as near as the zone allows.
std::time_t MomentOf(const LocalTime& local) {
  std::tm when{};
  when.tm_year = local.year - 1900;
  when.tm_mon = local.month - 1;
  when.tm_mday = local.day;
  when.tm_hour = local.hour;
  when.tm_min = local.minute;
  when.tm_sec = local.second;
  when.tm_isdst = -1;
  return std::mktime(&when);
}

void PrintCalendar(const Options& options, const ClockSettings& settings) {
  const LocalTime today = options.haveTime ? options.at : LocalNow();
  const int year = options.calendarMonth == 0 ? today.year : options.calendarYear;
  const int month = options.calendarMonth == 0 ? today.month : options.calendarMonth;
  const bool thisMonth = year == today.year && month == today.month;
  const LatinMonth shown =
      BuildLatinMonth(year, month, options.sunday ? 0 : 1, TipStyleOf(settings));
  std::fputs(
      CalendarText(shown, thisMonth ? today.day : 0, isatty(STDOUT_FILENO) != 0, settings.lowercase)
          .c_str(),
      stdout);
}

int Run(const Options& options) {
  // A file named on the command line must be there; the user's own need not.
  const std::string path = options.iniFile != nullptr ? options.iniFile : UserSettingsPath();
  if (const int error = path.empty() ? 0 : ReadError(path, options.iniFile != nullptr);
      error != 0) {
    std::fprintf(stderr, "clepsydrium-print: cannot read the settings file %s: %s\n", path.c_str(),
                 std::strerror(error));
    return 2;
  }
  const ClockSettings settings = LoadFrom(path);

  switch (options.mode) {
    case Mode::kNumeral: {
      const long numeral = options.numeral;
      const std::string_view text = numeral >= 0 && numeral <= 99
                                        ? RomanNumeral(static_cast<int>(numeral),
                                                       settings.medievalScript, settings.zeroAsDash)
                                        : "";
      std::printf("%.*s\n", static_cast<int>(text.size()), text.data());
      break;
    }
    case Mode::kLatinDates: {
      const LatinDates& dates = LatinDates::For(settings.medievalScript);
      for (int month = 1; month <= 12; ++month) {
        for (int day = 1; day <= DaysInLeapYearMonth(month); ++day) {
          const std::string_view text = dates.Find(day, month);
          std::printf("%02d%02d\t%.*s\n", day, month, static_cast<int>(text.size()), text.data());
        }
      }
      break;
    }
    case Mode::kSettings:
      PrintSettings(path, settings);
      break;
    case Mode::kCalendar:
      PrintCalendar(options, settings);
      break;
    case Mode::kSun:
      PrintSun(options.sunDay.year != 0 ? options.sunDay : LocalNow(),
               PlaceFor(settings, options.place));
      break;
    case Mode::kClock: {
      if (options.shape.follow) {
        return Follow(path, options.shape, options.place);
      }
      timespec now{};
      clock_gettime(CLOCK_REALTIME, &now);
      const std::time_t moment = options.haveTime ? MomentOf(options.at) : now.tv_sec;
      const LocalTime local = options.haveTime ? options.at : LocalTimeAt(moment);
      std::fputs(
          Output(local, moment, settings, PlaceFor(settings, options.place), options.shape).c_str(),
          stdout);
      break;
    }
  }
  // A full disk or a closed pipe must not pass for success.
  return std::fflush(stdout) != 0 || std::ferror(stdout) ? WriteFailed() : 0;
}

}  // namespace
}  // namespace clep::print

int main(int argc, char** argv) {
  clep::print::Options options;
  if (!clep::print::ParseOptions(argc, argv, options)) {
    return 2;
  }
  return options.help ? 0 : clep::print::Run(options);
}

#include "tools/follow.h"

#include <poll.h>
#include <sys/inotify.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <utility>
#include <vector>

#include "posix/local_clock.h"
#include "tools/settings_file.h"

namespace clep::print {

namespace {

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

}  // namespace

// Between changes it sleeps until the next second (minute) of the real-time
// clock on a timer that is also cut short when the clock is set: a plain
// absolute sleep would keep the old text for an hour after the clock went
// back one. A new system time zone replaces /etc/localtime, so a watch on
// /etc wakes it for that too, and a watch on the settings file for a changed
// file. A reader that went away shows on stdout at once, not only at the next
// write a minute later.
int Follow(const std::string& path, const Shape& shape, const std::optional<Place>& place) {
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
    const LocalTime local = LocalTimeAt(now.tv_sec);
    const Place at = PlaceFor(settings, place);
    std::string line = Output(local, now.tv_sec, settings, at, shape);
    if (line != shown) {
      if (std::fputs(line.c_str(), stdout) == EOF || std::fflush(stdout) != 0) {
        return WriteFailed();
      }
      shown = std::move(line);
    }
    // At least one second on: a leap second (right/ zones) has second 60.
    const std::time_t step = settings.displaySeconds ? 1 : std::max(1, 60 - local.second);
    const std::time_t next = ShowsOnlyTheHour(settings, shape)
                                 ? static_cast<std::time_t>(RomanHourAt(now.tv_sec, at).shownEnd)
                                 : now.tv_sec + step;
    const itimerspec turn{{0, 0}, {std::max(next, now.tv_sec + 1), 0}};
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

}  // namespace clep::print

// Preloaded by scripts/coverage.sh only: clepsydrium-print ends on SIGTERM,
// SIGPIPE and SIGINT by their default action, which skips the exit that
// writes gcov's counts. This makes those signals end it by exit() instead.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>

static void ExitOn(int number) {
  exit(128 + number);
}

sighandler_t signal(int number, sighandler_t handler) {
  sighandler_t (*real)(int, sighandler_t) =
      (sighandler_t(*)(int, sighandler_t))dlsym(RTLD_NEXT, "signal");
  if (handler == SIG_DFL && (number == SIGTERM || number == SIGPIPE || number == SIGINT) &&
      strcmp(program_invocation_short_name, "clepsydrium-print") == 0) {
    handler = ExitOn;
  }
  return real(number, handler);
}

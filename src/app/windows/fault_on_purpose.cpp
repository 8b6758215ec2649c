// Only in Clepsydrium-faultable.exe, the end-to-end tests' build: the check
// timer's handler fails while a file "fail-now" stands beside the exe. The
// link puts this wrapper between the toolkit and the real handler
// (--wrap), so the shipped program's code holds no trace of it.
#include <cstdio>
#include <exception>
#include <string>

#include "platform/toolkit.h"

namespace {
// Not std::runtime_error: its string machinery would clash with the small
// runtime's error hooks.
class FailureOnPurpose : public std::exception {
 public:
  const char* what() const noexcept override { return "fail-now: a failure on purpose"; }
};
}  // namespace

// frmClepsydrium::tmrCheck_Timer() and the wrapper the linker calls instead.
extern "C" void __real__ZN14frmClepsydrium14tmrCheck_TimerEv();

extern "C" void __wrap__ZN14frmClepsydrium14tmrCheck_TimerEv() {
  const std::string trigger = platform::ExeFolder() + "\\fail-now";
  if (std::FILE* file = std::fopen(trigger.c_str(), "rb")) {
    std::fclose(file);
    throw FailureOnPurpose();
  }
  __real__ZN14frmClepsydrium14tmrCheck_TimerEv();
}

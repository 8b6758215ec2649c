// The ticker as a screen reader meets it: an MSAA clock whose name is the
// time and whose value is the date, each as the owner says them now. The
// accessibility DLLs are loaded, and COM started on this thread, only at the
// first question, from the system folder alone.
#pragma once

#include <windows.h>

#include <string>

#include "windows/handles.h"

struct IAccessible;

namespace clep::win {

// What the clock object asks of the window it speaks for.
class AccessibleOwner {
 public:
  virtual std::string SpokenName() const = 0;
  virtual std::string SpokenValue() const = 0;
  // The default action, posted: it must not run inside the client's call.
  virtual void OnDefaultAction() = 0;

 protected:
  ~AccessibleOwner() = default;
};

class AccessibleClock {
 public:
  explicit AccessibleClock(AccessibleOwner& owner) : owner_(owner) {}
  ~AccessibleClock();
  AccessibleClock(const AccessibleClock&) = delete;
  AccessibleClock& operator=(const AccessibleClock&) = delete;

  // The answer to WM_GETOBJECT for `window`, also asked through its face;
  // 0 leaves the question to DefWindowProc.
  LRESULT Answer(HWND window, WPARAM wParam, LPARAM lParam);
  // The window is gone: clients holding the object get errors from now on.
  void Forget();

 private:
  class Clock;
  bool Start();

  AccessibleOwner& owner_;
  OwnedLibrary oleacc_;
  OwnedLibrary oleaut_;
  bool comStarted_ = false;
  bool failed_ = false;  // no accessibility DLLs: the default proxy answers
  Clock* clock_ = nullptr;
};

}  // namespace clep::win

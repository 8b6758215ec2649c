// "Start with Windows": the value under the user's Run key that starts this
// exe at sign-in, and the start-up list's word on it. It belongs to the
// user's sign-in, not to the settings beside the exe.
#pragma once

#include <windows.h>

#include "windows/wide_string.h"

namespace clep::win {

class RunEntry {
 public:
  RunEntry();
  // Whether the clock starts at sign-in: the value names this exe, and the
  // start-up list has not switched it off.
  bool Starts() const;
  // Removes the value if it Starts, else points it here and switches it on;
  // a failure changes nothing and is told in a message box.
  void Switch() const;
  // For the uninstaller, which asks the exe so that the two cannot disagree:
  // removes the value, switched off or not, if it names this exe.
  LSTATUS Unregister() const { return NamesThisExe() ? Remove() : ERROR_SUCCESS; }

 private:
  // Whether the value names this exe, as Windows reads paths.
  bool NamesThisExe() const;
  LSTATUS Write() const;
  LSTATUS Remove() const;

  WideString exe_;
};

}  // namespace clep::win

// The trace: one line for each failure that ends or degrades a run, for the
// debugger (OutputDebugString) and, with Trace=1 in the settings file, for
// Clepsydrium.log beside it, which a user can send us.
#pragma once

#include <windows.h>

#include <string_view>

#include "windows/wide_string.h"

namespace clep::win {

class Trace {
 public:
  // Reads Trace= from the settings file in `folder`, by Windows' own reader.
  explicit Trace(const WideString& folder);
  // The time, what was tried and Windows' text for `error`; Windows' last
  // error is kept as it was.
  void Failed(std::string_view what, DWORD error = GetLastError()) const;
  // Not a failure: a moment the trace's reader needs to follow the rest.
  void Noted(std::string_view what) const { Failed(what, 0); }

 private:
  WideString log_;  // empty: to the debugger only
};

}  // namespace clep::win

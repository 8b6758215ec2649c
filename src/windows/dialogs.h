// The dialogs and message boxes the program opens: the colour and font
// pickers, About and the warning of a failed write. While one is open every
// ticker takes no input, also one that comes meanwhile.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "settings/clock_settings.h"
#include "windows/handles.h"
#include "windows/tickers.h"
#include "windows/trace.h"
#include "windows/wide_string.h"

namespace clep::win {

class Dialogs {
 public:
  Dialogs(Tickers& tickers, const Trace& trace);
  Dialogs(const Dialogs&) = delete;
  Dialogs& operator=(const Dialogs&) = delete;

  // Opens on `shown`; the colour chosen, or nothing on Cancel.
  std::optional<COLORREF> PickColour(COLORREF shown);
  // Opens on the font of `settings` in the face the tickers show; the
  // settings with the font chosen, or nothing on Cancel.
  std::optional<ClockSettings> PickFont(const ClockSettings& settings, const std::string& face);
  void About();
  void Warn(const WideString& text);

  // Counts an open dialog or message box for as long as it lives: a part
  // that shows one of its own holds one meanwhile.
  class Open {
   public:
    explicit Open(Dialogs& dialogs);
    ~Open();
    Open(const Open&) = delete;
    Open& operator=(const Open&) = delete;

   private:
    Dialogs& dialogs_;
  };

 private:
  template <typename Function>
  Function DialogFunction(const char* name);
  void TraceCancelOrFailure(const char* dialog);

  Tickers& tickers_;
  const Trace& trace_;
  OwnedLibrary library_;
  std::array<COLORREF, 16> customColours_{};  // the user's for the whole run
  int open_ = 0;
};

}  // namespace clep::win

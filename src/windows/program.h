// The Windows program: its settings, the ticker in the taskbar, the hidden
// window that hears of the session's end and of a new shell, the commands of
// the context menu, and the run between start-up and the way out.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "menu/menu.h"
#include "settings/clock_settings.h"
#include "windows/handles.h"
#include "windows/taskbar.h"
#include "windows/ticker_window.h"
#include "windows/win32_profile.h"

namespace clep::win {

class SessionWindow {
 public:
  explicit SessionWindow(Program& program);
  Program& ProgramOf() const { return program_; }
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND Handle() const { return window_.Get(); }

 private:
  Program& program_;
  UINT taskbarCreated_;
  bool pending_ = false;
  OwnedWindow window_;
};

class Program {
 public:
  // Loads the settings, finds the taskbar (TrayWindowError when it is not
  // there) and sets the ticker into it.
  explicit Program(WideString folder);
  // Hides the ticker and gives the taskbar back (members end in reverse).
  ~Program() = default;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Shows the ticker and runs until Exit, a close or the session's end;
  // gives the report of what a handler threw, if one did.
  std::optional<std::string> Run();

  const ClockSettings& Settings() const { return settings_; }
  void OnCommand(Command id);
  void OnWatchTick();
  void OnTickerLost();
  void OnTaskbarCreated();
  void OnEndSession();
  void Exit();
  void Fail(std::string report);
  bool Failed() const { return failure_.has_value(); }

 private:
  void PickColour(std::int32_t ClockSettings::*field, Key key);
  void PickFont();
  void ApplyLook();
  // The ticker's size for the settings, on its taskbar.
  int TextWidth();
  void FitTicker();
  template <typename Function>
  Function DialogFunction(const char* name);

  WideString folder_;
  Win32Profile profile_;
  ClockSettings settings_;
  std::optional<std::string> failure_;
  OwnedLibrary dialogs_;
  std::array<COLORREF, 16> customColours_{};  // the user's for the whole run
  TrayWindows trayWindows_;                   // found before any window of ours exists
  SessionWindow session_;
  TickerWindow ticker_;
  std::optional<Taskbar> taskbar_;  // last: it gives the taskbar back first
};

}  // namespace clep::win

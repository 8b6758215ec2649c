// The Windows program: its settings, a ticker in each taskbar (the primary's
// and, with EveryTaskbar, each other monitor's), the hidden window that hears
// of the session's end and of a new shell and runs the taskbar watch, the
// commands of the context menu, and the run between start-up and the way out.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "menu/menu.h"
#include "settings/clock_settings.h"
#include "settings/look.h"
#include "windows/calendar_window.h"
#include "windows/handles.h"
#include "windows/run_entry.h"
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
  // Hears of the windows the shell of this taskbar makes, moves, shows and
  // hides; where the system tells all of that, the watch looks only then.
  void HearShell(HWND taskbar);
  // Whether the shell's new windows are told: else the watch looks for bars.
  bool HearsShell() const { return static_cast<bool>(hook_); }
  // Has the program read the bars four times a second for a while.
  void ReadBarsAWhile();

 private:
  void LookSoon();

  Program& program_;
  UINT taskbarCreated_;
  bool pending_ = false;
  bool lookSoon_ = false;
  DWORD shell_ = 0;
  Owned<HWINEVENTHOOK, UnhookWinEvent> hook_;
  OwnedWindow window_;
};

class Program {
 public:
  // Loads the settings, finds the taskbar (TrayWindowError when it is not
  // there) and sets a ticker into it and into every other monitor's bar.
  explicit Program(WideString folder);
  // Hides every ticker and gives every taskbar back, the last first; each
  // counts as gone before it ends, so a ticker lost meanwhile finds nothing.
  ~Program() = default;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Shows the ticker and runs until Exit, a close or the session's end;
  // gives the report of what a handler threw, if one did.
  std::optional<std::string> Run();

  const ClockSettings& Settings() const { return settings_; }
  // Whether the ticker has its edge, as chosen or as the look has it.
  bool ShownEdge() const;
  bool StartsWithWindows() const { return runEntry_.Starts(); }
  // A command chosen from a ticker's menu or mouse.
  void OnCommand(Command id, const TickerWindow& from);
  // A theme, high contrast, the system's colours or the wallpaper changed:
  // the tickers take the new look at once, and look again for a while, as
  // the shell repaints in its own time.
  void OnLookChanged();
  // One of those reads of the bars; false once they are over.
  bool OnReadBarsTick();
  void OnWatchTick();
  // A window of the shell's came, moved, showed or hid; `made` when it came.
  void OnShellChanged(bool made);
  void OnClockSet();
  void OnTickerLost(const TickerWindow& ticker);
  void OnTaskbarCreated();
  void OnEndSession();
  void Exit();
  void Fail(std::string report);
  bool Failed() const { return failure_.has_value(); }

  // While a dialog or message box is open every ticker takes no input, also
  // one that comes meanwhile.
  bool DialogIsOpen() const { return openDialogs_ > 0; }
  class DialogOpen {
   public:
    explicit DialogOpen(Program& program) : program_(program) { program_.CountDialog(1); }
    ~DialogOpen() { program_.CountDialog(-1); }
    DialogOpen(const DialogOpen&) = delete;
    DialogOpen& operator=(const DialogOpen&) = delete;

   private:
    Program& program_;
  };

 private:
  // A ticker and the taskbar it is set in; the taskbar ends first, giving
  // itself back. A secondary one without a taskbar is left to be dropped.
  struct Docked {
    explicit Docked(Program& program) : ticker(program) {}
    TickerWindow ticker;
    std::optional<Taskbar> taskbar;
    std::optional<Rgb> bar;  // the bar's colour last read beside the ticker
    RECT readAt{};           // where the ticker stood then, on the screen
    std::optional<Look> look;
  };

  // Calls function(Docked&) for each ticker there is, the primary first.
  template <typename Function>
  void EachDocked(Function function) {
    for (auto& docked : docked_) {
      if (docked) {
        function(*docked);
      }
    }
  }
  void CountDialog(int change);
  // Writes the key and every one not yet saved; the first failure of a run
  // is told to the user, and the keys wait for the next write or the exit.
  void Save(Key key);
  bool SaveUnsaved();
  void PickColour(std::optional<std::int32_t> ClockSettings::*field, Key key,
                  const TickerWindow& from);
  void PickFont();
  void ApplyLook(TickerWindow& ticker);
  // The colours and edge for what is seen now; `read` reads the bar anew.
  void FollowLook(Docked& docked, bool read);
  // The ticker's size for the seconds and its widest line, on its taskbar.
  void FitTicker(Docked& docked);
  // A ticker set into the bar, made first if there is none.
  void Dock(std::optional<Docked>& slot, const TrayWindows& windows);
  // Every other monitor's bar gets a ticker, a vanished one loses its own,
  // and each is placed again when its bar changed.
  void FollowSecondaryBars();
  // The calendar closes with the ticker it was opened from, or its bar.
  void FollowCalendar();
  TickerWindow& Primary() { return docked_.front()->ticker; }
  std::optional<Taskbar>& PrimaryTaskbar() { return docked_.front()->taskbar; }
  template <typename Function>
  Function DialogFunction(const char* name);

  WideString folder_;
  RunEntry runEntry_;
  Win32Profile profile_;
  ClockSettings settings_;
  std::optional<std::string> failure_;
  OwnedLibrary dialogs_;
  std::array<COLORREF, 16> customColours_{};  // the user's for the whole run
  LookSeen seen_;                             // of the system, not of a bar
  int readBarsTicks_ = 0;                     // the reads of the bars left
  TrayWindows trayWindows_;                   // found before any window of ours exists
  SessionWindow session_;
  // The primary's first, then the other bars' in any free place; a fixed
  // table, so that a ticker never moves while one of its handlers runs.
  std::array<std::optional<Docked>, 1 + kMostSecondaryBars> docked_;
  CalendarWindow calendar_;  // after the tickers: it goes first
  bool running_ = false;
  bool findBars_ = true;  // a bar may have come since the last search
  unsigned unsaved_ = 0;  // a bit for each key
  bool toldUnsaved_ = false;
  int openDialogs_ = 0;
};

}  // namespace clep::win

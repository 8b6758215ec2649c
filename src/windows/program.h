// The Windows program: builds its parts (the settings, the tickers in every
// taskbar, the session window with the taskbar poll, the dialogs, the
// calendar), wires them, turns the menu's commands into their changes, and
// runs between start-up and the way out.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "menu/menu.h"
#include "windows/calendar_window.h"
#include "windows/dialogs.h"
#include "windows/run_entry.h"
#include "windows/run_state.h"
#include "windows/session_window.h"
#include "windows/settings_store.h"
#include "windows/taskbar.h"
#include "windows/ticker_window.h"
#include "windows/tickers.h"

namespace clep::win {

class Program final : private SessionOwner, private TickerOwner {
 public:
  // Loads the settings, finds the taskbar (TrayWindowError when it is not
  // there) and sets a ticker into it and into every other monitor's bar.
  Program(WideString folder, const Trace& trace);
  // Hides every ticker and gives every taskbar back, the last first; each
  // counts as gone before it ends, so a ticker lost meanwhile finds nothing.
  ~Program() = default;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Shows the tickers and runs until Exit, a close or the session's end;
  // gives the report of what a handler threw, if one did.
  std::optional<std::string> Run();

 private:
  // What the session window tells, each passed on to the part that
  // answers it.
  void OnTaskbarCreated() override { NewShell(); }
  void OnEndSession() override { EndSession(); }
  void OnClose() override { Exit(); }
  void OnShellChanged(bool made) override {
    if (made) {
      tickers_.SearchBarsAtNextPoll();
    }
  }
  void OnThemeChanged() override {
    tickers_.RefreshThemeColours();
    PollTaskbars();  // a new scale of the main monitor comes as a setting change too
  }
  void OnDisplayChanged() override {
    tickers_.SearchBarsAtNextPoll();
    PollTaskbars();
  }
  void OnWorkAreaChanged() override { tickers_.OnWorkAreaChanged(); }
  bool OnColourRereadTimer() override {
    const bool more = tickers_.RereadThemeColours();
    FollowCalendar();
    return more;
  }
  void OnPollTimer() override { PollTaskbars(); }
  void OnClockSet() override { tickers_.OnClockSet(); }

  // What a ticker asks and tells.
  const ClockSettings& Settings() const override { return store_.Settings(); }
  bool ShownEdge() const override { return tickers_.ShownEdge(); }
  bool StartsWithWindows() const override { return runEntry_.Starts(); }
  void OnCommand(Command id, const TickerWindow& from) override { Choose(id, from); }
  void OnTickerLost(const TickerWindow& ticker) override { TickerGone(ticker); }
  void OnTickerRescaled(const TickerWindow& ticker) override { tickers_.OnRescaled(ticker); }
  void OnTickerSpoken(const TickerWindow& ticker) override { tickers_.OnSpoken(ticker); }

  void Choose(Command id, const TickerWindow& from);
  void TickerGone(const TickerWindow& ticker);
  void NewShell();
  void EndSession();
  void SaveAtEnd();
  void PollTaskbars();
  void Exit();
  // The settings changed and their keys written; the user told of the
  // first failed write.
  void Change(const ClockSettings& changed, KeySet keys);
  void RunAction(Command id, const TickerWindow& from);
  // The calendar closes with the ticker it was opened from, or its bar, and
  // takes on that ticker's colours.
  void FollowCalendar();

  WideString folder_;
  RunState run_;
  RunEntry runEntry_;
  SettingsStore store_;
  TrayWindows trayWindows_;  // found before any window of ours exists
  SessionWindow session_;
  Tickers tickers_;
  Dialogs dialogs_;
  CalendarWindow calendar_;  // after the tickers: it goes first
};

}  // namespace clep::win

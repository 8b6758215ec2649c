// The month of the Latin calendar in a small window beside a ticker: today
// marked, the Kalends, Nones and Ides in bold and underlined, a feast's day
// dotted, each day's Latin date and feast when pointed at, the month's feasts
// under it; the arrow buttons, PageUp and PageDown move a month, the arrow
// keys a day, Home comes back to today, Escape or a click elsewhere closes
// it. The day moved to has the focus frame, and a screen reader hears its
// date and Latin date, each cell's name. The frame follows the
// day at midnight, and this month's calendar the month.
#pragma once

#include <windows.h>

#include <string>

#include "calendar/latin_month.h"
#include "settings/clock_settings.h"
#include "taskbar/placement.h"
#include "windows/handles.h"
#include "windows/run_state.h"

namespace clep::win {

class CalendarWindow {
 public:
  // The first day cell's control id; the 42 cells follow it.
  static constexpr int kFirstDayId = 100;
  // Shown in the style of `settings`, which it reads at each month.
  CalendarWindow(const ClockSettings& settings, RunState& run);
  CalendarWindow(const CalendarWindow&) = delete;
  CalendarWindow& operator=(const CalendarWindow&) = delete;

  // Opens on this month beside the ticker, in its colours and face; closes
  // it when it is open, as the menu item chosen again does.
  void Toggle(HWND ticker, COLORREF text, COLORREF back, const std::string& face);
  void Close() { window_.Reset(); }
  bool IsOpen() const { return static_cast<bool>(window_); }
  // The ticker it was opened from: it must not outlive it.
  HWND Ticker() const { return ticker_; }
  // Shown again in the style the settings have now.
  void Restyle();
  // Its ticker's colours, when that ticker's colours changes.
  void SetColours(COLORREF text, COLORREF back);

  RunState& State() const { return run_; }
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  // Opening, step by step: the fonts at the bar's scale, the controls, their
  // layout (the window's size), its place beside the ticker, the days' tips.
  void MakeFonts(const std::string& face, const Scale& scale);
  bool MakeControls();
  Size LayOut(const Scale& scale);
  void PlaceBesideTicker(Size size, int gap);
  void AddDayTips();
  void ShowMonth(int year, int month);
  // The cell of a day of the shown month.
  int CellOf(int day) const;
  HWND SelectedCell() const { return GetDlgItem(window_.Get(), kFirstDayId + CellOf(selected_)); }
  // The day in a cell of the grid; an empty one outside the month.
  const MonthDay& DayAt(int cell) const;
  void DrawDay(const DRAWITEMSTRUCT& item) const;
  void Move(int months);
  // The day with the focus, in its month; a screen reader is told.
  void Select(const CalendarDay& day);
  void OnKey(WPARAM key);
  // At each of the day timer's ticks: a new day moves today's frame.
  void OnDayTimer();
  // A day cell's tip: its Latin date and feasts.
  void OnTipText(NMHDR& notice);
  // A look at each minute's start while open: a set clock may change the day too.
  void FollowDay();
  // Whether losing the foreground to this window leaves it open.
  bool StaysOpen(HWND next) const;

  const ClockSettings& settings_;
  RunState& run_;
  // Freed after the windows that use them: the tooltip's code, the fonts.
  OwnedLibrary commonControls_;
  OwnedFont font_;
  OwnedFont bold_;
  OwnedWindow window_;
  OwnedWindow toolTip_;
  HWND ticker_ = nullptr;
  LatinMonth shown_;
  const MonthDay noDay_;
  std::string tip_;  // the text of the cell pointed at, while the tooltip shows it
  int dot_ = 0;      // the side of a feast's mark
  int lineHeight_ = 0;
  int year_ = 0;
  int month_ = 0;
  int selected_ = 0;  // the day of the shown month with the focus
  int today_ = 0;     // the day framed, as yyyymmdd
  COLORREF text_ = 0;
  COLORREF back_ = 0;
};

}  // namespace clep::win

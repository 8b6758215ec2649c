// The month of the Latin calendar in a small window beside a ticker: today
// marked, the Kalends, Nones and Ides in bold and underlined, a feast's day
// dotted, each day's Latin date and feast when pointed at, the month's feasts
// under it; the arrow buttons, PageUp and PageDown move a month, Home comes
// back to today, Escape or a click elsewhere closes it.
#pragma once

#include <windows.h>

#include <string>

#include "clock/latin_month.h"
#include "windows/handles.h"

namespace clep::win {

class Program;

class CalendarWindow {
 public:
  explicit CalendarWindow(Program& program);
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

  Program& ProgramOf() const { return program_; }
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void ShowMonth(int year, int month);
  // The day in a cell of the grid; an empty one outside the month.
  const MonthDay& DayAt(int cell) const;
  void DrawDay(const DRAWITEMSTRUCT& item) const;
  void Move(int months);
  void OnKey(WPARAM key);
  // Whether losing the foreground to this window leaves it open.
  bool StaysOpen(HWND next) const;

  Program& program_;
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
  COLORREF text_ = 0;
  COLORREF back_ = 0;
};

}  // namespace clep::win

// The ticker: a small window the program sets into the taskbar, and its face,
// the child that shows the clock text and the date tooltip and takes the
// mouse. Both die with the shell they live in; the ticker then builds them
// anew with everything they showed.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "clock/roman.h"
#include "menu/menu.h"
#include "settings/clock_settings.h"
#include "taskbar/placement.h"
#include "windows/accessible.h"
#include "windows/handles.h"
#include "windows/run_state.h"

namespace clep::win {

class TickerWindow;

// What a ticker needs of whoever docked it.
class TickerOwner {
 public:
  // The settings the ticker shows; they reach it only from here.
  virtual const ClockSettings& Settings() const = 0;
  // Whether the tickers have their edge, as chosen or as the theme has it.
  virtual bool ShownEdge() const = 0;
  // Whether the clock starts at sign-in.
  virtual bool StartsWithWindows() const = 0;
  // A command chosen from the ticker's menu or mouse; a close is Exit.
  virtual void OnCommand(Command id, const TickerWindow& from) = 0;
  // The shell ended and took the ticker's window with it.
  virtual void OnTickerLost(const TickerWindow& ticker) = 0;
  // The bar's DPI changed, as Windows tells the children of a bar.
  virtual void OnTickerRescaled(const TickerWindow& ticker) = 0;
  // The spoken time changed, once a minute: the blank icons say it too.
  virtual void OnTickerSpoken(const TickerWindow& ticker) = 0;

 protected:
  ~TickerOwner() = default;
};

class TickerWindow : private AccessibleOwner {
 public:
  TickerWindow(TickerOwner& owner, RunState& run);
  ~TickerWindow();
  TickerWindow(const TickerWindow&) = delete;
  TickerWindow& operator=(const TickerWindow&) = delete;

  // Creates the window hidden as a child of `parent` with its face and
  // timers, with or without its edge, taking input or not; a lost window is
  // made anew.
  void Create(bool edge, HWND parent, bool input);
  HWND Handle() const { return frame_.Get(); }
  bool Exists() const { return static_cast<bool>(frame_); }
  void Show();
  void Hide();
  // Shows a rebuilt window when the one it replaces was shown.
  void RestoreShown();

  // One drawing tick: prints the clock text when the second has changed,
  // and sets the timer for the next change.
  void Tick();
  // The clock text made now, in a new style or after the clock was set.
  void Redraw();
  void RepaintFace();
  void SetBorder(bool on);
  bool HasBorder() const { return (exStyle_ & WS_EX_STATICEDGE) != 0; }
  void SetColours(std::int32_t text, std::int32_t back);
  // The colours the face is drawn in now, for windows that take its colours.
  struct Colours {
    COLORREF text;
    COLORREF back;
  };
  Colours ShownColours() const;
  const std::string& FaceName() const { return fontName_; }
  // The width in pixels of the widest line the clock shows in this style
  // and the ticker's font.
  int TextWidth(const ClockStyle& style);
  // An empty name keeps the face; no size keeps the size.
  void SetFont(const std::string& name, std::optional<std::int32_t> points, bool bold, bool italic);
  // The DPI of the bar the ticker is in, at which its font and lines are made.
  void SetDpi(int dpi);
  int Dpi() const { return scale_.dpi; }

  // Off while a dialog is open; a window made meanwhile starts off.
  void EnableInput(bool on);

  // While one of its handlers runs a menu, a command or a dialog, in whose
  // loops the poll runs, the ticker is not freed.
  bool InModalLoop() const { return modalLoops_ > 0; }
  RunState& State() const { return run_; }
  // What a screen reader says of the clock: the time as the user's locale
  // writes it, then the Roman text; the date likewise, then the Latin date.
  std::string SpokenName() const override;
  std::string SpokenValue() const override;
  // Both, for the blank icons' tips.
  std::string IconTip() const;
  // The frame's messages: its timer, size and place, commands and end.
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  // The face, a window class of its own: the text's paint and the mouse.
  class Face {
   public:
    explicit Face(TickerWindow& ticker) : ticker_(ticker) {}
    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    RunState& State() const { return ticker_.State(); }

   private:
    TickerWindow& ticker_;
  };

  void OnDefaultAction() override;
  // The menu at the pointer, or from the keyboard beside the ticker with its
  // first item lit; a blank icon's gets the notification area's focus back.
  void OpenMenu(bool keyboard, UINT icon = 0);
  void OnFaceMouseMove();
  void OnFaceMouseUp(UINT message);
  void OnFaceDoubleClick();
  void OnPaint(HWND face);
  void OnLost();
  void OnSize(HWND window);
  void StartTimer(bool nextSecond = false);
  void MakeFont();
  TEXTMETRICA FontMetrics() const;
  // The font for a stacked ticker `room` pixels wide inside: the ticker's,
  // or a smaller one when its widest numeral would not fit.
  HFONT LinesFont(int room);
  void DrawLines(HDC dc, const RECT& client);

  TickerOwner& owner_;
  RunState& run_;
  OwnedWindow frame_;
  Face face_{*this};
  HWND faceWindow_ = nullptr;  // a child: it goes with the frame
  bool destroying_ = false;    // our own end, not the shell's
  OwnedWindow toolTip_;
  OwnedLibrary commonControls_;
  OwnedFont font_;
  OwnedFont linesFont_;   // none: the ticker's own fits, or not made yet
  int linesRoom_ = -1;    // the room linesFont_ was chosen for
  bool stacked_ = false;  // a numeral a line, as the size set last asks
  ClockFace clock_;
  std::string tip_;
  DWORD exStyle_ = WS_EX_TOOLWINDOW;
  std::int32_t textColour_ = 0;
  std::int32_t backColour_ = 0xC0C0C0;
  std::string fontName_ = "MS Sans Serif";
  int fontHundredths_ = 825;  // of a point
  bool bold_ = false;
  bool italic_ = false;
  bool shown_ = false;
  int modalLoops_ = 0;
  int inkLeft_ = 0;  // how far the text's ink may reach left of its place
  Scale scale_;
  int spokenMinute_ = -1;  // the minute the spoken time was last told for
  AccessibleClock accessible_{*this};
};

}  // namespace clep::win

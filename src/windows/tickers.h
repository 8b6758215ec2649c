// The tickers and the taskbars they are docked in: the primary's first, then
// one for each other monitor's bar. A change of style or of theme reaches
// every ticker through one path, which sets its colours, font, text, shape and
// size together.
//
// Another monitor's ticker, at each poll (FollowSecondaryBars):
// - docked: its bar still found (or still a window, which a search made as
//   the shell reorders its bars can miss) keeps it, and it is polled;
//   a bar gone, or EveryTaskbar off, or no primary taskbar, gives its
//   taskbar back;
// - without a taskbar: dropped, unless one of its handlers runs a modal loop
//   (a menu, a dialog), when it is dropped at a later poll;
// - a bar found without a ticker gets one in a free slot, or, with none
//   free, at a later search.
// The bars are searched for when told of a new shell window, when the
// shell's events are not heard, or at every fourth poll; otherwise only the
// known bars are checked, as a bar's coming is told.
#pragma once

#include <windows.h>

#include <array>
#include <optional>

#include "settings/clock_settings.h"
#include "taskbar/colours.h"
#include "windows/session_window.h"
#include "windows/taskbar.h"
#include "windows/ticker_window.h"

namespace clep::win {

class Tickers {
 public:
  // Docks a ticker in the primary taskbar, and in every other monitor's bar;
  // the session window times the reads of the bars and tells whether the
  // shell's new windows are heard of.
  Tickers(TickerOwner& owner, RunState& run, SessionWindow& session, const TrayWindows& primary);
  // Each taskbar ends before its ticker, giving itself back, the last first.
  ~Tickers() = default;
  Tickers(const Tickers&) = delete;
  Tickers& operator=(const Tickers&) = delete;

  void ShowAll();
  void HideAll();
  // The session ends: every taskbar given back at once.
  void GiveBack();
  // A new shell: the primary ticker moves into its taskbar, the others are
  // built anew.
  void Redock(const TrayWindows& primary);

  // The settings changed: every ticker restyled.
  void Restyle();
  // The theme changed: taken now and read again for a while.
  void RefreshThemeColours();
  // One of those reads; false once they are over.
  bool RereadThemeColours();
  // One poll of every bar.
  void PollTaskbars();
  void SearchBarsAtNextPoll() { searchBars_ = true; }
  void OnClockSet();
  void OnLost(const TickerWindow& ticker);
  // Windows told a ticker that its bar's DPI changed.
  void OnRescaled(const TickerWindow& ticker);
  // A bar may have been set to hide or not: the tickers beside a clock are
  // placed again.
  void OnWorkAreaChanged();
  // A ticker's spoken time changed: its blank icons say it.
  void OnSpoken(const TickerWindow& ticker);
  void EnableInput(bool on);

  bool ShownEdge() const;
  // The face the tickers show.
  const std::string& FaceName() const { return docked_.front()->ticker.FaceName(); }
  // Whether the ticker is in a bar now.
  // The colours a docked ticker shows; none for a ticker not docked.
  std::optional<TickerWindow::Colours> ShownColours(HWND ticker) const;

 private:
  // A ticker and the taskbar it is set in; the taskbar ends first, giving
  // itself back. A secondary one without a taskbar is left to be dropped.
  struct Docked {
    Docked(TickerOwner& owner, RunState& run) : ticker(owner, run) {}
    TickerWindow ticker;
    std::optional<Taskbar> taskbar;
    std::optional<Rgb> bar;              // the bar's colour last read beside the ticker
    RECT readAt{};                       // where the ticker stood then, on the screen
    std::optional<ColourScheme> scheme;  // as drawn now
  };
  template <typename Function>
  void EachDocked(Function function) {
    for (auto& docked : docked_) {
      if (docked) {
        function(*docked);
      }
    }
  }
  // A ticker set into the bar, made first if there is none.
  void Dock(std::optional<Docked>& slot, const TrayWindows& windows);
  // The one path of a change: colours, font, text, and with the text's width
  // the shape and size; the ticker's window draws its shape at the size.
  void Restyle(Docked& docked);
  // The font, and the shape and size of the widest text in it, at the bar's DPI.
  void Fit(Docked& docked);
  // One poll at the ticker's bar; a new DPI fits it anew.
  void PollBar(Docked& docked);
  // The colours and edge for what is seen now; `read` reads the bar anew, as
  // a moved ticker's is read; true after such a move.
  bool RefreshColours(Docked& docked, bool read);
  // Every other monitor's bar gets a ticker, a vanished one loses its own,
  // and each is placed again when its bar changed.
  void FollowSecondaryBars();

  const ClockSettings& settings_;
  TickerOwner& owner_;
  RunState& run_;
  SessionWindow& session_;
  ThemeSeen seen_;          // of the system, not of a bar
  int themeRereads_ = 0;    // the reads of the bars left
  bool input_ = true;       // off while a dialog is open
  bool searchBars_ = true;  // a bar may have come since the last search
  int pollsSinceBarSearch_ = 0;
  // The primary's first, then the other bars' in any free place; a fixed
  // table, so that a ticker never moves while one of its handlers runs.
  std::array<std::optional<Docked>, 1 + kMostSecondaryBars> docked_;
};

}  // namespace clep::win

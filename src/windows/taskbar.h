// What is done to the shell's windows a ticker lives in: the ticker set in
// with blank icons making room, fitted and placed as the taskbar changes, and
// all of it given back when the Taskbar object ends, on every way out.
//
// Each poll (Poll) goes through these states, the first that holds ending it:
// - no ticker (the shell took it): nothing;
// - icons left behind a look-alike (iconsBehind_) that now reach the shell:
//   refit, which makes the room;
// - (not ending it) a tip for the blank icons not yet told: told, if the
//   shell answers at once, at most once a second;
// - the snapshot as at the last poll, which changed nothing
//   (unchangedLastPoll_): nothing, the cheap case four times a second;
// - a new DPI: taken, and the next poll reads in full while the owner fits
//   the ticker anew;
// - a bar without blank icons whose thickness changed the ticker's shape:
//   refit;
// - otherwise one full read for the layout: another monitor's bar places the
//   ticker when its size, clock or island moved; Windows 11's when its tray
//   or Start moved; the classic one does what DecidePoll makes of its edge
//   and tray rows, and counts as unchanged only when that was nothing.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "taskbar/placement.h"
#include "windows/tray_windows.h"

namespace clep::win {

// The blank icons' notifications to the ticker, in NOTIFYICON_VERSION_4's form.
inline constexpr UINT kIconMessage = WM_APP + 1;

class Taskbar {
 public:
  // Takes the edge and the tray's size for the poll, before anything of
  // ours is in the tray.
  explicit Taskbar(const TrayWindows& windows);
  // Hides the ticker, takes it out of the taskbar, removes the blank icons
  // and has the taskbar repainted.
  ~Taskbar();
  Taskbar(const Taskbar&) = delete;
  Taskbar& operator=(const Taskbar&) = delete;

  // The ticker's parent: the notification area, or a taskbar without blank icons.
  HWND TickerParent() const { return windows_.blankIcons() ? windows_.tray : windows_.taskbar; }
  // Makes the ticker a child of TickerParent at the top-left place, to be
  // fitted next; false when it could not be moved in.
  bool Embed(HWND ticker);
  // The shell died and took the ticker with it: nothing is left to give back.
  void Forget() { ticker_ = nullptr; }
  HWND Bar() const { return windows_.taskbar; }
  // The DPI of the bar at its last geometry; the ticker is fitted at it.
  int Dpi() const { return scale_.dpi; }
  bool Secondary() const { return windows_.secondary; }

  // New blank icons and size for `cells` and `textWidth`, keeping the
  // ticker's top-left corner; nothing when the size stays. On a narrow
  // vertical bar the ticker is stacked (see ShapeTicker).
  void FitTicker(int cells, int textWidth);
  // What the blank icons say to a screen reader, as their tips; the icons
  // there are told at the next poll that finds the shell answering.
  void SetIconTip(const std::string& tip);
  void PlaceTickerTopLeft();
  void PlaceTickerBesideClock();
  // Beside the clock anew where it stands there, for an auto-hide setting
  // that changed nothing the poll sees.
  void PlaceAgainBesideClock() {
    if (ticker_ != nullptr && windows_.blankIcons() && !atTopLeft_) {
      PlaceTickerBesideClock();
    }
  }
  // One poll: refit beside the clock or move to the top-left
  // place when the taskbar changed; in a bar without a tray, place the ticker
  // again when the bar's size or children changed; refit wherever the
  // ticker's shape changed with the bar's thickness or edge.
  void Poll();

 private:
  int Edge() const;
  // The ticker's size on the bar as it is now.
  Size Shape() const;
  void RemoveBlankIcons() const;
  void TellIconTip();
  void Refit();
  // Where the ticker stands on Windows 11's taskbar, from the rectangles of
  // the notification area and the Start button.
  Rect ModernTray() const;
  Rect ModernStart() const;
  void PlaceModern();
  // What places the ticker in another monitor's bar, looked at anew each time.
  struct SecondaryGeometry {
    Size bar;
    Rect clock;
    bool island = false;
  };
  SecondaryGeometry ReadSecondaryGeometry() const;
  void PlaceSecondary(const SecondaryGeometry& geometry);
  // The few windows whose places hold all the poll follows, read at four
  // calls: under Wine each read of another process's window is a round trip
  // to its server, and a full read takes a dozen, four times a second.
  struct Snapshot {
    std::array<Rect, 3> places{};
    long clockStyle = 0;
    HWND island = nullptr;
    int dpi = 0;
    bool operator==(const Snapshot& o) const {
      return places == o.places && clockStyle == o.clockStyle && island == o.island && dpi == o.dpi;
    }
  };
  Snapshot TakeSnapshot() const;
  // The poll on a classic primary taskbar: its edge and tray rows, and
  // what DecidePoll makes of them.
  void PollClassic();

  // Whether Shell_NotifyIcon reaches this taskbar: it goes to the first of
  // its class, which may be a look-alike in front of it.
  bool IconsReachShell() const;
  // Raises the taskbar, topmost as it is, over such a look-alike; `wait`s
  // for it only on a shell that answers at once.
  void RaiseOverLookalike(bool wait) const;

  TrayWindows windows_;
  Scale scale_;
  HWND ticker_ = nullptr;
  int cells_ = 0;
  int textWidth_ = 0;
  Size size_;
  int icons_ = 0;
  std::string iconTip_;
  bool tipToTell_ = false;  // the icons there show an older tip
  DWORD lastTipTry_ = 0;
  bool iconsBehind_ = false;  // a fit left them as they were, for a look-alike
  bool atTopLeft_ = false;
  bool autoHide_ = false;
  TaskbarSeen last_;
  Rect lastTray_;
  Rect lastStart_;
  SecondaryGeometry lastSecondary_;
  Snapshot snapshot_;
  // The last full read changed nothing, so an unchanged snapshot needs none.
  bool unchangedLastPoll_ = false;
};

}  // namespace clep::win

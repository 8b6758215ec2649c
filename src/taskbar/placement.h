// The arithmetic of the ticker in the notification area: its size, the room
// blank icons make for it, its two places, the icon rows under the clock, and
// what the taskbar watch does after each look. All positions are in the
// client coordinates of the ticker's parent window.
#pragma once

namespace clep {

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size& o) const { return width == o.width && height == o.height; }
  bool operator!=(const Size& o) const { return !(*this == o); }
};

// Right and bottom are exclusive, as on Windows.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const Rect& o) const { return !(*this == o); }
};

// Appbar edges.
enum Edge : int { kEdgeLeft = 0, kEdgeTop = 1, kEdgeRight = 2, kEdgeBottom = 3 };

// The edge a bar (in screen coordinates) stands on: of its monitor's two
// edges along the bar's length, the nearer.
int EdgeOnMonitor(const Rect& bar, const Rect& monitor);

// The top-left place, and the row beside the clock.
inline constexpr int kTopLeftX = 0;
inline constexpr int kTopLeftY = 5;
inline constexpr int kBesideClockY = 2;
// Deleting ids 1 to 6 clears every blank icon the classic sizes can leave.
inline constexpr int kLastBlankIconId = 6;

// A cell is as high as a caption less 5; the ticker is cells wide, or as
// wide as the widest text it shows (textWidth, in pixels) and its sunken
// edge when that is wider. Every taskbar's ticker is sized by this rule.
Size TickerSize(int captionHeight, int cells, int textWidth);

// Blank icons for a ticker: one fewer than the cells it spans (a part of a
// cell counts), none below 2.
int BlankIconCount(Size ticker);

// The ticker's X beside a clock at the tray's right end: one pixel over the
// clock's left edge, or on that edge when the taskbar hides itself.
// clockWidth is 0 for a hidden clock.
int BesideClockX(int trayRight, int clockWidth, int tickerWidth, bool autoHide);

// Rows of icons under a clock that stands at the tray's top (clockInTray all
// zeros for a hidden clock); a clock lower down counts as nothing.
int CountTrayRows(int trayHeight, const Rect& clockInTray, int captionHeight);

// The ticker's place on a taskbar without a tray clock window (Windows 11's):
// just left of the notification area (tray, in the taskbar's client
// coordinates) and centred on the Start button's height. When the tray's
// rectangle reads empty, the clock area is taken as the right-most 88 pixels
// at 96 DPI; without a Start button, the taskbar's height counts.
struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};
Point ModernTickerPlace(const Rect& tray, const Rect& start, Size taskbar, Size ticker, int dpi);

// The ticker's place in another monitor's taskbar, which has no notification
// area: just before its clock button (clock, in the bar's client
// coordinates; all zeros for none) or, without one, at the bar's far end;
// left of it on a horizontal bar, above it on a vertical one (taller than
// wide); centred across the bar's thickness. With Windows 11's island, left
// of the clock area it draws, as on the primary taskbar with an empty tray.
inline constexpr int kSecondaryGap = 2;
Point SecondaryTickerPlace(Size bar, const Rect& clock, bool island, Size ticker, int dpi);

// What the watch saw at one look. The tray's size and rows are read only on
// an unchanged horizontal edge (WatchReadsTray); otherwise they stay 0.
struct TaskbarSeen {
  int edge = 0;
  Size tray;
  int rows = 0;
};

enum class WatchAction {
  kNothing,
  kPlaceTopLeft,
  kFitBesideClock,  // FitTicker, then PlaceTickerBesideClock
};

bool WatchReadsTray(int edge, int lastEdge);

// A new horizontal edge, or a one-row tray that shrank, refits the ticker
// beside the clock; a new vertical edge, or a tray of other than one row,
// puts it at the top-left place. Growth never counts.
WatchAction DecideWatch(const TaskbarSeen& last, const TaskbarSeen& now);

}  // namespace clep

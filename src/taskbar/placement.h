// The arithmetic of the ticker in the notification area: its size, the room
// blank icons make for it, its two places, the icon rows under the clock, and
// what the taskbar poll does after each read. All positions are in the
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

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};

// Appbar edges.
enum Edge : int { kEdgeLeft = 0, kEdgeTop = 1, kEdgeRight = 2, kEdgeBottom = 3 };

// The edge a bar (in screen coordinates) stands on: of its monitor's two
// edges along the bar's length, the nearer.
int EdgeOnMonitor(const Rect& bar, const Rect& monitor);

// Sizes below are at 96 DPI, the scale Windows calls 100 %; a bar on a
// monitor at another scale has them scaled by its DPI.
inline constexpr int kBaseDpi = 96;
// A size at 96 DPI at `dpi`, rounded to the nearest pixel as MulDiv does.
int Scaled(int at96, int dpi);

// What every size on one bar is made of: the system's caption height at the
// bar's DPI, and that DPI.
struct Scale {
  int caption = 19;
  int dpi = kBaseDpi;
  int Px(int at96) const { return Scaled(at96, dpi); }
  bool operator==(const Scale& o) const { return caption == o.caption && dpi == o.dpi; }
  bool operator!=(const Scale& o) const { return !(*this == o); }
};

// The top-left place, and the row beside the clock.
inline constexpr int kTopLeftX = 0;
inline constexpr int kTopLeftY = 5;
inline constexpr int kBesideClockY = 2;
Point TopLeftPlace(bool stacked, const Scale& scale);
// Deleting ids 1 to 6 clears every blank icon the classic sizes can leave.
inline constexpr int kLastBlankIconId = 6;

// A cell is as high as a caption less 5; the ticker is cells wide, or as
// wide as the widest text it shows (textWidth, in pixels) and its sunken
// edge when that is wider. Every taskbar's ticker is sized by this rule.
Size TickerSize(const Scale& scale, int cells, int textWidth);

// On a bar taller than wide whose thickness (the client width of the
// ticker's parent) cannot hold the one-line ticker, the ticker shows the time
// in lines, a numeral each (two cells to a numeral): as wide as the thickness
// less a margin on each side, a cell high a line, and its edge. Otherwise
// the one line.
inline constexpr int kStackMargin = 2;
Size ShapeTicker(Size oneLine, int cells, bool vertical, int thickness, const Scale& scale);
// The lines a ticker of this size shows: 1 unless it was stacked.
int TickerLines(Size ticker, const Scale& scale);
// A font's cell height made smaller in proportion, at least by one pixel,
// so that a text `width` wide fits `room`.
int ShrunkFontHeight(int height, int width, int room);

// Blank icons for a ticker: one fewer than the cells it spans (a part of a
// cell counts), none below 2.
int BlankIconCount(Size ticker);

// Blank icons for a stacked ticker at the top of a vertical tray: whole
// rows of them down past its lower edge. Slots are taken as square and one
// row high (see CountTrayRows), as small as a shell makes them, so that
// larger slots only leave more room.
int StackedBlankIconCount(int trayWidth, Size ticker, const Scale& scale);

// The ticker's X beside a clock at the tray's right end: one pixel over the
// clock's left edge, or on that edge when the taskbar hides itself.
// clockWidth is 0 for a hidden clock.
int BesideClockX(int trayRight, int clockWidth, int tickerWidth, bool autoHide);

// Rows of icons under a clock that stands at the tray's top (clockInTray all
// zeros for a hidden clock); a clock lower down counts as nothing.
int CountTrayRows(int trayHeight, const Rect& clockInTray, const Scale& scale);

// The ticker's place on a taskbar without a tray clock window (Windows 11's):
// just left of the notification area (tray, in the taskbar's client
// coordinates) and centred on the Start button's height. When the tray's
// rectangle reads empty, the clock area is taken as the right-most 88 pixels
// at 96 DPI; without a Start button, the taskbar's height counts. On a bar
// taller than wide the same holds along its length: above the notification
// area, centred on the Start button's width.
Point ModernTickerPlace(const Rect& tray, const Rect& start, Size taskbar, Size ticker, int dpi);

// The ticker's place in another monitor's taskbar, which has no notification
// area: just before its clock button (clock, in the bar's client
// coordinates; all zeros for none) or, without one, at the bar's far end;
// left of it on a horizontal bar, above it on a vertical one (taller than
// wide); centred across the bar's thickness. With Windows 11's island, left
// of the clock area it draws, as on the primary taskbar with an empty tray.
inline constexpr int kSecondaryGap = 2;
Point SecondaryTickerPlace(Size bar, const Rect& clock, bool island, Size ticker, int dpi);
// Where a text `textHeight` high stands in a face `faceHeight` high: at the
// top when it is as high or higher, else centred, as it fills the face at 100 %.
int TextTop(int faceHeight, int textHeight);

// What one poll saw. The tray's size and rows are read only on
// an unchanged horizontal edge (PollReadsTray); otherwise they stay 0.
struct TaskbarSeen {
  int edge = 0;
  Size tray;
  int rows = 0;
};

enum class PollAction {
  kNothing,
  kPlaceTopLeft,
  kFitBesideClock,  // FitTicker, then PlaceTickerBesideClock
};

bool PollReadsTray(int edge, int lastEdge);

// A new horizontal edge, or a one-row tray that shrank, refits the ticker
// beside the clock; a new vertical edge, or a tray of other than one row,
// puts it at the top-left place. Growth never counts.
PollAction DecidePoll(const TaskbarSeen& last, const TaskbarSeen& now);

}  // namespace clep

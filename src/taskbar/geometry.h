// The ticker inside the notification area: the room blank icons make for it,
// its size, its two places, and the taskbar queries the watch relies on.
// Positions are in the notification area's client coordinates.
#pragma once

#include <cstdint>

#include "platform/window.h"

namespace taskbar {

// The form's window; the form layer sets it before anything here runs.
extern platform::WindowHandle TickerWindow;
extern std::int32_t TickerHeight;
extern std::int32_t TickerWidth;
// True from a move to the top-left place until the next move beside the clock.
extern bool TickerAtTopLeft;
// What the watch saw last: the taskbar edge and the tray's client size.
extern std::int32_t LastEdge;
extern std::int32_t LastTrayWidth;
extern std::int32_t LastTrayHeight;

// --- Arithmetic ---

inline constexpr platform::Point kTopLeftPlace{0, 5};
inline constexpr std::int32_t kBesideClockY = 2;
// Deleting ids 1 to 6 clears every blank icon any cell count can leave.
inline constexpr std::uint32_t kLastBlankIconId = 6;

struct TickerSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// A cell is as high as a caption less 5; the ticker is cells wide.
TickerSize TickerSizeFor(std::int32_t captionHeight, std::int32_t cells);

// Blank icons for a cell count: one fewer than the cells, none below 2.
std::int32_t BlankIconCount(std::int32_t cells);

// The ticker's X beside a clock at the tray's right end: one pixel over the
// clock's left edge, or on that edge when the taskbar hides itself.
// clockWidth is 0 for a hidden clock.
std::int32_t BesideClockX(std::int32_t trayRight, std::int32_t clockWidth, std::int32_t tickerWidth,
                          bool autoHide);

// Rows of icons under a clock that stands at the tray's top (clockInTray in
// tray client coordinates, all zeros for a hidden clock); a clock lower
// down counts as nothing.
std::int32_t TrayRowsFor(std::int32_t trayHeight, const platform::Rect& clockInTray,
                         std::int32_t captionHeight);

// --- Operations on the shell's windows ---

// Freezes the taskbar's painting for its lifetime; on every way out, an
// exception included, unfreezes and repaints the taskbar it froze.
class FrozenTaskbar {
 public:
  FrozenTaskbar();
  ~FrozenTaskbar();
  FrozenTaskbar(const FrozenTaskbar&) = delete;
  FrozenTaskbar& operator=(const FrozenTaskbar&) = delete;

 private:
  platform::WindowHandle taskbar_;
};

std::int32_t GetTaskbarEdge();
bool IsTaskbarAutoHide();
void GetTrayClientSize(std::int32_t& width, std::int32_t& height);
std::int32_t CountTrayRows();
void AddBlankIcons();
void RemoveBlankIcons();
// Rebuilds the blank icons and sizes the ticker for TickerCells, keeping its
// top-left corner, with the taskbar frozen meanwhile and repainted after.
// Without a ticker window it does nothing.
void FitTicker();
void PlaceTickerTopLeft();
void PlaceTickerBesideClock();

}  // namespace taskbar

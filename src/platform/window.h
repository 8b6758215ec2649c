// Windows as the program sees them: opaque handles, rectangles, coordinates,
// placement and painting.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// A window of any process; 0 is none (or, where a parent is expected, the
// desktop: screen coordinates).
using WindowHandle = std::uintptr_t;
inline constexpr WindowHandle kNoWindow = 0;

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// Right and bottom are exclusive, as on Windows.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

inline bool operator==(const Point& a, const Point& b) {
  return a.x == b.x && a.y == b.y;
}
inline bool operator==(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// SetWindowPos flags.
inline constexpr std::uint32_t kPosNoSize = 0x1;
inline constexpr std::uint32_t kPosNoMove = 0x2;
inline constexpr std::uint32_t kPosNoZOrder = 0x4;

// RedrawWindow flags.
inline constexpr std::uint32_t kRedrawInvalidate = 0x1;
inline constexpr std::uint32_t kRedrawAllChildren = 0x80;
inline constexpr std::uint32_t kRedrawUpdateNow = 0x100;

// Window messages the program names.
inline constexpr std::uint32_t kMouseMoveMessage = 0x0200;

// The first top-level window of the class (any title), or 0.
WindowHandle FindTopLevelWindow(const char* className);

// The first direct child of parent with the class (any title), or 0.
WindowHandle FindChildWindow(WindowHandle parent, const char* className);

// The client area: left and top are 0, right and bottom are its width and
// height.
Rect ClientRect(WindowHandle window);

// The window's outer rectangle in screen coordinates.
Rect WindowRect(WindowHandle window);

// True when the window and all its ancestors are shown.
bool IsWindowShown(WindowHandle window);

// Converts points from the client coordinates of one window to those of
// another; 0 on either side stands for the screen.
void MapPoints(WindowHandle from, WindowHandle to, Point* points, std::size_t count);

// Makes window a child of newParent (0: a top-level window again). Its
// position keeps its numbers, which now count in the new parent's client
// coordinates.
void SetWindowParent(WindowHandle window, WindowHandle newParent);

// Moves and sizes a window, as SetWindowPos: x and y in the parent's client
// coordinates, ignored with kPosNoMove; cx and cy ignored with kPosNoSize.
void PositionWindow(WindowHandle window, WindowHandle insertAfter, std::int32_t x, std::int32_t y,
                    std::int32_t cx, std::int32_t cy, std::uint32_t flags);

// WM_SETREDRAW: stops (false) or resumes (true) the window's painting.
void SetWindowRedraw(WindowHandle window, bool redraw);

// RedrawWindow over the whole window (no rectangle, no region).
void RedrawWholeWindow(WindowHandle window, std::uint32_t flags);

// The height of a window caption, SM_CYCAPTION.
std::int32_t CaptionHeight();

}  // namespace platform

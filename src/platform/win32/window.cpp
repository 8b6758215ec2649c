#include <windows.h>

#include <vector>

#include "platform/window.h"

namespace {
HWND ToHwnd(platform::WindowHandle window) {
  return reinterpret_cast<HWND>(window);
}
platform::WindowHandle FromHwnd(HWND window) {
  return reinterpret_cast<platform::WindowHandle>(window);
}
platform::Rect FromRect(const RECT& rect) {
  return {static_cast<std::int32_t>(rect.left), static_cast<std::int32_t>(rect.top),
          static_cast<std::int32_t>(rect.right), static_cast<std::int32_t>(rect.bottom)};
}
}  // namespace

namespace platform {

WindowHandle FindTopLevelWindow(const char* className) {
  return FromHwnd(FindWindowA(className, nullptr));
}

WindowHandle FindChildWindow(WindowHandle parent, const char* className) {
  return FromHwnd(FindWindowExA(ToHwnd(parent), nullptr, className, nullptr));
}

Rect ClientRect(WindowHandle window) {
  RECT rect{};
  GetClientRect(ToHwnd(window), &rect);
  return FromRect(rect);
}

Rect WindowRect(WindowHandle window) {
  RECT rect{};
  GetWindowRect(ToHwnd(window), &rect);
  return FromRect(rect);
}

bool IsWindowShown(WindowHandle window) {
  return IsWindowVisible(ToHwnd(window)) != 0;
}

void MapPoints(WindowHandle from, WindowHandle to, Point* points, std::size_t count) {
  std::vector<POINT> mapped(count);
  for (std::size_t i = 0; i < count; ++i) {
    mapped[i] = {points[i].x, points[i].y};
  }
  MapWindowPoints(ToHwnd(from), ToHwnd(to), mapped.data(), static_cast<UINT>(count));
  for (std::size_t i = 0; i < count; ++i) {
    points[i] = {static_cast<std::int32_t>(mapped[i].x), static_cast<std::int32_t>(mapped[i].y)};
  }
}

void SetWindowParent(WindowHandle window, WindowHandle newParent) {
  SetParent(ToHwnd(window), ToHwnd(newParent));
}

void PositionWindow(WindowHandle window, WindowHandle insertAfter, std::int32_t x, std::int32_t y,
                    std::int32_t cx, std::int32_t cy, std::uint32_t flags) {
  SetWindowPos(ToHwnd(window), ToHwnd(insertAfter), x, y, cx, cy, flags);
}

void SetWindowRedraw(WindowHandle window, bool redraw) {
  SendMessageA(ToHwnd(window), WM_SETREDRAW, redraw ? 1 : 0, 0);
}

void RedrawWholeWindow(WindowHandle window, std::uint32_t flags) {
  RedrawWindow(ToHwnd(window), nullptr, nullptr, flags);
}

std::int32_t CaptionHeight() {
  return GetSystemMetrics(SM_CYCAPTION);
}

}  // namespace platform

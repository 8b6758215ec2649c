#include "platform/sim/desktop.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <stdexcept>
#include <string>

namespace {

using platform::Point;
using platform::Rect;
using platform::WindowHandle;

struct Window {
  std::string className;
  WindowHandle parent = 0;
  Rect place;  // in the parent's client coordinates
  bool shown = true;
  std::int32_t border = 0;
  bool redrawOff = false;
};

constexpr WindowHandle kFirstHandle = 0x10010;

struct Desktop {
  std::int32_t screenWidth = 1024;
  std::int32_t screenHeight = 768;
  std::int32_t captionHeight = 19;
  std::map<WindowHandle, Window> windows;  // in creation order
  WindowHandle nextHandle = kFirstHandle;
  bool shellRunning = false;
  sim::ShellOptions shell;
  sim::ShellWindows shellWindows;
  bool appBarFails = false;
  bool iconCallFails = false;
  std::optional<std::int32_t> edgeAnswer;
  std::vector<sim::Icon> icons;
  std::vector<sim::Event> log;
};

Desktop desktop;

Window* Find(WindowHandle handle) {
  auto found = desktop.windows.find(handle);
  return found == desktop.windows.end() ? nullptr : &found->second;
}

// Window classes compare without regard to case.
bool SameClass(const std::string& a, const char* b) {
  std::string other(b == nullptr ? "" : b);
  return std::equal(a.begin(), a.end(), other.begin(), other.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// Screen position of the window's client origin.
Point ClientOrigin(WindowHandle handle) {
  Point origin;
  for (Window* window = Find(handle); window != nullptr; window = Find(window->parent)) {
    origin.x += window->place.left + window->border;
    origin.y += window->place.top + window->border;
  }
  return origin;
}

bool IsHorizontal(std::int32_t edge) {
  return edge == platform::kEdgeTop || edge == platform::kEdgeBottom;
}

// What a shell does after any change of the taskbar or its icons: the
// taskbar hugs its edge, and the notification area, at the taskbar's far end,
// is as long as its icons and clock need.
void Layout() {
  if (!desktop.shellRunning) {
    return;
  }
  const sim::ShellOptions& shell = desktop.shell;
  const std::int32_t width = desktop.screenWidth;
  const std::int32_t height = desktop.screenHeight;
  const std::int32_t thick = shell.thickness;
  Window* taskbar = Find(desktop.shellWindows.taskbar);
  if (taskbar == nullptr) {
    return;
  }
  switch (shell.edge) {
    case platform::kEdgeLeft:
      taskbar->place = {0, 0, thick, height};
      break;
    case platform::kEdgeTop:
      taskbar->place = {0, 0, width, thick};
      break;
    case platform::kEdgeRight:
      taskbar->place = {width - thick, 0, width, height};
      break;
    default:
      taskbar->place = {0, height - thick, width, height};
      break;
  }
  Window* tray = Find(desktop.shellWindows.tray);
  if (tray == nullptr) {
    return;
  }
  Window* clock = Find(desktop.shellWindows.clock);
  const bool clockShown = clock != nullptr && clock->shown;
  const auto icons = static_cast<std::int32_t>(desktop.icons.size());
  const std::int32_t across = thick - 2 * shell.inset;
  const std::int32_t taskbarWidth = taskbar->place.right - taskbar->place.left;
  const std::int32_t taskbarHeight = taskbar->place.bottom - taskbar->place.top;
  if (IsHorizontal(shell.edge)) {
    const std::int32_t length =
        shell.trayPadding + icons * shell.slotWidth + (clockShown ? shell.clockWidth : 0);
    const std::int32_t left = taskbarWidth - shell.inset - length;
    tray->place = {left, shell.inset, left + length, shell.inset + across};
    if (clock != nullptr) {
      clock->place = {length - shell.clockWidth, shell.clockTop, length,
                      shell.clockTop + shell.clockHeight};
    }
  } else {
    const std::int32_t length =
        shell.trayPadding + icons * shell.slotWidth + (clockShown ? shell.clockHeight : 0);
    const std::int32_t top = taskbarHeight - shell.inset - length;
    tray->place = {shell.inset, top, shell.inset + across, top + length};
    if (clock != nullptr) {
      clock->place = {0, length - shell.clockHeight, std::min(across, shell.clockWidth), length};
    }
  }
}

void Record(sim::Effect effect, WindowHandle window, std::uint32_t value) {
  desktop.log.push_back({effect, window, value});
}

void IconFault() {
  if (desktop.iconCallFails) {
    desktop.iconCallFails = false;
    throw std::runtime_error("icon call failed on purpose");
  }
}

std::vector<sim::Icon>::iterator FindIcon(WindowHandle owner, std::uint32_t id) {
  return std::find_if(desktop.icons.begin(), desktop.icons.end(),
                      [&](const sim::Icon& icon) { return icon.owner == owner && icon.id == id; });
}

}  // namespace

namespace platform {

WindowHandle FindTopLevelWindow(const char* className) {
  return FindChildWindow(0, className);
}

WindowHandle FindChildWindow(WindowHandle parent, const char* className) {
  for (const auto& [handle, window] : desktop.windows) {
    if (window.parent == parent && SameClass(window.className, className)) {
      return handle;
    }
  }
  return 0;
}

Rect ClientRect(WindowHandle handle) {
  const Window* window = Find(handle);
  if (window == nullptr) {
    return {};
  }
  const Rect& place = window->place;
  return {0, 0, std::max(0, place.right - place.left - 2 * window->border),
          std::max(0, place.bottom - place.top - 2 * window->border)};
}

Rect WindowRect(WindowHandle handle) {
  const Window* window = Find(handle);
  if (window == nullptr) {
    return {};
  }
  const Point origin = ClientOrigin(window->parent);
  const Rect& place = window->place;
  return {origin.x + place.left, origin.y + place.top, origin.x + place.right,
          origin.y + place.bottom};
}

bool IsWindowShown(WindowHandle handle) {
  const Window* window = Find(handle);
  if (window == nullptr) {
    return false;
  }
  for (; window != nullptr; window = Find(window->parent)) {
    if (!window->shown) {
      return false;
    }
  }
  return true;
}

void MapPoints(WindowHandle from, WindowHandle to, Point* points, std::size_t count) {
  if ((from != 0 && Find(from) == nullptr) || (to != 0 && Find(to) == nullptr)) {
    return;
  }
  const Point a = ClientOrigin(from);
  const Point b = ClientOrigin(to);
  for (std::size_t i = 0; i < count; ++i) {
    points[i].x += a.x - b.x;
    points[i].y += a.y - b.y;
  }
}

void SetWindowParent(WindowHandle handle, WindowHandle newParent) {
  Window* window = Find(handle);
  if (window == nullptr || (newParent != 0 && Find(newParent) == nullptr)) {
    return;
  }
  // A window cannot become its own descendant.
  for (WindowHandle up = newParent; up != 0; up = Find(up)->parent) {
    if (up == handle) {
      return;
    }
  }
  window->parent = newParent;
}

void PositionWindow(WindowHandle handle, WindowHandle /*insertAfter*/, std::int32_t x,
                    std::int32_t y, std::int32_t cx, std::int32_t cy, std::uint32_t flags) {
  Window* window = Find(handle);
  if (window == nullptr) {
    return;
  }
  Record(sim::Effect::kPositioned, handle, flags);
  Rect& place = window->place;
  std::int32_t width = place.right - place.left;
  std::int32_t height = place.bottom - place.top;
  if ((flags & kPosNoSize) == 0) {
    width = std::max(0, cx);
    height = std::max(0, cy);
  }
  if ((flags & kPosNoMove) == 0) {
    place.left = x;
    place.top = y;
  }
  place.right = place.left + width;
  place.bottom = place.top + height;
}

void SetWindowRedraw(WindowHandle handle, bool redraw) {
  Window* window = Find(handle);
  if (window == nullptr) {
    return;
  }
  window->redrawOff = !redraw;
  Record(redraw ? sim::Effect::kRedrawOn : sim::Effect::kRedrawOff, handle, 0);
}

void RedrawWholeWindow(WindowHandle handle, std::uint32_t flags) {
  if (Find(handle) != nullptr) {
    Record(sim::Effect::kRepaint, handle, flags);
  }
}

std::int32_t CaptionHeight() {
  return desktop.captionHeight;
}

std::int32_t QueryTaskbarEdge(WindowHandle /*taskbar*/) {
  if (!desktop.shellRunning || desktop.appBarFails) {
    return 0;
  }
  return desktop.edgeAnswer.value_or(desktop.shell.edge);
}

std::uint32_t QueryAppBarState(WindowHandle /*taskbar*/) {
  if (!desktop.shellRunning || desktop.appBarFails) {
    return 0;
  }
  return kAppBarAlwaysOnTop | (desktop.shell.autoHide ? kAppBarAutoHide : 0U);
}

bool AddNotifyIcon(WindowHandle owner, std::uint32_t id, std::uint32_t flags,
                   std::uint32_t callbackMessage) {
  IconFault();
  if (!desktop.shellRunning || FindIcon(owner, id) != desktop.icons.end()) {
    return false;
  }
  desktop.icons.push_back({owner, id, flags, callbackMessage});
  Record(sim::Effect::kIconAdded, owner, id);
  Layout();
  return true;
}

bool DeleteNotifyIcon(WindowHandle owner, std::uint32_t id) {
  IconFault();
  auto icon = FindIcon(owner, id);
  if (icon == desktop.icons.end()) {
    return false;
  }
  desktop.icons.erase(icon);
  Record(sim::Effect::kIconDeleted, owner, id);
  Layout();
  return true;
}

}  // namespace platform

namespace sim {

void ResetDesktop() {
  desktop = Desktop{};
}

void SetScreenSize(std::int32_t width, std::int32_t height) {
  desktop.screenWidth = width;
  desktop.screenHeight = height;
  Layout();
}

void SetCaptionHeight(std::int32_t height) {
  desktop.captionHeight = height;
}

WindowHandle AddWindow(const char* className, WindowHandle parent, const Rect& place, bool shown,
                       std::int32_t border) {
  const WindowHandle handle = desktop.nextHandle;
  desktop.nextHandle += 0x10;
  desktop.windows[handle] = {className, Find(parent) != nullptr ? parent : 0, place, shown, border,
                             false};
  return handle;
}

void RemoveWindow(WindowHandle handle) {
  std::vector<WindowHandle> children;
  for (const auto& [child, window] : desktop.windows) {
    if (window.parent == handle) {
      children.push_back(child);
    }
  }
  for (WindowHandle child : children) {
    RemoveWindow(child);
  }
  desktop.windows.erase(handle);
}

bool WindowExists(WindowHandle handle) {
  return Find(handle) != nullptr;
}

void SetWindowShown(WindowHandle handle, bool shown) {
  if (Window* window = Find(handle)) {
    window->shown = shown;
    Layout();
  }
}

void SetWindowBorder(WindowHandle handle, std::int32_t border) {
  if (Window* window = Find(handle)) {
    window->border = border;
  }
}

WindowHandle ParentOf(WindowHandle handle) {
  const Window* window = Find(handle);
  return window == nullptr ? 0 : window->parent;
}

Rect PlaceOf(WindowHandle handle) {
  const Window* window = Find(handle);
  return window == nullptr ? Rect{} : window->place;
}

bool IsRedrawOff(WindowHandle handle) {
  const Window* window = Find(handle);
  return window != nullptr && window->redrawOff;
}

ShellWindows CreateShell(const ShellOptions& options) {
  desktop.shell = options;
  desktop.shellRunning = true;
  ShellWindows& made = desktop.shellWindows;
  made = {};
  made.taskbar = AddWindow("Shell_TrayWnd", 0, {});
  if (options.withTray) {
    made.tray = AddWindow("TrayNotifyWnd", made.taskbar, {});
    if (options.withClock) {
      made.clock = AddWindow("TrayClockWClass", made.tray, {}, options.clockShown);
    }
  }
  Layout();
  return made;
}

void DestroyShell() {
  if (desktop.shellWindows.taskbar != 0) {
    RemoveWindow(desktop.shellWindows.taskbar);
  }
  desktop.shellRunning = false;
  desktop.shellWindows = {};
  desktop.icons.clear();
}

const ShellOptions& Shell() {
  return desktop.shell;
}

void MoveTaskbar(std::int32_t edge) {
  desktop.shell.edge = edge;
  Layout();
}

void SetTaskbarThickness(std::int32_t thickness) {
  desktop.shell.thickness = thickness;
  Layout();
}

void SetClock(std::int32_t width, std::int32_t top, std::int32_t height) {
  desktop.shell.clockWidth = width;
  desktop.shell.clockTop = top;
  desktop.shell.clockHeight = height;
  Layout();
}

void SetAutoHide(bool autoHide) {
  desktop.shell.autoHide = autoHide;
}

void FailNextIconCall() {
  desktop.iconCallFails = true;
}

void FailAppBarQueries(bool fail) {
  desktop.appBarFails = fail;
}

void SetEdgeAnswer(std::optional<std::int32_t> edge) {
  desktop.edgeAnswer = edge;
}

std::vector<Icon> Icons() {
  return desktop.icons;
}

std::vector<std::uint32_t> IconIds(WindowHandle owner) {
  std::vector<std::uint32_t> ids;
  for (const Icon& icon : desktop.icons) {
    if (icon.owner == owner) {
      ids.push_back(icon.id);
    }
  }
  return ids;
}

std::vector<Event> Log() {
  return desktop.log;
}

void ClearLog() {
  desktop.log.clear();
}

}  // namespace sim

// Control of the simulated desktop: its windows, the shell's taskbar,
// notification area, tray clock and icons, and a log of painting and changes.
// Tests and Linux tools set it up and inspect it through these calls; the
// program sees it only through platform/window.h and platform/shell.h.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/shell.h"
#include "platform/window.h"

namespace sim {

using platform::Rect;
using platform::WindowHandle;

// An empty desktop: a 1024 x 768 screen, caption height 19, no windows, no
// shell, no icons, an empty log.
void ResetDesktop();

void SetScreenSize(std::int32_t width, std::int32_t height);
void SetCaptionHeight(std::int32_t height);

// A window of the class at place, in the parent's client coordinates (the
// screen's for parent 0). Its client area is place inset by border.
WindowHandle AddWindow(const char* className, WindowHandle parent, const Rect& place,
                       bool shown = true, std::int32_t border = 0);
// Destroys the window and its descendants. Icons they own stay with the
// shell, as on Windows.
void RemoveWindow(WindowHandle window);
bool WindowExists(WindowHandle window);
void SetWindowShown(WindowHandle window, bool shown);
void SetWindowBorder(WindowHandle window, std::int32_t border);
WindowHandle ParentOf(WindowHandle window);
// The window's rectangle in its parent's client coordinates.
Rect PlaceOf(WindowHandle window);
// Whether WM_SETREDRAW has switched the window's painting off.
bool IsRedrawOff(WindowHandle window);

// How a shell lays out its taskbar. The notification area sits at the end of
// the taskbar (right, or bottom on a vertical one) and is as long as its
// padding, one slot per icon and the clock when shown.
struct ShellOptions {
  std::int32_t edge = platform::kEdgeBottom;
  std::int32_t thickness = 30;   // height, or width on the left or right edge
  std::int32_t inset = 4;        // between the taskbar's border and the notification area
  std::int32_t trayPadding = 6;  // length of a notification area with no icon and no clock
  std::int32_t slotWidth = 16;   // length one icon adds
  bool withTray = true;          // false leaves out "TrayNotifyWnd" and the clock
  bool withClock = true;         // false leaves out "TrayClockWClass"
  bool clockShown = true;
  std::int32_t clockWidth = 40;
  std::int32_t clockTop = 2;  // in the notification area, on a horizontal taskbar
  std::int32_t clockHeight = 18;
  bool autoHide = false;
};

// "Shell_TrayWnd" > "TrayNotifyWnd" > "TrayClockWClass"; parts left out are 0.
struct ShellWindows {
  WindowHandle taskbar = 0;
  WindowHandle tray = 0;
  WindowHandle clock = 0;
};

ShellWindows CreateShell(const ShellOptions& options = {});
// The shell ends: its windows go, and every window inside them with them
// (the ticker's too), and so do its icons. CreateShell starts a new one.
void DestroyShell();
const ShellOptions& Shell();
// The shell moves or resizes its windows at once, as after a user's drag.
void MoveTaskbar(std::int32_t edge);
void SetTaskbarThickness(std::int32_t thickness);
void SetClock(std::int32_t width, std::int32_t top, std::int32_t height);
void SetAutoHide(bool autoHide);
// Both appbar queries fail: the zeroed record reads edge 0, the state 0.
void FailAppBarQueries(bool fail);
// ABM_GETTASKBARPOS answers this edge whatever the taskbar does; nullopt
// gives the truth again.
void SetEdgeAnswer(std::optional<std::int32_t> edge);

struct Icon {
  WindowHandle owner = 0;
  std::uint32_t id = 0;
  std::uint32_t flags = 0;
  std::uint32_t callbackMessage = 0;
};

// A fault for tests: the next icon call, add or delete, throws
// std::runtime_error before it changes anything.
void FailNextIconCall();

// Every icon of the shell, in the order added.
std::vector<Icon> Icons();
// The ids owner holds, in the order added.
std::vector<std::uint32_t> IconIds(WindowHandle owner);

// What the program did to windows and the shell, in order: every redraw
// switch, repaint and SetWindowPos call (value: its flags), and every icon
// added or deleted (window: the owner, value: the id); refused icon calls
// change nothing and are not logged.
enum class Effect { kRedrawOff, kRedrawOn, kRepaint, kIconAdded, kIconDeleted, kPositioned };

struct Event {
  Effect effect = Effect::kRepaint;
  WindowHandle window = 0;
  std::uint32_t value = 0;
};

std::vector<Event> Log();
void ClearLog();

}  // namespace sim

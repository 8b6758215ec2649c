#include "taskbar/tray_windows.h"

#include <cstdio>
#include <string>

namespace taskbar {

TrayWindows Tray;

namespace {
std::string ErrorText(std::uint32_t number) {
  char text[32];
  std::snprintf(text, sizeof text, "error 0x%08X", static_cast<unsigned>(number));
  return text;
}
}  // namespace

TrayWindowError::TrayWindowError(std::uint32_t number)
    : std::runtime_error(ErrorText(number)), number_(number) {}

void FindTrayWindows() {
  Tray.hWndTaskbar = platform::FindTopLevelWindow("Shell_TrayWnd");
  if (Tray.hWndTaskbar == 0) {
    throw TrayWindowError(kNoTaskbar);
  }
  Tray.hWndTray = platform::FindChildWindow(Tray.hWndTaskbar, "TrayNotifyWnd");
  if (Tray.hWndTray == 0) {
    throw TrayWindowError(kNoTray);
  }
  Tray.hWndClock = platform::FindChildWindow(Tray.hWndTray, "TrayClockWClass");
  if (Tray.hWndClock == 0) {
    throw TrayWindowError(kNoClock);
  }
}

}  // namespace taskbar

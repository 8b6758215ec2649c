#include "taskbar/tray_windows.h"

namespace taskbar {

TrayWindows Tray;

namespace {
const char* MissingWindowText(std::uint32_t number) {
  switch (number) {
    case kNoTaskbar:
      return "no Shell_TrayWnd window";
    case kNoTray:
      return "no TrayNotifyWnd window";
    default:
      return "no TrayClockWClass window";
  }
}
}  // namespace

TrayWindowError::TrayWindowError(std::uint32_t number) : number_(number) {}

const char* TrayWindowError::what() const noexcept {
  return MissingWindowText(number_);
}

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

bool FindTrayWindowsAgain() {
  const TrayWindows before = Tray;
  try {
    FindTrayWindows();
    return true;
  } catch (const TrayWindowError&) {
    Tray = before;
    return false;
  }
}

}  // namespace taskbar

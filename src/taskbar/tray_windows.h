// The shell's windows the ticker lives in: the taskbar, its notification area
// and the tray clock, found once at start-up.
#pragma once

#include <cstdint>
#include <exception>

#include "platform/window.h"

namespace taskbar {

struct TrayWindows {
  platform::WindowHandle hWndTaskbar = 0;  // "Shell_TrayWnd"
  platform::WindowHandle hWndTray = 0;     // "TrayNotifyWnd", the ticker's parent
  platform::WindowHandle hWndClock = 0;    // "TrayClockWClass"
};

extern TrayWindows Tray;

// Error numbers: the base plus the step that found nothing.
inline constexpr std::uint32_t kNoTaskbar = 0x80040000;
inline constexpr std::uint32_t kNoTray = 0x80040001;
inline constexpr std::uint32_t kNoClock = 0x80040002;

// A shell window that is not there. Only the program's top-level handler
// catches it; it carries the error number and nothing else.
class TrayWindowError : public std::exception {
 public:
  explicit TrayWindowError(std::uint32_t number);
  std::uint32_t Number() const { return number_; }
  const char* what() const noexcept override;

 private:
  std::uint32_t number_;
};

// Fills Tray, each handle as soon as it is found; throws TrayWindowError at
// the first window missing, leaving the handles found so far set.
void FindTrayWindows();

// The same lookup for a shell that has started again. While the new shell
// still lacks one of the windows, Tray keeps what it held and this returns
// false.
bool FindTrayWindowsAgain();

}  // namespace taskbar

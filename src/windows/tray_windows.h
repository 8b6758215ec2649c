// The shell's windows a ticker lives in, found by their classes: the shell's
// own taskbar among look-alikes, its notification area and clock, and the
// other monitors' bars.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <exception>
#include <optional>

namespace clep::win {

// Windows 11's taskbar content, a XAML island over the whole bar.
inline constexpr char kIslandClass[] = "Windows.UI.Composition.DesktopWindowContentBridge";

struct TrayWindows {
  HWND taskbar = nullptr;  // "Shell_TrayWnd", or another monitor's "Shell_SecondaryTrayWnd"
  HWND tray = nullptr;     // "TrayNotifyWnd", the ticker's parent
  HWND clock = nullptr;    // "TrayClockWClass"; none on Windows 11's taskbar
  HWND start = nullptr;    // Windows 11's "Start", whose height is the button row's
  // Another monitor's taskbar: no notification area, so no blank icons; the
  // ticker is a child of the bar, beside the bar's own clock. Its children
  // are looked up at each poll, as the shell may add them late.
  bool secondary = false;
  // Windows 11's taskbar: its content is drawn by a XAML island and it has no
  // tray clock window. The ticker is then a child of the taskbar itself, left
  // of the notification area, and no blank icon is added: new icons there go
  // to the overflow flyout and make no room.
  bool modern() const { return !secondary && clock == nullptr; }
  // Only a classic primary taskbar makes room with blank icons.
  bool blankIcons() const { return !secondary && clock != nullptr; }
};

// A shell window that is not there; carries the error number, the base
// 0x80040000 plus the step that found nothing.
class TrayWindowError : public std::exception {
 public:
  explicit TrayWindowError(std::uint32_t number) : number_(number) {}
  std::uint32_t Number() const { return number_; }
  // GCOVR_EXCL_START: it is caught by its type, before anything asks what() it is
  const char* what() const noexcept override { return "a taskbar window is missing"; }
  // GCOVR_EXCL_STOP

 private:
  std::uint32_t number_;
};

// The shell's own taskbar among the windows of its class, which status bars
// and tray tools make too: of those in the process of the shell's window
// (GetShellWindow), the first with a notification area, else the first; with
// no shell window, the first with a notification area. None: nullptr.
HWND FindShellTaskbar();
// Throws TrayWindowError at the first window missing.
TrayWindows FindTrayWindows();
// The same for a shell that has just started: none until all are there.
std::optional<TrayWindows> FindTrayWindowsIfThere();
// The other monitors' taskbars, in the shell's order: more than any desk
// has, and the search ends even if the shell reorders its windows meanwhile.
inline constexpr int kMostSecondaryBars = 32;
struct SecondaryBars {
  std::array<HWND, kMostSecondaryBars> bars{};
  int count = 0;
  // Whether the bar is among them; it then counts as served and is not again.
  bool Take(HWND bar) {
    for (HWND& found : bars) {
      if (found == bar && bar != nullptr) {
        found = nullptr;
        return true;
      }
    }
    return false;
  }
};
// Only those of the process of `taskbar`, the shell's.
SecondaryBars FindSecondaryBars(HWND taskbar);
inline TrayWindows SecondaryWindows(HWND bar) {
  return {bar, nullptr, nullptr, nullptr, true};
}

}  // namespace clep::win

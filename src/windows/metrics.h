// The one place that asks Windows for DPI and system metrics. The program is
// per-monitor aware: each bar, and what opens beside it, is drawn at the DPI
// of the monitor it is on, which every other part asks for here.
#pragma once

#include <windows.h>

#include "taskbar/placement.h"

namespace clep::win {

// The DPI the system started with: what the screen's DC and the common
// dialogs count points in.
int SystemDpi();
// The DPI a window is drawn at: its monitor's, where Windows can tell (10
// from 1607); the system's before.
int WindowDpi(HWND window);
// The system's caption height at a DPI.
int CaptionHeight(int dpi);
// Every size of a bar, or of a window on it, at its DPI.
inline Scale ScaleAt(int dpi) {
  return {CaptionHeight(dpi), dpi};
}
inline Scale ScaleOf(HWND window) {
  return ScaleAt(WindowDpi(window));
}

}  // namespace clep::win

#include "taskbar/restore.h"

#include "taskbar/geometry.h"
#include "taskbar/tray_windows.h"

namespace taskbar {

bool TickerEmbedded = false;

void EmbedTicker() {
  platform::SetWindowParent(TickerWindow, Tray.hWndTray);
  TickerEmbedded = true;
}

void RestoreTaskbar() {
  if (!TickerEmbedded) {
    return;
  }
  TickerEmbedded = false;
  // Out of the taskbar before its room goes, so the shell never lays the
  // ticker over its own icons.
  platform::SetWindowParent(TickerWindow, platform::kNoWindow);
  platform::SetWindowRedraw(Tray.hWndTaskbar, false);
  RemoveBlankIcons();
  platform::SetWindowRedraw(Tray.hWndTaskbar, true);
  platform::RedrawWholeWindow(Tray.hWndTaskbar, platform::kRedrawInvalidate |
                                                    platform::kRedrawAllChildren |
                                                    platform::kRedrawUpdateNow);
}

}  // namespace taskbar

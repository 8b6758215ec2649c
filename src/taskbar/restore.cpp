#include "taskbar/restore.h"

#include "taskbar/geometry.h"
#include "taskbar/tray_windows.h"

namespace taskbar {

bool TickerEmbedded = false;

void EmbedTicker() {
  platform::SetWindowParent(TickerWindow, Tray.hWndTray);
  TickerEmbedded = TickerWindow != 0;
}

void RestoreTaskbar() {
  if (!TickerEmbedded) {
    return;
  }
  // Out of the taskbar before its room goes, so the shell never lays the
  // ticker over its own icons.
  platform::SetWindowParent(TickerWindow, platform::kNoWindow);
  {
    const FrozenTaskbar frozen;
    RemoveBlankIcons();
  }
  TickerEmbedded = false;
}

void ForgetShell() {
  TickerEmbedded = false;
  TickerWindow = 0;
  TickerAtTopLeft = false;
  Tray = {};
}

void AttachTicker() {
  LastEdge = GetTaskbarEdge();
  GetTrayClientSize(LastTrayWidth, LastTrayHeight);
  EmbedTicker();
  // Whatever the flag says, the window is not known to be there: it is in a
  // new tray, or the shell has laid itself out anew.
  TickerAtTopLeft = false;
  PlaceTickerTopLeft();
  FitTicker();
}

}  // namespace taskbar

#include "platform/window.h"
#include "shell_side.h"

// Only the driver's test shell brings the spare window; Wine's own hidden
// taskbar has no notification area.
bool contract::OpenShell() {
  const platform::WindowHandle taskbar = platform::FindTopLevelWindow("Shell_TrayWnd");
  return taskbar != 0 && platform::FindChildWindow(taskbar, "TrayNotifyWnd") != 0 &&
         platform::FindTopLevelWindow("ClepContractWindow") != 0;
}

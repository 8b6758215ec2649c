// The start-up yardstick: a program that does nothing but tell the demo
// taskbar it runs. Its time from process creation to that message is what
// any Windows program pays under this Wine before its own code counts.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const UINT started = RegisterWindowMessageA("ClepsydriumEmptyStarted");
  const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
  if (taskbar == nullptr || started == 0) {
    return 1;
  }
  // Sent, so that the taskbar can read this process's times before it ends.
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(taskbar, started, GetCurrentProcessId(), 0, SMTO_ABORTIFHUNG, 5000,
                             &ignored)
             ? 0
             : 1;
}

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
  return PostMessageA(taskbar, started, GetCurrentProcessId(), 0) ? 0 : 1;
}

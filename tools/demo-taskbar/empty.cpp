// The start-up yardsticks: a program that does nothing but tell the demo
// taskbar it runs, and with "window" one that first opens and shows one small
// window. Their times from process creation to that message are what any
// Windows program pays under this Wine before its own code counts, without
// and with Wine's graphics driver, which starts at a program's first window.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR line, int) {
  if (lstrcmpA(line, "window") == 0) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = "ClepsydriumEmpty";
    RegisterClassA(&windowClass);
    const HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, windowClass.lpszClassName, "", WS_POPUP,
                                        0, 0, 84, 14, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOWNA);
    UpdateWindow(window);
  }
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

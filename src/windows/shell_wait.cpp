#include "windows/shell_wait.h"

#include <windows.h>

#include "windows/handles.h"
#include "windows/taskbar.h"

namespace clep::win {

namespace {

// The running program's session window has this class too, so whatever
// closes a clock (an uninstaller, taskkill) finds a waiting one as well.
constexpr char kSessionClass[] = "ClepsydriumSession";
constexpr UINT_PTR kLookTimer = 1;
constexpr UINT kLookInterval = 250;

DWORD MostWait() {
#ifdef CLEP_FAULTABLE
  // Only in the end-to-end tests' build: a shorter wait, to see it end.
  char text[16] = "";
  if (GetEnvironmentVariableA("CLEP_FAULT_SHELL_WAIT_MS", text, sizeof text) > 0) {
    DWORD ms = 0;
    for (const char* digit = text; *digit >= '0' && *digit <= '9'; ++digit) {
      ms = ms * 10 + static_cast<DWORD>(*digit - '0');
    }
    return ms;
  }
#endif
  return 60000;
}

// A shell still starting: its taskbar not made yet, or made but neither
// whole nor shown. One that shows a taskbar without our windows is there.
bool ShellComing() {
  const HWND taskbar = FindShellTaskbar();
  return taskbar == nullptr || (!IsWindowVisible(taskbar) && !FindTrayWindowsIfThere());
}

struct Waiting {
  UINT taskbarCreated;
  DWORD start;
  DWORD most;
  ShellWait end = ShellWait::kThere;
};

LRESULT CALLBACK OnWaitMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* waiting = reinterpret_cast<Waiting*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (waiting == nullptr) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  if (message == WM_CLOSE || (message == WM_ENDSESSION && wParam != 0)) {
    waiting->end = ShellWait::kClosed;
    PostQuitMessage(0);
    return 0;
  }
  if ((message == WM_TIMER && wParam == kLookTimer) ||
      (message == waiting->taskbarCreated && waiting->taskbarCreated != 0)) {
    if (!ShellComing() || GetTickCount() - waiting->start >= waiting->most) {
      PostQuitMessage(0);
    }
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

ShellWait WaitForShell() {
  if (!ShellComing()) {
    return ShellWait::kThere;
  }
  Waiting waiting{RegisterWindowMessageA("TaskbarCreated"), GetTickCount(), MostWait()};
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = OnWaitMessage;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kSessionClass;
  RegisterClassA(&windowClass);
  {
    // Top-level, to hear broadcasts and the session's end.
    const OwnedWindow window(CreateWindowExA(0, kSessionClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                             nullptr, instance, &waiting));
    SetTimer(window.Get(), kLookTimer, kLookInterval, nullptr);
    MSG message;
    while (window && GetMessageA(&message, nullptr, 0, 0) > 0) {
      DispatchMessageA(&message);
    }
  }
  // The running program registers the class anew, with its own procedure.
  UnregisterClassA(kSessionClass, instance);
  return waiting.end;
}

}  // namespace clep::win

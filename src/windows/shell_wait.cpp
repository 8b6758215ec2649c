#include "windows/shell_wait.h"

#include <windows.h>

#include "windows/handles.h"
#include "windows/run_state.h"
#include "windows/session_window.h"
#include "windows/taskbar.h"
#include "windows/window_class.h"

namespace clep::win {

namespace {

constexpr UINT_PTR kShellPollTimer = 1;
constexpr UINT kShellPollInterval = 250;

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

// The hidden window of the wait: it hears broadcasts and the session's end.
class ShellWaiter {
 public:
  explicit ShellWaiter(const Trace& trace) : run_(trace) {
    RegisterWindowClass(kSessionWindowClass, WindowProcOf<ShellWaiter>, 0, nullptr);
    window_.Reset(CreateWindowExA(0, kSessionWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), this));
    if (!window_) {  // no wait then: the taskbar is looked for at once
      run_.Log().Failed("CreateWindowEx of the window that waits for the shell");
    }
    SetTimer(window_.Get(), kShellPollTimer, kShellPollInterval, nullptr);
  }
  ~ShellWaiter() {
    window_.Reset();
    // The running program registers the class anew, with its own procedure.
    UnregisterClassA(kSessionWindowClass, GetModuleHandleA(nullptr));
  }
  ShellWaiter(const ShellWaiter&) = delete;
  ShellWaiter& operator=(const ShellWaiter&) = delete;

  ShellWait Wait() {
    MSG message;
    while (window_ && GetMessageA(&message, nullptr, 0, 0) > 0) {
      DispatchMessageA(&message);
    }
    return end_;
  }
  RunState& State() { return run_; }
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE || (message == WM_ENDSESSION && wParam != 0)) {
      end_ = ShellWait::kClosed;
      PostQuitMessage(0);
      return 0;
    }
    if ((message == WM_TIMER && wParam == kShellPollTimer) ||
        (message == taskbarCreated_ && taskbarCreated_ != 0)) {
      if (!ShellComing()) {
        PostQuitMessage(0);
      } else if (GetTickCount() - start_ >= most_) {
        run_.Log().Noted("the shell's taskbar did not come within the wait");
        PostQuitMessage(0);
      }
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

 private:
  RunState run_;
  UINT taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  DWORD start_ = GetTickCount();
  DWORD most_ = MostWait();
  ShellWait end_ = ShellWait::kThere;
  OwnedWindow window_;  // last: made once the rest is there
};

}  // namespace

ShellWait WaitForShell(const Trace& trace) {
  if (!ShellComing()) {
    return ShellWait::kThere;
  }
  return ShellWaiter(trace).Wait();
}

}  // namespace clep::win

#include "windows/session_window.h"

#include "windows/window_class.h"

namespace clep::win {

namespace {

// Posted to the session window: deliver a "TaskbarCreated" from the loop,
// never inside a call into the shell.
constexpr UINT kDeliverTaskbarCreated = WM_APP + 1;
// Posted from the WinEvent hook: a window of the shell's changed.
constexpr UINT kShellChanged = WM_APP + 2;
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollInterval = 250;
// After a theme change, or a new bar, the bars are read again this often
// for a while: a shell repaints in its own time.
constexpr UINT_PTR kColourRereadTimer = 3;
constexpr UINT kColourRereadInterval = 250;
// The poll after a burst of the shell's events, and the slow one kept where
// events carry the poll, for any the system let pass.
constexpr UINT_PTR kPollSoonTimer = 2;
constexpr UINT kPollSoonDelay = 20;
constexpr UINT kBackupPollInterval = 2000;

// Wine tells other processes only of a window's creation, not of its moves,
// shows and hides, so there the poll keeps looking four times a second.
bool EventsReplacePolling() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr;
}

bool IsTaskbarClass(const char* name) {
  return lstrcmpA(name, "Shell_TrayWnd") == 0 || lstrcmpA(name, "Shell_SecondaryTrayWnd") == 0;
}

// A WinEvent callback has no context: the session window it tells, one a
// process, kept for the hook's life.
HWND& HookedSession() {
  static HWND session = nullptr;
  return session;
}

void CALLBACK OnShellEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                           DWORD) {
  char name[32] = "";
  if (object != OBJID_WINDOW || child != CHILDID_SELF || window == nullptr ||
      GetClassNameA(GetAncestor(window, GA_ROOT), name, sizeof name) == 0 ||
      !IsTaskbarClass(name)) {
    return;
  }
  if (HookedSession() != nullptr) {
    PostMessageA(HookedSession(), kShellChanged, event == EVENT_OBJECT_CREATE, 0);
  }
}

}  // namespace

SessionWindow::SessionWindow(SessionOwner& owner, RunState& run, HWND taskbar)
    : owner_(owner), run_(run), taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")) {
  RegisterWindowClass(kSessionWindowClass, WindowProcOf<SessionWindow>, 0, nullptr);
  // Top-level: the ticker, once in the taskbar, hears neither of the
  // session's end nor of broadcasts.
  window_.Reset(CreateWindowExA(0, kSessionWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleA(nullptr), this));
  if (!window_) {
    run.Log().Failed("CreateWindowEx of the session window");
    throw WindowNotMade();
  }
  // Here, not on a ticker: the poll outlives any one of them.
  SetTimer(window_.Get(), kPollTimer, kPollInterval, nullptr);
  SubscribeShellEvents(taskbar);
}

void SessionWindow::SubscribeShellEvents(HWND taskbar) {
  DWORD shell = 0;
  GetWindowThreadProcessId(taskbar, &shell);
  if (shell == shell_ && hook_) {
    return;
  }
  shell_ = shell;
  hook_.Reset(SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_LOCATIONCHANGE, nullptr,
                              OnShellEvent, shell, 0, WINEVENT_OUTOFCONTEXT));
  HookedSession() = hook_ ? window_.Get() : nullptr;
  SetTimer(window_.Get(), kPollTimer,
           hook_ && EventsReplacePolling() ? kBackupPollInterval : kPollInterval, nullptr);
}

SessionWindow::~SessionWindow() {
  hook_.Reset();
  HookedSession() = nullptr;
}

void SessionWindow::StartColourRereads() {
  SetTimer(window_.Get(), kColourRereadTimer, kColourRereadInterval, nullptr);
}

void SessionWindow::PollSoon() {
  // One poll for a burst: a bar that moves tells of each of its children.
  if (!pollSoon_) {
    pollSoon_ = true;
    SetTimer(window_.Get(), kPollSoonTimer, kPollSoonDelay, nullptr);
  }
}

LRESULT SessionWindow::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    if (!pending_) {
      pending_ = true;
      PostMessageA(window, kDeliverTaskbarCreated, 0, 0);
    }
    return 0;
  }
  switch (message) {
    case kDeliverTaskbarCreated:
      pending_ = false;
      owner_.OnTaskbarCreated();
      return 0;
    case WM_ENDSESSION:
      if (wParam != 0) {
        owner_.OnEndSession();
      }
      return 0;
    case WM_CLOSE:  // taskkill sends it to top-level windows
      owner_.OnClose();
      return 0;
    case kShellChanged:
      owner_.OnShellChanged(wParam != 0);
      if (EventsReplacePolling()) {
        PollSoon();
      }
      return 0;
    case WM_TIMER:
      if (wParam == kColourRereadTimer) {
        if (!owner_.OnColourRereadTimer()) {
          KillTimer(window, kColourRereadTimer);
        }
        return 0;
      }
      if (wParam == kPollSoonTimer) {
        KillTimer(window, kPollSoonTimer);
        pollSoon_ = false;
      }
      owner_.OnPollTimer();
      return 0;
    case WM_SETTINGCHANGE:  // "ImmersiveColorSet", high contrast, the wallpaper
      if (wParam == SPI_SETWORKAREA) {
        owner_.OnWorkAreaChanged();
      }
      [[fallthrough]];
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
    case WM_DWMCOLORIZATIONCOLORCHANGED:
      owner_.OnThemeChanged();
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_DISPLAYCHANGE:  // a monitor plugged in or out, or set to another scale
      owner_.OnDisplayChanged();
      return 0;
    case WM_TIMECHANGE:      // a set clock or a new time zone
    case WM_POWERBROADCAST:  // a resume: the tick timers slept too
      owner_.OnClockSet();
      return message == WM_POWERBROADCAST ? TRUE : 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace clep::win

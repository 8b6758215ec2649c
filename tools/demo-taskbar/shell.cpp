// The demo taskbar's windows: made, run, and ended with the quit command.
#include "shell.h"

#include "parts.h"

// user32 has it; mingw's headers do not declare it.
extern "C" BOOL WINAPI SetShellWindow(HWND window);

namespace demo_taskbar {
namespace {

void OnTimer(UINT_PTR id) {
  if (id == kPollTimer) {
    ReadCommands();
    WatchChildren();
    EnumWindows(NoteDialog, 0);
  } else if (id == kClockTimer && taskbar != nullptr) {  // a probe has no clock to redraw
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (now.wMinute != lastMinute) {
      lastMinute = now.wMinute;
      InvalidateRect(options.win11 ? island : trayClock, nullptr, TRUE);
      for (const SecondaryBar& bar : secondaries) {
        InvalidateRect(options.win11 ? bar.island : bar.clock, nullptr, TRUE);
      }
    }
  }
}

LRESULT CALLBACK TaskbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == emptyStarted && emptyStarted != 0) {
    // Sent, not posted: the sender waits, so its times can still be read.
    const ProcessAge age = AgeOf(static_cast<DWORD>(wParam));
    Log("empty-started pid=" + Num(static_cast<long long>(wParam)) +
        " ms=" + Num((age.now - age.created) / 10000));
    return 0;
  }
  switch (message) {
    case WM_COPYDATA:
      if (options.mode == Mode::kLookalike) {  // not a shell: whatever comes is refused
        const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        Log("lookalike copydata dwData=" + Num(static_cast<long long>(data.dwData)) +
            " cb=" + Num(data.cbData) + " window=" + Hex(reinterpret_cast<HWND>(wParam)));
        return FALSE;
      }
      return OnNotifyIcon(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_SETREDRAW:
      (wParam != 0 ? redrawOn : redrawOff)++;
      Log("redraw window=taskbar on=" + Num(wParam != 0 ? 1 : 0));
      break;
    case WM_PAINT:
      PaintTaskbar(window);
      return 0;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_CLOSE:
      return 0;             // only the driver ends the shell
    case WM_SETTINGCHANGE:  // the theme, as Windows' taskbar hears of it
      ReadTheme();
      RepaintBars();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK SecondaryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETREDRAW:
      Log("redraw window=secondary" + Num(static_cast<long long>(SecondaryNumber(window))) +
          " on=" + Num(wParam != 0 ? 1 : 0));
      break;
    case WM_PAINT:
      PaintSecondary(window);
      return 0;
    case WM_CLOSE:
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// A window of the taskbar that only paints itself.
template <void (*Paint)(HWND)>
LRESULT CALLBACK PaintingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    Paint(window);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK AppBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    return OnAppBar(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    OnTimer(wParam);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void Register(const wchar_t* name, WNDPROC proc) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = name;
  RegisterClassW(&windowClass);
}

HINSTANCE OwnModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&OwnModule), &module);
  return module;
}

std::string Environment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

// With CLEP_SHELL_LOOKALIKE=1 a look-alike started before us may stand in
// front, but only a visible one with a notification area, and ours next.
bool LookalikeFirst(HWND found) {
  DWORD pid = 0;
  GetWindowThreadProcessId(found, &pid);
  return Environment("CLEP_SHELL_LOOKALIKE", "0") == "1" && found != nullptr &&
         pid != GetCurrentProcessId() && IsWindowVisible(found) &&
         FindWindowExW(found, nullptr, L"TrayNotifyWnd", nullptr) != nullptr &&
         FindWindowExA(nullptr, found, "Shell_TrayWnd", nullptr) == taskbar;
}

std::vector<int> Percents(const std::string& list) {
  std::vector<int> out;
  const char* at = list.c_str();
  while (*at != '\0') {
    char* end = nullptr;
    out.push_back(static_cast<int>(std::strtol(at, &end, 10)));
    if (end == at) {
      break;
    }
    at = *end == ',' ? end + 1 : end;
  }
  return out;
}

}  // namespace

Options OptionsFromEnvironment() {
  Options result;
  result.dir = Environment("CLEP_SHELL_DIR", ".");
  const std::string mode = Environment("CLEP_SHELL_MODE", "full");
  if (mode == "no-tray") {
    result.mode = Mode::kNoTray;
  } else if (mode == "no-clock") {
    result.mode = Mode::kNoClock;
  } else if (mode == "probe") {
    result.mode = Mode::kProbeOnly;
  } else if (mode == "lookalike") {
    result.mode = Mode::kLookalike;
  }
  result.edge = IntArg(Environment("CLEP_SHELL_EDGE", "3"));
  result.autoHide = Environment("CLEP_SHELL_AUTOHIDE", "0") == "1";
  result.demo = Environment("CLEP_SHELL_DEMO", "0") == "1";
  result.win11 =
      Environment("CLEP_SHELL_LAYOUT", "classic") == "win11" && result.mode != Mode::kLookalike;
  result.thickness = IntArg(Environment("CLEP_SHELL_THICKNESS", result.win11 ? "48" : "30"));
  result.monitors = IntArg(Environment("CLEP_SHELL_MONITORS", "1"));
  result.theme = Environment("CLEP_SHELL_THEME", "");
  result.killAtIcon = IntArg(Environment("CLEP_SHELL_KILL_AT_ICON", "0"));
  result.scales = Percents(Environment("CLEP_SHELL_SCALES", ""));
  return result;
}

// The windows of a shell, made anew by the rebuild command as a restarted shell would.
bool Build() {
  bool ok = true;
  if (options.mode == Mode::kProbeOnly) {
    host = CreateWindowExW(0, L"ClepShellHost", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                           nullptr);
  } else {
    taskbar = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"",
                              WS_POPUP | WS_CLIPCHILDREN, 0, 0, 1, 1, nullptr, nullptr, instance,
                              nullptr);
    host = taskbar;
    if (options.win11) {
      startButton = CreateWindowExW(0, L"Start", L"Start", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                    0, 0, 1, 1, taskbar, nullptr, instance, nullptr);
    }
    if (options.mode != Mode::kNoTray) {
      tray = CreateWindowExW(0, L"TrayNotifyWnd", L"",
                             WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 1, 1,
                             taskbar, nullptr, instance, nullptr);
      if (options.mode != Mode::kNoClock && !options.win11) {
        // Clipped by its siblings, as Explorer's: a ticker over it stays drawn.
        trayClock = CreateWindowExW(0, L"TrayClockWClass", L"",
                                    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                    1, 1, tray, nullptr, instance, nullptr);
      }
    }
    if (options.win11) {
      // On top of its siblings: whatever the program puts in the bar must rise above it.
      island = CreateWindowExW(0, kIslandClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                               1, 1, taskbar, nullptr, instance, nullptr);
      SetWindowPos(island, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    SetBarDpi(taskbar, dpi);
    const bool lookalike = options.mode == Mode::kLookalike;
    if (!lookalike) {
      // Wine's shell32 sends appbar queries to the first window of this class.
      appbar = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"WineAppBar", L"", WS_POPUP, 0, 0,
                               0, 0, nullptr, nullptr, instance, nullptr);
      // Wine's GetShellWindow is NULL until a shell says which window is its own.
      shellWindow = CreateWindowExW(0, L"Progman", L"Program Manager", WS_POPUP, 0, 0, 0, 0,
                                    nullptr, nullptr, instance, nullptr);
      Log("shellwindow ok=" + Num(SetShellWindow(shellWindow) ? 1 : 0) +
          " window=" + Hex(shellWindow));
    }
    for (int number = 1; number < options.monitors; ++number) {
      CreateSecondary(static_cast<std::size_t>(number));
    }
    Layout();
    ShowWindow(taskbar, SW_SHOWNOACTIVATE);
    UpdateWindow(taskbar);
    if (lookalike) {
      Log("lookalike taskbar=" + Hex(taskbar));
      return true;
    }
    // Wine's explorer keeps a hidden taskbar of its own: the program must
    // find ours, or every check below would be about the wrong window.
    const HWND found = FindWindowA("Shell_TrayWnd", nullptr);
    const HWND foundAppBar = FindWindowW(L"WineAppBar", nullptr);
    if (foundAppBar == appbar && found != taskbar && LookalikeFirst(found)) {
      Log("findwindow lookalike-first taskbar=" + Hex(found) + " ours=" + Hex(taskbar));
    } else if (found != taskbar || foundAppBar != appbar) {
      Log("FATAL findwindow taskbar=" + Hex(found) + " ours=" + Hex(taskbar) +
          " appbar=" + Hex(foundAppBar) + " ours=" + Hex(appbar));
      ok = false;
    } else {
      Log("findwindow ok taskbar=" + Hex(taskbar));
    }
  }
  return ok;
}

bool Start(const Options& startOptions) {
  options = startOptions;
  edge = options.edge;
  thickness = options.thickness;
  autoHide = options.autoHide;
  instance = OwnModule();
  const HDC screen = GetDC(nullptr);
  systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  dpi = StartDpi(0);
  eventsFile = CreateFileA(PathOf("events.log").c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  commandsFile = CreateFileA(PathOf("commands.txt").c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (eventsFile == INVALID_HANDLE_VALUE || commandsFile == INVALID_HANDLE_VALUE) {
    return false;
  }
  // The code page shows whether a locale given to Wine took effect.
  Log(std::string("start mode=") + ModeName() + " pid=" + Num(GetCurrentProcessId()) +
      " acp=" + Num(GetACP()) + " layout=" + (options.win11 ? "win11" : "classic"));
  emptyStarted = RegisterWindowMessageA("ClepsydriumEmptyStarted");
  if (!options.theme.empty() && !WriteTheme(options.theme)) {
    Log("FATAL theme=" + options.theme);
    return false;
  }
  ReadTheme();

  Register(L"Shell_TrayWnd", TaskbarProc);
  Register(L"TrayNotifyWnd", PaintingProc<PaintTray>);
  Register(L"TrayClockWClass", PaintingProc<PaintClock>);
  Register(L"WineAppBar", AppBarProc);
  Register(L"ClepShellHost", HostProc);
  Register(L"Start", DefWindowProcW);
  Register(kIslandClass, PaintingProc<PaintIsland>);
  Register(L"Shell_SecondaryTrayWnd", SecondaryProc);
  Register(L"ClockButton", PaintingProc<PaintClockButton>);
  Register(L"Progman", DefWindowProcW);

  bool ok = Build();
  if (host == nullptr) {
    Log("FATAL no window");
    return false;
  }
  // The idle measure polls slowly, so that the taskbar's own file reads do not swamp the
  // wineserver.
  SetTimer(host, kPollTimer, static_cast<UINT>(IntArg(Environment("CLEP_SHELL_POLL", "30"))),
           nullptr);
  SetTimer(host, kClockTimer, 1000, nullptr);
  childrenState = DescribeChildren();
  WriteState();
  Log(ok ? "ready" : "failed");
  return ok;
}

void TearDown() {
  if (taskbar != nullptr) {
    DestroyWindow(taskbar);
  }
  for (std::size_t number = 1; number <= secondaries.size(); ++number) {
    RemoveSecondary(number);
  }
  if (appbar != nullptr) {
    DestroyWindow(appbar);
  }
  if (host != nullptr && host != taskbar) {
    DestroyWindow(host);
  }
  if (shellWindow != nullptr) {
    DestroyWindow(shellWindow);
  }
  taskbar = tray = trayClock = startButton = island = appbar = host = shellWindow = nullptr;
  icons.clear();
}

bool Rebuild(bool win11) {
  TearDown();
  options.win11 = win11;
  thickness = win11 ? 48 : 30;
  const bool ok = Build();
  SetTimer(host, kPollTimer, static_cast<UINT>(IntArg(Environment("CLEP_SHELL_POLL", "30"))),
           nullptr);
  SetTimer(host, kClockTimer, 1000, nullptr);
  return ok;
}

int Run() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  Log("quit");
  TearDown();
  CloseHandle(commandsFile);
  CloseHandle(eventsFile);
  return 0;
}

}  // namespace demo_taskbar

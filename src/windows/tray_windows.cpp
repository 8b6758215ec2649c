#include "windows/tray_windows.h"

namespace clep::win {

namespace {

constexpr std::uint32_t kNoTaskbar = 0x80040000;

// Windows 11 says build 22000 or later; RtlGetVersion tells the truth
// whatever the exe's manifest claims.
bool IsWindows11() {
  using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
  const auto getVersion = reinterpret_cast<GetVersion>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  return getVersion != nullptr && getVersion(&version) == 0 && version.dwMajorVersion >= 10 &&
         version.dwBuildNumber >= 22000;
}

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  if (window != nullptr) {
    GetWindowThreadProcessId(window, &process);
  }
  return process;
}

// More windows of one class than any desktop has: the search ends even if
// windows come and go meanwhile.
constexpr int kMostOfAClass = 32;

}  // namespace

HWND FindShellTaskbar() {
  const DWORD shell = ProcessOf(GetShellWindow());
  HWND first = nullptr;
  HWND bar = nullptr;
  for (int seen = 0; seen < kMostOfAClass &&
                     (bar = FindWindowExA(nullptr, bar, "Shell_TrayWnd", nullptr)) != nullptr;
       ++seen) {
    if (shell != 0 && ProcessOf(bar) != shell) {
      continue;
    }
    if (FindWindowExA(bar, nullptr, "TrayNotifyWnd", nullptr) != nullptr) {
      return bar;
    }
    if (first == nullptr) {
      first = bar;
    }
  }
  return first;
}

SecondaryBars FindSecondaryBars(HWND taskbar) {
  SecondaryBars found;
  const DWORD shell = ProcessOf(taskbar);
  HWND bar = nullptr;
  for (int seen = 0;
       seen < kMostOfAClass && found.count < kMostSecondaryBars &&
       (bar = FindWindowExA(nullptr, bar, "Shell_SecondaryTrayWnd", nullptr)) != nullptr;
       ++seen) {
    if (ProcessOf(bar) == shell) {
      found.bars[static_cast<std::size_t>(found.count++)] = bar;
    }
  }
  return found;
}

TrayWindows FindTrayWindows() {
  // Each step that finds nothing has its own number, in this order.
  TrayWindows windows;
  windows.taskbar = FindShellTaskbar();
  if (windows.taskbar == nullptr) {
    throw TrayWindowError(kNoTaskbar);
  }
  windows.tray = FindWindowExA(windows.taskbar, nullptr, "TrayNotifyWnd", nullptr);
  if (windows.tray == nullptr) {
    throw TrayWindowError(kNoTaskbar + 1);
  }
  windows.clock = FindWindowExA(windows.tray, nullptr, "TrayClockWClass", nullptr);
  if (windows.clock == nullptr) {
    const HWND island = FindWindowExA(windows.taskbar, nullptr, kIslandClass, nullptr);
    if (island == nullptr && !IsWindows11()) {
      throw TrayWindowError(kNoTaskbar + 2);
    }
    windows.start = FindWindowExA(windows.taskbar, nullptr, "Start", nullptr);
  }
  return windows;
}

std::optional<TrayWindows> FindTrayWindowsIfThere() {
  try {
    return FindTrayWindows();
  } catch (const TrayWindowError&) {
    return std::nullopt;
  }
}

}  // namespace clep::win

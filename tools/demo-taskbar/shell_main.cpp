// The test shell as a process of its own.
#include <windows.h>

#include "shell.h"

namespace {

// In real pixels at any LogPixels, as Windows' shell is. Looked up, as older
// systems lack the newer calls.
void BecomeDpiAware() {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
  using SetAware = BOOL(WINAPI*)();
  const auto setContext = reinterpret_cast<SetContext>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
  if (setContext != nullptr && (setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) ||
                                setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE))) {
    return;
  }
  const auto setAware = reinterpret_cast<SetAware>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware")));
  if (setAware != nullptr) {
    setAware();
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  BecomeDpiAware();
  if (!demo_taskbar::Start(demo_taskbar::OptionsFromEnvironment())) {
    return 3;
  }
  return demo_taskbar::Run();
}

// The test shell inside the program's process, on a thread of its own. The
// injector waits for the ready (or failed) event before it lets the program
// run, so the program's first FindWindowA already sees our taskbar.
#include <windows.h>

#include <string>

#include "shell.h"

namespace {

void Signal(const char* prefix) {
  const std::string name = prefix + std::to_string(GetCurrentProcessId());
  HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, name.c_str());
  if (event != nullptr) {
    SetEvent(event);
    CloseHandle(event);
  }
}

DWORD WINAPI ShellThread(LPVOID) {
  const bool ok = demo_taskbar::Start(demo_taskbar::OptionsFromEnvironment());
  Signal(ok ? "ClepShellReady-" : "ClepShellFailed-");
  return ok ? static_cast<DWORD>(demo_taskbar::Run()) : 3;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(module);
    HANDLE thread = CreateThread(nullptr, 0, ShellThread, nullptr, 0, nullptr);
    if (thread != nullptr) {
      CloseHandle(thread);
    }
  }
  return TRUE;
}

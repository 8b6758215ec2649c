// The test shell as a process of its own.
#include <windows.h>

#include "shell.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (!demo_taskbar::Start(demo_taskbar::OptionsFromEnvironment())) {
    return 3;
  }
  return demo_taskbar::Run();
}

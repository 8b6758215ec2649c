// The test shell as a process of its own.
#include <windows.h>

#include "shell.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (!e2e_shell::Start(e2e_shell::OptionsFromEnvironment())) {
    return 3;
  }
  return e2e_shell::Run();
}

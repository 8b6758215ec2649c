#include "platform/sim/desktop.h"
#include "shell_side.h"

bool contract::OpenShell() {
  sim::ResetDesktop();
  sim::CreateShell();
  sim::AddWindow("ClepContractWindow", 0, {7, 9, 37, 19});
  return true;
}

// The shell the shell tests run against: the simulated one, set up afresh,
// or under Wine the test shell that the driver started (tests/e2e).
#pragma once

namespace contract {

// True when a taskbar with a notification area and a spare top-level window
// of class "ClepContractWindow" are there.
bool OpenShell();

}  // namespace contract

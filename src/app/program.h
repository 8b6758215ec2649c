// The program's driver: start-up, the modal run, and the restoring shutdown.
#pragma once

namespace app {

// Refuses a second instance, loads the settings, sets the ticker into the
// notification area and runs it until the form is hidden, then gives the
// taskbar back. Errors are not caught here.
void Main();

// Runs Main under the top-level handler: an error ends the run with a
// message box giving its number. Returns the process's exit code.
int RunProgram();

}  // namespace app

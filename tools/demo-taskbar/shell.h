// The demo taskbar: plays the Windows taskbar under Wine, "Shell_TrayWnd" >
// "TrayNotifyWnd" > "TrayClockWClass" (or the Windows 11 layout), the appbar
// queries ("WineAppBar") and the notification icons. It takes commands from a
// file that a driver appends to, and reports through an event log and a state
// file.
//
// The same code runs as its own process (shell_main.cpp) and as a DLL inside
// the program's process (shell_dll.cpp), where Wine shows the program's
// painting inside the tray.
#pragma once

#include <string>
#include <vector>

namespace demo_taskbar {

enum class Mode {
  kFull,       // taskbar, notification area and clock
  kNoTray,     // a taskbar without a notification area
  kNoClock,    // a notification area without a clock
  kProbeOnly,  // no taskbar at all: only the commands (dialogs, windows)
  kLookalike   // another program's strip with the taskbar's class names, not the shell
};

struct Options {
  std::string dir;  // folder of commands.txt, events.log, state.txt (Windows path)
  Mode mode = Mode::kFull;
  int edge = 3;  // ABE_*
  int thickness = 30;
  bool autoHide = false;
  bool demo = false;   // a start button, for people to look at
  bool win11 = false;  // "Start", the XAML island and a clockless tray as children of the bar
  int monitors = 1;    // the primary bar's, and one "Shell_SecondaryTrayWnd" for each other
  std::string theme;   // dark, light or accent: set in the registry at start; else as it is
  int killAtIcon = 0;  // the icon added, counted from 1, at which its owner's process is killed
  std::vector<int> scales;  // percent per bar, the primary's first; the system's for the rest
};

// Reads CLEP_SHELL_DIR, CLEP_SHELL_MODE (full, no-tray, no-clock, probe,
// lookalike), CLEP_SHELL_EDGE, CLEP_SHELL_THICKNESS, CLEP_SHELL_AUTOHIDE,
// CLEP_SHELL_DEMO, CLEP_SHELL_LAYOUT (classic, win11), CLEP_SHELL_MONITORS,
// CLEP_SHELL_KILL_AT_ICON, CLEP_SHELL_THEME, CLEP_SHELL_SCALES (100,150,...).
Options OptionsFromEnvironment();

// Creates the windows on the calling thread. False when the program would not
// find our taskbar (FindWindowA returns another window); the log says why.
bool Start(const Options& options);

// Runs the calling thread's message loop until the quit command.
int Run();

}  // namespace demo_taskbar

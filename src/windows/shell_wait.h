// A shell that comes late: started at sign-in, the program may run before
// the taskbar exists. Then it waits quietly for it before it docks.
#pragma once

namespace clep::win {

class Trace;

enum class ShellWait {
  kThere,   // there now, or as whole as it gets: dock (or report what lacks)
  kClosed,  // closed or the session ended meanwhile: end without a word
};

// Returns at once unless the shell is still coming: no taskbar window, or
// a hidden one not yet whole. Else it waits up to a minute, hearing
// "TaskbarCreated" and looking four times a second, and answers WM_CLOSE
// and the session's end as the running program does.
ShellWait WaitForShell(const Trace& trace);

}  // namespace clep::win

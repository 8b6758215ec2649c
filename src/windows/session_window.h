// The hidden top-level window that hears of the session's end, of a new
// shell and of theme changes, and runs the taskbar poll: its timers, and
// the hook on the shell's windows where the system tells of them.
#pragma once

#include <windows.h>

#include "windows/handles.h"
#include "windows/run_state.h"

namespace clep::win {

// What the session window tells its owner.
class SessionOwner {
 public:
  virtual void OnTaskbarCreated() = 0;
  virtual void OnEndSession() = 0;
  virtual void OnClose() = 0;
  // A window of the shell's came, moved, showed or hid; `made` when it came.
  virtual void OnShellChanged(bool made) = 0;
  // A theme, high contrast, the system's colours or the wallpaper changed.
  virtual void OnThemeChanged() = 0;
  // The monitors changed: their number, places or scales.
  virtual void OnDisplayChanged() = 0;
  // The desktop's work area changed, as a bar set to hide or not changes it.
  virtual void OnWorkAreaChanged() = 0;
  // One of the reads of the bars after StartColourRereads; false once they are over.
  virtual bool OnColourRereadTimer() = 0;
  virtual void OnPollTimer() = 0;
  // A set clock, a new time zone or a resume.
  virtual void OnClockSet() = 0;

 protected:
  ~SessionOwner() = default;
};

// Also the class of the window that waits for a shell still to come, so that
// whatever closes a clock (an uninstaller, taskkill) finds a waiting one too.
inline constexpr char kSessionWindowClass[] = "ClepsydriumSession";

class SessionWindow {
 public:
  // Hears the shell of `taskbar` from the start (see SubscribeShellEvents).
  SessionWindow(SessionOwner& owner, RunState& run, HWND taskbar);
  ~SessionWindow();
  SessionWindow(const SessionWindow&) = delete;
  SessionWindow& operator=(const SessionWindow&) = delete;
  RunState& State() const { return run_; }
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND Handle() const { return window_.Get(); }
  // Hears of the windows the shell of this taskbar makes, moves, shows and
  // hides; where the system tells all of that, polls only then.
  void SubscribeShellEvents(HWND taskbar);
  // Whether the shell's new windows are told: else each poll searches for bars.
  bool SubscribedToShell() const { return static_cast<bool>(hook_); }
  // Has the owner read the bars four times a second for a while.
  void StartColourRereads();

 private:
  void PollSoon();

  SessionOwner& owner_;
  RunState& run_;
  UINT taskbarCreated_;
  bool pending_ = false;
  bool pollSoon_ = false;
  DWORD shell_ = 0;
  Owned<HWINEVENTHOOK, UnhookWinEvent> hook_;
  OwnedWindow window_;
};

}  // namespace clep::win

// Control of the simulated form toolkit: the form's window lives on the
// simulated desktop; timers fire when a test fires them or advances time;
// the popup menu, the common dialogs and message boxes take the answers a
// test queued; the modal show runs the actions a test queued.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit.h"

namespace sim {

// No form, no answers, no records; the default process (no other
// instance, the temp folder as exe folder, the build's version).
void ResetToolkit();

// --- The process ---
void SetPreviousInstance(bool running);
void SetExeFolder(const std::string& folder);
void SetExeVersion(const platform::Version& version);
// StartCommand fails from now on (true) or works again (false).
void FailStartCommand(bool fail);
// What ShellExecuteOpen returns (42 unless set).
void SetShellExecuteResult(std::intptr_t result);

struct Command {
  std::string commandLine;
  std::int32_t show = 0;
};
struct ShellCall {
  std::string operation;
  std::string file;
  std::string parameters;
  std::string directory;
  std::int32_t show = 0;
};
// Every call made, failed starts included.
std::vector<Command> Commands();
std::vector<ShellCall> ShellCalls();

// --- Events a user or the system causes ---
// Events reach the form's handlers as the window procedure would deliver
// them: inside the modal show an exception ends the show and leaves through
// ShowFormModal; outside it the exception reaches the caller.
// The form's window can be destroyed under it (sim::DestroyShell). The next
// event or PumpMessages notices that and delivers Form_WindowLost; from then
// on no timer ticks and no mouse event comes until the window is rebuilt.

// Fires the timer's handler at once if the form has its window and the timer
// is enabled; false when it did not fire. The timer's countdown restarts.
bool FireTimer(platform::Timer timer);
// Lets time pass: every enabled timer fires each time its interval is up.
void AdvanceTime(std::uint32_t milliseconds);
// A button released over the surface (MouseUp event).
void MouseUp(std::int16_t button);
// A left double-click: a release, the double-click, a release.
void DoubleClick();
// The pointer moves over the surface, or over the form outside it.
void MouseMove();
void FormMouseMove();
// WM_CLOSE (the form hides), to the form's window or, as taskkill sends it,
// to the program's hidden top-level window; and WM_ENDSESSION.
void CloseForm();
void EndSession();
// The "TaskbarCreated" broadcast. It reaches the form while the modal show
// runs and the form has not been hidden; one that comes before the show
// waits for it. A window rebuilt for it is shown when the event ends.
void TaskbarCreated();
// Delivers Form_WindowLost if the form's window is gone, and Form_Resize if
// its client size changed since the last delivery. Done after every event
// and before every scripted action.
void PumpMessages();

// --- Scripted answers, used in turn (first queued, first used) ---
// The next popup menu: choose the item, or Escape. Either button chooses,
// as the menu takes the right button too.
void ChooseMenuItem(std::size_t item, std::int16_t button = platform::kLeftButton);
void DismissMenu();
// The next colour dialog: OK with a colour, or Cancel.
void AnswerColor(platform::Colour colour);
void CancelColor();
// The next font dialog: OK with these values, or Cancel.
struct FontAnswer {
  std::string name;
  float size = 0;
  bool bold = false;
  bool italic = false;
};
void AnswerFont(const FontAnswer& font);
void CancelFont();
// The button that closes the next message box (IDOK = 1 if none queued).
void AnswerMessageBox(std::int32_t button);
// Popup menus and dialogs shown with no answer queued throw
// std::logic_error: a test that forgot one fails loudly.

// The modal show runs these in turn while the form is shown. A form still
// shown when they run out makes ShowFormModal throw std::logic_error.
void QueueAction(std::function<void()> action);
std::size_t PendingActions();

// --- What the program did ---
enum class Call {
  kLoadForm,
  kShowForm,
  kHideForm,
  kUnloadForm,
  kRebuildForm,
  kRefreshSurface,
  kRefreshFrame,
  kPopupMenu,
  kMessageBox,
  kColorDialog,
  kFontDialog,
  kStartCommand,
  kShellExecute,
};
struct CallRecord {
  Call call = Call::kLoadForm;
  // How many events sim::Log() held at the call, to order the two logs.
  std::size_t desktopMark = 0;
};
std::vector<CallRecord> Calls();
std::size_t CountCalls(Call call);
void ClearCalls();

bool FormLoaded();
bool FormShown();
platform::WindowHandle FormHandle();
// The value of a window long (style or extended style) of any window.
std::int32_t WindowLong(platform::WindowHandle window, std::int32_t index);

struct Surface {
  // What the surface shows: everything printed since the last clear. It is
  // also its window text, and it survives repaints and colour changes.
  std::string text;
  platform::Colour foreColour = 0;
  platform::Colour backColour = 0;
  std::string fontName;
  float fontSize = 0;
  bool fontBold = false;
  bool fontItalic = false;
  std::string toolTip;
  std::int32_t pointer = 0;  // 0 is the default pointer
  platform::Rect place;      // in the form's client coordinates
  std::size_t clears = 0;
};
const Surface& SurfaceState();
// A pointer other than the default, as if something had changed it.
void SetSurfacePointer(std::int32_t pointer);

struct TimerState {
  std::uint32_t interval = 0;
  bool enabled = false;
  std::uint32_t elapsed = 0;  // ms since the last tick or restart
  std::size_t ticks = 0;
};
TimerState TimerOf(platform::Timer timer);

std::size_t MenuCount();
std::string MenuCaption(std::size_t item);
bool MenuChecked(std::size_t item);

struct Popup {
  std::size_t defaultItem = 0;
  std::uint32_t flags = 0;  // TPM_LEFTALIGN | TPM_RIGHTBUTTON
};
std::vector<Popup> Popups();

struct MessageBox {
  std::string text;
  std::uint32_t style = 0;
  std::string title;
};
std::vector<MessageBox> MessageBoxes();

// The dialog control's properties as each dialog was shown.
std::vector<platform::CommonDialog> ColorDialogs();
std::vector<platform::CommonDialog> FontDialogs();

}  // namespace sim

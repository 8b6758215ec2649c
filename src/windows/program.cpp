#include "windows/program.h"

#include <shellapi.h>

#include <exception>
#include <utility>

#include "windows/handles.h"

namespace clep::win {

namespace {

#ifdef CLEP_FAULTABLE
// Only in the end-to-end tests' build: the poll fails on purpose.
class FailureOnPurpose : public std::exception {
 public:
  const char* what() const noexcept override { return "fail-now: a failure on purpose"; }
};
#endif

void StartDateTime() {
  // A failed start is not reported: the ticker runs on.
  char line[] = "control.exe Date/Time";  // CreateProcessA may write into it
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &process)) {
    const OwnedKernelHandle thread(process.hThread);
    const OwnedKernelHandle started(process.hProcess);
  }
}

}  // namespace

Program::Program(WideString folder, const Trace& trace)
    : folder_(std::move(folder)),
      run_(trace),
      store_(folder_),
      trayWindows_(FindTrayWindows()),
      session_(*this, run_, trayWindows_.taskbar),
      tickers_(*this, run_, session_, trayWindows_),
      dialogs_(tickers_, trace),
      calendar_(store_.Settings(), run_) {}

std::optional<std::string> Program::Run() {
  run_.Start();
  tickers_.ShowAll();
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  SaveAtEnd();
  return run_.Failure();
}

void Program::SaveAtEnd() {
  if (!store_.SaveUnsaved()) {
    run_.Log().Failed("writing the settings file as the clock ends", store_.LastError());
  }
}

void Program::Exit() {
  // The way out gives every taskbar back: see the destructor.
  calendar_.Close();
  tickers_.HideAll();
  run_.End();
}

void Program::EndSession() {
  // The process may end as soon as this returns.
  SaveAtEnd();
  calendar_.Close();
  tickers_.GiveBack();
  run_.End();
}

void Program::PollTaskbars() {
#ifdef CLEP_FAULTABLE
  if (GetFileAttributesW((folder_ + L"\\fail-now").c_str()) != INVALID_FILE_ATTRIBUTES) {
    throw FailureOnPurpose();
  }
#endif
  if (!run_.Running()) {
    return;
  }
  tickers_.PollTaskbars();
  FollowCalendar();
}

void Program::FollowCalendar() {
  if (const std::optional<TickerWindow::Colours> shown =
          tickers_.ShownColours(calendar_.Ticker())) {
    calendar_.SetColours(shown->text, shown->back);
  } else {
    calendar_.Close();
  }
}

void Program::TickerGone(const TickerWindow& ticker) {
  tickers_.OnLost(ticker);
  FollowCalendar();
}

void Program::NewShell() {
  // A shell still without all its windows may be followed by another notice.
  const std::optional<TrayWindows> windows = FindTrayWindowsIfThere();
  if (!windows) {
    return;
  }
  run_.Log().Noted("TaskbarCreated: the shell started again");
  session_.SubscribeShellEvents(windows->taskbar);
  calendar_.Close();  // beside a bar that may be gone or elsewhere
  tickers_.Redock(*windows);
}

void Program::Change(const ClockSettings& changed, KeySet keys) {
  if (!store_.Change(changed, keys)) {
    dialogs_.Warn(store_.FailureText());
  }
  if (store_.Unsaved()) {
    run_.Log().Failed("writing the settings file", store_.LastError());
  }
}

void Program::Choose(Command id, const TickerWindow& from) {
  const MenuEntry* entry = FindMenuEntry(id);
  if (entry == nullptr) {
    return;
  }
  if (entry->keys == 0) {
    return RunAction(id, from);
  }
  Change(ApplyCommand(store_.Settings(), id, tickers_.ShownEdge()), entry->keys);
  tickers_.Restyle();
  if (id == Command::kTaskbarColours) {
    // Read over the next moments, as after a theme switch: the menu has only
    // just gone, and the bars may not have painted where it lay.
    tickers_.RefreshThemeColours();
  }
  calendar_.Restyle();
  FollowCalendar();
}

void Program::RunAction(Command id, const TickerWindow& from) {
  switch (id) {
    case Command::kDateTime:
      return StartDateTime();
    case Command::kHomePage:
      ShellExecuteA(GetDesktopWindow(), "Open", CLEP_HOME_URL, "", "C:\\", SW_SHOWNORMAL);
      return;
    case Command::kAbout:
      return dialogs_.About();
    case Command::kStartWithWindows: {
      const Dialogs::Open open(dialogs_);  // for the message, if the registry says no
      return runEntry_.Switch();
    }
    case Command::kColourText:
    case Command::kColourBack: {
      calendar_.Close();  // else in the ticker's old colours; likewise below
      // Opens on the colour shown by the ticker chosen from, a taskbar's too.
      const bool text = id == Command::kColourText;
      const TickerWindow::Colours shown = from.ShownColours();
      if (const std::optional<COLORREF> colour =
              dialogs_.PickColour(text ? shown.text : shown.back)) {
        ClockSettings changed = store_.Settings();
        (text ? changed.colourText : changed.colourBack) = static_cast<std::int32_t>(*colour);
        Change(changed, KeysOf({text ? Key::kColourText : Key::kColourBack}));
        tickers_.Restyle();
      }
      return;
    }
    case Command::kFont:
      calendar_.Close();
      if (const std::optional<ClockSettings> changed =
              dialogs_.PickFont(store_.Settings(), tickers_.FaceName())) {
        Change(*changed,
               KeysOf({Key::kFontName, Key::kFontSize, Key::kFontBold, Key::kFontItalic}));
        tickers_.Restyle();
      }
      return;
    case Command::kCalendar: {
      const TickerWindow::Colours colours = from.ShownColours();
      return calendar_.Toggle(from.Handle(), colours.text, colours.back, from.FaceName());
    }
    case Command::kExit:
      return Exit();
    default:
      return;
  }
}

}  // namespace clep::win

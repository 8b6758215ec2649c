#include "windows/program.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <new>
#include <utility>

#include "windows/taskbar_look.h"
#include "windows/window_class.h"

namespace clep::win {

namespace {

constexpr char kSessionClass[] = "ClepsydriumSession";
// Posted to the session window: deliver a "TaskbarCreated" from the loop,
// never inside a call into the shell.
constexpr UINT kDeliverTaskbarCreated = WM_APP + 1;
// Posted from the WinEvent hook: a window of the shell's changed.
constexpr UINT kShellChanged = WM_APP + 2;
constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchInterval = 250;
// After a change of look, or a new bar, the bars are read again this often
// for 1.5 s: a shell repaints in its own time.
constexpr UINT_PTR kReadBarsTimer = 3;
constexpr UINT kReadBarsInterval = 250;
constexpr int kReadBarsTicks = 6;
// The look after a burst of the shell's events, and the slow one kept where
// events carry the watch, for any the system let pass.
constexpr UINT_PTR kSoonTimer = 2;
constexpr UINT kSoonDelay = 20;
constexpr UINT kCarriedWatchInterval = 2000;

// Wine tells other processes only of a window's creation, not of its moves,
// shows and hides, so there the watch keeps looking four times a second.
bool EventsCarryWatch() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr;
}

bool IsTaskbarClass(const char* name) {
  return lstrcmpA(name, "Shell_TrayWnd") == 0 || lstrcmpA(name, "Shell_SecondaryTrayWnd") == 0;
}

void CALLBACK OnShellEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                           DWORD) {
  char name[32] = "";
  if (object != OBJID_WINDOW || child != CHILDID_SELF || window == nullptr ||
      GetClassNameA(GetAncestor(window, GA_ROOT), name, sizeof name) == 0 ||
      !IsTaskbarClass(name)) {
    return;
  }
  // The hook has no context: the session window of this thread is the one.
  HWND session = nullptr;
  while ((session = FindWindowExA(nullptr, session, kSessionClass, nullptr)) != nullptr) {
    if (GetWindowThreadProcessId(session, nullptr) == GetCurrentThreadId()) {
      PostMessageA(session, kShellChanged, event == EVENT_OBJECT_CREATE, 0);
      return;
    }
  }
}

#ifdef CLEP_FAULTABLE
// Only in the end-to-end tests' build: the watch fails on purpose.
class FailureOnPurpose : public std::exception {
 public:
  const char* what() const noexcept override { return "fail-now: a failure on purpose"; }
};
#endif

}  // namespace

std::string CurrentErrorReport() {
  // E_FAIL and E_OUTOFMEMORY, for errors that carry no number of their own.
  std::uint32_t number = 0x80004005;
  const char* detail = nullptr;
  try {
    throw;
  } catch (const TrayWindowError& error) {
    number = error.Number();
  } catch (const std::bad_alloc&) {
    number = 0x8007000E;  // GCOVR_EXCL_LINE: no test runs out of memory
  } catch (const std::exception& error) {
    detail = error.what();
  } catch (...) {
  }
  char line[48];
  wsprintfA(line, "Run-time error %ld (%08lX)",
            static_cast<long>(static_cast<std::int32_t>(number)),
            static_cast<unsigned long>(number));
  std::string report = line;
  if (detail != nullptr && *detail != '\0') {
    report += "\r\n\r\n";
    report += detail;
  }
  return report;
}

void ReportFailure(Program& program) {
  program.Fail(CurrentErrorReport());
}

bool HasFailed(const Program& program) {
  return program.Failed();
}

SessionWindow::SessionWindow(Program& program)
    : program_(program), taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")) {
  RegisterWindowClass(kSessionClass, WindowProcOf<SessionWindow>, 0, nullptr);
  // Top-level: the ticker, once in the taskbar, hears neither of the
  // session's end nor of broadcasts.
  window_.Reset(CreateWindowExA(0, kSessionClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleA(nullptr), this));
  // Here, not on a ticker: the watch outlives any one of them.
  SetTimer(window_.Get(), kWatchTimer, kWatchInterval, nullptr);
}

void SessionWindow::HearShell(HWND taskbar) {
  DWORD shell = 0;
  GetWindowThreadProcessId(taskbar, &shell);
  if (shell == shell_ && hook_) {
    return;
  }
  shell_ = shell;
  hook_.Reset(SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_LOCATIONCHANGE, nullptr,
                              OnShellEvent, shell, 0, WINEVENT_OUTOFCONTEXT));
  SetTimer(window_.Get(), kWatchTimer,
           hook_ && EventsCarryWatch() ? kCarriedWatchInterval : kWatchInterval, nullptr);
}

void SessionWindow::ReadBarsAWhile() {
  SetTimer(window_.Get(), kReadBarsTimer, kReadBarsInterval, nullptr);
}

void SessionWindow::LookSoon() {
  // One look for a burst: a bar that moves tells of each of its children.
  if (!lookSoon_) {
    lookSoon_ = true;
    SetTimer(window_.Get(), kSoonTimer, kSoonDelay, nullptr);
  }
}

LRESULT SessionWindow::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    if (!pending_) {
      pending_ = true;
      PostMessageA(window, kDeliverTaskbarCreated, 0, 0);
    }
    return 0;
  }
  switch (message) {
    case kDeliverTaskbarCreated:
      pending_ = false;
      program_.OnTaskbarCreated();
      return 0;
    case WM_ENDSESSION:
      if (wParam != 0) {
        program_.OnEndSession();
      }
      return 0;
    case WM_CLOSE:  // taskkill sends it to top-level windows
      program_.Exit();
      return 0;
    case kShellChanged:
      program_.OnShellChanged(wParam != 0);
      if (EventsCarryWatch()) {
        LookSoon();
      }
      return 0;
    case WM_TIMER:
      if (wParam == kReadBarsTimer) {
        if (!program_.OnReadBarsTick()) {
          KillTimer(window, kReadBarsTimer);
        }
        return 0;
      }
      if (wParam == kSoonTimer) {
        KillTimer(window, kSoonTimer);
        lookSoon_ = false;
      }
      program_.OnWatchTick();
      return 0;
    case WM_SETTINGCHANGE:  // "ImmersiveColorSet", high contrast, the wallpaper
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
    case WM_DWMCOLORIZATIONCOLORCHANGED:
      program_.OnLookChanged();
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_TIMECHANGE:      // a set clock or a new time zone
    case WM_POWERBROADCAST:  // a resume: the tick timers slept too
      program_.OnClockSet();
      return message == WM_POWERBROADCAST ? TRUE : 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

Program::Program(WideString folder)
    : folder_(std::move(folder)),
      profile_((folder_ + L"\\Clepsydrium.ini").c_str(), "Configuration"),
      settings_(LoadSettings(profile_)),
      seen_(SeeSystemLook()),
      trayWindows_(FindTrayWindows()),
      session_(*this),
      calendar_(*this) {
  customColours_.fill(RGB(255, 255, 255));
  session_.HearShell(trayWindows_.taskbar);
  Dock(docked_.front(), trayWindows_);
  FollowSecondaryBars();
}

void Program::Dock(std::optional<Docked>& slot, const TrayWindows& windows) {
  Docked& docked = slot ? *slot : slot.emplace(*this);
  // The primary's taskbar takes its measures before anything of ours is in it.
  docked.taskbar.reset();
  docked.taskbar.emplace(windows);
  if (!docked.ticker.Exists()) {
    // New, or built anew after the shell took it: the settings' look, and
    // the first text with the next second.
    docked.ticker.Create(ShownEdge(), docked.taskbar->TickerParent());
    ApplyLook(docked.ticker);
    docked.ticker.PresetClock();
    docked.ticker.Tick(settings_);
  }
  docked.taskbar->Embed(docked.ticker.Handle(), TickerCells(settings_),
                        docked.ticker.TextWidth(ClockStyleOf(settings_)));
  OnLookChanged();  // a new bar may not have painted yet
}

void Program::FitTicker(Docked& docked) {
  if (docked.taskbar) {
    docked.taskbar->FitTicker(TickerCells(settings_),
                              docked.ticker.TextWidth(ClockStyleOf(settings_)));
  }
}

bool Program::ShownEdge() const {
  return DecideLook(ChosenLook(settings_), seen_).edge;
}

void Program::FollowLook(Docked& docked, bool read) {
  const HWND ticker = docked.ticker.Handle();
  RECT at{};
  GetWindowRect(ticker, &at);
  // Only a themed bar's colour counts; a moved ticker may sit by another.
  if (docked.taskbar && ticker != nullptr && seen_.themed && !seen_.highContrast &&
      (read || !EqualRect(&at, &docked.readAt))) {
    docked.readAt = at;
    if (const std::optional<Rgb> bar = ReadBarColour(docked.taskbar->Bar(), ticker)) {
      docked.bar = bar;
    }
  }
  LookSeen seen = seen_;
  seen.bar = docked.bar;
  const Look look = DecideLook(ChosenLook(settings_), seen);
  if (docked.look == look) {
    return;
  }
  if (docked.ticker.HasBorder() != look.edge) {
    docked.ticker.SetBorder(look.edge);
    if (docked.taskbar) {
      docked.taskbar->PlaceTickerTopLeft();
    }
  }
  docked.look = look;
  docked.ticker.SetColours(static_cast<std::int32_t>(look.text),
                           static_cast<std::int32_t>(look.back));
}

void Program::OnLookChanged() {
  readBarsTicks_ = kReadBarsTicks + 1;
  OnReadBarsTick();
  session_.ReadBarsAWhile();
}

bool Program::OnReadBarsTick() {
  seen_ = SeeSystemLook();
  EachDocked([this](Docked& docked) { FollowLook(docked, true); });
  return --readBarsTicks_ > 0;
}

void Program::ApplyLook(TickerWindow& ticker) {
  ticker.SetFont(settings_.fontName, ShownFontSize(settings_.fontSize), settings_.fontBold,
                 settings_.fontItalic);
}

std::optional<std::string> Program::Run() {
  running_ = true;
  EachDocked([](Docked& docked) { docked.ticker.Show(); });
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  SaveUnsaved();
  return failure_;
}

void Program::Exit() {
  // The way out gives every taskbar back: see the destructor.
  running_ = false;
  calendar_.Close();
  EachDocked([](Docked& docked) { docked.ticker.Hide(); });
  PostQuitMessage(0);
}

void Program::Fail(std::string report) {
  if (!failure_) {
    failure_ = std::move(report);
  }
  running_ = false;
  PostQuitMessage(1);
}

void Program::OnEndSession() {
  // The process may end as soon as this returns.
  running_ = false;
  SaveUnsaved();
  calendar_.Close();
  EachDocked([](Docked& docked) {
    docked.ticker.Hide();
    docked.taskbar.reset();
  });
  PostQuitMessage(0);
}

void Program::OnWatchTick() {
#ifdef CLEP_FAULTABLE
  if (GetFileAttributesW((folder_ + L"\\fail-now").c_str()) != INVALID_FILE_ATTRIBUTES) {
    throw FailureOnPurpose();
  }
#endif
  if (!running_) {
    return;
  }
  if (PrimaryTaskbar()) {
    PrimaryTaskbar()->Watch();
  }
  FollowSecondaryBars();
  EachDocked([this](Docked& docked) { FollowLook(docked, false); });
  FollowCalendar();
}

void Program::FollowCalendar() {
  bool docked = false;
  EachDocked([this, &docked](Docked& each) {
    docked = docked || (each.taskbar && each.ticker.Handle() == calendar_.Ticker());
  });
  if (!docked) {
    calendar_.Close();
  }
}

void Program::FollowSecondaryBars() {
  // Only beside a primary ticker: without one the shell is gone or not yet whole.
  SecondaryBars bars;
  const bool find = findBars_ || !session_.HearsShell();
  if (settings_.everyTaskbar && PrimaryTaskbar()) {
    if (find) {
      bars = FindSecondaryBars();
      findBars_ = false;
    } else {
      // A bar's coming is told, so only those known can have gone.
      EachDocked([&bars](Docked& docked) {
        if (docked.taskbar && docked.taskbar->Secondary() && IsWindow(docked.taskbar->Bar())) {
          bars.bars[static_cast<std::size_t>(bars.count++)] = docked.taskbar->Bar();
        }
      });
    }
  } else {
    findBars_ = true;  // for when there are bars to serve again
  }
  for (auto docked = docked_.begin() + 1; docked != docked_.end(); ++docked) {
    if (!*docked) {
      continue;
    }
    std::optional<Taskbar>& taskbar = (*docked)->taskbar;
    if (taskbar && !bars.Take(taskbar->Bar())) {
      taskbar.reset();  // the bar has gone
    }
    if (taskbar) {
      taskbar->Watch();
    } else if (!(*docked)->ticker.Busy()) {  // else at a later look
      docked->reset();
    }
  }
  // The bars left have no ticker yet.
  for (HWND bar : bars.bars) {
    const auto free = std::find_if(docked_.begin() + 1, docked_.end(),
                                   [](const std::optional<Docked>& docked) { return !docked; });
    if (bar == nullptr) {
      continue;
    }
    if (free == docked_.end()) {
      findBars_ = true;  // again once a place is free
      continue;
    }
    Dock(*free, SecondaryWindows(bar));
    if (running_) {
      (*free)->ticker.Show();
    }
  }
}

void Program::OnTickerLost(const TickerWindow& ticker) {
  // The shell ended and took the ticker with it: nothing to give back. A
  // secondary one is dropped at the watch's next look, and its bar, if it
  // stays, is served anew.
  findBars_ = true;
  EachDocked([&ticker](Docked& docked) {
    if (&docked.ticker == &ticker && docked.taskbar) {
      docked.taskbar->Forget();
      docked.taskbar.reset();
    }
  });
  FollowCalendar();
}

void Program::OnShellChanged(bool made) {
  findBars_ = findBars_ || made;
}

void Program::OnClockSet() {
  EachDocked([this](Docked& docked) { docked.ticker.Redraw(settings_); });
}

void Program::OnTaskbarCreated() {
  // A shell still without all its windows may be followed by another notice.
  const std::optional<TrayWindows> windows = FindTrayWindowsIfThere();
  if (!windows) {
    return;
  }
  session_.HearShell(windows->taskbar);
  findBars_ = true;
  calendar_.Close();  // beside a bar that may be gone or elsewhere
  Dock(docked_.front(), *windows);
  Primary().ShowAsBefore();
  // The other bars' tickers are built anew too.
  for (auto docked = docked_.begin() + 1; docked != docked_.end(); ++docked) {
    if (*docked) {
      (*docked)->taskbar.reset();
    }
  }
  FollowSecondaryBars();
}

void Program::OnCommand(Command id, const TickerWindow& from) {
  const MenuEntry* entry = FindMenuEntry(id);
  if (entry == nullptr) {
    return;
  }
  using Kind = MenuEntry::Kind;
  if (entry->kind == Kind::kSignIn) {
    const DialogOpen open(*this);  // for the message, if the registry says no
    return runEntry_.Switch();
  }
  if (entry->kind != Kind::kAction && entry->kind != Kind::kSeparator) {
    if (entry->kind == Kind::kEdge) {
      settings_.borders = ShownEdge();  // flipped as shown, which may be the look's
    }
    settings_ = ApplyCommand(settings_, id);
    Save(entry->key);
    if (entry->kind == Kind::kFollow) {
      Save(Key::kColourBack);
    }
    EachDocked([this, id](Docked& docked) {
      FollowLook(docked, id == Command::kTaskbarColours);
      if (id == Command::kLowercase) {
        docked.ticker.RepaintFace();
      }
      FitTicker(docked);  // the seconds, or a style of other widths
      docked.ticker.Redraw(settings_);
    });
    calendar_.Restyle();
    return;
  }
  switch (id) {
    case Command::kDateTime: {
      // A failed start is not reported: the ticker runs on.
      char line[] = "control.exe Date/Time";  // CreateProcessA may write into it
      STARTUPINFOA startup{};
      startup.cb = sizeof startup;
      startup.dwFlags = STARTF_USESHOWWINDOW;
      startup.wShowWindow = SW_SHOWNORMAL;
      PROCESS_INFORMATION process{};
      if (CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
      }
      return;
    }
    case Command::kHomePage:
      ShellExecuteA(GetDesktopWindow(), "Open", CLEP_HOME_URL, "", "C:\\", SW_SHOWNORMAL);
      return;
    case Command::kAbout: {
      // Wide, so the copyright sign shows under any ANSI code page.
      const DialogOpen open(*this);
      MessageBoxW(nullptr,
                  L"Display time in roman numerals and date in Latin in Windows systray\r\n\r\n"
                  L"\u00A9 the Clepsydrium authors\r\n" CLEP_HOME_URL,
                  L"Clepsydrium " CLEP_VERSION, MB_OK | MB_ICONINFORMATION);
      return;
    }
    case Command::kColourText:
      calendar_.Close();  // else in the ticker's old look; likewise below
      return PickColour(&ClockSettings::colourText, Key::kColourText, from);
    case Command::kColourBack:
      calendar_.Close();
      return PickColour(&ClockSettings::colourBack, Key::kColourBack, from);
    case Command::kFont:
      calendar_.Close();
      return PickFont();
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

template <typename Function>
Function Program::DialogFunction(const char* name) {
  // comdlg32 is loaded when a dialog is first opened, not at start-up.
  if (!dialogs_) {
    dialogs_.Reset(LoadLibraryA("comdlg32.dll"));
  }
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(dialogs_.Get(), name)));
}

void Program::PickColour(std::optional<std::int32_t> ClockSettings::*field, Key key,
                         const TickerWindow& from) {
  // The dialog works on its own copy and opens on the colour shown by the
  // ticker chosen from: Cancel keeps what was there before, a taskbar's too.
  const TickerWindow::Colours shown = from.ShownColours();
  CHOOSECOLORA choose{};
  choose.lStructSize = sizeof choose;
  choose.rgbResult = key == Key::kColourText ? shown.text : shown.back;
  choose.lpCustColors = customColours_.data();
  choose.Flags = CC_RGBINIT | CC_FULLOPEN;
  {
    const DialogOpen open(*this);
    const auto chooseColour = DialogFunction<BOOL(WINAPI*)(CHOOSECOLORA*)>("ChooseColorA");
    if (chooseColour == nullptr || !chooseColour(&choose)) {
      return;
    }
  }
  settings_.*field = static_cast<std::int32_t>(choose.rgbResult);
  EachDocked([this](Docked& docked) { FollowLook(docked, false); });
  Save(key);
}

void Program::PickFont() {
  ClockSettings& font = settings_;  // changed only after OK
  LOGFONTA logFont{};
  // What the ticker can show: the standard size or at most the largest.
  logFont.lfHeight = -MulDiv(ShownFontSize(font.fontSize).value_or(8), ScreenDpi(), 72);
  logFont.lfWeight = font.fontBold ? FW_BOLD : FW_NORMAL;
  logFont.lfItalic = font.fontItalic ? 1 : 0;
  logFont.lfCharSet = DEFAULT_CHARSET;
  // The face the ticker shows: with none, the dialog would not take the size.
  const std::string& face = font.fontName.empty() ? Primary().FaceName() : font.fontName;
  lstrcpynA(logFont.lfFaceName, face.c_str(), LF_FACESIZE);
  CHOOSEFONTA choose{};
  choose.lStructSize = sizeof choose;
  choose.lpLogFont = &logFont;
  choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
  {
    const DialogOpen open(*this);
    const auto chooseFont = DialogFunction<BOOL(WINAPI*)(CHOOSEFONTA*)>("ChooseFontA");
    // Wine's dialog fills the LOGFONT even on Cancel: read it only after OK.
    if (chooseFont != nullptr && chooseFont(&choose)) {
      font.fontName = logFont.lfFaceName;
      font.fontSize = WholePoints(choose.iPointSize);
      font.fontBold = logFont.lfWeight >= FW_SEMIBOLD;
      font.fontItalic = logFont.lfItalic != 0;
    }
  }
  EachDocked([this](Docked& docked) {
    ApplyLook(docked.ticker);
    FitTicker(docked);
  });
  for (Key key : {Key::kFontName, Key::kFontSize, Key::kFontBold, Key::kFontItalic}) {
    Save(key);
  }
}

bool Program::SaveUnsaved() {
  for (int key = 0; key < kKeyCount; ++key) {
    if ((unsaved_ >> key & 1U) != 0) {
      if (!WriteSetting(profile_, settings_, static_cast<Key>(key))) {
        return false;
      }
      unsaved_ &= ~(1U << key);
    }
  }
  return true;
}

void Program::Save(Key key) {
  // The change holds for the run whatever the file does.
  unsaved_ |= 1U << static_cast<int>(key);
  if (SaveUnsaved() || std::exchange(toldUnsaved_, true)) {
    return;
  }
  wchar_t reason[256] = {};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 profile_.LastError(), 0, reason, 256, nullptr);
  const WideString text = L"Clepsydrium cannot save its settings in\r\n" + profile_.Path() +
                          L"\r\n\r\n" + reason +
                          L"\r\n\r\nThe choice holds until Clepsydrium ends; it is saved as soon "
                          L"as the file can be written.";
  const DialogOpen open(*this);
  MessageBoxW(nullptr, text.c_str(), L"Clepsydrium", MB_OK | MB_ICONWARNING);
}

void Program::CountDialog(int change) {
  // On at the first dialog, off after the last: then the tickers there are
  // now, which may not be those there were.
  openDialogs_ += change;
  if (openDialogs_ == (change > 0 ? 1 : 0)) {
    EachDocked([this](Docked& docked) { docked.ticker.EnableInput(openDialogs_ == 0); });
  }
}

}  // namespace clep::win

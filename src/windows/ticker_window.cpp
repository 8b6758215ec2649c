#include "windows/ticker_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "clock/date_tip.h"
#include "clock/horae.h"
#include "taskbar/placement.h"
#include "windows/local_clock.h"
#include "windows/metrics.h"
#include "windows/taskbar.h"
#include "windows/theme_colours.h"
#include "windows/window_class.h"

namespace clep::win {

namespace {

constexpr char kFrameClass[] = "ClepsydriumTicker";
constexpr char kFaceClass[] = "ClepsydriumFace";
constexpr UINT_PTR kTickTimer = 1;
// The tick lands this long after the clock text changes, so that a timer a
// little early still finds the new second.
constexpr int kTickMargin = 3;
constexpr DWORD kFrameStyle = WS_POPUP | WS_CLIPCHILDREN;

class ModalLoopScope {
 public:
  explicit ModalLoopScope(int& count) : count_(++count) {}
  ~ModalLoopScope() { --count_; }
  ModalLoopScope(const ModalLoopScope&) = delete;
  ModalLoopScope& operator=(const ModalLoopScope&) = delete;

 private:
  int& count_;
};

// The Roman hour's line over the date's, each when asked for.
std::string TipText(const ClockSettings& settings) {
  std::string tip =
      settings.toolTip ? DateTipText(LocalNow(), TipStyleOf(settings), LongDateText) : "";
  if (settings.romanHours) {
    const RomanHour hour = RomanHourAt(UnixMilliseconds() / 1000, UserPlace(settings));
    const std::string line = HourTipLine(hour, LocalAt(hour.shownStart), LocalAt(hour.shownEnd));
    tip = tip.empty() ? line : line + "\r\n" + tip;
  }
  return tip;
}

}  // namespace

TickerWindow::TickerWindow(TickerOwner& owner, RunState& run)
    : owner_(owner), run_(run), scale_(ScaleAt(SystemDpi())) {
  RegisterWindowClass(kFrameClass, WindowProcOf<TickerWindow>, 0,
                      reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  RegisterWindowClass(kFaceClass, WindowProcOf<Face>, CS_DBLCLKS, nullptr);
}

TickerWindow::~TickerWindow() {
  destroying_ = true;
  toolTip_.Reset();
  frame_.Reset();
}

void TickerWindow::Create(bool edge, HWND parent, bool input) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  // No thin border, and the sunken edge only when asked for. Born in the
  // shell's window, it needs no move between processes' windows, and the
  // shell hears nothing of its birth or death.
  exStyle_ = WS_EX_TOOLWINDOW | WS_EX_NOPARENTNOTIFY | (edge ? WS_EX_STATICEDGE : 0);
  frame_.Reset(CreateWindowExA(exStyle_, kFrameClass, "Clepsydrium ticker",
                               WS_CHILD | WS_CLIPCHILDREN, 0, 0, 60, 14, parent, nullptr, instance,
                               this));
  if (!frame_) {  // a shell gone meanwhile: the poll docks anew
    run_.Log().Failed("CreateWindowEx of a ticker");
    return;
  }
  // A child by birth but a popup by style, as a window moved in by SetParent
  // is: only a window that is no WS_CHILD can take the foreground, which the
  // menu needs to take keys.
  SetWindowLongA(frame_.Get(), GWL_STYLE, static_cast<LONG>(kFrameStyle));
  faceWindow_ = CreateWindowExA(0, kFaceClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 60, 14,
                                frame_.Get(), nullptr, instance, &face_);
  if (faceWindow_ == nullptr) {
    run_.Log().Failed("CreateWindowEx of a ticker's face");
  }
  SetWindowTextA(faceWindow_, clock_.LineCStr());
  if (!input) {
    EnableWindow(frame_.Get(), FALSE);
  }
  tip_.clear();  // the tool comes back for the new face with the next move
  StartTimer();
}

TickerWindow::Colours TickerWindow::ShownColours() const {
  return {ToColorRef(textColour_), ToColorRef(backColour_)};
}

void TickerWindow::Show() {
  shown_ = true;
  ShowWindow(frame_.Get(), SW_SHOWNA);
}

void TickerWindow::RestoreShown() {
  if (shown_) {
    Show();
  }
}

void TickerWindow::Hide() {
  shown_ = false;
  ShowWindow(frame_.Get(), SW_HIDE);
}

void TickerWindow::StartTimer(bool nextSecond) {
  // One wake-up for each change shown: the timer is set anew at each tick
  // for the next second, or the next minute without seconds, or the next
  // Roman hour; for the next second after a tick that drew nothing, as the
  // first does.
  if (!frame_) {
    return;  // a timer with no window would be the thread's, and never killed
  }
  const ClockSettings& settings = owner_.Settings();
  const bool seconds = nextSecond || settings.displaySeconds;
  std::int64_t wait = MillisecondsToNextChange(seconds);
  if (settings.romanHours && !nextSecond) {
    // The hour's end, or the next minute's start, when the spoken time changes.
    const std::int64_t now = UnixMilliseconds();
    wait = std::min<std::int64_t>(
        wait, RomanHourAt(now / 1000, UserPlace(settings)).shownEnd * 1000 - now);
  }
  wait = std::clamp<std::int64_t>(wait, 0, USER_TIMER_MAXIMUM - kTickMargin) + kTickMargin;
  SetTimer(frame_.Get(), kTickTimer, static_cast<UINT>(wait), nullptr);
}

void TickerWindow::Tick() {
  const ClockSettings& settings = owner_.Settings();
  const ClockStyle style = ClockStyleOf(settings);
  const LocalTime now = LocalNow();
  const bool drawn = settings.romanHours
                         ? clock_.Show(HourText(
                               RomanHourAt(UnixMilliseconds() / 1000, UserPlace(settings)), style))
                         : clock_.Advance(now, style);
  if (drawn) {
    SetWindowTextA(faceWindow_, clock_.LineCStr());
    RedrawWindow(faceWindow_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
  StartTimer(!drawn && !settings.romanHours);
  // Once a minute, as the spoken time changes; never for a second.
  if (now.hour * 60 + now.minute != spokenMinute_ && frame_) {
    spokenMinute_ = now.hour * 60 + now.minute;
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, frame_.Get(), OBJID_CLIENT, CHILDID_SELF);
    owner_.OnTickerSpoken(*this);
  }
}

std::string TickerWindow::SpokenName() const {
  const ClockSettings& settings = owner_.Settings();
  const LocalTime now = LocalNow();
  return LocaleTimeText(now) + ' ' +
         (settings.romanHours
              ? HourText(RomanHourAt(UnixMilliseconds() / 1000, UserPlace(settings)),
                         ClockStyleOf(settings))
              : SpokenNumerals(now, ClockStyleOf(settings)));
}

std::string TickerWindow::SpokenValue() const {
  const LocalTime now = LocalNow();
  return LongDateText(now) + "; " + DateTipText(now, TipStyleOf(owner_.Settings()), LongDateText);
}

std::string TickerWindow::IconTip() const {
  return SpokenName() + "; " + SpokenValue();
}

void TickerWindow::Redraw() {
  linesFont_.Reset();  // a new style may have a wider numeral
  linesRoom_ = -1;
  clock_.Preset({0, 0, 0, -1, -1, -1});  // no second remembered
  spokenMinute_ = -1;                    // and told again in the new style
  Tick();
}

void TickerWindow::RepaintFace() {
  if (faceWindow_ != nullptr) {  // none would repaint the desktop
    RedrawWindow(faceWindow_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
}

void TickerWindow::EnableInput(bool on) {
  EnableWindow(frame_.Get(), on ? TRUE : FALSE);
}

void TickerWindow::SetBorder(bool on) {
  exStyle_ = on ? exStyle_ | WS_EX_STATICEDGE : exStyle_ & ~static_cast<DWORD>(WS_EX_STATICEDGE);
  SetWindowLongA(frame_.Get(), GWL_EXSTYLE, static_cast<LONG>(exStyle_));
  // Without the frame notice the new edge would show only at the next resize.
  SetWindowPos(frame_.Get(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  SendMessageA(frame_.Get(), WM_SETREDRAW, TRUE, 0);
  RedrawWindow(frame_.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TickerWindow::SetColours(std::int32_t text, std::int32_t back) {
  textColour_ = text;
  backColour_ = back;
  RepaintFace();
}

void TickerWindow::SetFont(const std::string& name, std::optional<std::int32_t> points, bool bold,
                           bool italic) {
  if (!name.empty()) {
    fontName_ = name;
  }
  if (points) {
    fontHundredths_ = *points * 100;
  }
  bold_ = bold;
  italic_ = italic;
  font_.Reset();
  linesFont_.Reset();
  linesRoom_ = -1;
  RedrawWindow(faceWindow_, nullptr, nullptr, RDW_INVALIDATE);
}

void TickerWindow::SetDpi(int dpi) {
  if (dpi == scale_.dpi) {
    return;
  }
  scale_ = ScaleAt(dpi);
  font_.Reset();
  linesFont_.Reset();
  linesRoom_ = -1;
}

void TickerWindow::OnFaceMouseMove() {
  if (!commonControls_) {
    // Loaded at the first move, not at start-up: nothing before needs it.
    commonControls_ = LoadCommonControls();
    toolTip_.Reset(MakeToolTip(nullptr));
    if (!toolTip_) {
      run_.Log().Failed("CreateWindowEx of a ticker's tooltip");
    }
    // A width of its own, so that the Roman hour's line breaks before the date's.
    SendMessageA(toolTip_.Get(), TTM_SETMAXTIPWIDTH, 0, 1000);
  }
  const std::string tip = TipText(owner_.Settings());
  if (tip == tip_ || !toolTip_) {
    return;  // the same text again would make the tip flicker
  }
  TTTOOLINFOA tool = ToolOf(frame_.Get(), faceWindow_, const_cast<char*>(tip.c_str()));
  const UINT message = tip.empty()    ? TTM_DELTOOLA
                       : tip_.empty() ? TTM_ADDTOOLA
                                      : TTM_UPDATETIPTEXTA;
  SendMessageA(toolTip_.Get(), message, 0, reinterpret_cast<LPARAM>(&tool));
  tip_ = tip;
}

void TickerWindow::OnFaceMouseUp(UINT message) {
  if (message == WM_LBUTTONUP) {
    // Only restarts the drawing timer's countdown.
    StartTimer();
  } else if (message == WM_RBUTTONUP) {
    OpenMenu(false);
  }
}

void TickerWindow::OnDefaultAction() {
  PostMessageA(frame_.Get(), kIconMessage, 0, WM_CONTEXTMENU);
}

void TickerWindow::OpenMenu(bool keyboard, UINT icon) {
  // This ticker's bar may go while its menu or a dialog is open.
  const ModalLoopScope inLoop(modalLoops_);
  const OwnedMenu menu(CreatePopupMenu());
  const MenuState state{owner_.Settings(), owner_.ShownEdge(), owner_.StartsWithWindows()};
  for (const MenuEntry& entry : kMenu) {
    if (entry.kind == MenuEntry::Kind::kSeparator) {
      AppendMenuA(menu.Get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    AppendMenuA(menu.Get(), MF_STRING | (IsChecked(entry, state) ? MF_CHECKED : MF_UNCHECKED),
                static_cast<UINT_PTR>(entry.id), entry.caption);
  }
  SetMenuDefaultItem(menu.Get(), static_cast<UINT>(Command::kDateTime), FALSE);
  const HWND owner = frame_.Get();
  // From the keyboard: beside the ticker, above it in the monitor's lower
  // half, else below, its first item lit as the menu key lights it.
  UINT align = TPM_TOPALIGN;
  POINT at{};
  if (keyboard) {
    RECT ticker{};
    GetWindowRect(owner, &ticker);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    const bool above = ticker.top > (monitor.rcMonitor.top + monitor.rcMonitor.bottom) / 2;
    align = above ? TPM_BOTTOMALIGN : TPM_TOPALIGN;
    at = {ticker.left, above ? ticker.top : ticker.bottom};
    PostMessageA(owner, WM_KEYDOWN, VK_DOWN, 0);
  } else {
    GetCursorPos(&at);
  }
  // Without it the menu may not close on Escape or a click elsewhere.
  SetForegroundWindow(owner);
  const auto chosen = static_cast<unsigned>(
      TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | align, at.x,
                     at.y, 0, owner, nullptr));
  PostMessageA(owner, WM_NULL, 0, 0);
  if (chosen != 0) {
    owner_.OnCommand(static_cast<Command>(chosen), *this);
  }
  RepaintFace();
  DWORD process = 0;
  GetWindowThreadProcessId(GetForegroundWindow(), &process);
  if (icon != 0 && frame_ && (process != GetCurrentProcessId() || GetForegroundWindow() == owner)) {
    // Done: the keys go back to the notification area, unless a window of
    // ours (the calendar) took them.
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = owner;
    data.uID = icon;
    Shell_NotifyIconA(NIM_SETFOCUS, &data);
  }
}

void TickerWindow::OnFaceDoubleClick() {
  const ModalLoopScope inLoop(modalLoops_);
  owner_.OnCommand(Command::kDateTime, *this);
}

void TickerWindow::OnLost() {
  // Destroyed from outside, with the shell's windows; the timers went too.
  frame_.Release();
  faceWindow_ = nullptr;
  font_.Reset();
  owner_.OnTickerLost(*this);
}

void TickerWindow::OnSize(HWND window) {
  // The shape goes with the size: a numeral a line where the ticker was made
  // tall enough for two.
  RECT frame{};
  GetWindowRect(window, &frame);
  stacked_ = TickerLines({frame.right - frame.left, frame.bottom - frame.top}, scale_) > 1;
  if (faceWindow_ != nullptr) {  // none would resize and repaint the desktop
    RECT client{};
    GetClientRect(window, &client);
    SetWindowPos(faceWindow_, nullptr, 0, 0, client.right, client.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // Whole: a resize repaints only the part it uncovers, and the old shape's
    // text would stay beside the new one.
    RedrawWindow(faceWindow_, nullptr, nullptr, RDW_INVALIDATE);
  }
}

LRESULT TickerWindow::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      Tick();
      return 0;
    case WM_MOVE:
      // Whole too: a move within the bar keeps the face's old pixels, and
      // the bar may not yet have painted all of them (a strip of the text
      // was seen missing after a bar grew); without seconds nothing else
      // would draw them again for a minute.
      if (faceWindow_ != nullptr) {
        RedrawWindow(faceWindow_, nullptr, nullptr, RDW_INVALIDATE);
      }
      return 0;
    case WM_SIZE:
      OnSize(window);
      return 0;
    case kIconMessage:
      // A blank icon selected from the keyboard (or its menu asked for), or
      // the clock's default action: the menu, as a click would open it (not
      // under a dialog, nor in a menu already open).
      if ((LOWORD(lParam) == NIN_SELECT || LOWORD(lParam) == NIN_KEYSELECT ||
           LOWORD(lParam) == WM_CONTEXTMENU) &&
          IsWindowEnabled(window) && !InModalLoop()) {
        OpenMenu(true, HIWORD(lParam));
      }
      return 0;
    case WM_GETOBJECT:
      if (const LRESULT object = accessible_.Answer(window, wParam, lParam)) {
        return object;
      }
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_DPICHANGED_AFTERPARENT:
      owner_.OnTickerRescaled(*this);
      return 0;
    case WM_COMMAND: {
      const ModalLoopScope inLoop(modalLoops_);
      owner_.OnCommand(static_cast<Command>(LOWORD(wParam)), *this);
      return 0;
    }
    case WM_CLOSE:
      owner_.OnCommand(Command::kExit, *this);
      return 0;
    case WM_NCDESTROY:
      accessible_.Forget();
      if (!destroying_) {
        OnLost();
      }
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace clep::win

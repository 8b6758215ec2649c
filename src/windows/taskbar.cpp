#include "windows/taskbar.h"

#include <shellapi.h>

#include <algorithm>

#include "windows/handles.h"
#include "windows/metrics.h"

// The shipped 32-bit program sends the records in the sizes the shell has
// always accepted; 64-bit builds take theirs from the same headers.
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V2_SIZE == 488,
              "NOTIFYICONDATAA, second form (Windows 2000's), is 488 bytes on 32-bit Windows");
static_assert(sizeof(void*) != 4 || sizeof(APPBARDATA) == 36,
              "APPBARDATA is 36 bytes on 32-bit Windows");

namespace clep::win {

namespace {

APPBARDATA TaskbarRecord(HWND taskbar) {
  APPBARDATA data{};
  data.cbSize = sizeof(APPBARDATA);
  data.hWnd = taskbar;
  return data;
}

NOTIFYICONDATAA IconRecord(HWND owner, int id) {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V2_SIZE;
  data.hWnd = owner;
  data.uID = static_cast<UINT>(id);
  return data;
}

Size ClientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {static_cast<int>(client.right), static_cast<int>(client.bottom)};
}

// How long the program waits for the shell before it goes on without it, in ms.
constexpr UINT kShellPatience = 200;
// The blank icons' tips wait for a shell that answers within this, tried
// again a second later.
constexpr UINT kTipPatience = 50;
constexpr DWORD kTipRetry = 1000;

// Invalidates without waiting: the shell paints when it can.
void Repaint(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MoveTicker(HWND ticker, int x, int y) {
  SetWindowPos(ticker, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// A window's rectangle in another's client coordinates.
Rect RectIn(HWND window, HWND parent) {
  RECT rect{};
  if (window != nullptr) {
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  }
  return {rect.left, rect.top, rect.right, rect.bottom};
}

Rect ScreenRect(HWND window) {
  RECT rect{};
  if (window != nullptr) {
    GetWindowRect(window, &rect);
  }
  return {rect.left, rect.top, rect.right, rect.bottom};
}

Size OuterSize(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return {static_cast<int>(rect.right - rect.left), static_cast<int>(rect.bottom - rect.top)};
}

// Above the bar's other children: Windows 11's island covers the whole bar,
// and a classic bar's task buttons reach its clock.
void MoveOnTop(HWND ticker, Point place) {
  SetWindowPos(ticker, HWND_TOP, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace

Taskbar::Taskbar(const TrayWindows& windows) : windows_(windows), scale_(ScaleOf(windows.taskbar)) {
  if (windows_.blankIcons()) {
    last_.edge = Edge();
    last_.tray = ClientSize(windows_.tray);
  }
}

Taskbar::~Taskbar() {
  if (ticker_ == nullptr) {
    return;
  }
  // Hidden first, so it never shows at the screen's corner; out of the
  // taskbar before its room goes, so the shell never lays it over its icons.
  ShowWindow(ticker_, SW_HIDE);
  SetParent(ticker_, nullptr);
  if (windows_.blankIcons() && !IconsReachShell()) {
    RaiseOverLookalike(true);
  }
  if (windows_.blankIcons() && IconsReachShell()) {
    RemoveBlankIcons();
  }
  Repaint(windows_.taskbar);
}

int Taskbar::Edge() const {
  // From the bar's place on its monitor: asking the shell would wait on it
  // for as long as it hangs.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(windows_.taskbar, MONITOR_DEFAULTTONEAREST), &monitor);
  return EdgeOnMonitor(RectIn(windows_.taskbar, nullptr),
                       {monitor.rcMonitor.left, monitor.rcMonitor.top, monitor.rcMonitor.right,
                        monitor.rcMonitor.bottom});
}

Size Taskbar::Shape() const {
  const Size bar = ClientSize(windows_.taskbar);
  return ShapeTicker(TickerSize(scale_, cells_, textWidth_), cells_, bar.height > bar.width,
                     ClientSize(TickerParent()).width, scale_);
}

bool Taskbar::Embed(HWND ticker) {
  ticker_ = ticker;
  // A ticker made for this taskbar is in it already; one kept from an earlier
  // taskbar is moved in.
  const bool in =
      reinterpret_cast<HWND>(GetWindowLongPtrA(ticker_, GWLP_HWNDPARENT)) == TickerParent() ||
      SetParent(ticker_, TickerParent()) != nullptr;
  atTopLeft_ = false;
  PlaceTickerTopLeft();
  return in;
}

bool Taskbar::IconsReachShell() const {
  return FindWindowA("Shell_TrayWnd", nullptr) == windows_.taskbar;
}

void Taskbar::RaiseOverLookalike(bool wait) const {
  UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
  if (!wait || SendMessageTimeoutA(windows_.taskbar, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                   kShellPatience, nullptr) == 0) {
    flags |= SWP_ASYNCWINDOWPOS;
  }
  SetWindowPos(windows_.taskbar, HWND_TOPMOST, 0, 0, 0, 0, flags);
}

void Taskbar::RemoveBlankIcons() const {
  // Every id the classic sizes use, and any more a wide text took.
  for (int id = 1; id <= std::max(icons_, kLastBlankIconId); ++id) {
    NOTIFYICONDATAA data = IconRecord(ticker_, id);
    Shell_NotifyIconA(NIM_DELETE, &data);
  }
}

void Taskbar::SetIconTip(const std::string& tip) {
  if (tip != iconTip_) {
    iconTip_ = tip;
    tipToTell_ = icons_ > 0;
  }
}

void Taskbar::TellIconTip() {
  // At most once a second, and only to a shell that answers at once: each
  // icon's update is a call the shell must answer, and a hung one must not
  // hold up the ticks.
  const DWORD now = GetTickCount();
  if (iconsBehind_ || now - lastTipTry_ < kTipRetry) {
    return;
  }
  lastTipTry_ = now;
  if (SendMessageTimeoutA(windows_.taskbar, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTipPatience,
                          nullptr) == 0) {
    return;
  }
  for (int id = 1; id <= icons_; ++id) {
    NOTIFYICONDATAA data = IconRecord(ticker_, id);
    data.uFlags = NIF_TIP | NIF_SHOWTIP;
    lstrcpynA(data.szTip, iconTip_.c_str(), sizeof data.szTip);
    Shell_NotifyIconA(NIM_MODIFY, &data);
  }
  tipToTell_ = false;
}

void Taskbar::FitTicker(int cells, int textWidth) {
  cells_ = cells;
  textWidth_ = textWidth;
  if (Shape() != size_) {
    Refit();
  }
}

void Taskbar::Refit() {
  if (ticker_ == nullptr) {
    return;
  }
  const Size size = Shape();
  // On a classic taskbar the blank icons make the room. The shell keeps
  // painting meanwhile: a frozen taskbar would stay frozen if we were killed.
  // While a look-alike stands in front the icons stay as they are, as new
  // ones would go to it, and so would the removal of ours; the taskbar is
  // raised over it, and a later poll makes the room.
  iconsBehind_ = windows_.blankIcons() && !IconsReachShell();
  int added = 0;
  if (iconsBehind_) {
    RaiseOverLookalike(false);
  } else if (windows_.blankIcons()) {
    // None are ours before the first fit: the ticker's window is new to this
    // shell, or an earlier Taskbar took its icons away.
    if (icons_ > 0) {
      RemoveBlankIcons();
    }
    icons_ = TickerLines(size, scale_) > 1
                 ? StackedBlankIconCount(ClientSize(windows_.tray).width, size, scale_)
                 : BlankIconCount(size);
    for (int id = 1; id <= icons_; ++id) {
      if (!IconsReachShell()) {  // a look-alike came meanwhile
        iconsBehind_ = true;
        RaiseOverLookalike(false);
        break;
      }
      NOTIFYICONDATAA data = IconRecord(ticker_, id);
      // Heard by a screen reader, and selected from the keyboard, each then
      // opens the ticker's menu.
      data.uFlags = NIF_MESSAGE | NIF_TIP | NIF_SHOWTIP;
      data.uCallbackMessage = kIconMessage;
      lstrcpynA(data.szTip, iconTip_.c_str(), sizeof data.szTip);
      Shell_NotifyIconA(NIM_ADD, &data);
      ++added;
      tipToTell_ = false;
    }
    Repaint(windows_.taskbar);
  }
  size_ = size;
  SetWindowPos(ticker_, nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER);
  if (!windows_.blankIcons()) {
    PlaceModern();
  } else if (atTopLeft_) {
    atTopLeft_ = false;  // stacked or not, its left changes
    PlaceTickerTopLeft();
  }
  // The keyboard's form of their notices after the fit, which need not wait
  // for a second call to the shell for each.
  for (int id = 1; id <= added; ++id) {
    if (!IconsReachShell()) {  // a look-alike came since the icons went in
      iconsBehind_ = true;
      RaiseOverLookalike(false);
      break;
    }
    NOTIFYICONDATAA data = IconRecord(ticker_, id);
    data.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconA(NIM_SETVERSION, &data);
  }
}

void Taskbar::PlaceTickerTopLeft() {
  if (!windows_.blankIcons()) {
    return PlaceModern();
  }
  if (atTopLeft_ || ticker_ == nullptr) {
    return;
  }
  atTopLeft_ = true;
  const Point place = TopLeftPlace(TickerLines(size_, scale_) > 1, scale_);
  MoveTicker(ticker_, place.x, place.y);
}

void Taskbar::PlaceTickerBesideClock() {
  if (!windows_.blankIcons()) {
    return PlaceModern();
  }
  atTopLeft_ = false;
  int clockWidth = 0;
  if (IsWindowVisible(windows_.clock)) {
    RECT clock{};
    GetWindowRect(windows_.clock, &clock);
    clockWidth = clock.right - clock.left;
  }
  // Asked only of a shell that answers at once; a hung one keeps the last answer.
  if (SendMessageTimeoutA(windows_.taskbar, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kShellPatience,
                          nullptr) != 0) {
    APPBARDATA data = TaskbarRecord(windows_.taskbar);
    autoHide_ = (SHAppBarMessage(ABM_GETSTATE, &data) & ABS_AUTOHIDE) != 0;
  }
  const int x = BesideClockX(ClientSize(windows_.tray).width, clockWidth, size_.width, autoHide_);
  MoveTicker(ticker_, x, scale_.Px(kBesideClockY));
}

Rect Taskbar::ModernTray() const {
  return RectIn(windows_.tray, windows_.taskbar);
}

Rect Taskbar::ModernStart() const {
  return RectIn(windows_.start, windows_.taskbar);
}

void Taskbar::PlaceModern() {
  if (windows_.secondary) {
    return PlaceSecondary(ReadSecondaryGeometry());
  }
  if (ticker_ == nullptr) {
    return;
  }
  lastTray_ = ModernTray();
  lastStart_ = ModernStart();
  const Point place = ModernTickerPlace(lastTray_, lastStart_, ClientSize(windows_.taskbar),
                                        OuterSize(ticker_), scale_.dpi);
  MoveOnTop(ticker_, place);
}

Taskbar::SecondaryGeometry Taskbar::ReadSecondaryGeometry() const {
  SecondaryGeometry geometry;
  geometry.bar = ClientSize(windows_.taskbar);
  const HWND clock = FindWindowExA(windows_.taskbar, nullptr, "ClockButton", nullptr);
  if (IsWindowVisible(clock)) {
    geometry.clock = RectIn(clock, windows_.taskbar);
  }
  // Windows 11's island draws the buttons and the clock.
  geometry.island = FindWindowExA(windows_.taskbar, nullptr, kIslandClass, nullptr) != nullptr;
  return geometry;
}

void Taskbar::PlaceSecondary(const SecondaryGeometry& geometry) {
  if (ticker_ == nullptr) {
    return;
  }
  lastSecondary_ = geometry;
  MoveOnTop(ticker_, SecondaryTickerPlace(geometry.bar, geometry.clock, geometry.island,
                                          OuterSize(ticker_), scale_.dpi));
}

Taskbar::Snapshot Taskbar::TakeSnapshot() const {
  Snapshot snapshot;
  HWND clock = windows_.clock;
  if (windows_.secondary) {
    clock = FindWindowExA(windows_.taskbar, nullptr, "ClockButton", nullptr);
    snapshot.island = FindWindowExA(windows_.taskbar, nullptr, kIslandClass, nullptr);
  }
  const HWND first = windows_.secondary ? windows_.taskbar : windows_.tray;
  snapshot.places = {ScreenRect(first), ScreenRect(windows_.start), ScreenRect(clock)};
  snapshot.clockStyle = clock != nullptr ? GetWindowLongA(clock, GWL_STYLE) & WS_VISIBLE : 0;
  snapshot.dpi = WindowDpi(windows_.taskbar);
  return snapshot;
}

void Taskbar::Poll() {
  if (ticker_ == nullptr) {
    return;
  }
  // Once a look-alike has gone, the room left as it was is made anew.
  if (iconsBehind_ && IconsReachShell()) {
    return Refit();
  }
  if (tipToTell_) {
    TellIconTip();
  }
  const Snapshot snapshot = TakeSnapshot();
  if (unchangedLastPoll_ && snapshot == snapshot_) {
    return;
  }
  snapshot_ = snapshot;
  unchangedLastPoll_ = true;
  if (snapshot.dpi != scale_.dpi) {
    // The owner fits the ticker anew at the new DPI, its font first.
    scale_ = ScaleAt(snapshot.dpi);
    unchangedLastPoll_ = false;
    return;
  }
  if (!windows_.blankIcons() && Shape() != size_) {
    return Refit();
  }
  if (windows_.secondary) {
    const SecondaryGeometry geometry = ReadSecondaryGeometry();
    if (geometry.bar != lastSecondary_.bar || geometry.clock != lastSecondary_.clock ||
        geometry.island != lastSecondary_.island) {
      PlaceSecondary(geometry);
    }
  } else if (windows_.modern()) {
    if (ModernTray() != lastTray_ || ModernStart() != lastStart_) {
      PlaceModern();
    }
  } else {
    PollClassic();
  }
}

void Taskbar::PollClassic() {
  TaskbarSeen now;
  now.edge = Edge();
  if (PollReadsTray(now.edge, last_.edge)) {
    now.tray = ClientSize(windows_.tray);
    const Rect clock =
        IsWindowVisible(windows_.clock) ? RectIn(windows_.clock, windows_.tray) : Rect{};
    now.rows = CountTrayRows(now.tray.height, clock, scale_);
  }
  const PollAction action = DecidePoll(last_, now);
  unchangedLastPoll_ = action == PollAction::kNothing && now.edge == last_.edge;
  if (action != PollAction::kFitBesideClock && Shape() != size_) {
    Refit();
  }
  switch (action) {
    case PollAction::kPlaceTopLeft:
      PlaceTickerTopLeft();
      break;
    case PollAction::kFitBesideClock:
      Refit();
      PlaceTickerBesideClock();
      break;
    case PollAction::kNothing:
      break;
  }
  last_ = now;
}

}  // namespace clep::win

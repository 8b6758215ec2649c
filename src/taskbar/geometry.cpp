#include "taskbar/geometry.h"

#include "platform/shell.h"
#include "settings/settings.h"
#include "taskbar/tray_windows.h"

namespace taskbar {

platform::WindowHandle TickerWindow = 0;
std::int32_t TickerHeight = 0;
std::int32_t TickerWidth = 0;
bool TickerAtTopLeft = false;
std::int32_t LastEdge = 0;
std::int32_t LastTrayWidth = 0;
std::int32_t LastTrayHeight = 0;

namespace {
constexpr std::uint32_t kRepaintAll =
    platform::kRedrawInvalidate | platform::kRedrawAllChildren | platform::kRedrawUpdateNow;
}  // namespace

TickerSize TickerSizeFor(std::int32_t captionHeight, std::int32_t cells) {
  const std::int32_t height = captionHeight - 5;
  return {cells * height, height};
}

std::int32_t BlankIconCount(std::int32_t cells) {
  return cells > 1 ? cells - 1 : 0;
}

std::int32_t BesideClockX(std::int32_t trayRight, std::int32_t clockWidth, std::int32_t tickerWidth,
                          bool autoHide) {
  return autoHide ? trayRight - clockWidth : trayRight - clockWidth - tickerWidth + 1;
}

std::int32_t TrayRowsFor(std::int32_t trayHeight, const platform::Rect& clockInTray,
                         std::int32_t captionHeight) {
  const std::int32_t clockHeight = clockInTray.top == 0 ? clockInTray.bottom : 0;
  const std::int32_t rowHeight = captionHeight - 3;
  // No real system has a caption this low; count no rows rather than divide
  // by zero.
  if (rowHeight <= 0) {
    return 0;
  }
  return (trayHeight - clockHeight) / rowHeight;
}

std::int32_t GetTaskbarEdge() {
  return platform::QueryTaskbarEdge(Tray.hWndTaskbar);
}

bool IsTaskbarAutoHide() {
  return (platform::QueryAppBarState(Tray.hWndTaskbar) & platform::kAppBarAutoHide) != 0;
}

void GetTrayClientSize(std::int32_t& width, std::int32_t& height) {
  const platform::Rect client = platform::ClientRect(Tray.hWndTray);
  width = client.right;
  height = client.bottom;
}

std::int32_t CountTrayRows() {
  const std::int32_t trayHeight = platform::ClientRect(Tray.hWndTray).bottom;
  platform::Rect clock;
  if (platform::IsWindowShown(Tray.hWndClock)) {
    const platform::Rect onScreen = platform::WindowRect(Tray.hWndClock);
    platform::Point corners[2] = {{onScreen.left, onScreen.top}, {onScreen.right, onScreen.bottom}};
    platform::MapPoints(platform::kNoWindow, Tray.hWndTray, corners, 2);
    clock = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  }
  return TrayRowsFor(trayHeight, clock, platform::CaptionHeight());
}

FrozenTaskbar::FrozenTaskbar() : taskbar_(Tray.hWndTaskbar) {
  platform::SetWindowRedraw(taskbar_, false);
}

FrozenTaskbar::~FrozenTaskbar() {
  platform::SetWindowRedraw(taskbar_, true);
  platform::RedrawWholeWindow(taskbar_, kRepaintAll);
}

void AddBlankIcons() {
  // An icon of no window could never be deleted again.
  if (TickerWindow == 0) {
    return;
  }
  const auto count = static_cast<std::uint32_t>(BlankIconCount(settings::TickerCells));
  for (std::uint32_t id = 1; id <= count; ++id) {
    platform::AddNotifyIcon(TickerWindow, id, platform::kIconMessage, platform::kMouseMoveMessage);
  }
}

void RemoveBlankIcons() {
  if (TickerWindow == 0) {
    return;
  }
  for (std::uint32_t id = 1; id <= kLastBlankIconId; ++id) {
    platform::DeleteNotifyIcon(TickerWindow, id);
  }
}

void FitTicker() {
  if (TickerWindow == 0) {
    return;
  }
  const FrozenTaskbar frozen;
  RemoveBlankIcons();
  AddBlankIcons();
  const TickerSize size = TickerSizeFor(platform::CaptionHeight(), settings::TickerCells);
  TickerHeight = size.height;
  TickerWidth = size.width;
  platform::PositionWindow(TickerWindow, platform::kNoWindow, 0, 0, TickerWidth, TickerHeight,
                           platform::kPosNoMove | platform::kPosNoZOrder);
}

void PlaceTickerTopLeft() {
  if (TickerAtTopLeft) {
    return;
  }
  TickerAtTopLeft = true;
  platform::PositionWindow(TickerWindow, platform::kNoWindow, kTopLeftPlace.x, kTopLeftPlace.y, 0,
                           0, platform::kPosNoSize | platform::kPosNoZOrder);
}

void PlaceTickerBesideClock() {
  TickerAtTopLeft = false;
  std::int32_t clockWidth = 0;
  if (platform::IsWindowShown(Tray.hWndClock)) {
    const platform::Rect clock = platform::WindowRect(Tray.hWndClock);
    clockWidth = clock.right - clock.left;
  }
  const std::int32_t trayRight = platform::ClientRect(Tray.hWndTray).right;
  const std::int32_t x = BesideClockX(trayRight, clockWidth, TickerWidth, IsTaskbarAutoHide());
  platform::PositionWindow(TickerWindow, platform::kNoWindow, x, kBesideClockY, 0, 0,
                           platform::kPosNoSize | platform::kPosNoZOrder);
}

}  // namespace taskbar

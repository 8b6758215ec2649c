#include "taskbar/placement.h"

#include <algorithm>

namespace clep {

namespace {
bool IsVertical(int edge) {
  return edge == kEdgeLeft || edge == kEdgeRight;
}
bool IsHorizontal(int edge) {
  return edge == kEdgeTop || edge == kEdgeBottom;
}
}  // namespace

int EdgeOnMonitor(const Rect& bar, const Rect& monitor) {
  if (bar.bottom - bar.top > bar.right - bar.left) {
    return bar.left - monitor.left <= monitor.right - bar.right ? kEdgeLeft : kEdgeRight;
  }
  return bar.top - monitor.top <= monitor.bottom - bar.bottom ? kEdgeTop : kEdgeBottom;
}

Size TickerSize(int captionHeight, int cells, int textWidth) {
  const int height = captionHeight - 5;
  const int edges = 2;
  return {std::max(cells * height, textWidth + edges), height};
}

int BlankIconCount(Size ticker) {
  // No real system has a caption this low.
  if (ticker.height <= 0) {
    return 0;
  }
  const int cells = (ticker.width + ticker.height - 1) / ticker.height;
  return cells > 1 ? cells - 1 : 0;
}

int BesideClockX(int trayRight, int clockWidth, int tickerWidth, bool autoHide) {
  return autoHide ? trayRight - clockWidth : trayRight - clockWidth - tickerWidth + 1;
}

int CountTrayRows(int trayHeight, const Rect& clockInTray, int captionHeight) {
  const int clockHeight = clockInTray.top == 0 ? clockInTray.bottom : 0;
  const int rowHeight = captionHeight - 3;
  // No real system has a caption this low; count no rows rather than divide
  // by zero.
  if (rowHeight <= 0) {
    return 0;
  }
  return (trayHeight - clockHeight) / rowHeight;
}

Point ModernTickerPlace(const Rect& tray, const Rect& start, Size taskbar, Size ticker, int dpi) {
  const bool trayEmpty = tray.right <= tray.left || tray.bottom <= tray.top;
  const int right = trayEmpty ? taskbar.width - 88 * dpi / 96 : tray.left;
  const bool hasStart = start.bottom > start.top;
  const int top = hasStart ? start.top : 0;
  const int height = hasStart ? start.bottom - start.top : taskbar.height;
  return {right - ticker.width, top + (height - ticker.height) / 2};
}

Point SecondaryTickerPlace(Size bar, const Rect& clock, bool island, Size ticker, int dpi) {
  if (island) {
    return ModernTickerPlace({}, {}, bar, ticker, dpi);
  }
  const bool hasClock = clock.right > clock.left && clock.bottom > clock.top;
  if (bar.height > bar.width) {
    const int end = hasClock ? clock.top : bar.height;
    return {(bar.width - ticker.width) / 2, end - kSecondaryGap - ticker.height};
  }
  const int end = hasClock ? clock.left : bar.width;
  return {end - kSecondaryGap - ticker.width, (bar.height - ticker.height) / 2};
}

bool WatchReadsTray(int edge, int lastEdge) {
  return IsHorizontal(edge) && edge == lastEdge;
}

WatchAction DecideWatch(const TaskbarSeen& last, const TaskbarSeen& now) {
  if (IsVertical(now.edge)) {
    return now.edge != last.edge ? WatchAction::kPlaceTopLeft : WatchAction::kNothing;
  }
  if (!IsHorizontal(now.edge)) {
    return WatchAction::kNothing;
  }
  if (now.edge != last.edge) {
    return WatchAction::kFitBesideClock;
  }
  if (now.rows != 1) {
    return WatchAction::kPlaceTopLeft;
  }
  const bool shrank = now.tray.height < last.tray.height || now.tray.width < last.tray.width;
  return shrank ? WatchAction::kFitBesideClock : WatchAction::kNothing;
}

}  // namespace clep

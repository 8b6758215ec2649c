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

int Scaled(int at96, int dpi) {
  const long long product = static_cast<long long>(at96) * dpi;
  return static_cast<int>((product + (product >= 0 ? kBaseDpi / 2 : -kBaseDpi / 2)) / kBaseDpi);
}

Point TopLeftPlace(bool stacked, const Scale& scale) {
  return {stacked ? scale.Px(kStackMargin) : scale.Px(kTopLeftX), scale.Px(kTopLeftY)};
}

int TextTop(int faceHeight, int textHeight) {
  return std::max(0, (faceHeight - textHeight) / 2);
}

Size TickerSize(const Scale& scale, int cells, int textWidth) {
  const int height = scale.caption - scale.Px(5);
  const int edges = 2;
  return {std::max(cells * height, textWidth + edges), height};
}

Size ShapeTicker(Size oneLine, int cells, bool vertical, int thickness, const Scale& scale) {
  if (!vertical || oneLine.width <= thickness) {
    return oneLine;
  }
  const int edges = 2;
  return {std::max(1, thickness - 2 * scale.Px(kStackMargin)), cells / 2 * oneLine.height + edges};
}

int TickerLines(Size ticker, const Scale& scale) {
  const int cell = TickerSize(scale, 0, 0).height;
  return cell > 0 ? std::max(1, ticker.height / cell) : 1;
}

int ShrunkFontHeight(int height, int width, int room) {
  return std::max(1, std::min(height - 1, height * room / std::max(1, width)));
}

int StackedBlankIconCount(int trayWidth, Size ticker, const Scale& scale) {
  const int slot = scale.caption - scale.Px(3);
  if (slot <= 0) {
    return 0;
  }
  const int rows = (scale.Px(kTopLeftY) + ticker.height + slot - 1) / slot;
  return std::max(1, trayWidth / slot) * rows;
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

int CountTrayRows(int trayHeight, const Rect& clockInTray, const Scale& scale) {
  const int clockHeight = clockInTray.top == 0 ? clockInTray.bottom : 0;
  const int rowHeight = scale.caption - scale.Px(3);
  // No real system has a caption this low; count no rows rather than divide
  // by zero.
  if (rowHeight <= 0) {
    return 0;
  }
  return (trayHeight - clockHeight) / rowHeight;
}

namespace {
Rect Flipped(const Rect& r) {
  return {r.top, r.left, r.bottom, r.right};
}
Size Flipped(Size s) {
  return {s.height, s.width};
}
}  // namespace

Point ModernTickerPlace(const Rect& tray, const Rect& start, Size taskbar, Size ticker, int dpi) {
  if (taskbar.height > taskbar.width) {
    const Point along =
        ModernTickerPlace(Flipped(tray), Flipped(start), Flipped(taskbar), Flipped(ticker), dpi);
    return {along.y, along.x};
  }
  const bool trayEmpty = tray.right <= tray.left || tray.bottom <= tray.top;
  const int right = trayEmpty ? taskbar.width - Scaled(88, dpi) : tray.left;
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
    return {(bar.width - ticker.width) / 2, end - Scaled(kSecondaryGap, dpi) - ticker.height};
  }
  const int end = hasClock ? clock.left : bar.width;
  return {end - Scaled(kSecondaryGap, dpi) - ticker.width, (bar.height - ticker.height) / 2};
}

bool PollReadsTray(int edge, int lastEdge) {
  return IsHorizontal(edge) && edge == lastEdge;
}

PollAction DecidePoll(const TaskbarSeen& last, const TaskbarSeen& now) {
  if (IsVertical(now.edge)) {
    return now.edge != last.edge ? PollAction::kPlaceTopLeft : PollAction::kNothing;
  }
  if (!IsHorizontal(now.edge)) {
    return PollAction::kNothing;
  }
  if (now.edge != last.edge) {
    return PollAction::kFitBesideClock;
  }
  if (now.rows != 1) {
    return PollAction::kPlaceTopLeft;
  }
  const bool shrank = now.tray.height < last.tray.height || now.tray.width < last.tray.width;
  return shrank ? PollAction::kFitBesideClock : PollAction::kNothing;
}

}  // namespace clep

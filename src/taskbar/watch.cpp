#include "taskbar/watch.h"

#include "platform/shell.h"
#include "taskbar/geometry.h"

namespace taskbar {

WatchAction EdgeDecision(std::int32_t edge, std::int32_t lastEdge) {
  switch (edge) {
    case platform::kEdgeLeft:
    case platform::kEdgeRight:
      return edge != lastEdge ? WatchAction::kPlaceTopLeft : WatchAction::kNothing;
    case platform::kEdgeTop:
    case platform::kEdgeBottom:
      return edge != lastEdge ? WatchAction::kFitBesideClock : WatchAction::kReadTray;
    default:
      return WatchAction::kNothing;
  }
}

WatchAction TrayDecision(std::int32_t rows, std::int32_t width, std::int32_t height,
                         std::int32_t lastWidth, std::int32_t lastHeight) {
  if (rows != 1) {
    return WatchAction::kPlaceTopLeft;
  }
  return height < lastHeight || width < lastWidth ? WatchAction::kFitBesideClock
                                                  : WatchAction::kNothing;
}

void CheckTaskbar() {
  const std::int32_t edge = GetTaskbarEdge();
  std::int32_t width = 0;
  std::int32_t height = 0;
  WatchAction action = EdgeDecision(edge, LastEdge);
  if (action == WatchAction::kReadTray) {
    GetTrayClientSize(width, height);
    action = TrayDecision(CountTrayRows(), width, height, LastTrayWidth, LastTrayHeight);
  }
  switch (action) {
    case WatchAction::kPlaceTopLeft:
      PlaceTickerTopLeft();
      break;
    case WatchAction::kFitBesideClock:
      FitTicker();
      PlaceTickerBesideClock();
      break;
    case WatchAction::kNothing:
    case WatchAction::kReadTray:
      break;
  }
  LastEdge = edge;
  LastTrayHeight = height;
  LastTrayWidth = width;
}

}  // namespace taskbar

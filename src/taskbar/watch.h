// The taskbar watch: four times a second the form's check timer looks at the
// taskbar's edge and the tray's size, and moves or refits the ticker when the
// shell has changed them.
#pragma once

#include <cstdint>

namespace taskbar {

enum class WatchAction {
  kNothing,
  kPlaceTopLeft,
  kFitBesideClock,  // FitTicker, then PlaceTickerBesideClock
  kReadTray,        // same horizontal edge: the tray's size decides
};

// The decision from the edge alone.
WatchAction EdgeDecision(std::int32_t edge, std::int32_t lastEdge);

// The decision on an unchanged horizontal edge. Only a shrink of a one-row
// tray refits; any other row count puts the ticker at the top-left place.
WatchAction TrayDecision(std::int32_t rows, std::int32_t width, std::int32_t height,
                         std::int32_t lastWidth, std::int32_t lastHeight);

// One tick of the watch; stores the edge and the tray size it read (0 x 0
// when it did not read it) in LastEdge, LastTrayWidth and LastTrayHeight.
void CheckTaskbar();

}  // namespace taskbar

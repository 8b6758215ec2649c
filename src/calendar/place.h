// Where a window opened from a ticker goes: beside the ticker's bar, on the
// ticker's monitor. Positions are on the screen.
#pragma once

#include "taskbar/placement.h"

namespace clep {

// Above a bar at the bottom, below one at the top, beside one at the left or
// right (a bar taller than wide), centred on the ticker along the bar, a gap
// away from the bar, and moved wholly inside the monitor.
Rect CalendarPlace(const Rect& ticker, const Rect& bar, const Rect& monitor, Size popup, int gap);

}  // namespace clep

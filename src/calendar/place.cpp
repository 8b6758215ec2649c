#include "calendar/place.h"

#include <algorithm>

namespace clep {

namespace {

// Start and end of the popup along one axis, centred on the ticker and kept on
// the monitor; the monitor's start wins over its end for a popup too long.
int Centred(int tickerStart, int tickerEnd, int length, int monitorStart, int monitorEnd) {
  const int start = (tickerStart + tickerEnd - length) / 2;
  return std::max(monitorStart, std::min(start, monitorEnd - length));
}

}  // namespace

Rect CalendarPlace(const Rect& ticker, const Rect& bar, const Rect& monitor, Size popup, int gap) {
  Rect place;
  if (bar.right - bar.left >= bar.bottom - bar.top) {
    // Toward the monitor's larger part: a bar at the top opens downward.
    const bool atTop = bar.top - monitor.top < monitor.bottom - bar.bottom;
    place.left = Centred(ticker.left, ticker.right, popup.width, monitor.left, monitor.right);
    place.top = atTop ? bar.bottom + gap : bar.top - gap - popup.height;
    place.top = std::max(monitor.top, std::min(place.top, monitor.bottom - popup.height));
  } else {
    const bool atLeft = bar.left - monitor.left < monitor.right - bar.right;
    place.top = Centred(ticker.top, ticker.bottom, popup.height, monitor.top, monitor.bottom);
    place.left = atLeft ? bar.right + gap : bar.left - gap - popup.width;
    place.left = std::max(monitor.left, std::min(place.left, monitor.right - popup.width));
  }
  place.right = place.left + popup.width;
  place.bottom = place.top + popup.height;
  return place;
}

}  // namespace clep

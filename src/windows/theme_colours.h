// What the program sees of the theme around it: the theme values, high
// contrast and the system's colours, and the taskbar's colour beside a ticker,
// read from the screen as the user sees it (accent, transparency, wallpaper).
#pragma once

#include <windows.h>

#include <cstdint>

#include "taskbar/colours.h"

namespace clep::win {

// A colour of the settings as Windows draws it: a system colour is looked
// up at each use, so a change of theme shows.
COLORREF ToColorRef(std::int32_t colour);
ThemeSeen ReadTheme();
ChosenColours ChosenColoursOf(const ClockSettings& settings);

// The median of the pixels just outside the ticker that belong to `bar` on
// the screen; none when nothing of the bar shows there (hidden, covered).
std::optional<Rgb> ReadBarColour(HWND bar, HWND ticker);

}  // namespace clep::win

// Putting the ticker into the notification area and taking it out again.
#pragma once

namespace taskbar {

// True from EmbedTicker until RestoreTaskbar.
extern bool TickerEmbedded;

// Makes the ticker window a child of the notification area.
void EmbedTicker();

// Takes the ticker window out of the taskbar, removes the blank icons with
// the taskbar's painting frozen, and repaints the taskbar. Does nothing when
// the ticker is not embedded, so every way out may call it.
void RestoreTaskbar();

}  // namespace taskbar

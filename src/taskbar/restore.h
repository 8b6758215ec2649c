// Putting the ticker into the notification area, taking it out again, and
// following the shell when it ends and starts again.
#pragma once

namespace taskbar {

// True from EmbedTicker until RestoreTaskbar or ForgetShell.
extern bool TickerEmbedded;

// Makes the ticker window a child of the notification area.
void EmbedTicker();

// Takes the ticker window out of the taskbar, removes the blank icons with
// the taskbar's painting frozen, and repaints the taskbar. Does nothing when
// the ticker is not embedded, so every way out may call it; one that failed
// half-way may be called again.
void RestoreTaskbar();

// The shell ended and destroyed the ticker window with its own: forgets both,
// so that nothing acts on a stale handle until AttachTicker.
void ForgetShell();

// Sets the ticker window into the notification area found last, as start-up
// does: takes the edge and the tray size afresh for the watch, embeds the
// window, moves it to the top-left place and fits it with new blank icons.
void AttachTicker();

}  // namespace taskbar

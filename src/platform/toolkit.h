// The form toolkit: one form with a drawing surface, two timers, a popup
// menu, message boxes, the common colour and font dialogs, and the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/window.h"

namespace platform {

// What the form is made of, fixed when it is designed.
struct MenuItemDesign {
  const char* caption;  // "-" is a separator
};

struct FormDesign {
  const char* surfaceFontName;   // initial face of the drawing surface
  float surfaceFontSize;         // initial size, points
  std::uint32_t tickerInterval;  // ms; both timers start enabled
  std::uint32_t checkInterval;   // ms
  const MenuItemDesign* menu;    // the popup's items, top to bottom
  std::size_t menuCount;
};

enum class Timer { kTicker, kCheck };

// Colours are 0x00BBGGRR, or 0x80000000 + index for a system colour.
using Colour = std::int32_t;

// Mouse buttons of the surface's events.
inline constexpr std::int16_t kLeftButton = 1;
inline constexpr std::int16_t kRightButton = 2;
inline constexpr std::int16_t kMiddleButton = 4;

// Window long indexes and the style bits the program changes.
inline constexpr std::int32_t kStyleIndex = -16;
inline constexpr std::int32_t kExStyleIndex = -20;
inline constexpr std::uint32_t kStyleBorder = 0x00800000;
inline constexpr std::uint32_t kExStyleStaticEdge = 0x00020000;

// --- The form ------------------------------------------------------------
// Creates the form's window hidden, with its surface, timers and menu, then
// runs Form_Load. Returns the form's window.
WindowHandle LoadForm(const FormDesign& design);
// Shows the form and runs the message loop until the form is hidden, even
// while the form has lost its window. An exception thrown by an event handler
// ends the loop and leaves through here.
void ShowFormModal();
void HideForm();
// Destroys the form's window; its timers stop.
void UnloadForm();
// The form's window; 0 while it is lost (Form_WindowLost).
WindowHandle FormWindow();
// After the window was lost: builds it anew, hidden and top-level, with what
// the form had (surface text, colours, font and tooltip, menu, enabled
// timers, window longs), and returns it. A form that has its window keeps it.
// The modal show shows the new window once the event that asked ends.
WindowHandle RebuildFormWindow();
// The form's client size, for Form_Resize.
Rect FormClientRect();
std::int32_t GetWindowLongValue(WindowHandle window, std::int32_t index);
void SetWindowLongValue(WindowHandle window, std::int32_t index, std::int32_t value);
// Tells the window its frame changed (SWP_FRAMECHANGED), so a new edge shows.
void RefreshFrame(WindowHandle window);

// --- The drawing surface (picTicker) ---------------------------------------
void MoveSurface(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
// Fills the surface with its background and puts the print position top-left.
void SurfaceClear();
// Draws text at the print position. The surface repaints it by itself until
// the next clear; its window text is the last printed text.
void SurfacePrint(const std::string& text);
void SetSurfaceForeColour(Colour colour);
// Repaints the whole surface in the new background.
void SetSurfaceBackColour(Colour colour);
// An empty name keeps the current face.
void SetSurfaceFontName(const std::string& name);
void SetSurfaceFontSize(float points);
void SetSurfaceFontBold(bool bold);
void SetSurfaceFontItalic(bool italic);
// The empty text removes the tooltip.
void SetSurfaceToolTip(const std::string& text);
void SetSurfaceDefaultPointer();
// Repaints the surface at once.
void RefreshSurface();

// --- Timers and menu ---------------------------------------------------------
void EnableTimer(Timer timer, bool enabled);
void SetMenuChecked(std::size_t item, bool checked);
void SetMenuCaption(std::size_t item, const std::string& caption);
// Shows the menu at the pointer, left-aligned, choosable with either button,
// with defaultItem in bold. The chosen item's Menu_Click has run when this
// returns.
void PopupMenu(std::size_t defaultItem);

// --- Dialogs -------------------------------------------------------------------
inline constexpr std::uint32_t kIconExclamation = 48;
inline constexpr std::uint32_t kIconInformation = 64;
// A modal message box; returns the button that closed it.
std::int32_t ShowMessageBox(const std::string& text, std::uint32_t style, const std::string& title);

// The common dialog control's properties. After Cancel they keep the values
// they had before the dialog was shown.
struct CommonDialog {
  std::uint32_t Flags = 0;
  Colour Color = 0;
  std::string FontName;
  float FontSize = 0;
  bool FontBold = false;
  bool FontItalic = false;
};
void ShowColor(CommonDialog& dialog);
void ShowFont(CommonDialog& dialog);

// --- The process -----------------------------------------------------------------
// True when another instance of the program runs (this one then must end).
bool PreviousInstance();
// The folder of the exe, without a trailing separator.
std::string ExeFolder();
struct Version {
  std::int32_t major = 0;
  std::int32_t minor = 0;
  std::int32_t revision = 0;
};
// The exe's own version resource.
Version ExeVersion();
// Starts a command line with a window-show style; false when it cannot.
bool StartCommand(const std::string& commandLine, std::int32_t show);
// ShellExecuteA(owner, operation, file, parameters, directory, show) with the
// desktop window as owner; its result (> 32 on success).
std::intptr_t ShellExecuteOpen(const std::string& operation, const std::string& file,
                               const std::string& parameters, const std::string& directory,
                               std::int32_t show);

}  // namespace platform

// The demo taskbar's parts, one file each: layout.cpp lays the bars out,
// icons.cpp answers the program's icons and appbar queries, paint.cpp draws,
// commands.cpp takes the driver's commands and writes the log and the state
// file, shell.cpp makes the windows and runs them. What they share is here.
#pragma once

#include <windows.h>
// After windows.h, which they need.
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "shell.h"

namespace demo_taskbar {

// Our own taskbar's measures at 100 %, scaled to each bar's DPI. One row of
// icons fits a tray of 16..31 pixels, and the clock does not start at the
// tray's top, so the program counts rows from the tray's height alone.
constexpr int kSlot = 20;
constexpr int kTrayPad = 2;
constexpr int kClockWidth = 44;
constexpr int kClockHeight = 20;
constexpr int kStartWidth = 56;
// Windows 11: icons go to an overflow flyout, so the tray keeps its width.
constexpr int kWin11TrayWidth = 88;
constexpr int kWin11ButtonSize = 40;
constexpr COLORREF kIslandColour = RGB(0x20, 0x40, 0x80);
constexpr wchar_t kIslandClass[] = L"Windows.UI.Composition.DesktopWindowContentBridge";
// The look-alike: a status strip at the screen's top, one for each monitor.
constexpr int kLookalikeWidth = 300;
constexpr int kLookalikeHeight = 24;
constexpr COLORREF kLookalikeColour = RGB(0x30, 0x70, 0x50);
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT_PTR kClockTimer = 2;

struct Icon {
  HWND owner;
  UINT id;
  UINT flags;
  UINT message;
  std::wstring tip;  // as a screen reader would read the icon
  UINT version = 0;  // NIM_SETVERSION's; 4 sends keyboard selects as NIN_KEYSELECT
};

inline Options options;
inline HINSTANCE instance = nullptr;
inline HWND taskbar = nullptr;
inline HWND tray = nullptr;
inline HWND trayClock = nullptr;
inline HWND startButton = nullptr;  // Windows 11 layout only
inline HWND island = nullptr;       // Windows 11 layout only
inline UINT emptyStarted = 0;       // the start-up probe's message
inline HWND appbar = nullptr;
// Another monitor's bar, "Shell_SecondaryTrayWnd", on a band of the screen of
// its own above the primary bar: no notification area, a "ClockButton" at its
// end (classic) or an island that draws everything (Windows 11).
struct SecondaryBar {
  HWND window = nullptr;  // none while removed
  HWND clock = nullptr;
  HWND island = nullptr;
  int edge = ABE_BOTTOM;
  int thickness = 40;
  int dpi = 96;
  bool clockShown = true;
  std::string layoutKey;
  std::string childrenKey;
};
inline std::vector<SecondaryBar> secondaries;  // bar N is secondaries[N - 1]
inline HWND host = nullptr;                    // owns the timers
inline HWND shellWindow = nullptr;             // "Progman", what GetShellWindow returns
inline int edge = ABE_BOTTOM;
inline int thickness = 30;  // at 100 %
inline int dpi = 96;        // the primary bar's
inline int systemDpi = 96;
inline int extraWidth = 0;
inline bool autoHide = false;
inline bool clockShown = true;
inline std::vector<Icon> icons;
inline std::string layoutKey;
inline std::string childrenKey;
inline std::string barKey;
inline std::string childrenState;
inline std::vector<HWND> dialogsSeen;
inline std::vector<HWND> straysSeen;
inline int lastMinute = -1;

inline HANDLE eventsFile = INVALID_HANDLE_VALUE;
inline HANDLE commandsFile = INVALID_HANDLE_VALUE;
inline LONGLONG commandsRead = 0;
inline std::string pendingCommands;
inline std::string lastSeq = "0";
inline bool inCommand = false;

inline long paintsTaskbar = 0;
inline long paintsTray = 0;
inline long paintsClock = 0;
inline long redrawOff = 0;
inline long redrawOn = 0;
inline long appbarStateQueries = 0;
inline long appbarPosQueries = 0;

// commands.cpp: text, the log and the state file, and the driver's commands.
std::string Hex(std::uintptr_t value);
std::string Hex(HWND window);
std::string Num(long long value);
std::string TextOf(HWND window);
std::string ClassOf(HWND window);
std::string RectText(const RECT& rect);
RECT RectInParent(HWND window, HWND parent);
void Log(const std::string& line);
void WriteState();
std::string DescribeChildren();
void ReadCommands();
void WatchChildren();
BOOL CALLBACK NoteDialog(HWND window, LPARAM);
int IntArg(const std::string& text);
const char* ModeName();
std::string PathOf(const char* name);
// A process's creation and the present in FILETIME units, and the present on
// this log's clock (GetTickCount64): together, the process's start on that
// clock. All zero when the process cannot be read.
struct ProcessAge {
  long long created = 0;
  long long now = 0;
  long long tick = 0;
};
ProcessAge AgeOf(DWORD pid);

inline int Scaled(int size, int barDpi) {
  return MulDiv(size, barDpi, 96);
}

// shell.cpp: the windows, also made anew (a restarted shell) in the layout asked for.
bool Build();
void TearDown();
bool Rebuild(bool win11);

// layout.cpp
RECT TaskbarRect();
void Layout();
// From 1, growing the list as needed; unheard, no notice of it is sent.
void CreateSecondary(std::size_t number, bool unheard = false);
void RemoveSecondary(std::size_t number);
// The bar's number, from 1; 0 for none of them.
std::size_t SecondaryNumber(HWND window);
// Bar N's DPI at start: its CLEP_SHELL_SCALES percent, or the system's.
int StartDpi(std::size_t number);
// The DPI of the bar the window is in (the system's for none).
int BarDpi(HWND window);
// Wine gives every monitor one DPI: the program reads each bar's from this property.
void SetBarDpi(HWND bar, int barDpi);

// icons.cpp
LRESULT OnNotifyIcon(const COPYDATASTRUCT& data);
LRESULT OnAppBar(const COPYDATASTRUCT& data);

// paint.cpp
// The theme as Windows 10 and 11 keep it (HKCU\...\Themes\Personalize): none
// paints the classic bars; dark, light or the accent colour (HKCU\...\DWM
// AccentColor) paints every bar flat in it.
void ReadTheme();
// Writes the theme's values ("classic" removes them); false for no such theme.
bool WriteTheme(const std::string& theme);
void RepaintBars();
void PaintTaskbar(HWND window);
void PaintIsland(HWND window);
void PaintTray(HWND window);
void PaintClock(HWND window);
void PaintSecondary(HWND window);
void PaintClockButton(HWND window);
// The bar's clock's font at that DPI, and its height in pixels (tmHeight).
HFONT LabelFont(int barDpi);
int ClockTextHeight(int barDpi);

}  // namespace demo_taskbar

#include "shell.h"

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

namespace demo_taskbar {
namespace {

// Our own taskbar's measures. One row of icons fits a tray of 16..31 pixels,
// and the clock does not start at the tray's top, so the program counts rows
// from the tray's height alone.
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
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT_PTR kClockTimer = 2;

struct Icon {
  HWND owner;
  UINT id;
  UINT flags;
  UINT message;
};

// Wine's shell32 hands appbar queries to the "WineAppBar" window in this
// form and reads the answer from the caller's shared memory.
struct AppBarData {
  ULONG hWnd;
  UINT uCallbackMessage;
  UINT uEdge;
  RECT rc;
  ULONGLONG lParam;
};
struct AppBarCommand {
  ULONG returnMap;
  DWORD returnProcess;
  AppBarData abd;
};
struct AppBarResponse {
  ULONGLONG result;
  AppBarData abd;
};
static_assert(sizeof(AppBarCommand) == 48 && sizeof(AppBarResponse) == 48, "Wine's appbar records");

// Wine's record of Shell_NotifyIcon starts with these four fields.
constexpr DWORD kNotifyHeader = 16;

Options options;
HINSTANCE instance = nullptr;
HWND taskbar = nullptr;
HWND tray = nullptr;
HWND trayClock = nullptr;
HWND startButton = nullptr;  // Windows 11 layout only
HWND island = nullptr;       // Windows 11 layout only
UINT emptyStarted = 0;       // the start-up probe's message
HWND appbar = nullptr;
HWND host = nullptr;  // owns the timers
int edge = ABE_BOTTOM;
int thickness = 30;
int extraWidth = 0;
bool autoHide = false;
bool clockShown = true;
std::vector<Icon> icons;
std::string layoutKey;
std::string childrenKey;
std::string barKey;
std::string childrenState;
std::vector<HWND> dialogsSeen;
std::vector<HWND> straysSeen;
int lastMinute = -1;

HANDLE eventsFile = INVALID_HANDLE_VALUE;
HANDLE commandsFile = INVALID_HANDLE_VALUE;
LONGLONG commandsRead = 0;
std::string pendingCommands;
std::string lastSeq = "0";
bool inCommand = false;

long paintsTaskbar = 0;
long paintsTray = 0;
long paintsClock = 0;
long redrawOff = 0;
long redrawOn = 0;
long appbarStateQueries = 0;
long appbarPosQueries = 0;

std::string Hex(std::uintptr_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}
std::string Hex(HWND window) {
  return Hex(reinterpret_cast<std::uintptr_t>(window));
}
std::string Num(long long value) {
  return std::to_string(value);
}

// UTF-8, with the characters that would break a line or a field escaped.
std::string Escape(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    if (c == L'\\') {
      out += "\\\\";
    } else if (c == L'\n') {
      out += "\\n";
    } else if (c == L'\r') {
      out += "\\r";
    } else if (c == L'\t') {
      out += "\\t";
    } else if (c < 0x20) {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02x", static_cast<unsigned>(c));
      out += code;
    } else {
      char bytes[8];
      const int n = WideCharToMultiByte(CP_UTF8, 0, &c, 1, bytes, sizeof bytes, nullptr, nullptr);
      out.append(bytes, static_cast<std::size_t>(n > 0 ? n : 0));
    }
  }
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  std::wstring out(text.size() + 1, L'\0');
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                    out.data(), static_cast<int>(out.size()));
  out.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  return out;
}

// Reads the text the window keeps, without sending it a message: the window
// may belong to a thread that is busy or to another process.
std::string TextOf(HWND window) {
  wchar_t text[1024] = {};
  InternalGetWindowText(window, text, 1024);
  return Escape(text);
}

std::string ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return Escape(name);
}

std::string RectText(const RECT& rect) {
  return Num(rect.left) + " " + Num(rect.top) + " " + Num(rect.right - rect.left) + " " +
         Num(rect.bottom - rect.top);
}

// The window's outer rectangle in its parent's client coordinates.
RECT RectInParent(HWND window, HWND parent) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void WriteAll(HANDLE file, const std::string& text) {
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void Log(const std::string& line) {
  if (eventsFile == INVALID_HANDLE_VALUE) {
    return;
  }
  WriteAll(eventsFile, Num(static_cast<long long>(GetTickCount64())) + "\t" + line + "\n");
}

std::string PathOf(const char* name) {
  return options.dir + "\\" + name;
}

// Written whole and renamed into place, so the driver never reads half of it.
void WriteFileAtomically(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".tmp";
  HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Log("error cannot-write path=" + temporary);
    return;
  }
  WriteAll(file, text);
  CloseHandle(file);
  MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

const char* ModeName() {
  switch (options.mode) {
    case Mode::kFull:
      return "full";
    case Mode::kNoTray:
      return "no-tray";
    case Mode::kNoClock:
      return "no-clock";
    case Mode::kProbeOnly:
      return "probe";
  }
  return "?";
}

// The windows that others have parented into the notification area, and
// their own children (the program's drawing surface), as key=value lines.
std::string DescribeWindow(HWND window, HWND parent, const std::string& key) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  std::string out;
  out += key + "=" + Hex(window) + "\n";
  out += key + ".class=" + ClassOf(window) + "\n";
  out += key + ".rect=" + RectText(RectInParent(window, parent)) + "\n";
  out += key + ".style=" + Hex(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE))) + "\n";
  out += key + ".exstyle=" + Hex(static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE))) + "\n";
  out += key + ".visible=" + Num(IsWindowVisible(window) ? 1 : 0) + "\n";
  out += key + ".pid=" + Num(pid) + "\n";
  out += key + ".text=" + TextOf(window) + "\n";
  return out;
}

// Lists the children of parent (z-order, top first) under key.N, with their
// own children (the program's drawing surface) as key.N.M.
std::string DescribeChildren(HWND parent, const std::string& key, HWND skip) {
  if (parent == nullptr) {
    return key + ".count=0\n";
  }
  std::string out;
  int count = 0;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (child == skip) {
      continue;
    }
    const std::string name = key + "." + Num(count++);
    out += DescribeWindow(child, parent, name);
    int inner = 0;
    for (HWND grandchild = GetWindow(child, GW_CHILD); grandchild != nullptr;
         grandchild = GetWindow(grandchild, GW_HWNDNEXT)) {
      out += DescribeWindow(grandchild, child, name + "." + Num(inner++));
    }
    out += name + ".children=" + Num(inner) + "\n";
  }
  return key + ".count=" + Num(count) + "\n" + out;
}

// The tray's guests ("child", the clock left out) and the bar's direct
// children ("bar", where the Windows 11 layout puts the ticker).
std::string DescribeChildren() {
  return DescribeChildren(tray, "child", trayClock) + DescribeChildren(taskbar, "bar", nullptr);
}

void WriteState() {
  std::string s;
  s += "ready=1\n";
  s += std::string("mode=") + ModeName() + "\n";
  s += "pid=" + Num(GetCurrentProcessId()) + "\n";
  s += "seq=" + lastSeq + "\n";
  s += "taskbar=" + Hex(taskbar) + "\n";
  s += "tray=" + Hex(tray) + "\n";
  s += "clock=" + Hex(trayClock) + "\n";
  s += "appbar=" + Hex(appbar) + "\n";
  s += "screen=" + Num(GetSystemMetrics(SM_CXSCREEN)) + " " + Num(GetSystemMetrics(SM_CYSCREEN)) +
       "\n";
  s += "caption=" + Num(GetSystemMetrics(SM_CYCAPTION)) + "\n";
  s += std::string("layout=") + (options.win11 ? "win11" : "classic") + "\n";
  s += "edge=" + Num(edge) + "\n";
  s += "thickness=" + Num(thickness) + "\n";
  s += "autohide=" + Num(autoHide ? 1 : 0) + "\n";
  s += "clock_shown=" + Num(clockShown ? 1 : 0) + "\n";
  s += "extra=" + Num(extraWidth) + "\n";
  if (taskbar != nullptr) {
    RECT rect{};
    GetWindowRect(taskbar, &rect);
    s += "taskbar_rect=" + RectText(rect) + "\n";
    GetClientRect(taskbar, &rect);
    s += "taskbar_client=" + Num(rect.right) + " " + Num(rect.bottom) + "\n";
  }
  if (tray != nullptr) {
    RECT rect{};
    GetClientRect(tray, &rect);
    POINT origin{0, 0};
    ClientToScreen(tray, &origin);
    s += "tray_client=" + Num(rect.right) + " " + Num(rect.bottom) + "\n";
    s += "tray_origin=" + Num(origin.x) + " " + Num(origin.y) + "\n";
  }
  if (trayClock != nullptr) {
    s += "clock_rect=" + RectText(RectInParent(trayClock, tray)) + "\n";
  }
  s += "icons=" + Num(static_cast<long long>(icons.size())) + "\n";
  for (std::size_t i = 0; i < icons.size(); ++i) {
    s += "icon." + Num(static_cast<long long>(i)) + "=" + Hex(icons[i].owner) + " " +
         Num(icons[i].id) + " " + Hex(icons[i].flags) + " " + Hex(icons[i].message) + "\n";
  }
  s += childrenState;
  s += "paint.taskbar=" + Num(paintsTaskbar) + "\n";
  s += "paint.tray=" + Num(paintsTray) + "\n";
  s += "paint.clock=" + Num(paintsClock) + "\n";
  s += "redraw.off=" + Num(redrawOff) + "\n";
  s += "redraw.on=" + Num(redrawOn) + "\n";
  s += "appbar.getstate=" + Num(appbarStateQueries) + "\n";
  s += "appbar.getpos=" + Num(appbarPosQueries) + "\n";
  WriteFileAtomically(PathOf("state.txt"), s);
}

RECT TaskbarRect() {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  switch (edge) {
    case ABE_LEFT:
      return {0, 0, thickness, height};
    case ABE_TOP:
      return {0, 0, width, thickness};
    case ABE_RIGHT:
      return {width - thickness, 0, width, height};
    default:
      return {0, height - thickness, width, height};
  }
}

// Lays out the bar on its edge, the tray at its end with a slot per icon, and
// the clock at the tray's end, as a shell does after every change.
void Layout() {
  if (taskbar == nullptr) {
    return;
  }
  const RECT bar = TaskbarRect();
  const int barWidth = bar.right - bar.left;
  const int barHeight = bar.bottom - bar.top;
  const int iconCount = static_cast<int>(icons.size());
  const bool horizontal = edge == ABE_TOP || edge == ABE_BOTTOM;
  const int clockWidth = clockShown && trayClock != nullptr ? kClockWidth : 0;
  RECT trayRect{};
  RECT clockRect{};
  if (horizontal) {
    const int trayHeight = barHeight - 4;
    const int trayWidth = kTrayPad + extraWidth + iconCount * kSlot + clockWidth;
    trayRect = {barWidth - trayWidth - 2, 2, barWidth - 2, 2 + trayHeight};
    const int top = (trayHeight - kClockHeight) / 2;
    clockRect = {trayWidth - kClockWidth, top, trayWidth, top + kClockHeight};
  } else {
    const int trayWidth = barWidth - 4;
    const int perRow = trayWidth > kTrayPad + kSlot ? (trayWidth - kTrayPad) / kSlot : 1;
    const int rows = (iconCount + perRow - 1) / perRow;
    const int clockHeight = clockShown && trayClock != nullptr ? kClockHeight : 0;
    const int trayHeight = kTrayPad + extraWidth + rows * kSlot + clockHeight + 2;
    trayRect = {2, barHeight - trayHeight - 2, 2 + trayWidth, barHeight - 2};
    clockRect = {0, trayHeight - kClockHeight - 2, trayWidth, trayHeight - 2};
  }
  if (options.win11) {
    trayRect = {barWidth - kWin11TrayWidth - extraWidth, 0, barWidth, barHeight};
    trayRect.left = std::min(trayRect.left, trayRect.right);
    const int left = (barWidth - kWin11ButtonSize) / 2;
    const int top = (barHeight - kWin11ButtonSize) / 2;
    SetWindowPos(startButton, nullptr, left, top, kWin11ButtonSize, kWin11ButtonSize,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(island, nullptr, 0, 0, barWidth, barHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const std::string key = RectText(bar) + "|" + RectText(trayRect) + "|" + RectText(clockRect);
  SetWindowPos(taskbar, HWND_TOPMOST, bar.left, bar.top, barWidth, barHeight, SWP_NOACTIVATE);
  if (tray != nullptr) {
    SetWindowPos(tray, nullptr, trayRect.left, trayRect.top, trayRect.right - trayRect.left,
                 trayRect.bottom - trayRect.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (trayClock != nullptr) {
    SetWindowPos(trayClock, nullptr, clockRect.left, clockRect.top,
                 clockRect.right - clockRect.left, clockRect.bottom - clockRect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(trayClock, clockShown ? SW_SHOWNA : SW_HIDE);
  }
  if (key != layoutKey) {
    layoutKey = key;
    Log("layout edge=" + Num(edge) + " bar=" + RectText(bar) + " tray=" + RectText(trayRect) +
        " clock=" + RectText(clockRect));
  }
}

bool InsideTray(HWND window) {
  return tray != nullptr && GetAncestor(window, GA_PARENT) == tray;
}

// Shell_NotifyIcon arrives as WM_COPYDATA; the return value is its result.
LRESULT OnNotifyIcon(const COPYDATASTRUCT& data) {
  if (data.lpData == nullptr || data.cbData < kNotifyHeader) {
    Log("icon bad-size cb=" + Num(data.cbData));
    return FALSE;
  }
  LONG owner32 = 0;
  UINT fields[3] = {};
  std::memcpy(&owner32, data.lpData, sizeof owner32);
  std::memcpy(fields, static_cast<const char*>(data.lpData) + 4, sizeof fields);
  const HWND owner = static_cast<HWND>(LongToHandle(owner32));
  const UINT id = fields[0];
  const UINT flags = fields[1];
  const UINT message = fields[2];
  std::size_t found = icons.size();
  for (std::size_t i = 0; i < icons.size(); ++i) {
    if (icons[i].owner == owner && icons[i].id == id) {
      found = i;
    }
  }
  const bool known = found < icons.size();
  BOOL result = FALSE;
  std::string verb;
  switch (data.dwData) {
    case NIM_ADD:
      verb = "add";
      if (!known) {
        icons.push_back({owner, id, flags, (flags & NIF_MESSAGE) != 0 ? message : 0});
        result = TRUE;
      }
      break;
    case NIM_MODIFY:
      verb = "modify";
      if (known) {
        icons[found].flags |= flags;
        if ((flags & NIF_MESSAGE) != 0) {
          icons[found].message = message;
        }
        result = TRUE;
      }
      break;
    case NIM_DELETE:
      verb = "delete";
      if (known) {
        icons.erase(icons.begin() + static_cast<std::ptrdiff_t>(found));
        result = TRUE;
      }
      break;
    default:
      verb = "nim" + Num(static_cast<long long>(data.dwData));
      result = known ? TRUE : FALSE;
      break;
  }
  Log("icon " + verb + " owner=" + Hex(owner) + " id=" + Num(id) + " flags=" + Hex(flags) +
      " msg=" + Hex(message) + " result=" + Num(result) + " inside=" +
      Num(InsideTray(owner) ? 1 : 0) + " shown=" + Num(IsWindowVisible(owner) ? 1 : 0));
  if (result) {
    Layout();
  }
  WriteState();
  return result;
}

void Answer(const AppBarCommand& command, const AppBarResponse& response) {
  HANDLE process = OpenProcess(PROCESS_DUP_HANDLE, FALSE, command.returnProcess);
  if (process == nullptr) {
    Log("appbar error open-process pid=" + Num(command.returnProcess));
    return;
  }
  HANDLE map = nullptr;
  if (DuplicateHandle(process, ULongToHandle(command.returnMap), GetCurrentProcess(), &map, 0,
                      FALSE, DUPLICATE_SAME_ACCESS)) {
    void* view = MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, sizeof response);
    if (view != nullptr) {
      std::memcpy(view, &response, sizeof response);
      UnmapViewOfFile(view);
    }
    CloseHandle(map);
  } else {
    Log("appbar error duplicate-handle");
  }
  CloseHandle(process);
}

LRESULT OnAppBar(const COPYDATASTRUCT& data) {
  if (data.lpData == nullptr || data.cbData < sizeof(AppBarCommand)) {
    Log("appbar bad-size cb=" + Num(data.cbData));
    return 0;
  }
  AppBarCommand command{};
  std::memcpy(&command, data.lpData, sizeof command);
  AppBarResponse response{};
  response.abd = command.abd;
  switch (data.dwData) {
    case ABM_GETSTATE:
      ++appbarStateQueries;
      response.result = (autoHide ? ABS_AUTOHIDE : 0) | ABS_ALWAYSONTOP;
      break;
    case ABM_GETTASKBARPOS:
      ++appbarPosQueries;
      response.result = TRUE;
      response.abd.uEdge = static_cast<UINT>(edge);
      response.abd.rc = TaskbarRect();
      break;
    default:
      Log("appbar other msg=" + Num(static_cast<long long>(data.dwData)));
      break;
  }
  Answer(command, response);
  return TRUE;
}

// A label in the shell's own font, over whatever is drawn beneath it.
void DrawLabel(HDC dc, const wchar_t* text, RECT rect, UINT format) {
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  DrawTextW(dc, text, -1, &rect, format | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old);
}

// The taskbar clock's text, hours and minutes.
void DrawClock(HDC dc, RECT rect, UINT format) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t text[16];
  std::swprintf(text, 16, L"%02u:%02u", now.wHour, now.wMinute);
  DrawLabel(dc, text, rect, format);
}

void PaintTaskbar(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT rect;
  GetClientRect(window, &rect);
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT);
  if (options.demo && (edge == ABE_TOP || edge == ABE_BOTTOM)) {
    RECT start = {3, 3, 3 + kStartWidth, rect.bottom - 3};
    DrawEdge(dc, &start, EDGE_RAISED, BF_RECT);
    DrawLabel(dc, L"Start", start, DT_CENTER);
  }
  EndPaint(window, &paint);
  ++paintsTaskbar;
  Log("paint window=taskbar");
}

// Windows 11 draws its taskbar in this island, over the bar's other children.
void PaintIsland(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT rect;
  GetClientRect(window, &rect);
  HBRUSH brush = CreateSolidBrush(kIslandColour);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
  RECT start = RectInParent(startButton, taskbar);
  InflateRect(&start, -10, -10);
  FillRect(dc, &start, GetSysColorBrush(COLOR_HIGHLIGHTTEXT));
  SetTextColor(dc, RGB(255, 255, 255));
  DrawClock(dc, {rect.right - kWin11TrayWidth, 0, rect.right - 8, rect.bottom}, DT_RIGHT);
  EndPaint(window, &paint);
}

void PaintTray(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT rect;
  GetClientRect(window, &rect);
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT);
  EndPaint(window, &paint);
  ++paintsTray;
  Log("paint window=tray");
}

void PaintClock(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT rect;
  GetClientRect(window, &rect);
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
  DrawClock(dc, rect, DT_CENTER);
  EndPaint(window, &paint);
  ++paintsClock;
  Log("paint window=clock");
}

// A process's creation and the present in FILETIME units, and the present on
// this log's clock (GetTickCount64): together, the process's start on that
// clock. All zero when the process cannot be read.
struct ProcessAge {
  long long created = 0;
  long long now = 0;
  long long tick = 0;
};

ProcessAge AgeOf(DWORD pid) {
  ProcessAge age;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) {
    return age;
  }
  FILETIME created{}, exited{}, kernel{}, user{}, now{};
  const BOOL ok = GetProcessTimes(process, &created, &exited, &kernel, &user);
  CloseHandle(process);
  GetSystemTimePreciseAsFileTime(&now);
  auto count = [](const FILETIME& t) {
    return static_cast<long long>(static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime);
  };
  if (ok) {
    age = {count(created), count(now), static_cast<long long>(GetTickCount64())};
  }
  return age;
}

// --- Commands from the driver ------------------------------------------------

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = line.find(separator, start);
    fields.push_back(
        line.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) {
      return fields;
    }
    start = end + 1;
  }
}

HWND WindowArg(const std::string& text) {
  return reinterpret_cast<HWND>(
      static_cast<std::uintptr_t>(std::strtoull(text.c_str(), nullptr, 0)));
}

int IntArg(const std::string& text) {
  return static_cast<int>(std::strtol(text.c_str(), nullptr, 0));
}

BOOL CALLBACK ListTopLevel(HWND window, LPARAM out) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  RECT rect{};
  GetWindowRect(window, &rect);
  *reinterpret_cast<std::string*>(out) +=
      Hex(window) + "\t" + Num(pid) + "\t" + Num(IsWindowVisible(window) ? 1 : 0) + "\t" +
      ClassOf(window) + "\t" + TextOf(window) + "\t" + RectText(rect) + "\t" +
      Hex(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE))) + "\t" +
      Hex(static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE))) + "\n";
  return TRUE;
}

// Asks the control for its text (a combo box answers with its edit field's),
// as Unicode whatever the owner's code page.
std::string AskedTextOf(HWND window) {
  wchar_t text[1024] = {};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      2000, &ignored);
  return Escape(text);
}

BOOL CALLBACK ListControl(HWND window, LPARAM out) {
  RECT rect{};
  GetWindowRect(window, &rect);
  *reinterpret_cast<std::string*>(out) +=
      Hex(window) + "\t" + Num(GetDlgCtrlID(window)) + "\t" + ClassOf(window) + "\t" +
      AskedTextOf(window) + "\t" + RectText(rect) + "\t" +
      Hex(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE))) + "\t" +
      Num(IsWindowVisible(window) ? 1 : 0) + "\n";
  return TRUE;
}

// Runs one command; its reply goes to reply-<seq>.txt. Returns an error text,
// empty on success.
std::string Execute(const std::vector<std::string>& f, std::string& reply) {
  const std::string& verb = f[1];
  auto need = [&](std::size_t count) { return f.size() >= count + 2; };
  const bool hasShell = taskbar != nullptr;
  if (verb == "snap") {
    return "";
  }
  if (verb == "edge" && need(1) && hasShell) {
    edge = IntArg(f[2]);
  } else if (verb == "thickness" && need(1) && hasShell) {
    thickness = IntArg(f[2]);
  } else if (verb == "extra" && need(1) && hasShell) {
    extraWidth = IntArg(f[2]);
  } else if (verb == "clock" && need(1) && hasShell) {
    clockShown = f[2] == "show";
  } else if (verb == "autohide" && need(1) && hasShell) {
    autoHide = IntArg(f[2]) != 0;
  } else if (verb == "broadcast" && need(1)) {
    const UINT message = RegisterWindowMessageA(f[2].c_str());
    PostMessageW(HWND_BROADCAST, message, 0, 0);
    return "";
  } else if (verb == "windows") {
    EnumWindows(ListTopLevel, reinterpret_cast<LPARAM>(&reply));
    return "";
  } else if (verb == "controls" && need(1)) {
    EnumChildWindows(WindowArg(f[2]), ListControl, reinterpret_cast<LPARAM>(&reply));
    return "";
  } else if (verb == "info" && need(1)) {
    const HWND window = WindowArg(f[2]);
    if (!IsWindow(window)) {
      return "no such window";
    }
    RECT rect{};
    GetWindowRect(window, &rect);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    reply += "class=" + ClassOf(window) + "\ntext=" + TextOf(window) + "\nrect=" + RectText(rect) +
             "\nstyle=" + Hex(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE))) +
             "\nexstyle=" + Hex(static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE))) +
             "\nparent=" + Hex(GetAncestor(window, GA_PARENT)) +
             "\nvisible=" + Num(IsWindowVisible(window) ? 1 : 0) + "\npid=" + Num(pid) + "\n";
    return "";
  } else if (verb == "settext" && need(2)) {
    const std::wstring text = FromUtf8(f[3]);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(WindowArg(f[2]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, 5000, &result)) {
      return "WM_SETTEXT failed";
    }
    return "";
  } else if (verb == "command" && need(2)) {
    const HWND dialog = WindowArg(f[2]);
    const int id = IntArg(f[3]);
    const HWND control = GetDlgItem(dialog, id);
    if (!PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(control))) {
      return "cannot post";
    }
    return "";
  } else if (verb == "key" && need(2)) {
    const HWND window = WindowArg(f[2]);
    const WPARAM key = static_cast<WPARAM>(IntArg(f[3]));
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    return "";
  } else if (verb == "close" && need(1)) {
    if (!PostMessageW(WindowArg(f[2]), WM_CLOSE, 0, 0)) {
      return "cannot post";
    }
    return "";
  } else if (verb == "endsession" && need(1)) {
    const HWND window = WindowArg(f[2]);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                        &answer);
    reply += "query=" + Num(static_cast<long long>(answer)) + "\n";
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                        &ignored);
    return "";
  } else if (verb == "times" && need(1)) {
    const ProcessAge age = AgeOf(static_cast<DWORD>(IntArg(f[2])));
    if (age.created == 0) {
      return "cannot read the process's times";
    }
    reply +=
        "created=" + Num(age.created) + "\nnow=" + Num(age.now) + "\ntick=" + Num(age.tick) + "\n";
    return "";
  } else if (verb == "quit") {
    PostQuitMessage(0);
    return "";
  } else {
    return "unknown or incomplete command";
  }
  Layout();
  InvalidateRect(taskbar, nullptr, TRUE);
  return "";
}

void RunCommand(const std::string& line) {
  const std::vector<std::string> fields = Split(line, '\t');
  if (fields.size() < 2) {
    Log("error bad-command line=" + line);
    return;
  }
  std::string reply;
  Log("command seq=" + fields[0] + " verb=" + fields[1]);
  const std::string error = Execute(fields, reply);
  WriteFileAtomically(PathOf(("reply-" + fields[0] + ".txt").c_str()), reply);
  lastSeq = fields[0];
  WriteState();
  Log("done seq=" + fields[0] + " ok=" + (error.empty() ? "1" : "0 error=" + error));
}

void ReadCommands() {
  if (commandsFile == INVALID_HANDLE_VALUE || inCommand) {
    return;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(commandsFile, &size) || size.QuadPart <= commandsRead) {
    return;
  }
  std::string chunk(static_cast<std::size_t>(size.QuadPart - commandsRead), '\0');
  LARGE_INTEGER at{};
  at.QuadPart = commandsRead;
  SetFilePointerEx(commandsFile, at, nullptr, FILE_BEGIN);
  DWORD got = 0;
  ReadFile(commandsFile, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr);
  commandsRead += got;
  pendingCommands.append(chunk, 0, got);
  inCommand = true;
  std::size_t end;
  while ((end = pendingCommands.find('\n')) != std::string::npos) {
    std::string line = pendingCommands.substr(0, end);
    pendingCommands.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (!line.empty()) {
      RunCommand(line);
    }
  }
  inCommand = false;
}

// Windows parented into the tray come and go without telling the tray, so
// they are looked at on every poll. Text changes (the clock's second) only
// update the state; moves, restyles, arrivals and departures are logged.
// One log line's worth of the windows under key: moves, restyles, arrivals
// and departures, but not text changes (the clock's second).
std::string Summary(const std::string& state, const std::string& key) {
  std::string out;
  for (const std::string& line : Split(state, '\n')) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos || line.compare(0, key.size() + 1, key + ".") != 0) {
      continue;
    }
    const std::string name = line.substr(0, eq);
    const std::size_t dots = static_cast<std::size_t>(std::count(name.begin(), name.end(), '.'));
    const std::string field = name.substr(name.rfind('.') + 1);
    std::string value = line.substr(eq + 1);
    std::replace(value.begin(), value.end(), ' ', ',');
    if (dots == 1) {
      out += (field == "count" ? " count=" : " window=") + value;
    } else if (dots == 2 && (field == "rect" || field == "style" || field == "exstyle" ||
                             field == "visible" || (field == "class" && key == "bar"))) {
      out += " " + field + "=" + value;
    }
  }
  return out;
}

// Windows parented into the bar come and go without telling it, so they are
// looked at on every poll.
void WatchChildren() {
  const std::string now = DescribeChildren();
  if (now == childrenState) {
    return;
  }
  childrenState = now;
  const std::string guests = Summary(now, "child");
  if (guests != childrenKey) {
    childrenKey = guests;
    Log("children" + guests);
  }
  const std::string bar = Summary(now, "bar");
  if (bar != barKey) {
    barKey = bar;
    Log("bar" + bar);
  }
  WriteState();
}

// Message boxes and dialogs are logged when first seen shown, so that the
// driver can order them against the icon and window events.
BOOL CALLBACK NoteDialog(HWND window, LPARAM) {
  if (IsWindowVisible(window) && ClassOf(window) == "#32770" &&
      std::find(dialogsSeen.begin(), dialogsSeen.end(), window) == dialogsSeen.end()) {
    dialogsSeen.push_back(window);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    Log("dialog window=" + Hex(window) + " pid=" + Num(pid) + " title=" + TextOf(window));
  }
  // The ticker belongs in the bar: shown as a window of its own, it would
  // stand alone on the desktop.
  const std::string cls = ClassOf(window);
  if (IsWindowVisible(window) && (cls == "ClepsydriumTicker" || cls == "ClepsydriumForm") &&
      std::find(straysSeen.begin(), straysSeen.end(), window) == straysSeen.end()) {
    straysSeen.push_back(window);
    Log("stray window=" + Hex(window) + " class=" + cls);
  }
  return TRUE;
}

void OnTimer(UINT_PTR id) {
  if (id == kPollTimer) {
    ReadCommands();
    WatchChildren();
    EnumWindows(NoteDialog, 0);
  } else if (id == kClockTimer) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (now.wMinute != lastMinute) {
      lastMinute = now.wMinute;
      InvalidateRect(options.win11 ? island : trayClock, nullptr, TRUE);
    }
  }
}

LRESULT CALLBACK TaskbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == emptyStarted && emptyStarted != 0) {
    // Sent, not posted: the sender waits, so its times can still be read.
    const ProcessAge age = AgeOf(static_cast<DWORD>(wParam));
    Log("empty-started pid=" + Num(static_cast<long long>(wParam)) +
        " ms=" + Num((age.now - age.created) / 10000));
    return 0;
  }
  switch (message) {
    case WM_COPYDATA:
      return OnNotifyIcon(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_SETREDRAW:
      (wParam != 0 ? redrawOn : redrawOff)++;
      Log("redraw window=taskbar on=" + Num(wParam != 0 ? 1 : 0));
      break;
    case WM_PAINT:
      PaintTaskbar(window);
      return 0;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_CLOSE:
      return 0;  // only the driver ends the shell
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// A window of the taskbar that only paints itself.
template <void (*Paint)(HWND)>
LRESULT CALLBACK PaintingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    Paint(window);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK AppBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    return OnAppBar(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    OnTimer(wParam);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void Register(const wchar_t* name, WNDPROC proc) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.lpszClassName = name;
  RegisterClassW(&windowClass);
}

HINSTANCE OwnModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&OwnModule), &module);
  return module;
}

std::string Environment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

}  // namespace

Options OptionsFromEnvironment() {
  Options result;
  result.dir = Environment("CLEP_SHELL_DIR", ".");
  const std::string mode = Environment("CLEP_SHELL_MODE", "full");
  if (mode == "no-tray") {
    result.mode = Mode::kNoTray;
  } else if (mode == "no-clock") {
    result.mode = Mode::kNoClock;
  } else if (mode == "probe") {
    result.mode = Mode::kProbeOnly;
  }
  result.edge = IntArg(Environment("CLEP_SHELL_EDGE", "3"));
  result.autoHide = Environment("CLEP_SHELL_AUTOHIDE", "0") == "1";
  result.demo = Environment("CLEP_SHELL_DEMO", "0") == "1";
  result.win11 = Environment("CLEP_SHELL_LAYOUT", "classic") == "win11";
  result.thickness = IntArg(Environment("CLEP_SHELL_THICKNESS", result.win11 ? "48" : "30"));
  return result;
}

bool Start(const Options& startOptions) {
  options = startOptions;
  edge = options.edge;
  thickness = options.thickness;
  autoHide = options.autoHide;
  instance = OwnModule();
  eventsFile = CreateFileA(PathOf("events.log").c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  commandsFile = CreateFileA(PathOf("commands.txt").c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (eventsFile == INVALID_HANDLE_VALUE || commandsFile == INVALID_HANDLE_VALUE) {
    return false;
  }
  // The code page shows whether a locale given to Wine took effect.
  Log(std::string("start mode=") + ModeName() + " pid=" + Num(GetCurrentProcessId()) +
      " acp=" + Num(GetACP()) + " layout=" + (options.win11 ? "win11" : "classic"));
  emptyStarted = RegisterWindowMessageA("ClepsydriumEmptyStarted");

  Register(L"Shell_TrayWnd", TaskbarProc);
  Register(L"TrayNotifyWnd", PaintingProc<PaintTray>);
  Register(L"TrayClockWClass", PaintingProc<PaintClock>);
  Register(L"WineAppBar", AppBarProc);
  Register(L"ClepShellHost", HostProc);
  Register(L"Start", DefWindowProcW);
  Register(kIslandClass, PaintingProc<PaintIsland>);

  bool ok = true;
  if (options.mode == Mode::kProbeOnly) {
    host = CreateWindowExW(0, L"ClepShellHost", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                           nullptr);
  } else {
    taskbar = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"",
                              WS_POPUP | WS_CLIPCHILDREN, 0, 0, 1, 1, nullptr, nullptr, instance,
                              nullptr);
    host = taskbar;
    if (options.win11) {
      startButton = CreateWindowExW(0, L"Start", L"Start", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                    0, 0, 1, 1, taskbar, nullptr, instance, nullptr);
    }
    if (options.mode != Mode::kNoTray) {
      tray = CreateWindowExW(0, L"TrayNotifyWnd", L"",
                             WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 1, 1,
                             taskbar, nullptr, instance, nullptr);
      if (options.mode != Mode::kNoClock && !options.win11) {
        trayClock = CreateWindowExW(0, L"TrayClockWClass", L"", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1,
                                    tray, nullptr, instance, nullptr);
      }
    }
    if (options.win11) {
      // On top of its siblings: whatever the program puts in the bar must rise above it.
      island = CreateWindowExW(0, kIslandClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                               1, 1, taskbar, nullptr, instance, nullptr);
      SetWindowPos(island, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    // Wine's shell32 sends appbar queries to the first window of this class.
    appbar = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"WineAppBar", L"", WS_POPUP, 0, 0,
                             0, 0, nullptr, nullptr, instance, nullptr);
    Layout();
    ShowWindow(taskbar, SW_SHOWNOACTIVATE);
    UpdateWindow(taskbar);
    // Wine's explorer keeps a hidden taskbar of its own: the program must
    // find ours, or every check below would be about the wrong window.
    const HWND found = FindWindowA("Shell_TrayWnd", nullptr);
    const HWND foundAppBar = FindWindowW(L"WineAppBar", nullptr);
    if (found != taskbar || foundAppBar != appbar) {
      Log("FATAL findwindow taskbar=" + Hex(found) + " ours=" + Hex(taskbar) +
          " appbar=" + Hex(foundAppBar) + " ours=" + Hex(appbar));
      ok = false;
    } else {
      Log("findwindow ok taskbar=" + Hex(taskbar));
    }
  }
  if (host == nullptr) {
    Log("FATAL no window");
    return false;
  }
  SetTimer(host, kPollTimer, 30, nullptr);
  SetTimer(host, kClockTimer, 1000, nullptr);
  childrenState = DescribeChildren();
  WriteState();
  Log(ok ? "ready" : "failed");
  return ok;
}

int Run() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  Log("quit");
  if (taskbar != nullptr) {
    DestroyWindow(taskbar);
  }
  if (appbar != nullptr) {
    DestroyWindow(appbar);
  }
  if (host != nullptr && host != taskbar) {
    DestroyWindow(host);
  }
  CloseHandle(commandsFile);
  CloseHandle(eventsFile);
  return 0;
}

}  // namespace demo_taskbar

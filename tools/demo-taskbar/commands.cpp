// The log, the state file and the commands the driver appends to commands.txt.
#include "parts.h"

#include <winternl.h>

namespace demo_taskbar {

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
    case Mode::kLookalike:
      return "lookalike";
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

// The tray's guests ("child", the clock left out), the bar's direct
// children ("bar", where the Windows 11 layout puts the ticker), and those
// of each other monitor's bar ("s1", "s2", ...).
std::string DescribeChildren() {
  std::string out =
      DescribeChildren(tray, "child", trayClock) + DescribeChildren(taskbar, "bar", nullptr);
  for (std::size_t i = 0; i < secondaries.size(); ++i) {
    out +=
        DescribeChildren(secondaries[i].window, "s" + Num(static_cast<long long>(i + 1)), nullptr);
  }
  return out;
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
    s += "taskbar_dpi=" + Num(dpi) + "\n";
    s += "clock_text_height=" + Num(ClockTextHeight(dpi)) + "\n";
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
    const std::string key = "icon." + Num(static_cast<long long>(i));
    s += key + "=" + Hex(icons[i].owner) + " " + Num(icons[i].id) + " " + Hex(icons[i].flags) +
         " " + Hex(icons[i].message) + "\n";
    s += key + ".tip=" + Escape(icons[i].tip) + "\n";
    s += key + ".version=" + Num(icons[i].version) + "\n";
  }
  s += "secondary.count=" + Num(static_cast<long long>(secondaries.size())) + "\n";
  for (std::size_t i = 0; i < secondaries.size(); ++i) {
    const SecondaryBar& bar = secondaries[i];
    const std::string key = "secondary." + Num(static_cast<long long>(i + 1));
    s += key + "=" + Hex(bar.window) + "\n";
    if (bar.window != nullptr) {
      RECT rect{};
      GetWindowRect(bar.window, &rect);
      s += key + ".rect=" + RectText(rect) + "\n";
      s += key + ".edge=" + Num(bar.edge) + "\n";
      s += key + ".dpi=" + Num(bar.dpi) + "\n";
      s += key + ".clock_text_height=" + Num(ClockTextHeight(bar.dpi)) + "\n";
    }
    if (bar.clock != nullptr && bar.clockShown) {
      s += key + ".clock=" + RectText(RectInParent(bar.clock, bar.window)) + "\n";
    }
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

// Asks the control for its text (a combo box answers with its edit field's),
// as Unicode whatever the owner's code page.
std::string AskedTextOf(HWND window) {
  wchar_t text[1024] = {};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      2000, &ignored);
  return Escape(text);
}

BOOL CALLBACK ListTopLevel(HWND window, LPARAM out) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  RECT rect{};
  GetWindowRect(window, &rect);
  *reinterpret_cast<std::string*>(out) +=
      Hex(window) + "\t" + Num(pid) + "\t" + Num(IsWindowVisible(window) ? 1 : 0) + "\t" +
      ClassOf(window) + "\t" +
      // A tooltip's text is the tip it shows, given only when asked.
      (ClassOf(window) == "tooltips_class32" ? AskedTextOf(window) : TextOf(window)) + "\t" +
      RectText(rect) + "\t" + Hex(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE))) + "\t" +
      Hex(static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE))) + "\n";
  return TRUE;
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

// GCC takes the TEB's read through the gs or fs segment for an array read.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
const unsigned char* ProcessBlock() {
  return reinterpret_cast<const unsigned char*>(NtCurrentTeb()->ProcessEnvironmentBlock);
}
#pragma GCC diagnostic pop

BOOL CALLBACK TellDpiChanged(HWND window, LPARAM message) {
  SendMessageTimeoutW(window, static_cast<UINT>(message), 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
  return TRUE;
}

// A monitor's scale changed: the bar follows, and then, as Windows tells a
// per-monitor-v2 window's children, every window in it, ours or not.
std::string Rescale(int number, int percent) {
  const auto count = static_cast<int>(secondaries.size());
  const HWND bar = number == 0                     ? taskbar
                   : number > 0 && number <= count ? secondaries[number - 1].window
                                                   : nullptr;
  if (bar == nullptr) {
    return "no such bar";
  }
  if (percent <= 0) {
    return "no such scale";
  }
  const int barDpi = percent * 96 / 100;
  (number == 0 ? dpi : secondaries[number - 1].dpi) = barDpi;
  SetBarDpi(bar, barDpi);
  Layout();
  RepaintBars();
  Log("scale bar=" + Num(number) + " percent=" + Num(percent) + " dpi=" + Num(barDpi));
  EnumChildWindows(bar, TellDpiChanged, WM_DPICHANGED_BEFOREPARENT);
  EnumChildWindows(bar, TellDpiChanged, WM_DPICHANGED_AFTERPARENT);
  return "";
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
  } else if (verb == "secondary" && need(2) && hasShell) {
    // secondary N add [unheard]|remove|edge E|thickness T|clock show|hide
    const int number = IntArg(f[2]);
    const std::string& what = f[3];
    if (number < 1 || (static_cast<std::size_t>(number) > secondaries.size() && what != "add")) {
      return "no such secondary bar";
    }
    const auto index = static_cast<std::size_t>(number);
    if (what == "add") {
      CreateSecondary(index, need(3) && f[4] == "unheard");
    } else if (what == "remove") {
      RemoveSecondary(index);
    } else if (what == "edge" && need(3)) {
      secondaries[index - 1].edge = IntArg(f[4]);
    } else if (what == "thickness" && need(3)) {
      secondaries[index - 1].thickness = IntArg(f[4]);
    } else if (what == "clock" && need(3)) {
      secondaries[index - 1].clockShown = f[4] == "show";
    } else {
      return "unknown secondary command";
    }
  } else if (verb == "scale" && need(2) && hasShell) {
    // scale N PERCENT: bar N (0 the primary) now on a monitor at that scale
    return Rescale(IntArg(f[2]), IntArg(f[3]));
  } else if (verb == "displaychange") {
    // As Windows tells every window when a monitor comes or goes.
    const HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    SendMessageTimeoutW(HWND_BROADCAST, WM_DISPLAYCHANGE, static_cast<WPARAM>(bits),
                        MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)),
                        SMTO_ABORTIFHUNG, 1000, nullptr);
    return "";
  } else if (verb == "extra" && need(1) && hasShell) {
    extraWidth = IntArg(f[2]);
  } else if (verb == "clock" && need(1) && hasShell) {
    clockShown = f[2] == "show";
  } else if (verb == "autohide" && need(1) && hasShell) {
    // The work area changes with it, and Explorer tells every window so.
    autoHide = IntArg(f[2]) != 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0, SMTO_ABORTIFHUNG,
                        2000, nullptr);
  } else if (verb == "broadcast" && need(1)) {
    const UINT message = RegisterWindowMessageA(f[2].c_str());
    PostMessageW(HWND_BROADCAST, message, 0, 0);
    return "";
  } else if (verb == "theme" && need(1)) {
    // As Windows' settings do: the values, then the word to every window.
    if (!WriteTheme(f[2])) {
      return "no such theme";
    }
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                        reinterpret_cast<LPARAM>(L"ImmersiveColorSet"), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    return "";
  } else if (verb == "syscolours" && need(2)) {
    // The button face and text high contrast would set: Wine cannot switch it.
    const INT elements[] = {COLOR_BTNFACE, COLOR_BTNTEXT};
    const COLORREF colours[] = {static_cast<COLORREF>(IntArg(f[2])),
                                static_cast<COLORREF>(IntArg(f[3]))};
    if (!SetSysColors(2, elements, colours)) {
      return "SetSysColors failed";
    }
    return "";
  } else if (verb == "gdi") {
    // The GDI objects of the process the taskbar runs in: the program's, when injected.
    long long objects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    // Wine's says 0; a 64-bit process's handle table is where Windows' PEB points, an entry
    // of 24 bytes a handle with its type at byte 14, 0 for a free one.
    const unsigned char* peb = ProcessBlock();
    const unsigned char* table = nullptr;
    std::memcpy(&table, peb + (sizeof(void*) == 8 ? 0xF8 : 0x94), sizeof table);
    if (objects == 0 && table != nullptr) {
      for (std::size_t index = 0; index < 0x10000; ++index) {
        objects += table[index * 24 + 14] != 0 ? 1 : 0;
      }
    }
    reply += "objects=" + Num(objects) + "\n";
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
  } else if (verb == "runvalue" && need(1)) {
    // runvalue NAME [DATA [expand] | -]: the Run value read (or set, or
    // removed) in UTF-16, which Wine's reg command cannot print beyond its
    // code page.
    constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::wstring name = FromUtf8(f[2]);
    if (f.size() > 3 && f[3] == "-") {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, name.c_str());
    } else if (f.size() > 3) {
      const std::wstring data = FromUtf8(f[3]);
      const DWORD type = f.size() > 4 && f[4] == "expand" ? REG_EXPAND_SZ : REG_SZ;
      if (RegSetKeyValueW(HKEY_CURRENT_USER, kRun, name.c_str(), type, data.c_str(),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) !=
          ERROR_SUCCESS) {
        return "cannot set the value";
      }
    }
    wchar_t data[2048] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, kRun, name.c_str(),
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, data,
                     &size) == ERROR_SUCCESS) {
      reply += "value=" + Escape(data) + "\n";
    }
    return "";
  } else if (verb == "shortpath" && need(1)) {
    wchar_t path[MAX_PATH] = {};
    if (GetShortPathNameW(FromUtf8(f[2]).c_str(), path, MAX_PATH) == 0) {
      return "no short path";
    }
    reply += "path=" + Escape(path) + "\n";
    return "";
  } else if (verb == "settext" && need(2)) {
    const std::wstring text = FromUtf8(f[3]);
    DWORD_PTR result = 0;
    const ULONGLONG asked = GetTickCount64();
    if (!SendMessageTimeoutW(WindowArg(f[2]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, 5000, &result)) {
      return "WM_SETTEXT failed";
    }
    reply += "ms=" + Num(static_cast<long long>(GetTickCount64() - asked)) + "\n";
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
  } else if (verb == "iconevent" && need(2)) {
    // iconevent INDEX EVENT: what the shell sends an icon's owner as the
    // user acts on it from the keyboard (NIN_KEYSELECT, WM_CONTEXTMENU), in
    // the form of the icon's version: version 4 puts the id beside the event.
    const std::size_t index = static_cast<std::size_t>(IntArg(f[2]));
    if (index >= icons.size()) {
      return "no such icon";
    }
    const Icon& icon = icons[index];
    const auto event = static_cast<UINT>(IntArg(f[3]));
    const LPARAM lParam = icon.version >= 4 ? MAKELPARAM(event, icon.id) : event;
    const WPARAM wParam = icon.version >= 4 ? 0 : icon.id;
    if (!PostMessageW(icon.owner, icon.message, wParam, lParam)) {
      return "cannot post";
    }
    return "";
  } else if (verb == "repaint" && need(1)) {
    // A window drawn anew, whole, before the reply: what it should have shown.
    if (!RedrawWindow(WindowArg(f[2]), nullptr, nullptr,
                      RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW)) {
      return "cannot redraw";
    }
    return "";
  } else if (verb == "close" && need(1)) {
    if (!PostMessageW(WindowArg(f[2]), WM_CLOSE, 0, 0)) {
      return "cannot post";
    }
    return "";
  } else if (verb == "endsession" && need(1)) {
    // endsession HWND [cancel]: a sign-out, or one another program cancelled.
    const HWND window = WindowArg(f[2]);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                        &answer);
    reply += "query=" + Num(static_cast<long long>(answer)) + "\n";
    DWORD_PTR ignored = 0;
    const BOOL ends = f.size() > 3 && f[3] == "cancel" ? FALSE : TRUE;
    SendMessageTimeoutW(window, WM_ENDSESSION, ends, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
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
  } else if (verb == "changes" && need(2)) {
    // changes HWND MS: when in its second the window's text changed, for MS ms
    // of watching it each millisecond.
    const HWND window = WindowArg(f[2]);
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(IntArg(f[3]));
    std::string last = TextOf(window);
    reply += "offsets=";
    while (GetTickCount64() < end) {
      Sleep(1);
      if (const std::string now = TextOf(window); now != last) {
        FILETIME time{};
        GetSystemTimePreciseAsFileTime(&time);
        const ULONGLONG units =
            static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
        reply += Num(static_cast<long long>(units % 10000000 / 10000)) + " ";
        last = now;
      }
    }
    reply += "\n";
    return "";
  } else if (verb == "menu" && need(1)) {
    // The open popup menu's items: "1" when checked, the caption, "1" when lit. Only
    // a shell inside the program's process can read its menus.
    const HMENU menu = reinterpret_cast<HMENU>(SendMessageW(WindowArg(f[2]), MN_GETHMENU, 0, 0));
    const int count = GetMenuItemCount(menu);
    if (count < 0) {
      return "no menu";
    }
    for (int i = 0; i < count; ++i) {
      wchar_t caption[256] = {};
      GetMenuStringW(menu, static_cast<UINT>(i), caption, 256, MF_BYPOSITION);
      const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
      reply += Num((state & MF_CHECKED) != 0 ? 1 : 0) + "\t" + Escape(caption) + "\t" +
               Num((state & MF_HILITE) != 0 ? 1 : 0) + "\n";
    }
    return "";
  } else if (verb == "rebuild") {
    if (!Rebuild(need(1) && f[2] == "win11")) {
      return "rebuilt, but the program would not find it";
    }
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
                             field == "visible" || (field == "class" && key != "child"))) {
      out.append(" ").append(field).append("=").append(value);
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
  for (std::size_t i = 0; i < secondaries.size(); ++i) {
    const std::string number = Num(static_cast<long long>(i + 1));
    const std::string inBar = Summary(now, "s" + number);
    if (inBar != secondaries[i].childrenKey) {
      secondaries[i].childrenKey = inBar;
      Log(std::string("secondary number=").append(number).append(inBar));
    }
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

}  // namespace demo_taskbar

// The program's calls into the shell: notification icons and appbar queries.
#include "parts.h"

namespace demo_taskbar {
namespace {

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

// Wine's record of Shell_NotifyIcon starts with these four fields, then the
// tip (128 WCHARs), and holds the version at 792.
constexpr DWORD kNotifyHeader = 16;
constexpr DWORD kTipEnd = kNotifyHeader + 128 * sizeof(wchar_t);
constexpr DWORD kVersionAt = 792;

std::wstring TipIn(const COPYDATASTRUCT& data) {
  if (data.cbData < kTipEnd) {
    return L"";
  }
  wchar_t tip[129] = {};
  std::memcpy(tip, static_cast<const char*>(data.lpData) + kNotifyHeader, 128 * sizeof(wchar_t));
  return tip;
}

int iconsAdded = 0;

}  // namespace

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
        icons.push_back({owner, id, flags, (flags & NIF_MESSAGE) != 0 ? message : 0,
                         (flags & NIF_TIP) != 0 ? TipIn(data) : L""});
        result = TRUE;
      }
      if (++iconsAdded == options.killAtIcon) {
        // The worst moment for the program to be killed: in the middle of a fit.
        DWORD pid = 0;
        GetWindowThreadProcessId(owner, &pid);
        const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
        Log("kill pid=" + Num(pid) +
            " ok=" + Num(process != nullptr && TerminateProcess(process, 9)));
        CloseHandle(process);
      }
      break;
    case NIM_MODIFY:
      verb = "modify";
      if (known) {
        icons[found].flags |= flags;
        if ((flags & NIF_MESSAGE) != 0) {
          icons[found].message = message;
        }
        if ((flags & NIF_TIP) != 0) {
          icons[found].tip = TipIn(data);
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
    case NIM_SETVERSION:
      verb = "version";
      if (known && data.cbData >= kVersionAt + sizeof(UINT)) {
        std::memcpy(&icons[found].version, static_cast<const char*>(data.lpData) + kVersionAt,
                    sizeof(UINT));
        result = TRUE;
      }
      break;
    case NIM_SETFOCUS:
      verb = "setfocus";  // the keys back to the notification area
      result = known ? TRUE : FALSE;
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

}  // namespace demo_taskbar

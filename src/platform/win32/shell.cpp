#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/shell.h"

// The shipped 32-bit program sends the records in the sizes the shell has
// always accepted; 64-bit builds take theirs from the same headers.
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V1_SIZE == 88,
              "NOTIFYICONDATAA, first form, is 88 bytes on 32-bit Windows");
static_assert(sizeof(void*) != 4 || sizeof(APPBARDATA) == 36,
              "APPBARDATA is 36 bytes on 32-bit Windows");

namespace {
HWND ToHwnd(platform::WindowHandle window) {
  return reinterpret_cast<HWND>(window);
}

APPBARDATA TaskbarRecord(platform::WindowHandle taskbar) {
  APPBARDATA data{};
  data.cbSize = sizeof(APPBARDATA);
  data.hWnd = ToHwnd(taskbar);
  return data;
}

NOTIFYICONDATAA IconRecord(platform::WindowHandle owner, std::uint32_t id) {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = ToHwnd(owner);
  data.uID = id;
  return data;
}
}  // namespace

namespace platform {

std::int32_t QueryTaskbarEdge(WindowHandle taskbar) {
  APPBARDATA data = TaskbarRecord(taskbar);
  SHAppBarMessage(ABM_GETTASKBARPOS, &data);
  return static_cast<std::int32_t>(data.uEdge);
}

std::uint32_t QueryAppBarState(WindowHandle taskbar) {
  APPBARDATA data = TaskbarRecord(taskbar);
  return static_cast<std::uint32_t>(SHAppBarMessage(ABM_GETSTATE, &data));
}

bool AddNotifyIcon(WindowHandle owner, std::uint32_t id, std::uint32_t flags,
                   std::uint32_t callbackMessage) {
  NOTIFYICONDATAA data = IconRecord(owner, id);
  data.uFlags = flags;
  data.uCallbackMessage = callbackMessage;
  return Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
}

bool DeleteNotifyIcon(WindowHandle owner, std::uint32_t id) {
  NOTIFYICONDATAA data = IconRecord(owner, id);
  return Shell_NotifyIconA(NIM_DELETE, &data) != FALSE;
}

}  // namespace platform

// The window procedure of every window the program owns: finds the object
// the window belongs to and calls its OnMessage. An exception must not cross
// Windows' own frames, so it stops here and ends the run.
#pragma once

#include <commctrl.h>
#include <windows.h>

#include <string>

#include "windows/handles.h"
#include "windows/run_state.h"

namespace clep::win {

// Owner::OnMessage(HWND, UINT, WPARAM, LPARAM) and the run's state through
// Owner::State().
template <typename Owner>
LRESULT CALLBACK WindowProcOf(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  // After a failure only the way out runs: no event reaches a handler.
  if (owner == nullptr || (owner->State().Failed() && message != WM_NCDESTROY)) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  try {
    return owner->OnMessage(window, message, wParam, lParam);
  } catch (...) {
    owner->State().Fail(CurrentErrorReport());
    return 0;
  }
}

// Registers a class of ours; a second time, for another window of the same
// class, fails harmlessly.
inline void RegisterWindowClass(const char* name, WNDPROC procedure, UINT style,
                                HBRUSH background) {
  WNDCLASSA windowClass{};
  windowClass.style = style;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = name;
  RegisterClassA(&windowClass);
}

// Loads comctl32 for its tooltip, at first need rather than at start-up.
inline OwnedLibrary LoadCommonControls() {
  OwnedLibrary library(LoadLibraryA("comctl32.dll"));
  using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = reinterpret_cast<Init>(
      reinterpret_cast<void*>(GetProcAddress(library.Get(), "InitCommonControlsEx")));
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  if (init != nullptr) {
    init(&controls);
  }
  return library;
}

// A tooltip window, owned by `owner` (none for one over the shell's bar).
inline HWND MakeToolTip(HWND owner) {
  return CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                         WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
}

// A tooltip's tool: `control`, a child of `window`, with `text` (or
// LPSTR_TEXTCALLBACKA); the tooltip watches its mouse itself.
inline TTTOOLINFOA ToolOf(HWND window, HWND control, char* text) {
  TTTOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text;
  return tool;
}

}  // namespace clep::win

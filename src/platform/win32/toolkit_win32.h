// What the toolkit's Win32 files share: colour and font measures, and the
// guard that keeps the ticker from taking input while a dialog is open.
#pragma once

#include <windows.h>

#include "platform/toolkit.h"

namespace toolkit_win32 {

inline HWND ToHwnd(platform::WindowHandle window) {
  return reinterpret_cast<HWND>(window);
}

// A system colour (high bit set) is looked up now, so a theme change shows.
COLORREF ToColorRef(platform::Colour colour);

// LOGFONT height of a size in points on this screen.
LONG FontHeight(float points);

// The dialogs get no owner: the form lives inside the shell's window, and an
// owned dialog would disable the whole taskbar. The form itself is disabled
// instead, so a second menu cannot open over the dialog.
class FormInputOff {
 public:
  FormInputOff();
  ~FormInputOff();
  FormInputOff(const FormInputOff&) = delete;
  FormInputOff& operator=(const FormInputOff&) = delete;

 private:
  HWND form_;
  bool wasEnabled_;
};

}  // namespace toolkit_win32

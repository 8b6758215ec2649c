#include "windows/metrics.h"

#include "windows/handles.h"

namespace clep::win {

namespace {

// Windows 10's per-DPI forms, looked up so that the exe still starts on 7.
template <typename Function>
Function User32(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

}  // namespace

int SystemDpi() {
  const int dpi = GetDeviceCaps(WindowDc().Get(), LOGPIXELSY);
  return dpi > 0 ? dpi : kBaseDpi;
}

int WindowDpi(HWND window) {
#ifdef CLEP_FAULTABLE
  // Wine gives every monitor one DPI: in the end-to-end build the stand-in
  // taskbar tells each bar's on the bar, as Windows would through the call below.
  if (const auto told =
          reinterpret_cast<INT_PTR>(GetPropW(GetAncestor(window, GA_ROOT), L"ClepsydriumDpi"));
      told > 0) {
    return static_cast<int>(told);
  }
#endif
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32<GetDpiForWindowFunction>("GetDpiForWindow");
  const UINT dpi = getDpiForWindow != nullptr && window != nullptr ? getDpiForWindow(window) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

int CaptionHeight(int dpi) {
  using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
  static const auto forDpi = User32<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
  if (forDpi != nullptr) {
    return forDpi(SM_CYCAPTION, static_cast<UINT>(dpi));
  }
  return MulDiv(GetSystemMetrics(SM_CYCAPTION), dpi, SystemDpi());
}

}  // namespace clep::win

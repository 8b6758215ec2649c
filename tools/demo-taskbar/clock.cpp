// The idle yardstick: the simplest clock that shows what the ticker shows, one
// small window whose text a 1 s timer redraws. What it costs at rest under
// this Wine is what any clock pays.
#include <windows.h>

namespace {

LRESULT CALLBACK ClockProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    InvalidateRect(window, nullptr, TRUE);
    return 0;
  }
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[16];
    const int length = wsprintfA(text, "%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
    TextOutA(dc, 2, 0, text, length);
    EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_CLOSE) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ClockProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = "ClepsydriumYardstickClock";
  RegisterClassA(&windowClass);
  const HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, windowClass.lpszClassName, "", WS_POPUP, 0,
                                      0, 84, 14, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOWNA);
  SetTimer(window, 1, 1000, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    DispatchMessageA(&message);
  }
  return 0;
}

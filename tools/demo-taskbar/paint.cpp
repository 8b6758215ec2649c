// What each window of the bars draws.
#include "parts.h"

namespace demo_taskbar {

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

namespace {

// One paint of a window: its client area filled, then what draw adds.
template <typename Draw>
void Painted(HWND window, HBRUSH fill, Draw draw) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window, &paint);
  RECT rect;
  GetClientRect(window, &rect);
  FillRect(dc, &rect, fill);
  draw(dc, rect);
  EndPaint(window, &paint);
}

void PaintClockFace(HWND window) {
  Painted(window, GetSysColorBrush(COLOR_BTNFACE),
          [](HDC dc, RECT rect) { DrawClock(dc, rect, DT_CENTER); });
}

}  // namespace

void PaintTaskbar(HWND window) {
  Painted(window, GetSysColorBrush(COLOR_BTNFACE), [](HDC dc, RECT rect) {
    DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT);
    if (options.demo && (edge == ABE_TOP || edge == ABE_BOTTOM)) {
      RECT start = {3, 3, 3 + kStartWidth, rect.bottom - 3};
      DrawEdge(dc, &start, EDGE_RAISED, BF_RECT);
      DrawLabel(dc, L"Start", start, DT_CENTER);
    }
  });
  ++paintsTaskbar;
  Log("paint window=taskbar");
}

// Windows 11 draws its taskbar in this island, over the bar's other children.
void PaintIsland(HWND window) {
  HBRUSH brush = CreateSolidBrush(kIslandColour);
  Painted(window, brush, [window](HDC dc, RECT rect) {
    // Another monitor's island has its buttons in the middle too, if no Start.
    const bool primary = GetAncestor(window, GA_PARENT) == taskbar;
    const int middle = (rect.right - kWin11ButtonSize) / 2;
    const int top = (rect.bottom - kWin11ButtonSize) / 2;
    RECT start = primary ? RectInParent(startButton, taskbar)
                         : RECT{middle, top, middle + kWin11ButtonSize, top + kWin11ButtonSize};
    InflateRect(&start, -10, -10);
    FillRect(dc, &start, GetSysColorBrush(COLOR_HIGHLIGHTTEXT));
    SetTextColor(dc, RGB(255, 255, 255));
    DrawClock(dc, {rect.right - kWin11TrayWidth, 0, rect.right - 8, rect.bottom}, DT_RIGHT);
  });
  DeleteObject(brush);
}

void PaintTray(HWND window) {
  Painted(window, GetSysColorBrush(COLOR_BTNFACE),
          [](HDC dc, RECT rect) { DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT); });
  ++paintsTray;
  Log("paint window=tray");
}

void PaintClock(HWND window) {
  PaintClockFace(window);
  ++paintsClock;
  Log("paint window=clock");
}

void PaintSecondary(HWND window) {
  Painted(window, GetSysColorBrush(COLOR_BTNFACE),
          [](HDC dc, RECT rect) { DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT); });
  Log("paint window=secondary" + Num(static_cast<long long>(SecondaryNumber(window))));
}

void PaintClockButton(HWND window) {
  PaintClockFace(window);
}

}  // namespace demo_taskbar

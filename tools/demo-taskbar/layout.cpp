// The bars on their edges, each laid out as a shell does after every change.
#include "parts.h"

namespace demo_taskbar {

namespace {

// A bar of this thickness on an edge of the area.
RECT OnEdge(const RECT& area, int barEdge, int barThickness) {
  switch (barEdge) {
    case ABE_LEFT:
      return {area.left, area.top, area.left + barThickness, area.bottom};
    case ABE_TOP:
      return {area.left, area.top, area.right, area.top + barThickness};
    case ABE_RIGHT:
      return {area.right - barThickness, area.top, area.right, area.bottom};
    default:
      return {area.left, area.bottom - barThickness, area.right, area.bottom};
  }
}

// The other monitors share the screen above the primary bar, a band each.
RECT SecondaryRect(std::size_t index) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int band = (GetSystemMetrics(SM_CYSCREEN) - thickness) /
                   static_cast<int>(std::max<std::size_t>(secondaries.size(), 1));
  const int top = band * static_cast<int>(index);
  const SecondaryBar& bar = secondaries[index];
  return OnEdge({0, top, width, top + band}, bar.edge, bar.thickness);
}

// The bar on its band's edge, its clock button at its end, or its island over it all.
void LayoutSecondary(std::size_t index) {
  SecondaryBar& bar = secondaries[index];
  if (bar.window == nullptr) {
    return;
  }
  const RECT rect = SecondaryRect(index);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  SetWindowPos(bar.window, HWND_TOPMOST, rect.left, rect.top, width, height, SWP_NOACTIVATE);
  RECT clock{};
  if (bar.clock != nullptr) {
    clock = width >= height ? RECT{width - kClockWidth - 2, 2, width - 2, height - 2}
                            : RECT{2, height - kClockHeight - 2, width - 2, height - 2};
    SetWindowPos(bar.clock, nullptr, clock.left, clock.top, clock.right - clock.left,
                 clock.bottom - clock.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(bar.clock, bar.clockShown ? SW_SHOWNA : SW_HIDE);
  }
  if (bar.island != nullptr) {
    SetWindowPos(bar.island, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const std::string key = RectText(rect) + "|" + RectText(clock) + "|" + Num(bar.clockShown);
  if (key != bar.layoutKey) {
    bar.layoutKey = key;
    Log("layout secondary=" + Num(static_cast<long long>(index + 1)) + " edge=" + Num(bar.edge) +
        " bar=" + RectText(rect) + " clock=" + RectText(clock));
  }
}

}  // namespace

RECT TaskbarRect() {
  return OnEdge({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, edge,
                thickness);
}

std::size_t SecondaryNumber(HWND window) {
  for (std::size_t i = 0; i < secondaries.size(); ++i) {
    if (window != nullptr && secondaries[i].window == window) {
      return i + 1;
    }
  }
  return 0;
}

void CreateSecondary(std::size_t number) {
  while (secondaries.size() < number) {
    secondaries.emplace_back();
    // Each a little thicker than the one before: every ticker is centred on its own bar.
    secondaries.back().thickness = thickness + 10 * static_cast<int>(secondaries.size());
  }
  SecondaryBar& bar = secondaries[number - 1];
  if (bar.window != nullptr) {
    return;
  }
  bar.window =
      CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_SecondaryTrayWnd", L"",
                      WS_POPUP | WS_CLIPCHILDREN, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
  if (options.win11) {
    bar.island = CreateWindowExW(0, kIslandClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0,
                                 0, 1, 1, bar.window, nullptr, instance, nullptr);
  } else {
    bar.clock = CreateWindowExW(0, L"ClockButton", L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0,
                                0, 1, 1, bar.window, nullptr, instance, nullptr);
  }
  bar.layoutKey.clear();
  Layout();
  ShowWindow(bar.window, SW_SHOWNOACTIVATE);
  Log("secondary add number=" + Num(static_cast<long long>(number)) + " window=" + Hex(bar.window));
}

void RemoveSecondary(std::size_t number) {
  SecondaryBar& bar = secondaries[number - 1];
  if (bar.window != nullptr) {
    Log("secondary remove number=" + Num(static_cast<long long>(number)) +
        " window=" + Hex(bar.window));
    DestroyWindow(bar.window);  // with the ticker in it
  }
  bar.window = bar.clock = bar.island = nullptr;
}

// Lays out the bar on its edge, the tray at its end with a slot per icon, and
// the clock at the tray's end, as a shell does after every change.
void Layout() {
  for (std::size_t i = 0; i < secondaries.size(); ++i) {
    LayoutSecondary(i);
  }
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
    if (horizontal) {
      trayRect = {barWidth - kWin11TrayWidth - extraWidth, 0, barWidth, barHeight};
      trayRect.left = std::min(trayRect.left, trayRect.right);
    } else {  // at the bar's lower end
      trayRect = {0, barHeight - kWin11TrayWidth - extraWidth, barWidth, barHeight};
      trayRect.top = std::min(trayRect.top, trayRect.bottom);
    }
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

}  // namespace demo_taskbar

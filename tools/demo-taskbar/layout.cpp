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
  const SecondaryBar& bar = secondaries[index];
  if (options.mode == Mode::kLookalike) {  // a strip under the one before
    const int top = Scaled(kLookalikeHeight, dpi) * static_cast<int>(index + 1);
    return {0, top, Scaled(kLookalikeWidth, bar.dpi), top + Scaled(kLookalikeHeight, bar.dpi)};
  }
  // The other monitors share the screen left beside the primary bar, one band each: as
  // monitors of their own, their bars never lie over it.
  RECT free{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const RECT primary = OnEdge(free, edge, Scaled(thickness, dpi));
  switch (edge) {
    case ABE_LEFT:
      free.left = primary.right;
      break;
    case ABE_TOP:
      free.top = primary.bottom;
      break;
    case ABE_RIGHT:
      free.right = primary.left;
      break;
    default:
      free.bottom = primary.top;
      break;
  }
  const int band =
      (free.bottom - free.top) / static_cast<int>(std::max<std::size_t>(secondaries.size(), 1));
  const int top = free.top + band * static_cast<int>(index);
  return OnEdge({free.left, top, free.right, top + band}, bar.edge, Scaled(bar.thickness, bar.dpi));
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
    const int margin = Scaled(2, bar.dpi);
    clock = width >= height ? RECT{width - Scaled(kClockWidth, bar.dpi) - margin, margin,
                                   width - margin, height - margin}
                            : RECT{margin, height - Scaled(kClockHeight, bar.dpi) - margin,
                                   width - margin, height - margin};
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
  if (options.mode == Mode::kLookalike) {
    return {0, 0, Scaled(kLookalikeWidth, dpi), Scaled(kLookalikeHeight, dpi)};
  }
  return OnEdge({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, edge,
                Scaled(thickness, dpi));
}

int StartDpi(std::size_t number) {
  return number < options.scales.size() && options.scales[number] > 0
             ? options.scales[number] * 96 / 100
             : systemDpi;
}

int BarDpi(HWND window) {
  const HWND root = GetAncestor(window, GA_ROOT);
  if (root != nullptr && root == taskbar) {
    return dpi;
  }
  const std::size_t number = SecondaryNumber(root);
  return number != 0 ? secondaries[number - 1].dpi : systemDpi;
}

void SetBarDpi(HWND bar, int barDpi) {
  if (options.mode != Mode::kLookalike) {  // only the shell's bars
    SetPropW(bar, L"ClepsydriumDpi", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(barDpi)));
  }
}

std::size_t SecondaryNumber(HWND window) {
  for (std::size_t i = 0; i < secondaries.size(); ++i) {
    if (window != nullptr && secondaries[i].window == window) {
      return i + 1;
    }
  }
  return 0;
}

void CreateSecondary(std::size_t number, bool unheard) {
  while (secondaries.size() < number) {
    secondaries.emplace_back();
    // Each a little thicker than the one before: every ticker is centred on its own bar.
    secondaries.back().thickness = thickness + 10 * static_cast<int>(secondaries.size());
    secondaries.back().dpi = StartDpi(secondaries.size());
  }
  SecondaryBar& bar = secondaries[number - 1];
  if (bar.window != nullptr) {
    return;
  }
  // Unheard, the bar is born inside a window of another class and moved out
  // whole: no notice of a new taskbar window is sent, as when one is lost.
  const HWND cradle = unheard ? CreateWindowExW(0, L"ClepShellHost", L"", WS_POPUP, 0, 0, 1, 1,
                                                nullptr, nullptr, instance, nullptr)
                              : nullptr;
  bar.window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_SecondaryTrayWnd", L"",
                               (unheard ? WS_CHILD : WS_POPUP) | WS_CLIPCHILDREN, 0, 0, 1, 1,
                               cradle, nullptr, instance, nullptr);
  SetBarDpi(bar.window, bar.dpi);
  if (options.win11) {
    bar.island = CreateWindowExW(0, kIslandClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0,
                                 0, 1, 1, bar.window, nullptr, instance, nullptr);
  } else {
    bar.clock = CreateWindowExW(0, L"ClockButton", L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0,
                                0, 1, 1, bar.window, nullptr, instance, nullptr);
  }
  if (unheard) {
    SetWindowLongPtrW(bar.window, GWL_STYLE, WS_POPUP | WS_CLIPCHILDREN);
    SetParent(bar.window, nullptr);
    DestroyWindow(cradle);
    SetWindowPos(bar.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  bar.layoutKey.clear();
  Layout();
  ShowWindow(bar.window, SW_SHOWNOACTIVATE);
  Log("secondary add number=" + Num(static_cast<long long>(number)) + " window=" + Hex(bar.window) +
      (unheard ? " unheard=1" : ""));
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
  const int slot = Scaled(kSlot, dpi);
  const int pad = Scaled(kTrayPad, dpi);
  const int margin = Scaled(2, dpi);
  const int extra = Scaled(extraWidth, dpi);
  const int clockW = Scaled(kClockWidth, dpi);
  const int clockH = Scaled(kClockHeight, dpi);
  const int clockWidth = clockShown && trayClock != nullptr ? clockW : 0;
  RECT trayRect{};
  RECT clockRect{};
  if (horizontal) {
    const int trayHeight = barHeight - 2 * margin;
    const int trayWidth = pad + extra + iconCount * slot + clockWidth;
    trayRect = {barWidth - trayWidth - margin, margin, barWidth - margin, margin + trayHeight};
    const int top = (trayHeight - clockH) / 2;
    clockRect = {trayWidth - clockW, top, trayWidth, top + clockH};
  } else {
    const int trayWidth = barWidth - 2 * margin;
    const int perRow = trayWidth > pad + slot ? (trayWidth - pad) / slot : 1;
    const int rows = (iconCount + perRow - 1) / perRow;
    const int clockHeight = clockShown && trayClock != nullptr ? clockH : 0;
    const int trayHeight = pad + extra + rows * slot + clockHeight + margin;
    trayRect = {margin, barHeight - trayHeight - margin, margin + trayWidth, barHeight - margin};
    clockRect = {0, trayHeight - clockH - margin, trayWidth, trayHeight - margin};
  }
  if (options.win11) {
    const int trayLength = Scaled(kWin11TrayWidth, dpi) + extra;
    if (horizontal) {
      trayRect = {barWidth - trayLength, 0, barWidth, barHeight};
      trayRect.left = std::min(trayRect.left, trayRect.right);
    } else {  // at the bar's lower end
      trayRect = {0, barHeight - trayLength, barWidth, barHeight};
      trayRect.top = std::min(trayRect.top, trayRect.bottom);
    }
    const int button = Scaled(kWin11ButtonSize, dpi);
    const int left = (barWidth - button) / 2;
    const int top = (barHeight - button) / 2;
    SetWindowPos(startButton, nullptr, left, top, button, button, SWP_NOZORDER | SWP_NOACTIVATE);
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

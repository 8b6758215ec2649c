// What each window of the bars draws.
#include "parts.h"

namespace demo_taskbar {

namespace {

constexpr wchar_t kPersonalize[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t kDwm[] = L"Software\\Microsoft\\Windows\\DWM";
constexpr COLORREF kDarkBar = RGB(0x1C, 0x1C, 0x1C);
constexpr COLORREF kLightBar = RGB(0xEE, 0xEE, 0xEE);
constexpr COLORREF kAccent = RGB(0x00, 0x5A, 0x9E);

bool themed = false;
COLORREF barColour = 0;
COLORREF labelColour = 0;

DWORD ValueOf(const wchar_t* key, const wchar_t* name, DWORD fallback, bool* found = nullptr) {
  DWORD value = 0;
  DWORD size = sizeof value;
  const bool ok = RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value,
                               &size) == ERROR_SUCCESS;
  if (found != nullptr) {
    *found = ok;
  }
  return ok ? value : fallback;
}

COLORREF Fill() {
  if (options.mode == Mode::kLookalike) {
    return kLookalikeColour;
  }
  return themed ? barColour : GetSysColor(COLOR_BTNFACE);
}

// Fonts made for other DPIs than the system's, kept for the process's life.
std::vector<std::pair<int, HFONT>> scaledFonts;

}  // namespace

void ReadTheme() {
  const DWORD light = ValueOf(kPersonalize, L"SystemUsesLightTheme", 0, &themed);
  const bool accent = ValueOf(kPersonalize, L"ColorPrevalence", 0) != 0;
  barColour = accent  ? ValueOf(kDwm, L"AccentColor", kAccent) & 0xFFFFFF
              : light ? kLightBar
                      : kDarkBar;
  labelColour = themed && (accent || !light) ? RGB(255, 255, 255) : RGB(0, 0, 0);
  Log(std::string("theme ") + (themed ? "themed=1" : "themed=0") + " bar=" + Hex(barColour));
}

bool WriteTheme(const std::string& theme) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kPersonalize, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  auto set = [key](const wchar_t* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  };
  bool known = true;
  if (theme == "classic") {
    RegDeleteValueW(key, L"SystemUsesLightTheme");
    RegDeleteValueW(key, L"ColorPrevalence");
    RegDeleteValueW(key, L"EnableTransparency");
  } else if (theme == "dark" || theme == "light" || theme == "accent") {
    set(L"SystemUsesLightTheme", theme == "light" ? 1 : 0);
    set(L"ColorPrevalence", theme == "accent" ? 1 : 0);
    set(L"EnableTransparency", 0);
  } else {
    known = false;
  }
  RegCloseKey(key);
  return known;
}

void RepaintBars() {
  RedrawWindow(taskbar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  for (const SecondaryBar& bar : secondaries) {
    RedrawWindow(bar.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
}

COLORREF Label() {
  return themed ? labelColour : GetSysColor(COLOR_BTNTEXT);
}

void DrawLabel(HDC dc, const wchar_t* text, RECT rect, UINT format, COLORREF colour = Label()) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  DrawTextW(dc, text, -1, &rect, format | DT_VCENTER | DT_SINGLELINE);
}

// The system's GUI font (Liberation Sans, scalable, under Wine) at the bar's DPI.
HFONT LabelFont(int barDpi) {
  const auto stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (barDpi == systemDpi) {
    return stock;
  }
  for (const auto& [fontDpi, font] : scaledFonts) {
    if (fontDpi == barDpi) {
      return font;
    }
  }
  LOGFONTW logFont{};
  GetObjectW(stock, sizeof logFont, &logFont);
  logFont.lfHeight = MulDiv(logFont.lfHeight, barDpi, systemDpi);
  scaledFonts.emplace_back(barDpi, CreateFontIndirectW(&logFont));
  return scaledFonts.back().second;
}

int ClockTextHeight(int barDpi) {
  const HDC dc = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, LabelFont(barDpi));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return metrics.tmHeight;
}

// The taskbar clock's text, hours and minutes.
void DrawClock(HDC dc, RECT rect, UINT format, COLORREF colour = Label()) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t text[16];
  std::swprintf(text, 16, L"%02u:%02u", now.wHour, now.wMinute);
  DrawLabel(dc, text, rect, format, colour);
}

namespace {

// One paint of a window: its client area filled, then what draw adds in its bar's font.
template <typename Draw>
void Painted(HWND window, COLORREF fill, Draw draw) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window, &paint);
  RECT rect;
  GetClientRect(window, &rect);
  SetDCBrushColor(dc, fill);
  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  const HGDIOBJ old = SelectObject(dc, LabelFont(BarDpi(window)));
  draw(dc, rect);
  SelectObject(dc, old);
  EndPaint(window, &paint);
}

// The classic bars' raised and sunken edges; a themed bar is flat.
void Edge(HDC dc, RECT rect, UINT kind) {
  if (!themed) {
    DrawEdge(dc, &rect, kind, BF_RECT);
  }
}

void PaintClockFace(HWND window) {
  Painted(window, Fill(), [](HDC dc, RECT rect) { DrawClock(dc, rect, DT_CENTER); });
}

}  // namespace

void PaintTaskbar(HWND window) {
  Painted(window, Fill(), [](HDC dc, RECT rect) {
    Edge(dc, rect, EDGE_RAISED);
    if (options.demo && (edge == ABE_TOP || edge == ABE_BOTTOM)) {
      const int margin = Scaled(3, dpi);
      RECT start = {margin, margin, margin + Scaled(kStartWidth, dpi), rect.bottom - margin};
      Edge(dc, start, EDGE_RAISED);
      DrawLabel(dc, L"Start", start, DT_CENTER);
    }
  });
  ++paintsTaskbar;
  Log("paint window=taskbar");
}

// Windows 11 draws its taskbar in this island, over the bar's other children.
void PaintIsland(HWND window) {
  Painted(window, themed ? barColour : kIslandColour, [window](HDC dc, RECT rect) {
    // Another monitor's island has its buttons in the middle too, if no Start.
    const bool primary = GetAncestor(window, GA_PARENT) == taskbar;
    const int barDpi = BarDpi(window);
    const int button = Scaled(kWin11ButtonSize, barDpi);
    const int middle = (rect.right - button) / 2;
    const int top = (rect.bottom - button) / 2;
    RECT start = primary ? RectInParent(startButton, taskbar)
                         : RECT{middle, top, middle + button, top + button};
    InflateRect(&start, -Scaled(10, barDpi), -Scaled(10, barDpi));
    SetDCBrushColor(dc, themed ? labelColour : GetSysColor(COLOR_HIGHLIGHTTEXT));
    FillRect(dc, &start, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    const COLORREF label = themed ? labelColour : RGB(255, 255, 255);
    DrawClock(dc,
              {rect.right - Scaled(kWin11TrayWidth, barDpi), 0, rect.right - Scaled(8, barDpi),
               rect.bottom},
              DT_RIGHT, label);
  });
}

void PaintTray(HWND window) {
  Painted(window, Fill(), [](HDC dc, RECT rect) { Edge(dc, rect, BDR_SUNKENOUTER); });
  ++paintsTray;
  Log("paint window=tray");
}

void PaintClock(HWND window) {
  PaintClockFace(window);
  ++paintsClock;
  Log("paint window=clock");
}

void PaintSecondary(HWND window) {
  Painted(window, Fill(), [](HDC dc, RECT rect) { Edge(dc, rect, EDGE_RAISED); });
  Log("paint window=secondary" + Num(static_cast<long long>(SecondaryNumber(window))));
}

void PaintClockButton(HWND window) {
  PaintClockFace(window);
}

}  // namespace demo_taskbar

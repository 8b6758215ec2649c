#include "windows/taskbar_look.h"

#include "windows/handles.h"
#include "windows/ticker_window.h"

namespace clep::win {

namespace {

constexpr wchar_t kPersonalize[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
// How far outside the ticker the bar is read, and how many pixels apart.
constexpr int kMargin = 2;
constexpr int kStep = 2;

std::optional<DWORD> PersonalizeValue(HKEY key, const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

LookSeen SeeSystemLook() {
  LookSeen seen;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kPersonalize, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
    // Windows 10 before 1903 has no light taskbar, but already the accent's switch.
    const std::optional<DWORD> light = PersonalizeValue(key, L"SystemUsesLightTheme");
    seen.themed = light || PersonalizeValue(key, L"ColorPrevalence");
    seen.lightTheme = light.value_or(0) != 0;
    RegCloseKey(key);
  }
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  seen.highContrast = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
                      (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
  seen.buttonFace = GetSysColor(COLOR_BTNFACE);
  seen.buttonText = GetSysColor(COLOR_BTNTEXT);
  return seen;
}

LookChosen ChosenLook(const ClockSettings& settings) {
  LookChosen chosen;
  if (settings.colourText) {
    chosen.text = ToColorRef(*settings.colourText);
  }
  if (settings.colourBack) {
    chosen.back = ToColorRef(*settings.colourBack);
  }
  chosen.edge = settings.borders;
  return chosen;
}

std::optional<Rgb> ReadBarColour(HWND bar, HWND ticker) {
  RECT area{};
  if (ticker == nullptr || !GetWindowRect(ticker, &area)) {
    return std::nullopt;
  }
  InflateRect(&area, kMargin + 1, kMargin + 1);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  // One copy of the screen, top-down, one DWORD a pixel: each read of the
  // screen waits for the compositor.
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HDC screen = GetDC(nullptr);
  const OwnedBitmap copy(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const OwnedMemoryDc memory(CreateCompatibleDC(screen));
  bool read = false;
  if (copy && memory) {
    const Selected copyIn(memory.Get(), copy.Get());
    read = BitBlt(memory.Get(), 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != 0;
  }
  ReleaseDC(nullptr, screen);
  if (!read) {
    return std::nullopt;
  }
  GdiFlush();
  // The ring kMargin pixels outside the ticker; a pixel counts where the
  // bar, not a window over it, is what shows.
  std::vector<Rgb> pixels;
  const auto* row = static_cast<const DWORD*>(bits);
  auto take = [&](int x, int y) {
    const POINT point{area.left + x, area.top + y};
    if (GetAncestor(WindowFromPoint(point), GA_ROOT) != bar) {
      return;
    }
    const DWORD pixel = row[y * width + x];  // 0x00RRGGBB
    pixels.push_back(((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF));
  };
  const int inset = 1;
  for (int x = inset; x < width - inset; x += kStep) {
    take(x, inset);
    take(x, height - 1 - inset);
  }
  for (int y = inset + kStep; y < height - 1 - inset; y += kStep) {
    take(inset, y);
    take(width - 1 - inset, y);
  }
  return BarColour(std::move(pixels));
}

}  // namespace clep::win

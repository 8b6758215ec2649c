#include "windows/theme_colours.h"

#include "windows/handles.h"

namespace clep::win {

namespace {

constexpr char kPersonalize[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
// How far outside the ticker the bar is read, and how many pixels apart.
constexpr int kMargin = 2;
constexpr int kStep = 2;

std::optional<DWORD> PersonalizeValue(HKEY key, const char* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

COLORREF ToColorRef(std::int32_t colour) {
  const auto value = static_cast<std::uint32_t>(colour);
  return (value & 0x80000000u) != 0 ? GetSysColor(static_cast<int>(value & 0xFFu))
                                    : value & 0x00FFFFFFu;
}

ThemeSeen ReadTheme() {
  ThemeSeen seen;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kPersonalize, 0, KEY_QUERY_VALUE, &opened) ==
      ERROR_SUCCESS) {
    const OwnedKey key(opened);
    // Windows 10 before 1903 has no light taskbar, but already the accent's switch.
    const std::optional<DWORD> light = PersonalizeValue(key.Get(), "SystemUsesLightTheme");
    seen.themed = light || PersonalizeValue(key.Get(), "ColorPrevalence");
    seen.lightTheme = light.value_or(0) != 0;
  }
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  seen.highContrast = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
                      (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
  seen.buttonFace = GetSysColor(COLOR_BTNFACE);
  seen.buttonText = GetSysColor(COLOR_BTNTEXT);
  return seen;
}

ChosenColours ChosenColoursOf(const ClockSettings& settings) {
  ChosenColours chosen;
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
  area = {area.left - kMargin - 1, area.top - kMargin - 1, area.right + kMargin + 1,
          area.bottom + kMargin + 1};
  // One copy of the screen: each read of the screen waits for the compositor.
  // Only what lies on it is copied, as a copy reaching past its edge may come
  // back all black (Wine's does), the bar's pixels too. The screen's bounds
  // come from its DC: under Wine, the virtual screen's metrics slowed the
  // reads after a theme switch so that a menu open meanwhile lost keys.
  const WindowDc screenDc;
  const HDC screen = screenDc.Get();
  RECT desktop{};
  RECT shown{};
  const bool onScreen =
      GetClipBox(screen, &desktop) > NULLREGION && IntersectRect(&shown, &area, &desktop);
  const OwnedBitmap copy(
      onScreen ? CreateCompatibleBitmap(screen, shown.right - shown.left, shown.bottom - shown.top)
               : nullptr);
  const OwnedMemoryDc memory(CreateCompatibleDC(screen));
  const Selected copyIn(memory.Get(), copy.Get());  // a null one selects nothing
  const bool read = copy && memory &&
                    BitBlt(memory.Get(), 0, 0, shown.right - shown.left, shown.bottom - shown.top,
                           screen, shown.left, shown.top, SRCCOPY);
  if (!read) {
    return std::nullopt;
  }
  // The ring kMargin pixels outside the ticker; a pixel counts where the
  // bar, not a window over it, is what shows.
  std::vector<Rgb> pixels;
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  const int in = kMargin + 1;  // the ticker's first pixel from the area's edge
  for (int y = 1; y < height - 1; y += kStep) {
    for (int x = 1; x < width - 1; x += kStep) {
      const POINT at{area.left + x, area.top + y};
      const bool ring = x < in || x >= width - in || y < in || y >= height - in;
      if (ring && PtInRect(&shown, at) && GetAncestor(WindowFromPoint(at), GA_ROOT) == bar) {
        pixels.push_back(GetPixel(memory.Get(), at.x - shown.left, at.y - shown.top));
      }
    }
  }
  return BarColour(pixels);
}

}  // namespace clep::win

// The ticker's colour scheme: the colours and edge it is drawn with, from what the
// user chose and what the Windows program saw of the system and of the
// taskbar beside the ticker.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "settings/clock_settings.h"

namespace clep {

using Rgb = std::uint32_t;  // 0x00BBGGRR
inline constexpr Rgb kBlack = 0x000000;
inline constexpr Rgb kWhite = 0xFFFFFF;

struct ThemeSeen {
  // Windows 10 and 11 keep their theme values; older Windows and the
  // classic theme have none, and keep the classic look.
  bool themed = false;
  bool lightTheme = false;
  bool highContrast = false;
  Rgb buttonFace = 0xC0C0C0;
  Rgb buttonText = kBlack;
  std::optional<Rgb> bar;  // the bar beside the ticker, if it could be read
};

// The chosen colours as drawn now (a system colour looked up).
struct ChosenColours {
  std::optional<Rgb> text;
  std::optional<Rgb> back;
  std::optional<bool> edge;
};

struct ColourScheme {
  Rgb text = kBlack;
  Rgb back = 0xC0C0C0;
  bool edge = true;
  bool operator==(const ColourScheme& other) const {
    return text == other.text && back == other.back && edge == other.edge;
  }
  bool operator!=(const ColourScheme& other) const { return !(*this == other); }
};

// A colour chosen stands; one not chosen follows the taskbar: its colour
// beside the ticker as the background, black or white text, whichever reads
// better on the background, no edge on a themed bar. High contrast, and a
// system without theme values, take the system's button colours and the edge.
ColourScheme DecideColours(const ChosenColours& chosen, const ThemeSeen& seen);

// The bar's colour from pixels read around the ticker: the median of each
// channel, so that an icon or a letter beside it does not count; none for
// no pixels.
std::optional<Rgb> BarColour(const std::vector<Rgb>& pixels);

}  // namespace clep

#include "settings/look.h"

#include <algorithm>
#include <cmath>

namespace clep {

namespace {

int Channel(Rgb colour, int shift) {
  return static_cast<int>((colour >> shift) & 0xFF);
}

double Luminance(Rgb colour) {
  double sum = 0;
  const double weights[] = {0.2126, 0.7152, 0.0722};  // red, green, blue
  for (int i = 0; i < 3; ++i) {
    const double c = Channel(colour, 8 * i) / 255.0;
    sum += weights[i] * (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
  }
  return sum;
}

}  // namespace

double ContrastRatio(Rgb a, Rgb b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Look DecideLook(const LookChosen& chosen, const LookSeen& seen) {
  Look look;
  if (!seen.themed || seen.highContrast) {
    look = {seen.buttonText, seen.buttonFace, true};
  } else {
    // Unread, the bar is guessed from the theme until the next look.
    look.back = seen.bar.value_or(seen.lightTheme ? 0xEEEEEE : 0x202020);
    look.edge = false;
  }
  look.back = chosen.back.value_or(look.back);
  if (chosen.text) {
    look.text = *chosen.text;
  } else if (seen.themed && !seen.highContrast) {
    look.text =
        ContrastRatio(kWhite, look.back) > ContrastRatio(kBlack, look.back) ? kWhite : kBlack;
  }
  look.edge = chosen.edge.value_or(look.edge);
  return look;
}

std::optional<Rgb> BarColour(std::vector<Rgb> pixels) {
  if (pixels.empty()) {
    return std::nullopt;
  }
  Rgb colour = 0;
  const auto middle = pixels.begin() + static_cast<std::ptrdiff_t>(pixels.size() / 2);
  for (int shift : {0, 8, 16}) {
    std::nth_element(pixels.begin(), middle, pixels.end(),
                     [shift](Rgb a, Rgb b) { return Channel(a, shift) < Channel(b, shift); });
    colour |= static_cast<Rgb>(Channel(*middle, shift)) << shift;
  }
  return colour;
}

}  // namespace clep

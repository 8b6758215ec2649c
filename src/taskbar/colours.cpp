#include "taskbar/colours.h"

#include <array>

namespace clep {

namespace {

int Channel(Rgb colour, int shift) {
  return static_cast<int>((colour >> shift) & 0xFF);
}

// A channel's value in linear light, of 1: ((c + 0.055) / 1.055)^2.4 is the
// fifth root of the 12th power, by Newton's method from the square, above
// it. pow would add 3 KB to the exe.
double Linear(int channel) {
  const double c = channel / 255.0;
  if (c <= 0.04045) {
    return c / 12.92;
  }
  const double x = (c + 0.055) / 1.055;
  const double square = x * x;
  const double twelfth = square * square * square * square * square * square;
  double root = square;
  for (int i = 0; i < 12; ++i) {
    root = (4 * root + twelfth / (root * root * root * root)) / 5;
  }
  return root;
}

double Luminance(Rgb colour) {
  const double weights[] = {0.2126, 0.7152, 0.0722};  // red, green, blue
  double sum = 0;
  for (int i = 0; i < 3; ++i) {
    sum += weights[i] * Linear(Channel(colour, 8 * i));
  }
  return sum;
}

}  // namespace

ColourScheme DecideColours(const ChosenColours& chosen, const ThemeSeen& seen) {
  ColourScheme scheme;
  if (!seen.themed || seen.highContrast) {
    scheme = {seen.buttonText, seen.buttonFace, true};
  } else {
    // Unread, the bar is guessed from the theme until the next read.
    scheme.back = seen.bar.value_or(seen.lightTheme ? 0xEEEEEE : 0x202020);
    scheme.edge = false;
  }
  scheme.back = chosen.back.value_or(scheme.back);
  if (chosen.text) {
    scheme.text = *chosen.text;
  } else if (seen.themed && !seen.highContrast) {
    // The WCAG ratio: white's (1.05 / (L + 0.05)) above black's ((L + 0.05) / 0.05).
    const double shade = Luminance(scheme.back) + 0.05;
    scheme.text = shade * shade < 1.05 * 0.05 ? kWhite : kBlack;
  }
  scheme.edge = chosen.edge.value_or(scheme.edge);
  return scheme;
}

std::optional<Rgb> BarColour(const std::vector<Rgb>& pixels) {
  if (pixels.empty()) {
    return std::nullopt;
  }
  Rgb colour = 0;
  for (int shift : {0, 8, 16}) {
    std::array<std::size_t, 256> counts{};
    for (Rgb pixel : pixels) {
      ++counts[Channel(pixel, shift)];
    }
    int value = 0;
    for (std::size_t below = counts[0]; below <= pixels.size() / 2; below += counts[value]) {
      ++value;
    }
    colour |= static_cast<Rgb>(value) << shift;
  }
  return colour;
}

}  // namespace clep

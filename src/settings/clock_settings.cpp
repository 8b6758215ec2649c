#include "settings/clock_settings.h"

#include <charconv>

namespace clep {

namespace {

using S = ClockSettings;

// Each key's name and its field: a switch or a number; FontName is neither.
struct KeyField {
  std::string_view name;
  bool S::*on;
  std::int32_t S::*number;
};
constexpr KeyField kKeys[kKeyCount] = {
    {"DisplaySeconds", &S::displaySeconds, nullptr},
    {"Lowercase", &S::lowercase, nullptr},
    {"Borders", &S::borders, nullptr},
    {"ToolTip", &S::toolTip, nullptr},
    {"MedievalScript", &S::medievalScript, nullptr},
    {"RomanYear", &S::romanYear, nullptr},
    {"ZeroAsDash", &S::zeroAsDash, nullptr},
    {"ColourText", nullptr, &S::colourText},
    {"ColourBack", nullptr, &S::colourBack},
    {"FontName", nullptr, nullptr},
    {"FontBold", &S::fontBold, nullptr},
    {"FontItalic", &S::fontItalic, nullptr},
    {"FontSize", nullptr, &S::fontSize},
    {"EveryTaskbar", &S::everyTaskbar, nullptr},
};

}  // namespace

bool ClockSettings::operator==(const ClockSettings& o) const {
  return displaySeconds == o.displaySeconds && lowercase == o.lowercase && borders == o.borders &&
         zeroAsDash == o.zeroAsDash && toolTip == o.toolTip && medievalScript == o.medievalScript &&
         romanYear == o.romanYear && colourText == o.colourText && colourBack == o.colourBack &&
         fontName == o.fontName && fontBold == o.fontBold && fontItalic == o.fontItalic &&
         fontSize == o.fontSize && everyTaskbar == o.everyTaskbar;
}

std::string_view KeyName(Key key) {
  return kKeys[static_cast<int>(key)].name;
}

std::optional<std::int32_t> ParseNumber(std::string_view text) {
  if (text.empty() || text.front() == '+') {
    return std::nullopt;
  }
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
  if (error != std::errc() || stop != end) {
    return std::nullopt;
  }
  return value;
}

ClockSettings LoadSettings(const Profile& profile) {
  ClockSettings settings;
  for (const KeyField& field : kKeys) {
    const std::optional<std::string> text = profile.Read(field.name);
    if (!text || text->empty()) {
      continue;
    }
    if (field.on != nullptr) {
      settings.*field.on = *text == "1";
    } else if (field.number != nullptr) {
      settings.*field.number = ParseNumber(*text).value_or(settings.*field.number);
    } else {
      settings.fontName = *text;
    }
  }
  return settings;
}

std::string ValueText(const ClockSettings& settings, Key key) {
  const KeyField& field = kKeys[static_cast<int>(key)];
  if (field.on != nullptr) {
    return settings.*field.on ? "1" : "0";
  }
  if (field.number != nullptr) {
    return std::to_string(settings.*field.number);
  }
  return settings.fontName;
}

bool WriteSetting(Profile& profile, const ClockSettings& settings, Key key) {
  return profile.Write(KeyName(key), ValueText(settings, key));
}

ClockStyle ClockStyleOf(const ClockSettings& s) {
  return {s.displaySeconds, s.medievalScript, s.zeroAsDash, s.lowercase};
}

TipStyle TipStyleOf(const ClockSettings& s) {
  return {s.medievalScript, s.zeroAsDash, s.lowercase, s.romanYear};
}

std::optional<std::int32_t> ShownFontSize(std::int32_t fontSize) {
  if (fontSize <= 0) {
    return std::nullopt;
  }
  return fontSize < kLargestFontSize ? fontSize : kLargestFontSize;
}

std::int32_t WholePoints(std::int32_t tenths) {
  std::int32_t points = tenths / 10;
  const std::int32_t rest = tenths % 10;
  if (rest > 5 || (rest == 5 && points % 2 != 0)) {
    ++points;
  }
  return points;
}

}  // namespace clep

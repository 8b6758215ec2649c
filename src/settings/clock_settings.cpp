#include "settings/clock_settings.h"

#include <charconv>

namespace clep {

namespace {

using S = ClockSettings;

// Each key's name and its field: a switch or a number, either of which may
// be left to the theme; FontName is none of them.
struct KeyField {
  std::string_view name;
  bool S::*on = nullptr;
  std::int32_t S::*number = nullptr;
  std::optional<bool> S::*themeBool = nullptr;
  std::optional<std::int32_t> S::*colour = nullptr;
};
constexpr KeyField kKeys[kKeyCount] = {
    {"DisplaySeconds", &S::displaySeconds},
    {"Lowercase", &S::lowercase},
    {"Borders", nullptr, nullptr, &S::borders},
    {"ToolTip", &S::toolTip},
    {"MedievalScript", &S::medievalScript},
    {"RomanYear", &S::romanYear},
    {"ZeroAsDash", &S::zeroAsDash},
    {"ColourText", nullptr, nullptr, nullptr, &S::colourText},
    {"ColourBack", nullptr, nullptr, nullptr, &S::colourBack},
    {"FontName"},
    {"FontBold", &S::fontBold},
    {"FontItalic", &S::fontItalic},
    {"FontSize", nullptr, &S::fontSize},
    {"EveryTaskbar", &S::everyTaskbar},
    {"RomanFeasts", &S::romanFeasts},
};

}  // namespace

bool ClockSettings::operator==(const ClockSettings& o) const {
  return displaySeconds == o.displaySeconds && lowercase == o.lowercase && borders == o.borders &&
         zeroAsDash == o.zeroAsDash && toolTip == o.toolTip && medievalScript == o.medievalScript &&
         romanYear == o.romanYear && colourText == o.colourText && colourBack == o.colourBack &&
         fontName == o.fontName && fontBold == o.fontBold && fontItalic == o.fontItalic &&
         fontSize == o.fontSize && everyTaskbar == o.everyTaskbar && romanFeasts == o.romanFeasts;
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
    } else if (field.themeBool != nullptr) {
      settings.*field.themeBool = *text == "1";
    } else if (field.colour != nullptr) {
      settings.*field.colour = ParseNumber(*text);
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
  if (field.themeBool != nullptr) {
    const std::optional<bool> on = settings.*field.themeBool;
    return on ? (*on ? "1" : "0") : "";
  }
  if (field.colour != nullptr) {
    const std::optional<std::int32_t> colour = settings.*field.colour;
    return colour ? std::to_string(*colour) : "";
  }
  return settings.fontName;
}

bool WriteSetting(Profile& profile, const ClockSettings& settings, Key key) {
  const std::string text = ValueText(settings, key);
  const KeyField& field = kKeys[static_cast<int>(key)];
  const bool leftToTheme = field.themeBool != nullptr || field.colour != nullptr;
  return profile.Write(KeyName(key), leftToTheme && text.empty()
                                         ? std::nullopt
                                         : std::optional<std::string_view>(text));
}

ClockStyle ClockStyleOf(const ClockSettings& s) {
  return {s.displaySeconds, s.medievalScript, s.zeroAsDash, s.lowercase};
}

TipStyle TipStyleOf(const ClockSettings& s) {
  return {s.medievalScript, s.zeroAsDash, s.lowercase, s.romanYear, s.romanFeasts};
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

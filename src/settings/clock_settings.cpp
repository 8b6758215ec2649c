#include "settings/clock_settings.h"

#include <charconv>

namespace clep {

namespace {

using S = ClockSettings;

// Each key's name and its field: a switch or a number, either of which may
// be left to the theme, or degrees left to the region; FontName is none of them.
struct KeyField {
  std::string_view name;
  bool S::*on = nullptr;
  std::int32_t S::*number = nullptr;
  std::optional<bool> S::*themeBool = nullptr;
  std::optional<std::int32_t> S::*colour = nullptr;
  std::optional<std::int32_t> S::*degrees = nullptr;
  std::int32_t bound = 0;
};
constexpr std::int32_t kMillionths = 1000000;
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
    {"RomanHours", &S::romanHours},
    {"Latitude", nullptr, nullptr, nullptr, nullptr, &S::latitude, 90},
    {"Longitude", nullptr, nullptr, nullptr, nullptr, &S::longitude, 180},
};

std::string DegreesText(std::int32_t millionths) {
  std::string text = millionths < 0 ? "-" : "";
  const std::uint32_t magnitude = millionths < 0 ? 0U - static_cast<std::uint32_t>(millionths)
                                                 : static_cast<std::uint32_t>(millionths);
  text += std::to_string(magnitude / kMillionths);
  std::string fraction = std::to_string(magnitude % kMillionths + kMillionths).substr(1);
  fraction.erase(fraction.find_last_not_of('0') + 1);
  return fraction.empty() ? text : text + "." + fraction;
}

}  // namespace

bool ClockSettings::operator==(const ClockSettings& o) const {
  return displaySeconds == o.displaySeconds && lowercase == o.lowercase && borders == o.borders &&
         zeroAsDash == o.zeroAsDash && toolTip == o.toolTip && medievalScript == o.medievalScript &&
         romanYear == o.romanYear && colourText == o.colourText && colourBack == o.colourBack &&
         fontName == o.fontName && fontBold == o.fontBold && fontItalic == o.fontItalic &&
         fontSize == o.fontSize && everyTaskbar == o.everyTaskbar && romanFeasts == o.romanFeasts &&
         romanHours == o.romanHours && latitude == o.latitude && longitude == o.longitude;
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

std::optional<std::int32_t> ParseDegrees(std::string_view text, std::int32_t bound) {
  const bool negative = !text.empty() && text.front() == '-';
  text.remove_prefix(negative ? 1 : 0);
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  const auto digits = [](std::string_view part) {
    return part.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (whole.empty() || whole.size() > 3 || !digits(whole) || !digits(fraction) ||
      (point != std::string_view::npos && fraction.empty())) {
    return std::nullopt;
  }
  std::int32_t value = 0;
  for (const char c : whole) {
    value = value * 10 + (c - '0');
  }
  std::int32_t scale = kMillionths;
  value *= scale;
  for (const char c : fraction.substr(0, 6)) {
    scale /= 10;
    value += (c - '0') * scale;
  }
  if (value > bound * kMillionths) {
    return std::nullopt;
  }
  return negative ? -value : value;
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
    } else if (field.degrees != nullptr) {
      settings.*field.degrees = ParseDegrees(*text, field.bound);
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
  if (field.degrees != nullptr) {
    const std::optional<std::int32_t> degrees = settings.*field.degrees;
    return degrees ? DegreesText(*degrees) : "";
  }
  return settings.fontName;
}

bool WriteSetting(Profile& profile, const ClockSettings& settings, Key key) {
  const std::string text = ValueText(settings, key);
  const KeyField& field = kKeys[static_cast<int>(key)];
  const bool leftToTheme =
      field.themeBool != nullptr || field.colour != nullptr || field.degrees != nullptr;
  return profile.Write(KeyName(key), leftToTheme && text.empty()
                                         ? std::nullopt
                                         : std::optional<std::string_view>(text));
}

ClockStyle ClockStyleOf(const ClockSettings& s) {
  return {s.displaySeconds, s.medievalScript, s.zeroAsDash, s.lowercase, s.romanHours};
}

Place HoursPlace(const ClockSettings& settings, const RegionPlace& region, int minutesEast) {
  constexpr double kMillionth = 1e-6;
  constexpr std::int32_t kRomeLatitude = 41900000;
  const std::int32_t latitude = settings.latitude.value_or(region.latitude.value_or(kRomeLatitude));
  const std::int32_t longitude =
      settings.longitude.value_or(region.longitude.value_or(minutesEast * (kMillionths / 4)));
  return {latitude * kMillionth, longitude * kMillionth};
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

#include "settings/clock_settings.h"

#include <charconv>

namespace clep {

namespace {

constexpr std::string_view kKeyNames[kKeyCount] = {
    "DisplaySeconds", "Lowercase",  "Borders",    "ToolTip",    "MedievalScript",
    "RomanYear",      "ZeroAsDash", "ColourText", "ColourBack", "FontName",
    "FontBold",       "FontItalic", "FontSize",
};

bool ClockSettings::*SwitchField(Key key) {
  switch (key) {
    case Key::kDisplaySeconds:
      return &ClockSettings::displaySeconds;
    case Key::kLowercase:
      return &ClockSettings::lowercase;
    case Key::kBorders:
      return &ClockSettings::borders;
    case Key::kToolTip:
      return &ClockSettings::toolTip;
    case Key::kMedievalScript:
      return &ClockSettings::medievalScript;
    case Key::kRomanYear:
      return &ClockSettings::romanYear;
    case Key::kZeroAsDash:
      return &ClockSettings::zeroAsDash;
    case Key::kFontBold:
      return &ClockSettings::fontBold;
    case Key::kFontItalic:
      return &ClockSettings::fontItalic;
    default:
      return nullptr;
  }
}

std::int32_t ClockSettings::*NumberField(Key key) {
  switch (key) {
    case Key::kColourText:
      return &ClockSettings::colourText;
    case Key::kColourBack:
      return &ClockSettings::colourBack;
    case Key::kFontSize:
      return &ClockSettings::fontSize;
    default:
      return nullptr;
  }
}

}  // namespace

bool ClockSettings::operator==(const ClockSettings& o) const {
  return displaySeconds == o.displaySeconds && lowercase == o.lowercase && borders == o.borders &&
         zeroAsDash == o.zeroAsDash && toolTip == o.toolTip && medievalScript == o.medievalScript &&
         romanYear == o.romanYear && colourText == o.colourText && colourBack == o.colourBack &&
         fontName == o.fontName && fontBold == o.fontBold && fontItalic == o.fontItalic &&
         fontSize == o.fontSize;
}

std::string_view KeyName(Key key) {
  return kKeyNames[static_cast<int>(key)];
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
  for (int i = 0; i < kKeyCount; ++i) {
    const Key key = static_cast<Key>(i);
    const std::optional<std::string> text = profile.Read(KeyName(key));
    if (!text || text->empty()) {
      continue;
    }
    if (bool ClockSettings::*field = SwitchField(key)) {
      settings.*field = *text == "1";
    } else if (std::int32_t ClockSettings::*number = NumberField(key)) {
      settings.*number = ParseNumber(*text).value_or(settings.*number);
    } else {
      settings.fontName = *text;
    }
  }
  return settings;
}

std::string ValueText(const ClockSettings& settings, Key key) {
  if (bool ClockSettings::*field = SwitchField(key)) {
    return settings.*field ? "1" : "0";
  }
  if (std::int32_t ClockSettings::*number = NumberField(key)) {
    return std::to_string(settings.*number);
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

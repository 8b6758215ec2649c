// The user's options, and how they are kept in the settings file: one key of
// section [Configuration] each, read once at start and written key by key.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "clock/date_tip.h"
#include "clock/roman.h"

namespace clep {

// System colour 15, the button face, in the Windows colour encoding
// (0x00BBGGRR, or 0x80000000 plus a system colour's index).
inline constexpr std::int32_t kButtonFace = static_cast<std::int32_t>(0x8000000FU);

struct ClockSettings {
  bool displaySeconds = true;
  bool lowercase = false;
  bool borders = true;
  bool zeroAsDash = false;
  bool toolTip = true;
  bool medievalScript = true;
  bool romanYear = false;
  std::int32_t colourText = 0;
  std::int32_t colourBack = kButtonFace;
  std::string fontName;  // empty keeps the standard face
  bool fontBold = false;
  bool fontItalic = false;
  std::int32_t fontSize = 8;  // whole points; 0 or less keeps the standard size
  bool everyTaskbar = true;   // a ticker in other monitors' taskbars too

  bool operator==(const ClockSettings& other) const;
};

// The keys, in the order the file is read.
enum class Key {
  kDisplaySeconds,
  kLowercase,
  kBorders,
  kToolTip,
  kMedievalScript,
  kRomanYear,
  kZeroAsDash,
  kColourText,
  kColourBack,
  kFontName,
  kFontBold,
  kFontItalic,
  kFontSize,
  kEveryTaskbar,
};
inline constexpr int kKeyCount = 14;

std::string_view KeyName(Key key);

// One section of a settings file. Reads give the key's text as the Windows
// profile functions return it (blanks trimmed, quotes stripped, at most 254
// characters), or nothing for a missing file, section or key or an empty
// value. A write reports whether the file now holds the value.
class Profile {
 public:
  virtual ~Profile() = default;
  virtual std::optional<std::string> Read(std::string_view key) const = 0;
  virtual bool Write(std::string_view key, std::string_view value) = 0;
};

// Every key read over its default: a switch is on only for exactly "1";
// numbers are signed decimal within 32 bits; anything else keeps the default.
ClockSettings LoadSettings(const Profile& profile);

// The key's value as the file holds it: "1"/"0", signed decimal, the face.
std::string ValueText(const ClockSettings& settings, Key key);

// Writes one key from the settings; false when the file did not take it.
bool WriteSetting(Profile& profile, const ClockSettings& settings, Key key);

// Signed decimal within 32 bits, nothing else: no blanks, '+', hex or fraction.
std::optional<std::int32_t> ParseNumber(std::string_view text);

// The ticker's width in cells: 6 with seconds, 4 without.
inline int TickerCells(const ClockSettings& settings) {
  return settings.displaySeconds ? 6 : 4;
}

ClockStyle ClockStyleOf(const ClockSettings& settings);
TipStyle TipStyleOf(const ClockSettings& settings);

// The font size the ticker is given: none (keep the standard size) for 0 or
// less, at most kLargestFontSize, as the ticker is one caption high.
inline constexpr std::int32_t kLargestFontSize = 72;
std::optional<std::int32_t> ShownFontSize(std::int32_t fontSize);

// A font dialog's size in tenths of a point as whole points, halves to the
// even neighbour (10.5 gives 10, 11.5 gives 12).
std::int32_t WholePoints(std::int32_t tenths);

}  // namespace clep

// The user's options, and how they are kept in the settings file: one key of
// section [Configuration] each, read once at start and written key by key.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "clock/date_tip.h"
#include "clock/horae.h"
#include "clock/roman.h"

namespace clep {

struct ClockSettings {
  bool displaySeconds = true;
  bool lowercase = false;
  std::optional<bool> borders;  // none: the edge the theme has
  bool zeroAsDash = false;
  bool toolTip = true;
  bool medievalScript = true;
  bool romanYear = false;
  // 0x00BBGGRR, or 0x80000000 plus a system colour's index; none: the
  // taskbar's own colours.
  std::optional<std::int32_t> colourText;
  std::optional<std::int32_t> colourBack;
  std::string fontName;  // empty keeps the standard face
  bool fontBold = false;
  bool fontItalic = false;
  std::int32_t fontSize = 8;  // whole points; 0 or less keeps the standard size
  bool everyTaskbar = true;   // a ticker in other monitors' taskbars too
  bool romanFeasts = false;   // the day's feasts after the date in the tooltip
  bool romanHours = false;    // the day's twelve hours and the night's watches
  // Millionths of a degree, north and east positive; none: the place Windows
  // keeps for the user's region.
  std::optional<std::int32_t> latitude;
  std::optional<std::int32_t> longitude;

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
  kRomanFeasts,
  kRomanHours,
  kLatitude,
  kLongitude,
};
inline constexpr int kKeyCount = 18;

// Keys as a set, a bit each.
using KeySet = unsigned;
constexpr KeySet KeysOf(std::initializer_list<Key> keys) {
  KeySet set = 0;
  for (const Key key : keys) {
    set |= 1U << static_cast<int>(key);
  }
  return set;
}

std::string_view KeyName(Key key);

// One section of a settings file. Reads give the key's text as the Windows
// profile functions return it (blanks trimmed, quotes stripped, at most 254
// characters), or nothing for a missing file, section or key or an empty
// value. A write reports whether the file now holds the value.
class Profile {
 public:
  virtual ~Profile() = default;
  virtual std::optional<std::string> Read(std::string_view key) const = 0;
  // No value removes the key.
  virtual bool Write(std::string_view key, std::optional<std::string_view> value) = 0;
};

// Every key read over its default: a switch is on only for exactly "1";
// numbers are signed decimal within 32 bits; anything else keeps the default.
ClockSettings LoadSettings(const Profile& profile);

// The key's value as the file holds it: "1"/"0", signed decimal, the face;
// empty for a setting left to the theme.
std::string ValueText(const ClockSettings& settings, Key key);

// Writes one key from the settings, or removes one left to the theme; false
// when the file did not take it.
bool WriteSetting(Profile& profile, const ClockSettings& settings, Key key);

// Signed decimal within 32 bits, nothing else: no blanks, '+', hex or fraction.
std::optional<std::int32_t> ParseNumber(std::string_view text);

// Signed decimal degrees ("41.9", "-12.4964") within plus or minus `bound`, in
// millionths, digits after the sixth dropped; nothing for anything else.
std::optional<std::int32_t> ParseDegrees(std::string_view text, std::int32_t bound);

// The ticker's width in cells: 6 with seconds, 4 without or for the Roman
// hours ("vigilia IIII" is the longest).
inline int TickerCells(const ClockSettings& settings) {
  return settings.displaySeconds && !settings.romanHours ? 6 : 4;
}

ClockStyle ClockStyleOf(const ClockSettings& settings);

// Where the Roman hours are counted: each coordinate from its key, else from
// the place the system keeps for the user's region, else Rome's latitude on
// the time zone's standard meridian (`minutesEast` of Greenwich, 4 a degree).
struct RegionPlace {
  std::optional<std::int32_t> latitude;  // millionths of a degree
  std::optional<std::int32_t> longitude;
};
Place HoursPlace(const ClockSettings& settings, const RegionPlace& region, int minutesEast);
TipStyle TipStyleOf(const ClockSettings& settings);

// The font size the ticker is given: none (keep the standard size) for 0 or
// less, at most kLargestFontSize, as the ticker is one caption high.
inline constexpr std::int32_t kLargestFontSize = 72;
std::optional<std::int32_t> ShownFontSize(std::int32_t fontSize);

// A font dialog's size in tenths of a point as whole points, halves to the
// even neighbour (10.5 gives 10, 11.5 gives 12).
std::int32_t WholePoints(std::int32_t tenths);

}  // namespace clep

// The user's options, kept in Clepsydrium.ini beside the exe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace settings {

// System colour 15, the button face, in the platform colour encoding.
inline constexpr std::int32_t kButtonFace = static_cast<std::int32_t>(0x8000000FU);

// The persisted options, in the order the file is read.
struct ClockSettings {
  bool DisplaySeconds = true;
  bool Lowercase = false;
  bool Borders = true;
  bool ZeroAsDash = false;
  bool ToolTip = true;
  bool MedievalScript = true;
  bool RomanYear = false;
  std::int32_t ColourText = 0;
  std::int32_t ColourBack = kButtonFace;
  std::string FontName;
  bool FontBold = false;
  bool FontItalic = false;
  std::int32_t FontSize = 8;
};

// The options in force for this run.
extern ClockSettings Current;
// Full path of the settings file; set once before the first read.
extern std::string IniPath;
// The ticker's width in cells: 6 with seconds, 4 without.
extern std::int32_t TickerCells;

inline constexpr std::int32_t CellsFor(bool displaySeconds) { return displaySeconds ? 6 : 4; }

// Fills Current and TickerCells from IniPath; anything missing or malformed
// keeps its default.
void LoadSettings();

// Reads one key of [Configuration]; returns the count of characters found
// (0 for a missing file, section or key, or an empty value).
std::size_t ReadSetting(const char* key, std::string& value);

// Writes one key of [Configuration] at once. Failures are not reported: the
// change then holds for this run only.
void WriteSetting(const char* key, const std::string& value);

// The forms the file holds: "1"/"0", and signed decimal.
inline const char* BoolText(bool on) { return on ? "1" : "0"; }
std::string NumberText(std::int32_t value);

// Signed decimal within 32 bits, nothing else: no blanks, sign '+', hex or
// fraction.
bool ParseNumber(std::string_view text, std::int32_t& value);

}  // namespace settings
